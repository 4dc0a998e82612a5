#include "navigation_page.h"

#include "navigation.h"
#include "print_job.h"

#include "objbase.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/html/dom/serializer.h"
#include "qx/html/events/page_window.h"
#include "qx/html/layout/document_geometry.h"
#include "winuser_position.h"
#include "winuser_window.h"

#include <utility>

namespace qx::html::browser {
namespace {

// ActiveXObject in a page: the class the ProgID names, asked for its dispatch interface.
HRESULT CreateByProgId(std::u16string_view progId, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const std::u16string name(progId);
    CLSID clsid{};
    const HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(hr))
        return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object));
}

events::EventInit Event(std::u16string_view type) {
    events::EventInit init;
    init.type = std::u16string(type);
    return init;
}

} // namespace

HRESULT NavigationPage::Open(std::string_view body, std::u16string url, HWND window, bool inDocumentWindow,
                             std::unique_ptr<NavigationPage>* page) {
    std::unique_ptr<NavigationPage> made(new NavigationPage());
    made->url_ = std::move(url);
    HRESULT hr = dom::LoadHtmlDocumentObject({{body, {}, {}}, made->url_}, &made->document_);
    if (FAILED(hr))
        return hr;
    com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(made->document_.Get());
    if (!access)
        return E_UNEXPECTED;
    made->dom_ = access->AccessDocument();
    made->dom_->readyState = u"loading";
    const std::u16string base = made->url_;
    layout::LayoutHooks hooks;
    hooks.readImage = [base](std::u16string_view source) {
        return ReadAddress(ResolveAddress(base, source));
    };
    made->layout_ = &layout::AttachLayout(*made->dom_, std::move(hooks));
    script::PageScriptOptions options;
    options.url = made->url_;
    options.activator = CreateByProgId;
    options.loadSource = [base](std::u16string_view source) {
        return ReadAddress(ResolveAddress(base, source));
    };
    hr = script::PageScript::Open(made->document_.Get(), std::move(options), &made->script_);
    if (FAILED(hr))
        return hr;
    made->window_ = window;
    if (inDocumentWindow) {
        hr = made->ShowInWindow(window);
        if (FAILED(hr))
            return hr;
        made->window_ = made->documentWindow_;
    }
    hr = made->OpenObjects();
    if (FAILED(hr))
        return hr;
    behaviors::PageBehaviorOptions behaviors;
    // A "#id#name" behaviour comes from the control the page hosts in that OBJECT element.
    behaviors.objectOf = [page = made.get()](IHTMLElement* element, IUnknown** object) {
        *object = nullptr;
        com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(element);
        com::control::ControlHost* host = access ? page->objects_->HostOf(access->AccessNode()) : nullptr;
        if (!host || !host->Control())
            return E_FAIL;
        *object = host->Control();
        (*object)->AddRef();
        return S_OK;
    };
    hr = behaviors::PageBehaviors::Open(made->document_.Get(), std::move(behaviors), &made->behaviors_);
    if (FAILED(hr))
        return hr;
    // window.print(): the print dialog, then the page as it stands to the printer.
    NavigationPage* self = made.get();
    hr = made->script_->Engine().DefineFunction(
        "print", [self](qx::script::CallContext&) { return PrintDocument(*self->dom_, self->url_, true); });
    if (FAILED(hr))
        return hr;
    *page = std::move(made);
    return S_OK;
}

HRESULT NavigationPage::OpenObjects() {
    PageObjectsOptions objects;
    objects.pageWindow = window_;
    objects.layoutBox = [dom = dom_.get()](dom::Node* element) {
        const dom::ClientRect box =
            dom->geometry ? dom->geometry->BoundingClientRect(element) : dom::ClientRect{};
        return RECT{box.left, box.top, box.right, box.bottom};
    };
    objects.events = &script_->Events();
    objects.reportError = [script = script_.get()](std::string_view message) {
        script->ReportError(message);
    };
    return PageObjects::Open(document_.Get(), std::move(objects), &objects_);
}

HRESULT NavigationPage::ReplaceContent(const dom::DocumentBytes* source) {
    objects_->Close();
    const HRESULT replaced = dom::ReplaceDocumentContent(*dom_, source);
    const HRESULT opened = OpenObjects();
    return FAILED(replaced) ? replaced : opened;
}

NavigationPage::~NavigationPage() {
    if (dom_)
        dom_->navigation.reset(); // the document may outlive the browser that showed it
    behaviors_.reset();
    if (objects_)
        objects_->Close();
    CloseWindow();
}

HRESULT NavigationPage::ShowInWindow(HWND parent) {
    if (documentWindow_)
        return S_OK;
    RECT client{};
    GetClientRect(parent, &client);
    documentWindow_ = events::CreatePageWindow(document_.Get(), *layout_, parent, client);
    if (!documentWindow_)
        return E_FAIL;
    layout_->SetViewport(client.right - client.left, client.bottom - client.top);
    return S_OK;
}

void NavigationPage::FitWindow() {
    if (!documentWindow_)
        return;
    RECT client{};
    GetClientRect(GetParent(documentWindow_), &client);
    // The document window's WM_SIZE sizes the viewport and tells the page (resize).
    MoveWindow(documentWindow_, 0, 0, client.right - client.left, client.bottom - client.top, TRUE);
}

void NavigationPage::CloseWindow() {
    if (HWND window = std::exchange(documentWindow_, nullptr))
        DestroyWindow(window);
}

std::u16string NavigationPage::Title() const {
    for (dom::Node* n = dom::NextInTree(dom_->tree.Document(), dom_->tree.Document()); n;
         n = dom::NextInTree(n, dom_->tree.Document()))
        if (n->Is(u"title"))
            return dom::InnerText(n);
    return {};
}

void NavigationPage::SetExternal(IDispatch* external) {
    com::Variant value;
    if (external)
        value = com::Variant(external);
    else
        value.vt = VT_NULL;
    script_->Engine().DefineValue("external", value);
}

void NavigationPage::SetReadyState(std::u16string_view state) {
    dom_->readyState = std::u16string(state);
    script_->Events().Dispatch(dom_->tree.Document(), Event(u"readystatechange"));
}

void NavigationPage::RunScripts() {
    objects_->CreateControls();
    behaviors_->ApplyStyles();
    script_->RunScripts();
}

void NavigationPage::FireLoad() {
    behaviors_->DocumentReady();
    if (dom::Node* body = dom_->tree.Body())
        script_->Events().Dispatch(body, Event(u"load"));
    script_->Events().DispatchToWindow(u"load");
}

} // namespace qx::html::browser
