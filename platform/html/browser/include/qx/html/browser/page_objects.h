// A page's OBJECT elements and the controls hosted in them: created by `classid="clsid:..."`
// through COM activation, asked whether they are safe for initialisation and for scripting,
// loaded from their PARAMs (as text), in-place activated into a child window of the page's window
// at the element's layout box, reached from script through the element, their events delivered
// to `<script for event>` blocks and attachEvent handlers.
#pragma once

#include "qx/com/comptr.h"
#include "qx/com/control/control_host.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/events/page_events.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace qx::html::browser {

struct PageObjectsOptions {
    HWND pageWindow = nullptr; // the parent of the controls' windows
    // The element's box in the page window's client area; without one, its width and height
    // attributes at the window's corner.
    std::function<RECT(dom::Node* element)> layoutBox;
    events::PageEvents* events = nullptr; // where the controls' events go; none: nowhere
    // Hears what the page is told as a script error (a control that refused to be scripted).
    std::function<void(std::string_view messageUtf8)> reportError;
    // What a control's site gives as its container (IOleClientSite::GetContainer).
    com::ComPtr<IUnknown> container;
};

class PageObjects final : public dom::HostedObjects {
public:
    // Hosts the document's controls from now on (the document's objects ask this one, through a
    // link that does not keep it alive: the page keeps the one pointer that does).
    static HRESULT Open(IHTMLDocument2* document, PageObjectsOptions options,
                        std::shared_ptr<PageObjects>* objects);
    ~PageObjects() override;
    PageObjects(const PageObjects&) = delete;
    PageObjects& operator=(const PageObjects&) = delete;

    // Creates the controls of the OBJECT elements that have none yet, in document order.
    void CreateControls();
    // Moves every control to its element's box again (after layout changed).
    void PlaceControls();
    // Closes every control and leaves the document: controls held elsewhere keep nothing of the page.
    void Close();

    // The host of an element's control (null when it has none), for the page and tests.
    com::control::ControlHost* HostOf(dom::Node* element) const;
    HRESULT ScriptableControl(dom::Node* element, IDispatch** control) override;

private:
    PageObjects(dom::DomPtr dom, PageObjectsOptions options);
    void CreateControl(dom::Node* element);
    RECT BoxOf(dom::Node* element) const;
    void Report(std::string_view message) const;

    struct Hosted {
        dom::Node* element; // held while hosted
        std::unique_ptr<com::control::ControlHost> host;
        bool scriptable = false;
    };
    dom::DomPtr dom_;
    PageObjectsOptions options_;
    std::vector<Hosted> hosted_;
    std::vector<dom::Node*> tried_;            // elements already given their chance (held)
    std::shared_ptr<dom::HostedObjects> link_; // what the document holds
    bool closed_ = false;
};

// Whether a control is safe for iid (IObjectSafety with the option, or without it the class's
// registered component category); a control that says so has the option enabled.
bool ControlIsSafe(IUnknown* control, REFCLSID clsid, REFIID iid, DWORD option, REFGUID category);

} // namespace qx::html::browser
