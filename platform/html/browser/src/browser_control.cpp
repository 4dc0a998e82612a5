#include "browser_control.h"

#include "print_job.h"

#include "processthreadsapi.h"
#include "qx/activation/platform_class.h"
#include "qx/com/bstr.h"
#include "qx/win32/ui_driver.h"
#include "winuser_message.h"
#include "winuser_position.h"
#include "winuser_window.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>

namespace qx::html::browser {
namespace {

// Where a shown page's `location` and form submissions go: the browser that shows it. The page
// drops it when it goes, so the browser it names is alive whenever it is called.
class BrowserNavigation final : public dom::DocumentNavigation {
public:
    explicit BrowserNavigation(BrowserControl* browser) : browser_(browser) {}
    HRESULT Navigate(std::u16string_view url, std::string_view postData, bool) override {
        if (!postData.empty())
            return Post(url, postData, "application/x-www-form-urlencoded");
        return browser_->Navigate(com::Bstr(std::u16string(url)).Get(), nullptr, nullptr, nullptr, nullptr);
    }
    HRESULT Post(std::u16string_view url, std::string_view body, std::string_view contentType) override {
        return browser_->Post(url, body, contentType);
    }
    HRESULT Reload() override { return browser_->Refresh(); }
    HRESULT ReplaceContent(dom::DomDocument& dom, const dom::DocumentBytes* source) override {
        return browser_->ReplaceContent(dom, source);
    }

private:
    BrowserControl* browser_;
};

constexpr char16_t kWindowClass[] = u"Shell Embedding";
// Posted to the browser's window: wParam is the navigation it belongs to.
constexpr UINT kBlankArrived = WM_APP + 0x51;
constexpr UINT kCompleteNavigation = WM_APP + 0x52;
constexpr UINT kContentLoaded = WM_APP + 0x53; // the document's content was loaded in place

constexpr HRESULT kNotSupported = static_cast<HRESULT>(0x80040100); // OLECMDERR_E_NOTSUPPORTED
constexpr HRESULT kDisabled = static_cast<HRESULT>(0x80040101);     // OLECMDERR_E_DISABLED

bool RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW klass{};
        klass.cbSize = sizeof klass;
        klass.lpfnWndProc = &DefWindowProcW;
        klass.lpszClassName = kWindowClass;
        return RegisterClassExW(&klass) != 0;
    }();
    return registered;
}

HRESULT ReturnText(std::u16string_view text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = com::Bstr(text).Detach();
    return S_OK;
}

HRESULT ReturnBool(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// The text of an optional VARIANT argument ("" when missing or not text).
std::u16string OptionalText(const VARIANT* value) {
    if (value && value->vt == (VT_BYREF | VT_VARIANT))
        value = value->pvarVal;
    if (!value || value->vt != VT_BSTR || !value->bstrVal)
        return {};
    return {value->bstrVal, SysStringLen(value->bstrVal)};
}

LONG OptionalFlags(const VARIANT* value) {
    if (value && value->vt == (VT_BYREF | VT_VARIANT))
        value = value->pvarVal;
    if (!value || value->vt == VT_EMPTY || value->vt == VT_ERROR || value->vt == VT_NULL)
        return 0;
    com::Variant number;
    return SUCCEEDED(number.ChangeType(VT_I4, value)) ? number.lVal : 0;
}

// The bytes of a PostData argument: none for a missing or empty VARIANT; E_INVALIDARG for
// anything but a one-dimensional array of bytes.
HRESULT ReadPostData(const VARIANT* data, const VARIANT* headers, std::optional<PostData>* post) {
    if (data && data->vt == (VT_BYREF | VT_VARIANT))
        data = data->pvarVal;
    if (!data || data->vt == VT_EMPTY || data->vt == VT_ERROR || data->vt == VT_NULL)
        return S_OK;
    SAFEARRAY* array = nullptr;
    if (data->vt == (VT_ARRAY | VT_UI1))
        array = data->parray;
    else if (data->vt == (VT_BYREF | VT_ARRAY | VT_UI1) && data->pparray)
        array = *data->pparray;
    else
        return E_INVALIDARG;
    if (!array || SafeArrayGetDim(array) != 1)
        return E_INVALIDARG;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    void* bytes = nullptr;
    if (FAILED(SafeArrayAccessData(array, &bytes)))
        return E_INVALIDARG;
    PostData made;
    if (upper >= lower)
        made.body.assign(static_cast<const char*>(bytes), static_cast<std::size_t>(upper - lower + 1));
    SafeArrayUnaccessData(array);
    made.headers = OptionalText(headers);
    *post = std::move(made);
    return S_OK;
}

// What BeforeNavigate2 shows of a POST: its body as an array of bytes (VT_EMPTY without one).
com::Variant PostDataValue(const PostData* post) {
    com::Variant value;
    if (!post)
        return value;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(post->body.size()));
    void* bytes = nullptr;
    if (!array || FAILED(SafeArrayAccessData(array, &bytes)))
        return value;
    if (!post->body.empty())
        std::memcpy(bytes, post->body.data(), post->body.size());
    SafeArrayUnaccessData(array);
    value.vt = VT_ARRAY | VT_UI1;
    value.parray = array;
    return value;
}

