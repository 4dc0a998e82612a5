#include "document_sink.h"

#include "oleauto.h"
#include "qx/com/object.h"

#include <utility>

namespace qx::html::editing::control {
namespace {

class CDocumentEvents : public com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(CDocumentEvents)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()

    void SetCallback(DocumentSink::Callback callback) { callback_ = std::move(callback); }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        // A copy: the callback may end the sink (a new document replaces this one).
        const DocumentSink::Callback callback = callback_;
        const bool cancel = callback && callback(id);
        if (cancel && result) {
            VariantInit(result);
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_FALSE;
        }
        return S_OK;
    }

private:
    DocumentSink::Callback callback_;
};

} // namespace

DocumentSink::DocumentSink(IUnknown* document, Callback callback) {
    com::ComPtr<IConnectionPointContainer> container =
        com::ComPtr<IConnectionPointContainer>::QueryFrom(document);
    com::ObjectPtr<CDocumentEvents> sink;
    if (!container || FAILED(com::CreateObject(sink)))
        return;
    sink->SetCallback(std::move(callback));
    if (FAILED(container->FindConnectionPoint(IID_IDispatch, &point_)) || !point_)
        return;
    sink_ = static_cast<IDispatch*>(sink.Get());
    if (FAILED(point_->Advise(sink_.Get(), &cookie_))) {
        point_ = nullptr;
        sink_ = nullptr;
    }
}

DocumentSink::~DocumentSink() {
    if (point_)
        point_->Unadvise(cookie_);
    if (sink_)
        static_cast<CDocumentEvents*>(sink_.Get())->SetCallback(nullptr);
}

} // namespace qx::html::editing::control
