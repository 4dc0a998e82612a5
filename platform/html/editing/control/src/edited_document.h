// The document the editing control holds: parsed from its text, laid out, with a script window
// (for `parentWindow` and `window.event`; its blocks never run), the page window that turns the
// view's messages into DOM events, and the design-mode editing session over it.
#pragma once

#include "mshtml.h"
#include "qx/com/comptr.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/editing/editing_session.h"
#include "qx/html/layout/page_layout.h"
#include "qx/html/script/page_script.h"

#include <memory>
#include <string>
#include <string_view>

namespace qx::html::editing::control {

class EditedDocument {
public:
    // Parses the text into a new document ("loading") shown in the view window. A text past the
    // parser's limits gives its failure, with the error information saying which.
    static HRESULT Open(std::u16string_view html, HWND view, std::unique_ptr<EditedDocument>* document);
    ~EditedDocument();
    EditedDocument(const EditedDocument&) = delete;
    EditedDocument& operator=(const EditedDocument&) = delete;

    IHTMLDocument2* Document() const { return document_.Get(); }
    dom::DomDocument& Dom() const { return *dom_; }
    EditingSession& Session() const { return *session_; }
    // The hidden page window under the view: the view hands it every input message first.
    HWND PageWindow() const { return page_; }
    // Whether the view's input edits the document ("Off" only browses).
    bool Editable() const;
    // The document as text, doctype first.
    std::u16string Html() const;

    // A designMode put reloads the document: its content goes (no BODY) until FinishReload parses
    // it back into the same document.
    void EmptyForReload();
    bool ReloadPending() const { return reloadPending_; }
    HRESULT FinishReload();
    void SetReadyState(std::u16string_view state);

    // The page window follows the view's client size.
    void Resize(int width, int height);

private:
    EditedDocument() = default;
    void StartSession();

    com::ComPtr<IHTMLDocument2> document_;
    dom::DomPtr dom_;
    std::unique_ptr<script::PageScript> script_;
    HWND page_ = nullptr;
    std::unique_ptr<EditingSession> session_;
    std::u16string reloadText_;
    bool reloadPending_ = false;
};

} // namespace qx::html::editing::control
