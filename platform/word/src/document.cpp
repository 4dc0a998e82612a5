// The document collection and its documents.
#include "session.h"

#include "qx/com/dispatch.h"
#include "qx/com/object.h"

namespace qx::word {
namespace {

class CDocuments : public com::ObjectRoot, public com::DispatchImpl<Documents> {
public:
    explicit CDocuments(std::shared_ptr<Session> session) : session_(std::move(session)) {}

    QX_BEGIN_INTERFACES(CDocuments)
    QX_INTERFACE_ENTRY(Documents)
    QX_INTERFACE_ENTRY2(IDispatch, Documents)
    QX_END_INTERFACES()

    STDMETHODIMP Add(VARIANT, VARIANT, VARIANT, VARIANT, IDispatch** document) override {
        if (!document)
            return E_POINTER;
        *document = nullptr;
        if (Disconnected(*session_))
            return RPC_E_DISCONNECTED;
        auto text = std::make_shared<DocumentText>();
        HRESULT hr = CreateDocument(session_, text, document);
        if (FAILED(hr))
            return hr;
        session_->documents.push_back(text);
        Journal("Documents.Add");
        return S_OK;
    }

private:
    std::shared_ptr<Session> session_;
};

class CDocument : public com::ObjectRoot, public com::DispatchImpl<_Document> {
public:
    CDocument(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text)
        : session_(std::move(session)), text_(std::move(text)) {}

    QX_BEGIN_INTERFACES(CDocument)
    QX_INTERFACE_ENTRY(_Document)
    QX_INTERFACE_ENTRY2(IDispatch, _Document)
    QX_END_INTERFACES()

    STDMETHODIMP get_Content(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        return CreateRange(session_, text_, 0, std::u16string::npos, p);
    }
    STDMETHODIMP get_SpellingErrors(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        return CreateSpellingErrors(session_, text_, p);
    }
    STDMETHODIMP get_Saved(VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        *p = text_->saved ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_Saved(VARIANT_BOOL v) override {
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        text_->saved = v != VARIANT_FALSE;
        Journal(text_->saved ? "Document.Saved=true" : "Document.Saved=false");
        return S_OK;
    }
    STDMETHODIMP Close(VARIANT, VARIANT, VARIANT) override {
        if (Disconnected(*session_, text_.get()))
            return RPC_E_DISCONNECTED;
        text_->closed = true;
        std::erase(session_->documents, text_);
        Journal("Document.Close");
        return S_OK;
    }

private:
    std::shared_ptr<Session> session_;
    std::shared_ptr<DocumentText> text_;
};

} // namespace

HRESULT CreateDocuments(std::shared_ptr<Session> session, IDispatch** out) {
    return NewDispatch<CDocuments>(out, std::move(session));
}

HRESULT CreateDocument(std::shared_ptr<Session> session, std::shared_ptr<DocumentText> text,
                       IDispatch** out) {
    return NewDispatch<CDocument>(out, std::move(session), std::move(text));
}

} // namespace qx::word