constexpr activation::PlatformClassName kNames[] = {
    {&CLSID_WebBrowser, u"Shell.Explorer"},
    {&CLSID_WebBrowser, u"Shell.Explorer.2"},
};

HRESULT GetWebBrowserClassObject(REFIID riid, void** ppv) {
    return com::CreateClassFactory(&CreateWebBrowser, riid, ppv);
}

activation::PlatformClassRegistration& Registration() {
    static activation::PlatformClassRegistration registration(kNames, std::size(kNames),
                                                              GetWebBrowserClassObject);
    return registration;
}

// Which browser shows which document; no references held (a browser takes itself out as its page
// goes).
std::mutex g_shownLock;
std::map<const dom::DomDocument*, BrowserControl*> g_shown;

} // namespace

HRESULT BrowserOfDocument(const dom::DomDocument* document, IWebBrowser2** browser) {
    if (!browser)
        return E_POINTER;
    *browser = nullptr;
    std::lock_guard guard(g_shownLock);
    const auto found = g_shown.find(document);
    if (found == g_shown.end())
        return E_FAIL;
    *browser = found->second;
    (*browser)->AddRef();
    return S_OK;
}

void BrowserControl::ShowPage(std::unique_ptr<NavigationPage> page) {
    {
        std::lock_guard guard(g_shownLock);
        if (page_)
            g_shown.erase(page_->Dom().get());
        if (page)
            g_shown[page->Dom().get()] = this;
    }
    page_ = std::move(page);
}

HRESULT CreateWebBrowser(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateInstance<BrowserControl>(outer, riid, ppv);
}

HRESULT RegisterWebBrowserClass() {
    return Registration().Register();
}

void RevokeWebBrowserClass() {
    Registration().Revoke();
}

HRESULT BrowserControl::FinalConstruct() {
    if (!RegisterWindowClass())
        return E_FAIL;
    window_ = CreateWindowExW(0, kWindowClass, u"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 300, 150, nullptr,
                              nullptr, nullptr, nullptr);
    if (!window_)
        return E_FAIL;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BrowserControl::WindowProc));
    return S_OK;
}

