#include "table_editor.h"

#include "dispatch_names.h"
#include "element_event_sink.h"
#include "element_queries.h"

#include <ocidl.h>
#include <oleidl.h>
#include <qx/com/bstr.h>
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

// Editor window -> its engine and the procedure it had before the engine subclassed it.
struct Subclass {
    CTableEditor* engine;
    WNDPROC saved;
};

std::mutex& WindowMapLock() {
    static std::mutex lock;
    return lock;
}

std::map<HWND, Subclass>& WindowMap() {
    static std::map<HWND, Subclass> map;
    return map;
}

bool FindSubclass(HWND window, Subclass& entry) {
    std::lock_guard lock(WindowMapLock());
    auto it = WindowMap().find(window);
    if (it == WindowMap().end())
        return false;
    entry = it->second;
    return true;
}

} // namespace

CTableEditor::~CTableEditor() {
    Detach();
}

int CTableEditor::Attach(IHTMLDocument2* document) {
    editorWindow_ = nullptr;
    document_ = document;
    HWND window = nullptr;
    if (ComPtr<IOleWindow> oleWindow = ComPtr<IOleWindow>::QueryFrom(document))
        oleWindow->GetWindow(&window);
    if (!window) {
        MessageBoxA(GetActiveWindow(), "Window Handle Not Found", "Problem", MB_OK);
        return 0;
    }
    editorWindow_ = window;
    std::lock_guard lock(WindowMapLock());
    // One subclass per window: a second Attach keeps the procedure saved the first time.
    if (WindowMap().find(window) == WindowMap().end()) {
        auto saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CTableEditor::WindowProcedure)));
        WindowMap()[window] = {this, saved};
    } else {
        WindowMap()[window].engine = this;
    }
    return 1;
}

void CTableEditor::Detach() {
    if (editorWindow_) {
        std::lock_guard lock(WindowMapLock());
        auto it = WindowMap().find(editorWindow_);
        if (it != WindowMap().end() && it->second.engine == this) {
            if (IsWindow(editorWindow_) && it->second.saved)
                SetWindowLongPtrA(editorWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.saved));
            WindowMap().erase(it);
        }
    }
    editorWindow_ = nullptr;
    UnadviseElementSinks();
}

// The engine sees the editor's messages first: in edit use the mouse messages go through the
// table engine, which may consume them; everything else goes on to the editor's own procedure.
LRESULT CALLBACK CTableEditor::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Subclass entry{};
    if (!FindSubclass(window, entry) || !entry.saved)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window goes before the engine let it go: put its procedure back now.
        {
            std::lock_guard lock(WindowMapLock());
            WindowMap().erase(window);
        }
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.saved));
        if (entry.engine->editorWindow_ == window)
            entry.engine->editorWindow_ = nullptr;
    } else if (entry.engine->owner_.OwnerStartMode() != 0 &&
               entry.engine->RouteMouseMessage(window, message, lParam) == 0) {
        return 0;
    }
    return CallWindowProcA(entry.saved, window, message, wParam, lParam);
}

void CTableEditor::UnadviseElementSinks() {
    for (ElementSink& entry : sinks_) {
        if (auto* sink = static_cast<CElementEventSink*>(entry.sink.Get()))
            sink->Disconnect();
        ComPtr<IConnectionPointContainer> container =
            ComPtr<IConnectionPointContainer>::QueryFrom(entry.element.Get());
        ComPtr<IConnectionPoint> point;
        if (container && SUCCEEDED(container->FindConnectionPoint(IID_IDispatch, &point)))
            point->Unadvise(entry.cookie);
    }
    sinks_.clear();
}

void CTableEditor::AdviseElementSinks() {
    UnadviseElementSinks();
    ForEachElement(document_.Get(), [&](IDispatch* item) {
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(item);
        if (!(TagIs(element.Get(), u"TABLE") || TagIs(element.Get(), u"SELECT") ||
              TagIs(element.Get(), u"INPUT") || TagIs(element.Get(), u"TD") || TagIs(element.Get(), u"BODY")))
            return;
        ComPtr<IConnectionPointContainer> container = ComPtr<IConnectionPointContainer>::QueryFrom(item);
        ComPtr<IConnectionPoint> point;
        if (!container || FAILED(container->FindConnectionPoint(IID_IDispatch, &point)))
            return;
        qx::com::ObjectPtr<CElementEventSink> sink;
        if (FAILED(CElementEventSink::Create(document_.Get(), &owner_, sink)))
            return;
        DWORD cookie = 0;
        if (FAILED(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie)))
            return;
        sinks_.push_back(
            {ComPtr<IDispatch>(item), ComPtr<IDispatch>(static_cast<IDispatch*>(sink.Get())), cookie});
    });
}

