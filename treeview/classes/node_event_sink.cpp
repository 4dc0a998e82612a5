// A node's event sink: every event of the element it is connected to reaches the node.
#include "node_event_sink.h"

#include "tree_node_behavior.h"

void* CNodeEventSink::QueryOtherInterface(REFIID riid) {
    return IsEqualIID(riid, source_) ? static_cast<IDispatch*>(this) : nullptr;
}

STDMETHODIMP CNodeEventSink::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CNodeEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CNodeEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CNodeEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                    UINT*) {
    if (result)
        VariantInit(result);
    if (node_) {
        // The handler may remove the node: keep it while it runs.
        qx::com::ComPtr<ITreeNodeBehavior> hold(node_);
        node_->OnEvent(part_, id, result);
    }
    return S_OK;
}
