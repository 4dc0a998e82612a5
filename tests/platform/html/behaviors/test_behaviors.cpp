#include "test_behaviors.h"

#include "qx/com/bstr.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "qx/com/variant.h"

namespace qx::test {
namespace {

std::u16string_view View(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}

std::u16string Decimal(long value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

class CTestBehavior : public com::ObjectRoot,
                      public com::DispatchImpl<ITestBehavior>,
                      public IElementBehavior {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CTestBehavior)
    QX_INTERFACE_ENTRY(ITestBehavior)
    QX_INTERFACE_ENTRY2(IDispatch, ITestBehavior)
    QX_INTERFACE_ENTRY(IElementBehavior)
    QX_END_INTERFACES()

    void Start(std::shared_ptr<std::u16string> log, std::u16string name) {
        log_ = std::move(log);
        name_ = std::move(name);
    }

    // IElementBehavior
    STDMETHODIMP Init(IElementBehaviorSite* site) override {
        *log_ += u"init;";
        if (name_ == u"refusing")
            return E_FAIL;
        site_ = site;
        om_ = com::ComPtr<IElementBehaviorSiteOM>::QueryFrom(site);
        if (name_ == u"keeper")
            om_->RegisterName(const_cast<LPOLESTR>(u"keeper"));
        return S_OK;
    }
    STDMETHODIMP Notify(LONG event, VARIANT*) override {
        // The element is there from content ready on.
        com::ComPtr<IHTMLElement> element;
        com::Bstr tag;
        if (site_ && SUCCEEDED(site_->GetElement(&element)))
            element->get_tagName(&tag);
        *log_ += u"notify " + Decimal(event) + u" " + std::u16string(tag.View()) + u";";
        return name_ == u"failing" ? E_FAIL : S_OK;
    }
    STDMETHODIMP Detach() override {
        *log_ += u"detach;";
        if (name_ != u"keeper") {
            site_ = nullptr;
            om_ = nullptr;
        }
        return S_OK;
    }

    // ITestBehavior
    STDMETHODIMP get_title(BSTR* p) override {
        if (!p)
            return E_POINTER;
        *p = com::Bstr(title_).Detach();
        return S_OK;
    }
    STDMETHODIMP put_title(BSTR v) override {
        title_ = View(v);
        return S_OK;
    }
    // Registers the name (flags as given, less 0x100) and fires it with "param" when given and
    // "type" when flags has 0x100.
    STDMETHODIMP fire(BSTR name, LONG flags, VARIANT param, LONG* cookie) override {
        if (!cookie)
            return E_POINTER;
        if (!om_)
            return E_UNEXPECTED;
        HRESULT hr = om_->RegisterEvent(name, flags & ~0x100, cookie);
        com::ComPtr<IHTMLEventObj> event;
        if (SUCCEEDED(hr))
            hr = om_->CreateEventObject(&event);
        com::ComPtr<IHTMLEventObj2> attributes = com::ComPtr<IHTMLEventObj2>::QueryFrom(event.Get());
        if (SUCCEEDED(hr) && param.vt != VT_EMPTY && param.vt != VT_ERROR)
            hr = attributes->setAttribute(com::Bstr(u"param").Get(), param, 1);
        if (SUCCEEDED(hr) && (flags & 0x100))
            hr = attributes->setAttribute(com::Bstr(u"type").Get(), com::Variant(View(name)), 1);
        if (SUCCEEDED(hr))
            hr = om_->FireEvent(*cookie, event.Get());
        return hr;
    }
    STDMETHODIMP get_calls(BSTR* p) override {
        if (!p)
            return E_POINTER;
        *p = com::Bstr(*log_).Detach();
        return S_OK;
    }
    // What the site answers now.
    STDMETHODIMP probe(LONG* hr) override {
        if (!hr)
            return E_POINTER;
        com::ComPtr<IHTMLElement> element;
        *hr = site_ ? site_->GetElement(&element) : E_POINTER;
        if (om_) {
            LONG cookie = 0;
            const HRESULT fired = om_->FireEvent(1, nullptr);
            if (fired != *hr)
                *hr = fired;
            om_->GetEventCookie(const_cast<LPOLESTR>(u"x"), &cookie);
        }
        return S_OK;
    }

private:
    std::shared_ptr<std::u16string> log_;
    std::u16string name_, title_;
    com::ComPtr<IElementBehaviorSite> site_;
    com::ComPtr<IElementBehaviorSiteOM> om_;
};

class CTestFactory : public com::ObjectRoot,
                     public com::DispatchImpl<ITestFactory>,
                     public IElementBehaviorFactory {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CTestFactory)
    QX_INTERFACE_ENTRY(ITestFactory)
    QX_INTERFACE_ENTRY2(IDispatch, ITestFactory)
    QX_INTERFACE_ENTRY(IElementBehaviorFactory)
    QX_END_INTERFACES()

    void Start(std::shared_ptr<std::u16string> log) { log_ = std::move(log); }

    STDMETHODIMP FindBehavior(BSTR name, BSTR url, IElementBehaviorSite* site,
                              IElementBehavior** behavior) override {
        if (!behavior || !site)
            return E_POINTER;
        const std::u16string n(View(name));
        *log_ += u"find " + n + u" " + std::u16string(View(url)) + u";";
        if (n == u"none")
            return S_OK;
        com::ObjectPtr<CTestBehavior> made;
        const HRESULT hr = com::CreateObject<CTestBehavior>(made);
        if (FAILED(hr))
            return hr;
        made->Start(log_, n);
        return made->QueryInterface(IID_IElementBehavior, reinterpret_cast<void**>(behavior));
    }
    STDMETHODIMP get_calls(BSTR* p) override {
        if (!p)
            return E_POINTER;
        *p = com::Bstr(*log_).Detach();
        return S_OK;
    }

private:
    std::shared_ptr<std::u16string> log_;
};

} // namespace

HRESULT CreateTestBehaviorFactory(std::shared_ptr<std::u16string> log, IDispatch** factory) {
    com::ObjectPtr<CTestFactory> made;
    const HRESULT hr = com::CreateObject<CTestFactory>(made);
    if (FAILED(hr))
        return hr;
    made->Start(std::move(log));
    return made->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(factory));
}

} // namespace qx::test
