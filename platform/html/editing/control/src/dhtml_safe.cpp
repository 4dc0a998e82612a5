#include "dhtml_safe.h"

#include "command_table.h"
#include "dhtmled.h"
#include "document_sink.h"
#include "document_view.h"
#include "edited_document.h"
#include "param_objects.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/class_info.h"
#include "qx/com/connection_point.h"
#include "qx/com/control/control_base.h"
#include "qx/com/control/in_place_object.h"
#include "qx/com/control/ole_control.h"
#include "qx/com/control/ole_object.h"
#include "qx/com/control/persistence.h"
#include "qx/com/control/view_object.h"
#include "qx/com/dispatch.h"
#include "qx/com/error_info.h"
#include "qx/com/object.h"
#include "qx/com/object_safety.h"
#include "qx/html/events/page_events.h"
#include "winuser_input.h"
#include "winuser_menu.h"
#include "winuser_position.h"
#include "winuser_window.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace qx::html::editing::control {
namespace {

using namespace qx::com::control;

std::atomic<HINSTANCE> g_resources{nullptr};

constexpr DWORD kSafe = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
// A context menu longer than this is refused as bad input.
constexpr LONG kMaxMenuItems = 256;

// The HTMLDocumentEvents DISPIDs the control forwards as its own events.
constexpr DISPID kClick = -600, kDblClick = -601, kKeyDown = -602, kKeyPress = -603, kKeyUp = -604,
                 kMouseDown = -605, kMouseMove = -606, kMouseUp = -607, kReadyStateChange = -609,
                 kMouseOver = static_cast<DISPID>(0x80010008), kMouseOut = static_cast<DISPID>(0x80010009),
                 kContextMenu = 1023;

// A value script put into returnValue that cancels (false, or a number 0).
bool IsCancelValue(const VARIANT& v) {
    switch (v.vt) {
    case VT_BOOL:
        return v.boolVal == VARIANT_FALSE;
    case VT_I2:
        return v.iVal == 0;
    case VT_I4:
        return v.lVal == 0;
    default:
        return false;
    }
}

class CDhtmlSafe;

// Reloads a test holds back (HoldDesignModeReloads); the controls of one thread use it.
struct HeldReloads {
    bool hold = false;
    std::vector<CDhtmlSafe*> controls;
};
HeldReloads& Held() {
    static HeldReloads held;
    return held;
}
bool ReloadsHeld() {
    return Held().hold;
}
void HoldReload(CDhtmlSafe* control) {
    std::vector<CDhtmlSafe*>& controls = Held().controls;
    if (std::find(controls.begin(), controls.end(), control) == controls.end())
        controls.push_back(control);
}
void ForgetHeldReload(CDhtmlSafe* control) {
    std::vector<CDhtmlSafe*>& controls = Held().controls;
    controls.erase(std::remove(controls.begin(), controls.end(), control), controls.end());
}

class CDhtmlSafe : public com::ObjectRoot,
                   public ControlImpl<CDhtmlSafe>,
                   public com::DispatchImpl<IDHTMLSafe>,
                   public ViewObjectExImpl<CDhtmlSafe>,
                   public OleInPlaceObjectWindowlessImpl<CDhtmlSafe>,
                   public OleInPlaceActiveObjectImpl<CDhtmlSafe>,
                   public OleControlImpl<CDhtmlSafe>,
                   public OleObjectImpl<CDhtmlSafe>,
                   public PersistStreamInitImpl<CDhtmlSafe>,
                   public QuickActivateImpl<CDhtmlSafe>,
                   public PersistStorageImpl<CDhtmlSafe>,
                   public DataObjectImpl<CDhtmlSafe>,
                   public com::ProvideClassInfo2Impl<kDhtmlEditLibrary, CLSID_DHTMLSafe>,
                   public com::ObjectSafetyImpl<kSafe, com::SafetyPolicy::Strict, kSafe>,
                   public com::SupportErrorInfoImpl<IDHTMLSafe>,
                   public com::ConnectionPointContainerImpl,
                   public PersistPropertyBagImpl<CDhtmlSafe>,
                   private DocumentViewOwner {
public:
    using Self = CDhtmlSafe;
    QX_BEGIN_INTERFACES(CDhtmlSafe)
    QX_INTERFACE_ENTRY(IDHTMLSafe)
    QX_INTERFACE_ENTRY2(IDispatch, IDHTMLSafe)
    QX_INTERFACE_ENTRY(IViewObjectEx)
    QX_INTERFACE_ENTRY2(IViewObject2, IViewObjectEx)
    QX_INTERFACE_ENTRY2(IViewObject, IViewObjectEx)
    QX_INTERFACE_ENTRY(IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY2(IOleInPlaceObject, IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObjectWindowless)
    QX_INTERFACE_ENTRY(IOleInPlaceActiveObject)
    QX_INTERFACE_ENTRY(IOleControl)
    QX_INTERFACE_ENTRY(IOleObject)
    QX_INTERFACE_ENTRY(IPersistStreamInit)
    QX_INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
    QX_INTERFACE_ENTRY(IQuickActivate)
    QX_INTERFACE_ENTRY(IPersistStorage)
    QX_INTERFACE_ENTRY(IDataObject)
    QX_INTERFACE_ENTRY(IProvideClassInfo)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(IPersistPropertyBag)
    QX_END_INTERFACES()

    // The view and a blank document come with the control; the blank document completes from
    // the queue like any other, so the page hears a first DocumentComplete.
    HRESULT FinalConstruct() {
        view_ = CreateDocumentView(this);
        if (!view_)
            return E_FAIL;
        return LoadHtml(u"");
    }
    void FinalRelease() {
        ForgetHeldReload(this);
        sink_.reset();
        document_.reset();
        retired_.clear();
        if (view_) {
            DestroyWindow(view_);
            view_ = nullptr;
        }
    }

    const CLSID& ClassId() const override { return CLSID_DHTMLSafe; }

    // The view fills the control's window while the control is active, and waits hidden without
    // a parent otherwise.
    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM, LPARAM lParam, LRESULT& result) override {
        switch (message) {
        case WM_CREATE: {
            if (!view_)
                return FALSE;
            SetWindowLongPtrW(view_, GWL_STYLE, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
            SetParent(view_, hwnd);
            RECT client{};
            GetClientRect(hwnd, &client);
            MoveWindow(view_, 0, 0, client.right, client.bottom, TRUE);
            ShowWindow(view_, SW_SHOW);
            return FALSE;
        }
        case WM_SIZE:
            MoveWindow(view_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            result = 0;
            return TRUE;
        case WM_SETFOCUS:
            SetFocus(view_);
            result = 0;
            return TRUE;
        case WM_DESTROY:
            if (!view_)
                return FALSE;
            ShowWindow(view_, SW_HIDE);
            SetParent(view_, nullptr);
            SetWindowLongPtrW(view_, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
            return FALSE;
        default:
            return FALSE;
        }
    }

    // IDHTMLSafe
    STDMETHODIMP ExecCommand(LONG cmdID, LONG cmdExecOpt, VARIANT pInVar, VARIANT* pOutVar) override {
        CommandContext context;
        context.session = Session();
        context.resources = g_resources.load();
        context.owner = view_;
        com::Variant out;
        const HRESULT hr = ExecEditCommand(context, cmdID, cmdExecOpt, pInVar, &out);
        if (pOutVar) {
            VariantInit(pOutVar);
            if (SUCCEEDED(hr))
                out.Detach(pOutVar);
        }
        return hr;
    }
    STDMETHODIMP QueryStatus(LONG cmdID, LONG* retval) override {
        if (!retval)
            return E_POINTER;
        *retval = QueryEditCommand(Session(), cmdID);
        return S_OK;
    }
    // The items of the next context menu (texts; an empty text is a separator) and their states
    // (DECMDF_ values; DISABLED greys an item, LATCHED checks it). Both empty: no menu.
    STDMETHODIMP SetContextMenu(VARIANT menuStrings, VARIANT menuStates) override {
        std::vector<std::u16string> texts;
        std::vector<LONG> states;
        HRESULT hr = ReadArray(menuStrings, VT_BSTR, [&texts](const VARIANT& v) {
            texts.emplace_back(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
        });
        if (SUCCEEDED(hr))
            hr = ReadArray(menuStates, VT_I4, [&states](const VARIANT& v) { states.push_back(v.lVal); });
        if (FAILED(hr) || texts.size() != states.size())
            return E_INVALIDARG;
        menuTexts_ = std::move(texts);
        menuStates_ = std::move(states);
        return S_OK;
    }
    STDMETHODIMP NewDocument() override { return LoadHtml(u""); }
    // The control keeps no marks of its own in the text it gives, so there is nothing to filter.
    STDMETHODIMP FilterSourceCode(BSTR sourceCodeIn, BSTR* retval) override {
        if (!retval)
            return E_POINTER;
        *retval = SysAllocStringLen(sourceCodeIn ? sourceCodeIn : u"", SysStringLen(sourceCodeIn));
        return *retval ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_DOM(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (!document_)
            return E_UNEXPECTED;
        return document_->Document()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(p));
    }
    STDMETHODIMP get_DocumentHTML(BSTR* p) override {
        if (!p)
            return E_POINTER;
        *p = com::Bstr(document_ ? document_->Html() : std::u16string()).Detach();
        return S_OK;
    }
    STDMETHODIMP put_DocumentHTML(BSTR newVal) override {
        return LoadHtml(std::u16string_view(newVal ? newVal : u"", SysStringLen(newVal)));
    }
    STDMETHODIMP get_SourceCodePreservation(VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        *p = sourceCodePreservation_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_SourceCodePreservation(VARIANT_BOOL v) override {
        sourceCodePreservation_ = v != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_Busy(VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        *p = busy_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    // A reload a test held back runs now, from the queue.
    void PostHeldReload() { PostMessageW(view_, kReloadMessage, serial_, 0); }

private:
    template <typename F>
    static HRESULT ReadArray(const VARIANT& given, VARTYPE type, F&& take) {
        const VARIANT* v = &given;
        while (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
            v = v->pvarVal;
        if (v->vt == VT_EMPTY || v->vt == VT_NULL)
            return S_OK;
        if (v->vt == VT_DISPATCH)
            return ReadScriptArray(v->pdispVal, type, take);
        if (!(v->vt & VT_ARRAY))
            return E_INVALIDARG;
        SAFEARRAY* array = (v->vt & VT_BYREF) ? (v->pparray ? *v->pparray : nullptr) : v->parray;
        if (!array || SafeArrayGetDim(array) != 1)
            return E_INVALIDARG;
        LONG low = 0, high = -1;
        SafeArrayGetLBound(array, 1, &low);
        SafeArrayGetUBound(array, 1, &high);
        if (high - low + 1 > kMaxMenuItems)
            return E_INVALIDARG;
        const VARTYPE element = static_cast<VARTYPE>(v->vt & VT_TYPEMASK);
        for (LONG i = low; i <= high; ++i) {
            com::Variant item;
            HRESULT hr = S_OK;
            if (element == VT_VARIANT) {
                hr = SafeArrayGetElement(array, &i, &item);
            } else if (element == VT_BSTR) {
                BSTR text = nullptr;
                hr = SafeArrayGetElement(array, &i, &text);
                item.vt = VT_BSTR;
                item.bstrVal = text;
            } else if (element == VT_I4) {
                item.vt = VT_I4;
                hr = SafeArrayGetElement(array, &i, &item.lVal);
            } else {
                return E_INVALIDARG;
            }
            if (FAILED(hr) || FAILED(VariantChangeType(&item, &item, 0, type)))
                return E_INVALIDARG;
            take(item);
        }
        return S_OK;
    }

    // A script's array: its length, then its items by index.
    template <typename F>
    static HRESULT ReadScriptArray(IDispatch* array, VARTYPE type, F&& take) {
        if (!array)
            return E_INVALIDARG;
        com::Variant length;
        if (FAILED(GetPropertyByName(array, u"length", &length)) ||
            FAILED(VariantChangeType(&length, &length, 0, VT_I4)) || length.lVal < 0 ||
            length.lVal > kMaxMenuItems)
            return E_INVALIDARG;
        for (LONG i = 0; i < length.lVal; ++i) {
            const std::string index = std::to_string(i);
            com::Variant item;
            if (FAILED(GetPropertyByName(array, std::u16string(index.begin(), index.end()), &item)) ||
                FAILED(VariantChangeType(&item, &item, 0, type)))
                return E_INVALIDARG;
            take(item);
        }
        return S_OK;
    }
    EditingSession* Session() const {
        return document_ && !document_->ReloadPending() ? &document_->Session() : nullptr;
    }

    // A new document from the text; the old one goes once nothing of it runs any more.
    HRESULT LoadHtml(std::u16string_view html) {
        std::unique_ptr<EditedDocument> made;
        HRESULT hr = EditedDocument::Open(html, view_, &made);
        if (FAILED(hr))
            return hr;
        ForgetHeldReload(this);
        sink_.reset();
        if (document_) {
            // Script may still hold the old document: its designMode no longer reloads this one.
            document_->Dom().designModeChanged = nullptr;
            retired_.push_back(std::move(document_));
        }
        document_ = std::move(made);
        Wire(*document_);
        busy_ = true;
        PostMessageW(view_, kCompleteMessage, ++serial_, 0);
        return S_OK;
    }

    void Wire(EditedDocument& document) {
        document.Session().SetDisplayChanged([this] { FireDisplayChanged(); });
        document.Dom().designModeChanged = [this] { OnDesignModeChanged(); };
        sink_ = std::make_unique<DocumentSink>(document.Document(),
                                               [this](DISPID id) { return OnDocumentEvent(id); });
    }

    void FireDisplayChanged() {
        if (!EventsFrozen())
            events_.Fire_DisplayChanged();
    }

    // A designMode put reloads the document in its new mode: no BODY until the queue runs the
    // reload (or a test lets a held one go), then completion again.
    void OnDesignModeChanged() {
        if (!document_)
            return;
        document_->EmptyForReload();
        busy_ = true;
        ++serial_;
        if (ReloadsHeld())
            HoldReload(this);
        else
            PostMessageW(view_, kReloadMessage, serial_, 0);
    }

    // DocumentViewOwner
    EditedDocument* ViewDocument() override { return document_.get(); }
    void BeginInput() override {
        cancelled_ = false;
        ++inputDepth_;
    }
    bool InputCancelled() const override { return cancelled_; }
    void EndInput() override {
        if (--inputDepth_ == 0)
            retired_.clear();
    }
    void OnViewResized(int width, int height) override {
        if (document_)
            document_->Resize(width, height);
    }
    void OnQueuedMessage(UINT message, WPARAM serial) override {
        if (serial != serial_ || !document_)
            return; // a newer document or reload took its place
        if (inputDepth_ == 0)
            retired_.clear();
        if (message == kReloadMessage) {
            if (!document_->ReloadPending())
                return;
            document_->FinishReload();
            document_->Session().SetDisplayChanged([this] { FireDisplayChanged(); });
        }
        Complete();
    }

    void Complete() {
        busy_ = false;
        document_->SetReadyState(u"complete");
        if (!EventsFrozen())
            events_.Fire_DocumentComplete();
    }

    // The document's events after its own handlers: forwarded as the control's, and a right
    // click's context menu (the page's ShowContextMenu handler may set the menu it shows).
    bool OnDocumentEvent(DISPID id) {
        const bool frozen = EventsFrozen();
        switch (id) {
        case kMouseDown:
            if (!frozen)
                events_.Fire_onmousedown();
            break;
        case kMouseMove:
            if (!frozen)
                events_.Fire_onmousemove();
            break;
        case kMouseUp:
            if (!frozen)
                events_.Fire_onmouseup();
            break;
        case kMouseOver:
            if (!frozen)
                events_.Fire_onmouseover();
            break;
        case kMouseOut:
            if (!frozen)
                events_.Fire_onmouseout();
            break;
        case kClick:
            if (!frozen)
                events_.Fire_onclick();
            break;
        case kDblClick:
            if (!frozen)
                events_.Fire_ondblclick();
            break;
        case kKeyDown:
            if (!frozen)
                events_.Fire_onkeydown();
            break;
        case kKeyPress:
            if (!frozen)
                events_.Fire_onkeypress();
            break;
        case kKeyUp:
            if (!frozen)
                events_.Fire_onkeyup();
            break;
        case kReadyStateChange:
            if (!frozen)
                events_.Fire_onreadystatechange();
            break;
        case kContextMenu:
            ShowContextMenu();
            return true; // the control's menu replaces the window's
        default:
            break;
        }
        if (CurrentEventCancelled())
            cancelled_ = true;
        return false;
    }

    com::ComPtr<IHTMLEventObj> CurrentEvent() const {
        com::Variant event;
        if (!document_)
            return nullptr;
        const dom::DomPtr& dom =
            com::ComPtr<IHtmlNodeAccess>::QueryFrom(document_->Document())->AccessDocument();
        events::PageEvents::Of(dom)->CurrentEvent(&event);
        return event.vt == VT_DISPATCH ? com::ComPtr<IHTMLEventObj>::QueryFrom(event.pdispVal) : nullptr;
    }

    bool CurrentEventCancelled() const {
        com::ComPtr<IHTMLEventObj> event = CurrentEvent();
        com::Variant value;
        return event && SUCCEEDED(event->get_returnValue(&value)) && IsCancelValue(value);
    }

    void ShowContextMenu() {
        com::ComPtr<IHTMLEventObj> event = CurrentEvent();
        LONG x = 0, y = 0, screenX = 0, screenY = 0;
        if (event) {
            event->get_clientX(&x);
            event->get_clientY(&y);
            event->get_screenX(&screenX);
            event->get_screenY(&screenY);
        }
        menuTexts_.clear();
        menuStates_.clear();
        if (!EventsFrozen())
            events_.Fire_ShowContextMenu(x, y);
        if (menuTexts_.empty())
            return;
        HMENU menu = CreatePopupMenu();
        for (size_t i = 0; i < menuTexts_.size(); ++i) {
            if (menuTexts_[i].empty()) {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            UINT flags = MF_STRING;
            if (menuStates_[i] == DECMDF_DISABLED || menuStates_[i] == DECMDF_NOTSUPPORTED)
                flags |= MF_GRAYED;
            if (menuStates_[i] == DECMDF_LATCHED)
                flags |= MF_CHECKED;
            AppendMenuW(menu, flags, i + 1, menuTexts_[i].c_str());
        }
        const UINT chosen = static_cast<UINT>(TrackPopupMenu(
            menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screenX, screenY, 0, view_, nullptr));
        DestroyMenu(menu);
        if (chosen != 0 && !EventsFrozen())
            events_.Fire_ContextMenuAction(static_cast<LONG>(chosen - 1));
    }

    CProxy_DHTMLSafeEvents events_{*this};
    HWND view_ = nullptr;
    std::unique_ptr<EditedDocument> document_;
    std::vector<std::unique_ptr<EditedDocument>> retired_; // replaced while their events ran
    std::unique_ptr<DocumentSink> sink_;
    bool busy_ = false;
    bool sourceCodePreservation_ = true;
    bool cancelled_ = false;
    int inputDepth_ = 0;
    WPARAM serial_ = 0; // of the completion or reload the queue should run
    std::vector<std::u16string> menuTexts_;
    std::vector<LONG> menuStates_;
};

} // namespace

HRESULT CreateDhtmlSafe(IUnknown* outer, REFIID riid, void** object) {
    return com::CreateInstance<CDhtmlSafe>(outer, riid, object);
}

void SetDialogResources(HINSTANCE resources) {
    g_resources.store(resources);
}

HINSTANCE DialogResources() {
    return g_resources.load();
}

void HoldDesignModeReloads(bool hold) {
    HeldReloads& held = Held();
    held.hold = hold;
    if (hold)
        return;
    const std::vector<CDhtmlSafe*> controls = std::move(held.controls);
    held.controls.clear();
    for (CDhtmlSafe* control : controls)
        control->PostHeldReload();
}

} // namespace qx::html::editing::control
