// The page a browser shows: its document object, its layout, its script, the controls of its
// OBJECT elements, its element behaviours and its ready state.
#pragma once

#include "mshtml.h"
#include "qx/com/comptr.h"
#include "qx/html/behaviors/page_behaviors.h"
#include "qx/html/browser/page_objects.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/layout/page_layout.h"
#include "qx/html/script/page_script.h"

#include <memory>
#include <string>
#include <string_view>

namespace qx::html::browser {

class NavigationPage {
public:
    // Parses the body into a new document at `url` ("loading") with a layout whose images and a
    // script engine whose `<script src>` files are read relative to the address. A body this
    // browser cannot parse gives the parser's failure. The controls of its OBJECT elements get
    // their windows in `window`, or, when `inDocumentWindow`, in the page's document window
    // (ShowInWindow) made at once in `window`.
    static HRESULT Open(std::string_view body, std::u16string url, HWND window, bool inDocumentWindow,
                        std::unique_ptr<NavigationPage>* page);
    ~NavigationPage();
    NavigationPage(const NavigationPage&) = delete;
    NavigationPage& operator=(const NavigationPage&) = delete;

    IHTMLDocument2* Document() const { return document_.Get(); }
    // Shows the page in a document window (CreatePageWindow) filling the client area of `parent`:
    // mouse and key messages become the page's events, the layout's viewport is the window's
    // client size. Nothing when it has one.
    HRESULT ShowInWindow(HWND parent);
    // Fits the document window to its parent's client area again (the parent was resized).
    void FitWindow();
    // Destroys the document window; the layout keeps the viewport it had.
    void CloseWindow();
    HWND DocumentWindow() const { return documentWindow_; }
    const dom::DomPtr& Dom() const { return dom_; }
    const std::u16string& Url() const { return url_; }
    // The document's title ("" when it has none).
    std::u16string Title() const;

    // What the page's script sees as window.external (null: nothing), defined at once.
    void SetExternal(IDispatch* external);
    // Sets document.readyState and tells the document's readystatechange handlers.
    void SetReadyState(std::u16string_view state);
    // Creates the OBJECT elements' controls, attaches the behaviours the styles name (a
    // "#id#name" one from that OBJECT's control), then runs the page's blocks.
    void RunScripts();
    // Document ready for the behaviours, then the BODY's load event (its onload), then the
    // window's load for its connection points' sinks.
    void FireLoad();
    // The document's content replaced in place (its IPersistStreamInit): the controls of the old
    // content close, the new content is parsed ("loading"; none: an empty document) and gets
    // controls of its own when its scripts run. The document object, its events and sinks and the
    // script engine stay.
    HRESULT ReplaceContent(const dom::DocumentBytes* source);
    int ScriptErrorCount() const { return script_ ? script_->ErrorCount() : 0; }

private:
    NavigationPage() = default;
    HRESULT OpenObjects();

    std::u16string url_;
    com::ComPtr<IHTMLDocument2> document_;
    dom::DomPtr dom_;
    std::unique_ptr<script::PageScript> script_;
    HWND window_ = nullptr;         // where the controls' windows go
    HWND documentWindow_ = nullptr; // the document window, while the page is shown in one
    layout::PageLayout* layout_ = nullptr;
    std::shared_ptr<PageObjects> objects_;                // closed before the script ends
    std::unique_ptr<behaviors::PageBehaviors> behaviors_; // detached before the controls close
};

} // namespace qx::html::browser
