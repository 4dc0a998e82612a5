// The event sink a node connects to its text SPAN, its icon IMG or its heritage IMG: it answers
// the element's event interface and hands each event to the node.
#pragma once

#include <qx/com/comptr.h>
#include <qx/com/object.h>

#include "oaidl.h"
#include "ocidl.h"

class CTreeNodeBehavior;

enum class NodePart { Text, Icon, Heritage };

class CNodeEventSink : public qx::com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(CNodeEventSink)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    void* QueryOtherInterface(REFIID riid);

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

    CTreeNodeBehavior* node_ = nullptr; // cleared when the node disconnects
    NodePart part_ = NodePart::Text;
    DWORD cookie_ = 0;
    qx::com::ComPtr<IConnectionPoint> point_;
    IID source_ = {};
};
