#include "window_object.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/error_info.h"
#include "winuser_msgbox.h"
#include "winuser_position.h"

namespace qx::html::script {

namespace {

// The caption of the boxes page script shows.
constexpr char16_t kBoxCaption[] = u"Message from webpage";
constexpr std::u16string_view kSource = u"htmlfile";

std::u16string_view ViewOf(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}

HRESULT ReturnText(std::u16string_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = com::Bstr(text).Detach();
    return S_OK;
}

HRESULT ReturnLong(LONG value, LONG* out) {
    return out ? (*out = value, S_OK) : E_POINTER;
}

HRESULT ReturnBool(bool value, VARIANT_BOOL* out) {
    return out ? (*out = value ? VARIANT_TRUE : VARIANT_FALSE, S_OK) : E_POINTER;
}

HRESULT ReturnObject(IDispatch* object, IDispatch** out) {
    if (!out)
        return E_POINTER;
    *out = object;
    if (object)
        object->AddRef();
    return S_OK;
}

template <typename T>
HRESULT MakeOnce(com::ComPtr<IDispatch>& slot, IDispatch** out) {
    if (!slot) {
        com::ObjectPtr<T> made;
        const HRESULT hr = com::CreateObject<T>(made);
        if (FAILED(hr))
            return hr;
        made->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&slot));
    }
    return ReturnObject(slot.Get(), out);
}

HRESULT PageGone() {
    return com::ReportError(IID_IHTMLWindow2, kSource, u"The page is no longer running.", E_UNEXPECTED);
}

// What the browser says of itself. Pages of the old browser's time test appCodeName, platform and
// the language; the names are this browser's own.
class CNavigator : public com::ObjectRoot, public com::UnionDispatchImpl<IOmNavigator> {
public:
    QX_BEGIN_INTERFACES(CNavigator)
    QX_INTERFACE_ENTRY(IOmNavigator)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    STDMETHODIMP get_appCodeName(BSTR* p) override { return ReturnText(u"Mozilla", p); }
    STDMETHODIMP get_appName(BSTR* p) override { return ReturnText(u"QX Page Host", p); }
    STDMETHODIMP get_appVersion(BSTR* p) override { return ReturnText(u"4.0 (compatible; QX Page Host)", p); }
    STDMETHODIMP get_userAgent(BSTR* p) override {
        return ReturnText(u"Mozilla/4.0 (compatible; QX Page Host)", p);
    }
    STDMETHODIMP javaEnabled(VARIANT_BOOL* p) override { return ReturnBool(false, p); }
    STDMETHODIMP taintEnabled(VARIANT_BOOL* p) override { return ReturnBool(false, p); }
    STDMETHODIMP toString(BSTR* p) override { return ReturnText(u"[object]", p); }
    STDMETHODIMP get_cpuClass(BSTR* p) override { return ReturnText(u"x86", p); }
    STDMETHODIMP get_systemLanguage(BSTR* p) override { return ReturnText(u"ko", p); }
    STDMETHODIMP get_browserLanguage(BSTR* p) override { return ReturnText(u"ko", p); }
    STDMETHODIMP get_userLanguage(BSTR* p) override { return ReturnText(u"ko", p); }
    STDMETHODIMP get_platform(BSTR* p) override { return ReturnText(u"Win32", p); }
    STDMETHODIMP get_appMinorVersion(BSTR* p) override { return ReturnText(u"0", p); }
    // No cookies are kept.
    STDMETHODIMP get_cookieEnabled(VARIANT_BOOL* p) override { return ReturnBool(false, p); }
    STDMETHODIMP get_onLine(VARIANT_BOOL* p) override { return ReturnBool(true, p); }
};

// The platform's screen: the whole of it is available (there is no task bar).
class CScreen : public com::ObjectRoot, public com::UnionDispatchImpl<IHTMLScreen> {
public:
    QX_BEGIN_INTERFACES(CScreen)
    QX_INTERFACE_ENTRY(IHTMLScreen)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_END_INTERFACES()

    STDMETHODIMP get_colorDepth(LONG* p) override { return ReturnLong(32, p); }
    STDMETHODIMP put_bufferDepth(LONG v) override {
        bufferDepth_ = v;
        return S_OK;
    }
    STDMETHODIMP get_bufferDepth(LONG* p) override { return ReturnLong(bufferDepth_, p); }
    STDMETHODIMP get_width(LONG* p) override { return ReturnLong(GetSystemMetrics(SM_CXSCREEN), p); }
    STDMETHODIMP get_height(LONG* p) override { return ReturnLong(GetSystemMetrics(SM_CYSCREEN), p); }
    STDMETHODIMP put_updateInterval(LONG v) override {
        updateInterval_ = v;
        return S_OK;
    }
    STDMETHODIMP get_updateInterval(LONG* p) override { return ReturnLong(updateInterval_, p); }
    STDMETHODIMP get_availHeight(LONG* p) override { return get_height(p); }
    STDMETHODIMP get_availWidth(LONG* p) override { return get_width(p); }
    STDMETHODIMP get_fontSmoothingEnabled(VARIANT_BOOL* p) override { return ReturnBool(false, p); }

private:
    LONG bufferDepth_ = 0;
    LONG updateInterval_ = 0;
};

} // namespace