void BrowserControl::FinalRelease() {
    StopLoading();
    ShowPage(nullptr);
    external_ = nullptr;
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

LRESULT CALLBACK BrowserControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<BrowserControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_SIZE && self->page_)
        self->page_->FitWindow();
    if (self && (message == kBlankArrived || message == kCompleteNavigation || message == kContentLoaded)) {
        // The browser lives through the step even when a sink lets go of it.
        com::ComPtr<IWebBrowser2> alive(self);
        if (message == kBlankArrived)
            self->Arrived(static_cast<unsigned>(wParam), S_OK, {});
        else if (message == kContentLoaded)
            self->Interactive(static_cast<unsigned>(wParam));
        else
            self->Complete(static_cast<unsigned>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

com::Variant BrowserControl::Address() const {
    return com::Variant(com::Bstr(locationUrl_));
}

HRESULT BrowserControl::Post(std::u16string_view url, std::string_view body, std::string_view contentType) {
    const PostData post{std::string(body), u"Content-Type: " + com::Utf8ToUtf16(contentType) + u"\r\n"};
    return Go(std::u16string(url), 0, {}, &post);
}

HRESULT BrowserControl::Go(const std::u16string& requested, LONG flags, const std::u16string& target,
                           const PostData* post) {
    const std::u16string url = CanonicalAddress(requested);
    if (flags & navOpenInNewWindow) {
        const win32::BrowserWindowRequest request{com::Utf16ToUtf8(url), com::Utf16ToUtf8(target),
                                                  GetCurrentThreadId()};
        if (win32::UiDriver* driver = win32::GetUiDriver())
            driver->OpenBrowserWindow(request);
        else
            std::fprintf(stderr, "Navigate \"%s\" -> a new window (not opened)\n", request.url.c_str());
        return S_OK;
    }
    com::ComPtr<IWebBrowser2> alive(this);
    com::Variant address{com::Bstr(url)}, flagValue(flags), targetValue{com::Bstr(target)};
    com::Variant postValue = PostDataValue(post);
    com::Variant headers{com::Bstr(post ? post->headers : std::u16string())};
    VARIANT_BOOL cancel = VARIANT_FALSE;
    events_.Fire_BeforeNavigate2(this, &address, &flagValue, &targetValue, &postValue, &headers, &cancel);
    if (cancel)
        return S_OK;
    StopLoading();
    const unsigned navigation = ++navigation_;
    pendingUrl_ = url;
    readyState_ = READYSTATE_LOADING;
    busy_ = true;
    failed_ = false;
    events_.Fire_DownloadBegin();
    if (navigation != navigation_)
        return S_OK; // a sink navigated elsewhere
    if (IsBlankAddress(url)) {
        PostMessageW(window_, kBlankArrived, navigation, 0);
        return S_OK;
    }
    const HRESULT started = NavigationRequest::Start(
        url, post,
        [this, navigation](HRESULT result, std::string body) {
            Arrived(navigation, result, std::move(body));
        },
        &request_);
    if (FAILED(started))
        Arrived(navigation, started, {});
    return S_OK;
}

void BrowserControl::Arrived(unsigned navigation, HRESULT result, std::string body) {
    if (navigation != navigation_)
        return;
    com::ComPtr<IWebBrowser2> alive(this);
    // The request stays until the download's own call has returned.
    std::unique_ptr<NavigationRequest> finished = std::move(request_);
    const std::u16string url = pendingUrl_;
    if (FAILED(result)) {
        failed_ = true;
        com::Variant address{com::Bstr(url)}, frame, status(static_cast<LONG>(result));
        VARIANT_BOOL cancel = VARIANT_FALSE;
        events_.Fire_NavigateError(this, &address, &frame, &status, &cancel);
        if (navigation != navigation_)
            return;
        body.clear();
    }
    std::unique_ptr<NavigationPage> page;
    // An embedded browser (its window a child of its site's) shows the page in a document window.
    const bool embedded = GetParent(window_) != nullptr;
    if (FAILED(NavigationPage::Open(body, url, window_, embedded, &page))) {
        failed_ = true;
        if (FAILED(NavigationPage::Open({}, url, window_, embedded, &page)))
            return;
    }
    page->Dom()->navigation = std::make_shared<BrowserNavigation>(this);
    ShowPage(std::move(page));
    locationUrl_ = url;
    if (external_)
        page_->SetExternal(external_.Get());
    com::Variant address = Address();
    events_.Fire_NavigateComplete2(this, &address);
    Interactive(navigation);
}

void BrowserControl::Interactive(unsigned navigation) {
    if (navigation != navigation_ || !page_)
        return;
    readyState_ = READYSTATE_INTERACTIVE;
    page_->SetReadyState(u"interactive");
    if (navigation != navigation_ || !page_)
        return;
    page_->RunScripts();
    if (navigation == navigation_ && window_)
        PostMessageW(window_, kCompleteNavigation, navigation, 0);
}

void BrowserControl::Complete(unsigned navigation) {
    if (navigation != navigation_ || !page_)
        return;
    readyState_ = READYSTATE_COMPLETE;
    busy_ = false;
    page_->SetReadyState(u"complete");
    if (navigation != navigation_ || !page_)
        return;
    page_->FireLoad();
    if (navigation != navigation_ || !page_)
        return;
    events_.Fire_DownloadComplete();
    com::ComPtr<IDispatch> document(page_->Document());
    com::Variant address = Address();
    events_.Fire_DocumentComplete(this, &address);
}

HRESULT BrowserControl::ReplaceContent(dom::DomDocument& dom, const dom::DocumentBytes* source) {
    if (!page_ || page_->Dom().get() != &dom)
        return dom::ReplaceDocumentContent(dom, source);
    com::ComPtr<IWebBrowser2> alive(this);
    // What was loading is dropped without completing: the document's sinks hear only the new load.
    request_.reset();
    const unsigned navigation = ++navigation_;
    const HRESULT hr = page_->ReplaceContent(source);
    if (!source || FAILED(hr)) {
        busy_ = false;
        readyState_ = READYSTATE_COMPLETE;
        dom.readyState = u"complete";
        return hr;
    }
    busy_ = true;
    failed_ = false;
    readyState_ = READYSTATE_LOADING;
    dom.readyState = u"loading";
    PostMessageW(window_, kContentLoaded, navigation, 0);
    return S_OK;
}

void BrowserControl::StopLoading() {
    if (request_) {
        request_.reset();
        ++navigation_; // its steps are dropped
        busy_ = false;
        readyState_ = page_ ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
    } else if (busy_) {
        ++navigation_;
        busy_ = false;
        readyState_ = page_ ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
        if (page_)
            page_->SetReadyState(u"complete");
    }
}

HRESULT BrowserControl::SetExternal(IDispatch* external) {
    external_ = external;
    if (page_)
        page_->SetExternal(external);
    return S_OK;
}

// Navigation.

HRESULT BrowserControl::Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* postData,
                                 VARIANT* headers) {
    com::Variant url{com::Bstr(URL ? std::u16string_view(URL, SysStringLen(URL)) : std::u16string_view())};
    return Navigate2(&url, Flags, TargetFrameName, postData, headers);
}

// PostData is an array of bytes (VT_ARRAY | VT_UI1, perhaps by reference); with one, the address
// is sent a POST with the bytes as its body and Headers' lines.
HRESULT BrowserControl::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* postData,
                                  VARIANT* headers) {
    if (!URL)
        return E_INVALIDARG;
    const VARIANT* value = URL->vt == (VT_BYREF | VT_VARIANT) ? URL->pvarVal : URL;
    if (!value || value->vt != VT_BSTR)
        return E_INVALIDARG;
    std::optional<PostData> post;
    const HRESULT hr = ReadPostData(postData, headers, &post);
    if (FAILED(hr))
        return hr;
    return Go(OptionalText(value), OptionalFlags(Flags), OptionalText(TargetFrameName),
              post ? &*post : nullptr);
}

