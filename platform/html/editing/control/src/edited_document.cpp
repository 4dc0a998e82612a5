#include "edited_document.h"

#include "qx/html/dom/html_parser.h"
#include "qx/html/dom/serializer.h"
#include "qx/html/events/page_events.h"
#include "qx/html/events/page_window.h"
#include "qx/html/layout/document_geometry.h"
#include "winuser_position.h"
#include "winuser_window.h"

#include <utility>

namespace qx::html::editing::control {

HRESULT EditedDocument::Open(std::u16string_view html, HWND view, std::unique_ptr<EditedDocument>* document) {
    if (!document)
        return E_POINTER;
    std::unique_ptr<EditedDocument> made(new EditedDocument());
    HRESULT hr = dom::ParseHtmlDocumentObject(html, &made->document_);
    if (FAILED(hr))
        return hr;
    com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(made->document_.Get());
    if (!access)
        return E_UNEXPECTED;
    made->dom_ = access->AccessDocument();
    made->dom_->readyState = u"loading";
    layout::PageLayout& layout = layout::AttachLayout(*made->dom_);
    // The window object gives the document its parentWindow and window.event; the document's own
    // script blocks never run in the editor.
    script::PageScriptOptions options;
    options.url = u"about:blank";
    hr = script::PageScript::Open(made->document_.Get(), std::move(options), &made->script_);
    if (FAILED(hr))
        return hr;
    RECT client{};
    GetClientRect(view, &client);
    made->page_ = events::CreatePageWindow(made->document_.Get(), layout, view, client);
    if (!made->page_)
        return E_FAIL;
    // Hidden, so that the mouse finds the view (which the form control subclasses), not the page.
    ShowWindow(made->page_, SW_HIDE);
    made->dom_->viewWindow = view;
    made->StartSession();
    *document = std::move(made);
    return S_OK;
}

EditedDocument::~EditedDocument() {
    session_.reset();
    if (dom_) {
        dom_->viewWindow = nullptr;
        dom_->designModeChanged = nullptr;
    }
    if (page_)
        DestroyWindow(page_);
    script_.reset();
}

void EditedDocument::StartSession() {
    session_.reset();
    session_ = std::make_unique<EditingSession>(dom_);
}

bool EditedDocument::Editable() const {
    return !dom::EqualsNoCase(dom_->designMode, u"Off");
}

std::u16string EditedDocument::Html() const {
    return reloadPending_ ? reloadText_ : dom::DocumentHtml(dom_->tree);
}

void EditedDocument::EmptyForReload() {
    if (!reloadPending_)
        reloadText_ = dom::DocumentHtml(dom_->tree);
    reloadPending_ = true;
    session_.reset();
    dom_->tree.RemoveChildren(dom_->tree.Document());
    dom_->readyState = u"loading";
}

HRESULT EditedDocument::FinishReload() {
    if (!reloadPending_)
        return S_FALSE;
    reloadPending_ = false;
    const std::u16string text = std::move(reloadText_);
    reloadText_.clear();
    // The text came out of this tree, so it parses back within the limits it was read in with.
    const dom::ParseError error = dom::ParseHtmlDocument(dom_->tree, text);
    StartSession();
    return error == dom::ParseError::None ? S_OK : E_FAIL;
}

void EditedDocument::SetReadyState(std::u16string_view state) {
    dom_->readyState = std::u16string(state);
    events::EventInit init;
    init.type = u"readystatechange";
    script_->Events().Dispatch(dom_->tree.Document(), init);
}

void EditedDocument::Resize(int width, int height) {
    if (page_)
        MoveWindow(page_, 0, 0, width, height, FALSE);
}

} // namespace qx::html::editing::control
