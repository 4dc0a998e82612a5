// The service provider of a container: the way from an embedded control to its browser.
#pragma once

#include <qx/com/interface.h>
#include <unknwn.h>

QX_DECLARE_INTERFACE(IServiceProvider, "{6D5140C1-7436-11CE-8034-00AA006009FA}");
struct IServiceProvider : IUnknown {
    STDMETHOD(QueryService)(REFGUID guidService, REFIID riid, void** ppvObject) PURE;

protected:
    ~IServiceProvider() = default;
};