HRESULT BrowserControl::Refresh() {
    return Go(locationUrl_.empty() ? std::u16string(u"about:blank") : locationUrl_, 0, {});
}

HRESULT BrowserControl::Refresh2(VARIANT*) {
    return Refresh();
}

HRESULT BrowserControl::Stop() {
    StopLoading();
    return S_OK;
}

// The control keeps no history: there is nothing to go back or forward to.
HRESULT BrowserControl::GoBack() {
    return E_FAIL;
}

HRESULT BrowserControl::GoForward() {
    return E_FAIL;
}

// The home and search pages of a browser without settings are the empty page.
HRESULT BrowserControl::GoHome() {
    return Go(u"about:blank", 0, {});
}

HRESULT BrowserControl::GoSearch() {
    return Go(u"about:blank", 0, {});
}

// What the browser shows.

HRESULT BrowserControl::get_Document(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!page_)
        return S_OK;
    return page_->Document()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

HRESULT BrowserControl::get_ReadyState(READYSTATE* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = readyState_;
    return S_OK;
}

HRESULT BrowserControl::get_Busy(VARIANT_BOOL* pVal) {
    return ReturnBool(busy_, pVal);
}

HRESULT BrowserControl::get_LocationURL(BSTR* pVal) {
    return ReturnText(locationUrl_, pVal);
}

HRESULT BrowserControl::get_LocationName(BSTR* pVal) {
    if (!page_)
        return ReturnText(locationUrl_, pVal);
    const std::u16string title = page_->Title();
    return ReturnText(title.empty() ? locationUrl_ : title, pVal);
}

HRESULT BrowserControl::get_Type(BSTR* pVal) {
    return ReturnText(page_ ? u"HTML Document" : u"", pVal);
}

// Commands.