int CTableEditor::FilterKey(const MSG& msg) {
    if (owner_.OwnerStartMode() == 0)
        return owner_.OwnerKeysFree() ? 1 : 0;
    const bool editable = IsSelectionEditable();
    if (msg.message != WM_KEYDOWN)
        return editable ? 1 : 0;
    const int key = LOWORD(msg.wParam);
    const bool ctrl = GetAsyncKeyState(VK_CONTROL) < 0;
    const bool shift = GetAsyncKeyState(VK_SHIFT) < 0;
    if (editable) {
        owner_.NotifyElementKey(key, shift ? 1 : 0, ctrl ? 1 : 0);
        if (owner_.TakeKeyIgnore()) {
            if (editorWindow_)
                SetFocus(editorWindow_);
            return 0;
        }
    }
    if (key == VK_TAB || key == VK_SPACE) {
        if (editable)
            InsertSpaces(key == VK_TAB ? 8 : 1);
        return 0;
    }
    if (ctrl && (key == VK_LEFT || key == VK_RIGHT)) {
        if (shift)
            return 1;
        if (SelectCellAtCaret()) {
            ApplyBorderDrag(kHitRight, key == VK_LEFT ? -1 : 1);
            return 0;
        }
    }
    if (ctrl && (key == VK_UP || key == VK_DOWN) && SelectCellAtCaret()) {
        ApplyBorderDrag(kHitBottom, key == VK_UP ? -1 : 1);
        return 0;
    }
    // The caret may move anywhere; what it reaches decides the next key.
    if (key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_UP || key == VK_RIGHT ||
        key == VK_DOWN)
        return 1;
    return editable ? 1 : 0;
}

ComPtr<IHTMLElement> CTableEditor::GetSelectedElement() const {
    const SelectionRange selection = CurrentSelection(document_.Get());
    Variant element;
    if (selection.kind == SelectionKind::Caret) {
        Variant duplicate;
        if (SUCCEEDED(CallMethodByName(selection.range.Get(), u"duplicate", nullptr, 0, &duplicate)) &&
            duplicate.vt == VT_DISPATCH)
            CallMethodByName(duplicate.pdispVal, u"parentElement", nullptr, 0, &element);
    } else if (selection.kind == SelectionKind::Control) {
        CallMethodByName(selection.range.Get(), u"commonParentElement", nullptr, 0, &element);
    }
    return ComPtr<IHTMLElement>::QueryFrom(element.vt == VT_DISPATCH ? element.pdispVal : nullptr);
}

ComPtr<IHTMLElement> CTableEditor::GetCurrentCell() const {
    return FindAncestorByTag(GetSelectedElement().Get(), u"TD");
}

ComPtr<IHTMLElement> CTableEditor::GetCurrentTable() const {
    return FindAncestorByTag(GetSelectedElement().Get(), u"TABLE");
}

void CTableEditor::FocusElement(IHTMLElement* element) const {
    Bstr tag;
    if (!element || FAILED(element->get_tagName(&tag)) || tag.Empty())
        return;
    ComPtr<IHTMLBodyElement> body = ComPtr<IHTMLBodyElement>::QueryFrom(Body(document_.Get()).Get());
    ComPtr<IDispatch> range;
    if (!body || FAILED(body->createTextRange(&range)) || !range)
        return;
    Variant target(static_cast<IDispatch*>(element));
    Variant atStart(false);
    CallMethodByName(range.Get(), u"moveToElementText", &target, 1, nullptr);
    CallMethodByName(range.Get(), u"collapse", &atStart, 1, nullptr);
    CallMethodByName(range.Get(), u"select", nullptr, 0, nullptr);
    if (editorWindow_)
        SetFocus(editorWindow_);
}

void CTableEditor::SetDocumentMarker(const OLECHAR* name) const {
    if (ComPtr<IHTMLElement> body = Body(document_.Get()))
        body->setAttribute(Bstr(name), Variant(u""), 0);
}

bool CTableEditor::IsSelectionEditable() const {
    if (owner_.OwnerStartMode() == 0 || !document_)
        return false;
    return HasFreeAncestor(GetSelectedElement().Get());
}

namespace {

int CALLBACK AddFontFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM names) {
    reinterpret_cast<std::vector<std::string>*>(names)->emplace_back(font->lfFaceName);
    return 1;
}

} // namespace

SAFEARRAY* CTableEditor::EnumFonts() {
    std::vector<std::string> names;
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    EnumFontFamiliesA(dc, nullptr, &AddFontFamily, reinterpret_cast<LPARAM>(&names));
    ReleaseDC(desktop, dc);
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(names.size()));
    if (!array)
        return nullptr;
    for (LONG i = 0; i < static_cast<LONG>(names.size()); ++i) {
        const std::string& name = names[static_cast<std::size_t>(i)];
        std::u16string wide(static_cast<std::size_t>(MultiByteToWideChar(
                                CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0)),
                            u'\0');
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(),
                            static_cast<int>(wide.size()));
        Variant item(std::u16string_view{wide});
        if (FAILED(SafeArrayPutElement(array, &i, &item))) {
            SafeArrayDestroy(array);
            return nullptr;
        }
    }
    return array;
}

ComPtr<IHTMLElement> FindAncestorByTag(IHTMLElement* start, const OLECHAR* tag) {
    ComPtr<IHTMLElement> element(start);
    const std::u16string_view wanted(tag);
    while (element) {
        Bstr name;
        if (SUCCEEDED(element->get_tagName(&name)) && name.View() == wanted)
            return element;
        ComPtr<IDispatch> parent;
        element->get_parentElement(&parent);
        element = ComPtr<IHTMLElement>::QueryFrom(parent.Get());
    }
    return nullptr;
}

bool HasFreeAncestor(IHTMLElement* start) {
    ComPtr<IHTMLElement> element(start);
    while (element) {
        Variant free;
        if (SUCCEEDED(element->getAttribute(Bstr(u"free"), 0, &free)) && free.vt != VT_NULL)
            return true;
        ComPtr<IDispatch> parent;
        element->get_parentElement(&parent);
        element = ComPtr<IHTMLElement>::QueryFrom(parent.Get());
    }
    return false;
}
