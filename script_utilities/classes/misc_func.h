// Kestrum.MiscFunc: file, temporary-name, base64 and GUID helpers for page script. No state.
#pragma once

#include "kestrum_interfaces.h"

#include <qx/com/dispatch.h>
#include <qx/com/object.h>

#include <string>

class CMiscFunc : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IMiscFunc> {
public:
    QX_BEGIN_INTERFACES(CMiscFunc)
    QX_INTERFACE_ENTRY(IMiscFunc)
    QX_INTERFACE_ENTRY2(IDispatch, IMiscFunc)
    QX_END_INTERFACES()

    QX_OVERRIDES_IMiscFunc;

    // The last piece of a path or URL, without its query: "http://h/d/a.gif?x=1" gives "a.gif".
    static std::string ExtractFileNameA(const std::string& path);
};