void ShowAlertBox(std::u16string_view text) {
    const std::u16string message(text);
    MessageBoxW(nullptr, message.c_str(), kBoxCaption, MB_OK | MB_ICONWARNING);
}

bool ShowConfirmBox(std::u16string_view text) {
    const std::u16string message(text);
    return MessageBoxW(nullptr, message.c_str(), kBoxCaption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

// The page script's globals as names of the window.
class WindowObject::GlobalNames final : public com::DynamicNames {
public:
    explicit GlobalNames(WindowObject* window) : window_(window) {}

    bool FindName(std::u16string_view name, bool, std::u16string* spelled) override {
        DISPID id;
        if (!Lookup(name, &id))
            return false;
        *spelled = name;
        return true;
    }
    // The script's globals are made by script only.
    HRESULT EnsureName(std::u16string_view) override { return DISP_E_UNKNOWNNAME; }
    HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, IServiceProvider*) override {
        DISPID id;
        if (!Lookup(name, &id))
            return DISP_E_MEMBERNOTFOUND;
        return Script()->Invoke(id, IID_NULL, lcid, flags, params, result, excepInfo, nullptr);
    }
    HRESULT DeleteName(std::u16string_view) override { return S_FALSE; }
    DWORD NameProperties(std::u16string_view) override { return fdexPropCanGet | fdexPropCanPut; }
    void ListNames(std::vector<std::u16string>&) override {}

private:
    IDispatch* Script() const { return window_->dom_ ? window_->dom_->script : nullptr; }
    bool Lookup(std::u16string_view name, DISPID* id) {
        IDispatch* script = Script();
        if (!script)
            return false;
        com::Bstr text(name);
        LPOLESTR names[] = {text.Get()};
        return SUCCEEDED(script->GetIDsOfNames(IID_NULL, names, 1, 0, id));
    }

    WindowObject* window_;
};

WindowObject::WindowObject() : globals_(std::make_unique<GlobalNames>(this)) {
    opener_.vt = VT_NULL;
}

WindowObject::~WindowObject() = default;

void WindowObject::Attach(WindowPage* page, dom::DomPtr dom, com::ComPtr<IHTMLDocument2> document) {
    page_ = page;
    dom_ = std::move(dom);
    document_ = std::move(document);
}

void WindowObject::Detach() {
    page_ = nullptr;
}

com::DynamicNames* WindowObject::FallbackNames() {
    return globals_.get();
}

HRESULT WindowObject::Self(IDispatch** p) {
    return ReturnObject(static_cast<IDispatch*>(static_cast<IDispatchEx*>(this)), p);
}

STDMETHODIMP WindowObject::item(VARIANT*, VARIANT* result) {
    if (result)
        VariantInit(result);
    return com::ReportError(IID_IHTMLWindow2, kSource, u"Invalid argument.", E_INVALIDARG);
}

STDMETHODIMP WindowObject::get_length(LONG* p) {
    return ReturnLong(0, p);
}

STDMETHODIMP WindowObject::get_frames(IDispatch** p) {
    return Self(p);
}

STDMETHODIMP WindowObject::put_defaultStatus(BSTR v) {
    defaultStatus_ = ViewOf(v);
    return S_OK;
}

STDMETHODIMP WindowObject::get_defaultStatus(BSTR* p) {
    return ReturnText(defaultStatus_, p);
}

STDMETHODIMP WindowObject::put_status(BSTR v) {
    status_ = ViewOf(v);
    return S_OK;
}

STDMETHODIMP WindowObject::get_status(BSTR* p) {
    return ReturnText(status_, p);
}

HRESULT WindowObject::Timer(BSTR expression, LONG msec, const VARIANT* language, bool repeat, LONG* id) {
    if (!id)
        return E_POINTER;
    *id = 0;
    if (!page_)
        return PageGone();
    if (language && language->vt == VT_BSTR && SysStringLen(language->bstrVal) &&
        !dom::EqualsNoCase(ViewOf(language->bstrVal), u"JScript") &&
        !dom::EqualsNoCase(ViewOf(language->bstrVal), u"JavaScript"))
        return com::ReportError(IID_IHTMLWindow2, kSource, u"Only JScript runs in this browser.",
                                E_INVALIDARG);
    const com::Variant handler(ViewOf(expression));
    return page_->StartTimer(handler, msec, repeat, id);
}

STDMETHODIMP WindowObject::setTimeout(BSTR expression, LONG msec, VARIANT* language, LONG* id) {
    return Timer(expression, msec, language, false, id);
}

STDMETHODIMP WindowObject::clearTimeout(LONG id) {
    if (page_)
        page_->StopTimer(id);
    return S_OK;
}

STDMETHODIMP WindowObject::alert(BSTR message) {
    ShowAlertBox(ViewOf(message));
    return S_OK;
}

STDMETHODIMP WindowObject::confirm(BSTR message, VARIANT_BOOL* confirmed) {
    if (!confirmed)
        return E_POINTER;
    return ReturnBool(ShowConfirmBox(ViewOf(message)), confirmed);
}

STDMETHODIMP WindowObject::get_location(IDispatch** p) {
    if (!p)
        return E_POINTER;
    *p = nullptr;
    return document_ ? document_->get_location(p) : PageGone();
}

STDMETHODIMP WindowObject::put_opener(VARIANT v) {
    return VariantCopy(&opener_, &v);
}

STDMETHODIMP WindowObject::get_opener(VARIANT* p) {
    if (!p)
        return E_POINTER;
    VariantInit(p);
    return VariantCopy(p, &opener_);
}

STDMETHODIMP WindowObject::get_navigator(IDispatch** p) {
    return MakeOnce<CNavigator>(navigator_, p);
}

STDMETHODIMP WindowObject::put_name(BSTR v) {
    if (dom_)
        dom_->windowName = ViewOf(v);
    return S_OK;
}

STDMETHODIMP WindowObject::get_name(BSTR* p) {
    return ReturnText(dom_ ? std::u16string_view(dom_->windowName) : std::u16string_view(), p);
}

// A page is a top-level window: its parent and top are itself.
STDMETHODIMP WindowObject::get_parent(IDispatch** p) {
    return Self(p);
}

STDMETHODIMP WindowObject::get_self(IDispatch** p) {
    return Self(p);
}

STDMETHODIMP WindowObject::get_top(IDispatch** p) {
    return Self(p);
}

STDMETHODIMP WindowObject::get_window(IDispatch** p) {
    return Self(p);
}

STDMETHODIMP WindowObject::get_document(IDispatch** p) {
    return ReturnObject(document_.Get(), p);
}

STDMETHODIMP WindowObject::get_event(IDispatch** p) {
    if (!p)
        return E_POINTER;
    *p = nullptr;
    if (!page_)
        return PageGone();
    com::Variant event;
    const HRESULT hr = page_->CurrentEvent(&event);
    if (FAILED(hr))
        return hr;
    return event.vt == VT_DISPATCH ? ReturnObject(event.pdispVal, p) : S_OK;
}

STDMETHODIMP WindowObject::get_screen(IDispatch** p) {
    return MakeOnce<CScreen>(screen_, p);
}

STDMETHODIMP WindowObject::get_closed(VARIANT_BOOL* p) {
    return ReturnBool(page_ == nullptr, p);
}

STDMETHODIMP WindowObject::get_clientInformation(IDispatch** p) {
    return get_navigator(p);
}

STDMETHODIMP WindowObject::setInterval(BSTR expression, LONG msec, VARIANT* language, LONG* id) {
    return Timer(expression, msec, language, true, id);
}

STDMETHODIMP WindowObject::clearInterval(LONG id) {
    return clearTimeout(id);
}

// Runs the code in the page's global scope. Only JScript runs: another language fails.
STDMETHODIMP WindowObject::execScript(BSTR code, BSTR language, VARIANT* result) {
    if (result)
        VariantInit(result);
    if (!page_)
        return PageGone();
    const std::u16string_view lang = ViewOf(language);
    if (!lang.empty() && !dom::EqualsNoCase(lang, u"JScript") && !dom::EqualsNoCase(lang, u"JavaScript"))
        return com::ReportError(IID_IHTMLWindow2, kSource, u"Only JScript runs in this browser.",
                                E_INVALIDARG);
    return page_->ExecuteText(ViewOf(code));
}

STDMETHODIMP WindowObject::toString(BSTR* p) {
    return ReturnText(u"[object]", p);
}

// The script's `external`, which whoever hosts the page defines (null without one).
STDMETHODIMP WindowObject::get_external(IDispatch** p) {
    if (!p)
        return E_POINTER;
    *p = nullptr;
    com::Variant external;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const HRESULT hr =
        globals_->InvokeName(u"external", 0, DISPATCH_PROPERTYGET, &none, &external, nullptr, nullptr);
    return SUCCEEDED(hr) && external.vt == VT_DISPATCH ? ReturnObject(external.pdispVal, p) : S_OK;
}

} // namespace qx::html::script