HRESULT BrowserControl::QueryStatusWB(OLECMDID cmdID, OLECMDF* pcmdf) {
    if (!pcmdf)
        return E_POINTER;
    switch (cmdID) {
    case OLECMDID_PRINT:
    case OLECMDID_REFRESH:
        *pcmdf = static_cast<OLECMDF>(OLECMDF_SUPPORTED | (page_ ? OLECMDF_ENABLED : 0));
        return S_OK;
    case OLECMDID_STOP:
        *pcmdf = static_cast<OLECMDF>(OLECMDF_SUPPORTED | (busy_ ? OLECMDF_ENABLED : 0));
        return S_OK;
    default:
        *pcmdf = static_cast<OLECMDF>(0);
        return S_OK;
    }
}

HRESULT BrowserControl::ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT*, VARIANT*) {
    switch (cmdID) {
    case OLECMDID_PRINT:
        return Print(cmdexecopt);
    case OLECMDID_REFRESH:
        return page_ ? Refresh() : kDisabled;
    case OLECMDID_STOP:
        StopLoading();
        return S_OK;
    default:
        return kNotSupported;
    }
}

HRESULT BrowserControl::Print(OLECMDEXECOPT option) {
    if (!page_)
        return kDisabled;
    const bool prompt = option != OLECMDEXECOPT_DONTPROMPTUSER;
    return PrintDocument(*page_->Dom(), page_->Url(), prompt);
}

// The window the control shows in.

HRESULT BrowserControl::get_HWND(LONGLONG* pVal) {
    if (!pVal)
        return E_POINTER;
    // Only the browser application has a top-level window of its own to give.
    *pVal = 0;
    return E_FAIL;
}

HRESULT BrowserControl::get_Visible(VARIANT_BOOL* pVal) {
    return ReturnBool(visible_, pVal);
}

HRESULT BrowserControl::put_Visible(VARIANT_BOOL newVal) {
    visible_ = newVal != VARIANT_FALSE;
    return S_OK;
}

// One side or size of the browser window's rectangle.
HRESULT BrowserControl::WindowMeasure(LONG RECT::*from, LONG RECT::*to, LONG* pVal) const {
    if (!pVal)
        return E_POINTER;
    RECT r{};
    GetWindowRect(window_, &r);
    *pVal = from ? r.*to - r.*from : r.*to;
    return S_OK;
}

// Moves (a null `size` side) or sizes the browser window, keeping the rest of its rectangle.
HRESULT BrowserControl::PlaceWindow(LONG RECT::*side, bool size, LONG value) {
    RECT r{};
    GetWindowRect(window_, &r);
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    if (size)
        (side == &RECT::right ? r.right : r.bottom) = (side == &RECT::right ? r.left : r.top) + value;
    else
        r.*side = value;
    const LONG newWidth = size ? r.right - r.left : width, newHeight = size ? r.bottom - r.top : height;
    return SetWindowPos(window_, nullptr, r.left, r.top, newWidth, newHeight,
                        (size ? SWP_NOMOVE : SWP_NOSIZE) | SWP_NOZORDER)
               ? S_OK
               : E_FAIL;
}

HRESULT BrowserControl::get_Left(LONG* pVal) {
    return WindowMeasure(nullptr, &RECT::left, pVal);
}

HRESULT BrowserControl::get_Top(LONG* pVal) {
    return WindowMeasure(nullptr, &RECT::top, pVal);
}

HRESULT BrowserControl::get_Width(LONG* pVal) {
    return WindowMeasure(&RECT::left, &RECT::right, pVal);
}

HRESULT BrowserControl::get_Height(LONG* pVal) {
    return WindowMeasure(&RECT::top, &RECT::bottom, pVal);
}

HRESULT BrowserControl::put_Left(LONG newVal) {
    return PlaceWindow(&RECT::left, false, newVal);
}

HRESULT BrowserControl::put_Top(LONG newVal) {
    return PlaceWindow(&RECT::top, false, newVal);
}

HRESULT BrowserControl::put_Width(LONG newVal) {
    return PlaceWindow(&RECT::right, true, newVal);
}

HRESULT BrowserControl::put_Height(LONG newVal) {
    return PlaceWindow(&RECT::bottom, true, newVal);
}

// What belongs to the browser application, not to the control: the control has no frame, no
// bars and no application object, as the embedded control of the old browser answered.

