// The page a browser shows: its document object, its layout, its script, the controls of its
// OBJECT elements, its element behaviours and its ready state.
#pragma once

#include "mshtml.h"
#include "qx/com/comptr.h"
#include "qx/html/behaviors/page_behaviors.h"
#include "qx/html/browser/page_objects.h"
#include "qx/html/dom/html_document.h"
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
    // their windows in `window`.
    static HRESULT Open(std::string_view body, std::u16string url, HWND window,
                        std::unique_ptr<NavigationPage>* page);
    ~NavigationPage();
    NavigationPage(const NavigationPage&) = delete;
    NavigationPage& operator=(const NavigationPage&) = delete;

    IHTMLDocument2* Document() const { return document_.Get(); }
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
    int ScriptErrorCount() const { return script_ ? script_->ErrorCount() : 0; }

private:
    NavigationPage() = default;

    std::u16string url_;
    com::ComPtr<IHTMLDocument2> document_;
    dom::DomPtr dom_;
    std::unique_ptr<script::PageScript> script_;
    std::shared_ptr<PageObjects> objects_;                // closed before the script ends
    std::unique_ptr<behaviors::PageBehaviors> behaviors_; // detached before the controls close
};

} // namespace qx::html::browser
