// The page's window as components see it (IHTMLWindow2, through document.parentWindow), with its
// navigator and screen. Its own members are the window's; any other name is one of the page
// script's globals (a component calls a page function through the window as through
// document.Script).
#pragma once

#include "mshtml.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"
#include "qx/com/union_dispatch.h"
#include "qx/com/variant.h"
#include "qx/html/dom/html_document.h"

#include <memory>
#include <string>

namespace qx::html::script {

// What the window asks of the page that runs it.
class WindowPage {
public:
    virtual HRESULT CurrentEvent(VARIANT* event) = 0;
    // A timer running text (or a function) after `delay` milliseconds; its id in *id.
    virtual HRESULT StartTimer(const VARIANT& handler, double delay, bool repeat, LONG* id) = 0;
    virtual void StopTimer(LONG id) = 0;
    // Runs script text as a block of the page in the global scope; the error, reported as the
    // page reports errors, comes back as a failure with its message.
    virtual HRESULT ExecuteText(std::u16string_view code) = 0;
    // The window's connection points (HTMLWindowEvents); no reference taken.
    virtual IConnectionPointContainer* ConnectionPoints() = 0;

protected:
    ~WindowPage() = default;
};

// A box of page script ("Message from webpage"): alert's, and confirm's answer.
void ShowAlertBox(std::u16string_view text);
bool ShowConfirmBox(std::u16string_view text);

class WindowObject : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLWindow2> {
public:
    QX_BEGIN_INTERFACES(WindowObject)
    QX_INTERFACE_ENTRY(IHTMLWindow2)
    QX_INTERFACE_ENTRY2(IHTMLFramesCollection2, IHTMLWindow2)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    WindowObject();
    ~WindowObject();
    void Attach(WindowPage* page, dom::DomPtr dom, com::ComPtr<IHTMLDocument2> document);
    // The page is going: members that need it fail from now on.
    void Detach();
    // The window's connection points are the page's events' (none once the page has gone).
    void* QueryOtherInterface(REFIID riid) {
        if (!IsEqualIID(riid, IID_IConnectionPointContainer) || !page_)
            return nullptr;
        return page_->ConnectionPoints();
    }

    // IHTMLFramesCollection2: a page of this browser has no frames.
    STDMETHODIMP item(VARIANT* index, VARIANT* result) override;
    STDMETHODIMP get_length(LONG* p) override;
    // IHTMLWindow2
    STDMETHODIMP get_frames(IDispatch** p) override;
    STDMETHODIMP put_defaultStatus(BSTR v) override;
    STDMETHODIMP get_defaultStatus(BSTR* p) override;
    STDMETHODIMP put_status(BSTR v) override;
    STDMETHODIMP get_status(BSTR* p) override;
    STDMETHODIMP setTimeout(BSTR expression, LONG msec, VARIANT* language, LONG* id) override;
    STDMETHODIMP clearTimeout(LONG id) override;
    STDMETHODIMP alert(BSTR message) override;
    STDMETHODIMP confirm(BSTR message, VARIANT_BOOL* confirmed) override;
    STDMETHODIMP get_location(IDispatch** p) override;
    STDMETHODIMP put_opener(VARIANT v) override;
    STDMETHODIMP get_opener(VARIANT* p) override;
    STDMETHODIMP get_navigator(IDispatch** p) override;
    STDMETHODIMP put_name(BSTR v) override;
    STDMETHODIMP get_name(BSTR* p) override;
    STDMETHODIMP get_parent(IDispatch** p) override;
    STDMETHODIMP get_self(IDispatch** p) override;
    STDMETHODIMP get_top(IDispatch** p) override;
    STDMETHODIMP get_window(IDispatch** p) override;
    STDMETHODIMP get_document(IDispatch** p) override;
    STDMETHODIMP get_event(IDispatch** p) override;
    STDMETHODIMP get_screen(IDispatch** p) override;
    STDMETHODIMP get_closed(VARIANT_BOOL* p) override;
    STDMETHODIMP get_clientInformation(IDispatch** p) override;
    STDMETHODIMP setInterval(BSTR expression, LONG msec, VARIANT* language, LONG* id) override;
    STDMETHODIMP clearInterval(LONG id) override;
    STDMETHODIMP execScript(BSTR code, BSTR language, VARIANT* result) override;
    STDMETHODIMP toString(BSTR* p) override;
    STDMETHODIMP get_external(IDispatch** p) override;

protected:
    com::DynamicNames* FallbackNames() override;

private:
    class GlobalNames;
    HRESULT Self(IDispatch** p);
    HRESULT Timer(BSTR expression, LONG msec, const VARIANT* language, bool repeat, LONG* id);

    WindowPage* page_ = nullptr;
    dom::DomPtr dom_;
    com::ComPtr<IHTMLDocument2> document_;
    com::ComPtr<IDispatch> navigator_, screen_; // made on first use
    std::u16string status_, defaultStatus_;
    com::Variant opener_;
    std::unique_ptr<GlobalNames> globals_;
};

} // namespace qx::html::script