HRESULT BrowserControl::get_Application(IDispatch** pVal) {
    return static_cast<IWebBrowser2*>(this)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

HRESULT BrowserControl::get_Parent(IDispatch** pVal) {
    return static_cast<IWebBrowser2*>(this)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

HRESULT BrowserControl::get_Container(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    return S_OK;
}

HRESULT BrowserControl::get_TopLevelContainer(VARIANT_BOOL* pVal) {
    return ReturnBool(true, pVal);
}

HRESULT BrowserControl::Quit() {
    return E_NOTIMPL;
}

HRESULT BrowserControl::ClientToWindow(INT*, INT*) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::PutProperty(BSTR, VARIANT) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::GetProperty(BSTR, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::get_Name(BSTR* pVal) {
    return ReturnText(u"Web Browser Control", pVal);
}

HRESULT BrowserControl::get_FullName(BSTR*) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::get_Path(BSTR*) {
    return E_NOTIMPL;
}

HRESULT BrowserControl::get_StatusBar(VARIANT_BOOL* pVal) {
    return ReturnBool(false, pVal);
}

HRESULT BrowserControl::put_StatusBar(VARIANT_BOOL) {
    return S_OK;
}

HRESULT BrowserControl::get_StatusText(BSTR* pVal) {
    return ReturnText(u"", pVal);
}

HRESULT BrowserControl::put_StatusText(BSTR) {
    return S_OK;
}

HRESULT BrowserControl::get_ToolBar(INT* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = 0;
    return S_OK;
}

HRESULT BrowserControl::put_ToolBar(INT) {
    return S_OK;
}

HRESULT BrowserControl::get_MenuBar(VARIANT_BOOL* pVal) {
    return ReturnBool(false, pVal);
}

HRESULT BrowserControl::put_MenuBar(VARIANT_BOOL) {
    return S_OK;
}

HRESULT BrowserControl::get_FullScreen(VARIANT_BOOL* pVal) {
    return ReturnBool(false, pVal);
}

HRESULT BrowserControl::put_FullScreen(VARIANT_BOOL) {
    return S_OK;
}

HRESULT BrowserControl::get_TheaterMode(VARIANT_BOOL* pVal) {
    return ReturnBool(false, pVal);
}

HRESULT BrowserControl::put_TheaterMode(VARIANT_BOOL) {
    return S_OK;
}

HRESULT BrowserControl::get_AddressBar(VARIANT_BOOL* pVal) {
    return ReturnBool(false, pVal);
}

HRESULT BrowserControl::put_AddressBar(VARIANT_BOOL) {
    return S_OK;
}

HRESULT BrowserControl::get_Resizable(VARIANT_BOOL* pVal) {
    return ReturnBool(false, pVal);
}

HRESULT BrowserControl::put_Resizable(VARIANT_BOOL) {
    return S_OK;
}

HRESULT BrowserControl::get_Offline(VARIANT_BOOL* pVal) {
    return ReturnBool(offline_, pVal);
}

HRESULT BrowserControl::put_Offline(VARIANT_BOOL newVal) {
    offline_ = newVal != VARIANT_FALSE;
    return S_OK;
}

HRESULT BrowserControl::get_Silent(VARIANT_BOOL* pVal) {
    return ReturnBool(silent_, pVal);
}

HRESULT BrowserControl::put_Silent(VARIANT_BOOL newVal) {
    silent_ = newVal != VARIANT_FALSE;
    return S_OK;
}

HRESULT BrowserControl::get_RegisterAsBrowser(VARIANT_BOOL* pVal) {
    return ReturnBool(registerAsBrowser_, pVal);
}

HRESULT BrowserControl::put_RegisterAsBrowser(VARIANT_BOOL newVal) {
    registerAsBrowser_ = newVal != VARIANT_FALSE;
    return S_OK;
}

HRESULT BrowserControl::get_RegisterAsDropTarget(VARIANT_BOOL* pVal) {
    return ReturnBool(registerAsDropTarget_, pVal);
}

HRESULT BrowserControl::put_RegisterAsDropTarget(VARIANT_BOOL newVal) {
    registerAsDropTarget_ = newVal != VARIANT_FALSE;
    return S_OK;
}

} // namespace qx::html::browser
