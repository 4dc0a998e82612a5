// Convert: the converter's scriptable class. It holds an HTML text and an MHT text and turns one
// into the other, on the caller's thread or on a worker thread of its own.
#pragma once

#include <qx/com/bstr.h>
#include <qx/com/class_info.h>
#include <qx/com/comptr.h>
#include <qx/com/connection_point.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>
#include <qx/com/object_safety.h>

#include <mutex>
#include <string>

#include "convert_interfaces.h"
#include "resource_record.h"

class CConvert
    : public qx::com::ObjectRoot,
      public qx::com::DispatchImpl<IConvert>,
      public qx::com::ConnectionPointContainerImpl,
      public qx::com::ObjectSafetyImpl<INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA>,
      public qx::com::ProvideClassInfo2Impl<quorle::kQuorleLibrary, CLSID_Convert> {
public:
    static constexpr bool kAggregatable = false;

    CConvert();
    ~CConvert() override;

    QX_BEGIN_INTERFACES(CConvert)
    QX_INTERFACE_ENTRY(IConvert)
    QX_INTERFACE_ENTRY2(IDispatch, IConvert)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_INTERFACE_ENTRY2(IProvideClassInfo, IProvideClassInfo2)
    QX_END_INTERFACES()

    void FinalRelease();

    QX_OVERRIDES_IConvert;

    // The records of the last load (a copy).
    ResourceRecords LoadedResources() const;

private:
    enum Direction { MhtToHtml = 0, HtmlToMht = 1 };

    HRESULT StartConversion(Direction direction, BSTR pathBase, VARIANT_BOOL* pVal);
    // The asynchronous road: marshals the notice target and starts the worker; on any failure it
    // gives back the busy flag and the self-reference and leaves *pVal false.
    HRESULT StartWorker(Direction direction, VARIANT_BOOL* pVal);
    void RunConversion(Direction direction);
    void FireStartConvert();
    void FireEndConvert(LONG nType);
    static DWORD WINAPI ConversionThread(LPVOID parameter);

    mutable std::mutex m_lock; // guards every member below
    std::string m_pathBase;
    qx::com::Bstr m_mhtData;
    qx::com::Bstr m_htmlData;
    ResourceRecords m_resources;
    qx::com::ComPtr<IDispatch> m_script;
    VARIANT_BOOL m_sync = VARIANT_FALSE;
    std::string m_subject;

    quorle::CProxy_DIConvertEvent m_dispatchEvents; // the default source
    quorle::CProxyIConvertEvent m_vtableEvents;
};
