#include "qx/html/events/page_window.h"

#include "qx/com/comptr.h"
#include "qx/html/events/page_events.h"
#include "winuser_input.h"
#include "winuser_message.h"
#include "winuser_position.h"
#include "winuser_window.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace qx::html::events {
namespace {

// A node of the page kept alive while the window remembers it.
class HeldNode {
public:
    explicit HeldNode(dom::DomPtr dom) : dom_(std::move(dom)) {}
    ~HeldNode() { Set(nullptr); }
    HeldNode(const HeldNode&) = delete;
    HeldNode& operator=(const HeldNode&) = delete;
    void Set(dom::Node* node) {
        if (node)
            dom_->tree.Hold(node);
        if (node_)
            dom_->tree.Release(node_);
        node_ = node;
    }
    dom::Node* Get() const { return node_; }

private:
    dom::DomPtr dom_;
    dom::Node* node_ = nullptr;
};

struct PageWindow {
    PageWindow(dom::DomPtr d, com::ComPtr<IHTMLDocument2> doc, layout::PageLayout& l)
        : dom(d), document(std::move(doc)), events(PageEvents::Of(d)), layout(l), hover(d), pressed(d) {}

    dom::DomPtr dom;
    com::ComPtr<IHTMLDocument2> document;
    std::shared_ptr<PageEvents> events;
    layout::PageLayout& layout;
    HeldNode hover;                // the element the mouse is over
    HeldNode pressed;              // where the left button went down
    bool doubleClick = false;      // the next left release ends a double click
    bool keyDownCancelled = false; // the key's keypress is not delivered

    ~PageWindow() {
        // The page goes with its window unless a script engine still runs it.
        if (events && !events->HasHost()) {
            events->Clear();
            if (dom->events == events)
                dom->events.reset();
        }
    }
};

PageWindow* StateOf(HWND hwnd) {
    return reinterpret_cast<PageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

dom::Node* Fallback(PageWindow& page) {
    dom::Node* body = page.dom->tree.Body();
    return body ? body : page.dom->tree.DocumentElement();
}

dom::Node* ElementAt(PageWindow& page, int x, int y) {
    const dom::Node* hit = page.layout.ElementFromPoint(x, y);
    return hit ? const_cast<dom::Node*>(hit) : Fallback(page);
}

// The element keys go to: the focus while it is in the page, else BODY.
dom::Node* KeyTarget(PageWindow& page) {
    dom::Node* active = page.dom->activeElement;
    return active && dom::IsInclusiveAncestor(page.dom->tree.Document(), active) ? active : Fallback(page);
}

bool IsFocusable(const dom::Node& n) {
    if (n.FindAttribute(u"disabled"))
        return false;
    if (n.Is(u"input"))
        return !dom::EqualsNoCase(n.AttributeValue(u"type"), u"hidden");
    return n.Is(u"select") || n.Is(u"textarea") || n.Is(u"button") || n.Is(u"object") ||
           (n.Is(u"a") && n.FindAttribute(u"href")) || n.FindAttribute(u"tabIndex");
}

// A press focuses the nearest focusable element at or above the point; none: the page itself.
dom::Node* FocusTarget(dom::Node* n) {
    for (; n && n->IsElement(); n = n->parent)
        if (IsFocusable(*n))
            return n;
    return nullptr;
}

// The tab order: elements with a positive tabIndex by their number, then the others in document
// order; a negative tabIndex takes an element out of it.
std::vector<dom::Node*> TabOrder(dom::NodeTree& tree) {
    std::vector<std::pair<long, dom::Node*>> order;
    for (dom::Node* n = dom::NextInTree(tree.Document(), tree.Document()); n;
         n = dom::NextInTree(n, tree.Document())) {
        if (!n->IsElement() || !IsFocusable(*n))
            continue;
        const std::u16string_view text = n->AttributeValue(u"tabIndex");
        long index = 0;
        bool negative = !text.empty() && text.front() == u'-';
        for (std::size_t i = negative ? 1 : 0;
             i < text.size() && text[i] >= u'0' && text[i] <= u'9' && index < 32767; ++i)
            index = index * 10 + (text[i] - u'0');
        if (negative && index > 0)
            continue;
        order.emplace_back(index > 0 ? index : 32768, n);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<dom::Node*> nodes;
    for (const auto& [index, n] : order)
        nodes.push_back(n);
    return nodes;
}

// Tab moves the focus to the next element of the tab order (Shift+Tab the previous), round the end.
void MoveFocusByTab(PageWindow& page, bool backwards) {
    const std::vector<dom::Node*> order = TabOrder(page.dom->tree);
    if (order.empty())
        return;
    const auto at = std::find(order.begin(), order.end(), page.dom->activeElement);
    std::size_t next = 0;
    if (at == order.end())
        next = backwards ? order.size() - 1 : 0;
    else if (backwards)
        next = (static_cast<std::size_t>(at - order.begin()) + order.size() - 1) % order.size();
    else
        next = (static_cast<std::size_t>(at - order.begin()) + 1) % order.size();
    page.events->MoveFocus(order[next]);
}

dom::Node* CommonAncestor(dom::Node* a, dom::Node* b) {
    for (dom::Node* x = a; x; x = x->parent)
        if (dom::IsInclusiveAncestor(x, b))
            return x;
    return nullptr;
}

com::ComPtr<IDispatch> ObjectOf(PageWindow& page, dom::Node* node) {
    com::ComPtr<IDispatch> object;
    dom::NodeObjectOf(page.dom, node, &object);
    return object;
}

void SetModifiers(EventInit& init) {
    init.shiftKey = GetKeyState(VK_SHIFT) < 0;
    init.ctrlKey = GetKeyState(VK_CONTROL) < 0;
    init.altKey = GetKeyState(VK_MENU) < 0;
}

// A mouse event at a client point: offsetX/Y count from the target's padding edge; Shift and Ctrl
// as the message carries them.
EventInit MouseEvent(HWND hwnd, PageWindow& page, std::u16string type, int x, int y, LONG button, WPARAM keys,
                     dom::Node* target) {
    EventInit init;
    init.type = std::move(type);
    init.button = button;
    init.clientX = x;
    init.clientY = y;
    POINT screen{x, y};
    ClientToScreen(hwnd, &screen);
    init.screenX = screen.x;
    init.screenY = screen.y;
    const layout::ElementMetrics m = page.layout.Metrics(target);
    init.offsetX = x - m.boundingClientRect.left - m.clientLeft;
    init.offsetY = y - m.boundingClientRect.top - m.clientTop;
    init.shiftKey = (keys & MK_SHIFT) != 0;
    init.ctrlKey = (keys & MK_CONTROL) != 0;
    init.altKey = GetKeyState(VK_MENU) < 0;
    return init;
}

LONG ButtonsHeld(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) | ((keys & MK_MBUTTON) ? 4 : 0);
}

bool Deliver(HWND hwnd, PageWindow& page, const std::u16string& type, int x, int y, LONG button, WPARAM keys,
             dom::Node* target) {
    return page.events->Dispatch(target, MouseEvent(hwnd, page, type, x, y, button, keys, target));
}

void OnMouseMove(HWND hwnd, PageWindow& page, int x, int y, WPARAM keys) {
    dom::Node* target = ElementAt(page, x, y);
    dom::Node* old = page.hover.Get();
    if (target != old) {
        page.hover.Set(target);
        const com::ComPtr<IDispatch> from = old ? ObjectOf(page, old) : nullptr, to = ObjectOf(page, target);
        if (old) {
            EventInit out = MouseEvent(hwnd, page, u"mouseout", x, y, ButtonsHeld(keys), keys, old);
            out.fromElement = from;
            out.toElement = to;
            page.events->Dispatch(old, out);
        }
        EventInit over = MouseEvent(hwnd, page, u"mouseover", x, y, ButtonsHeld(keys), keys, target);
        over.fromElement = from;
        over.toElement = to;
        page.events->Dispatch(target, over);
    }
    Deliver(hwnd, page, u"mousemove", x, y, ButtonsHeld(keys), keys, target);
}

void OnButtonDown(HWND hwnd, PageWindow& page, int x, int y, LONG button, WPARAM keys) {
    if (GetFocus() != hwnd)
        SetFocus(hwnd);
    dom::Node* target = ElementAt(page, x, y);
    if (button == 1) {
        page.pressed.Set(target);
        page.doubleClick = false;
    }
    // A cancelled press keeps the focus where it was.
    if (Deliver(hwnd, page, u"mousedown", x, y, button, keys, target) && button == 1)
        page.events->MoveFocus(FocusTarget(target));
}

// A document in design mode (an editor's, unless it was put "Off") treats a check box as content
// to select, not as a control to turn.
bool BeingEdited(const dom::DomDocument& document) {
    if (dom::EqualsNoCase(document.designMode, u"On"))
        return true;
    return document.designModeChanged && !dom::EqualsNoCase(document.designMode, u"Off");
}

bool IsCheckBox(const dom::Node& n) {
    return n.Is(u"input") && dom::EqualsNoCase(n.AttributeValue(u"type"), u"checkbox") &&
           !n.FindAttribute(u"disabled");
}

void ToggleChecked(PageWindow& page, dom::Node* box) {
    const com::ComPtr<IDispatch> object = ObjectOf(page, box);
    if (auto input = com::ComPtr<IHTMLInputElement>::QueryFrom(object.Get())) {
        VARIANT_BOOL checked = VARIANT_FALSE;
        if (SUCCEEDED(input->get_checked(&checked)))
            input->put_checked(checked != VARIANT_FALSE ? VARIANT_FALSE : VARIANT_TRUE);
    }
}

// The old browser's double click: down, up, click, then for the second press only up and dblclick.
void OnLeftUp(HWND hwnd, PageWindow& page, int x, int y, WPARAM keys) {
    dom::Node* target = ElementAt(page, x, y);
    Deliver(hwnd, page, u"mouseup", x, y, 1, keys, target);
    dom::Node* pressed = page.pressed.Get();
    if (page.doubleClick) {
        page.doubleClick = false;
        Deliver(hwnd, page, u"dblclick", x, y, 0, keys, target);
    } else if (dom::Node* clicked = pressed ? CommonAncestor(pressed, target) : nullptr) {
        // A check box turns before its click handlers run (they read the new state) and turns
        // back when one cancels the click.
        const bool box = IsCheckBox(*clicked) && !BeingEdited(*page.dom);
        if (box)
            ToggleChecked(page, clicked);
        if (!Deliver(hwnd, page, u"click", x, y, 0, keys, clicked) && box)
            ToggleChecked(page, clicked);
    }
    page.pressed.Set(nullptr);
}

void OnKey(PageWindow& page, const char16_t* type, WPARAM code) {
    EventInit init;
    init.type = type;
    init.keyCode = static_cast<LONG>(code);
    SetModifiers(init);
    const bool delivered = page.events->Dispatch(KeyTarget(page), init);
    if (init.type != u"keydown")
        return;
    page.keyDownCancelled = !delivered;
    if (delivered && code == VK_TAB && !init.ctrlKey && !init.altKey)
        MoveFocusByTab(page, init.shiftKey);
}

// Returns true when the page did not cancel the context menu (its window's parent may show one).
bool OnContextMenu(HWND hwnd, PageWindow& page, LPARAM lParam) {
    if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) { // from the keyboard: at the focus
        EventInit init;
        init.type = u"contextmenu";
        SetModifiers(init);
        return page.events->Dispatch(KeyTarget(page), init);
    }
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(hwnd, &point);
    const WPARAM keys =
        (GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) | (GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
    return Deliver(hwnd, page, u"contextmenu", point.x, point.y, 0, keys, ElementAt(page, point.x, point.y));
}

LRESULT CALLBACK PageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // The window owns its state from here; WM_NCDESTROY frees it, also when creation fails.
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* owner = static_cast<std::unique_ptr<PageWindow>*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner->release()));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    PageWindow* page = StateOf(hwnd);
    if (!page)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete page;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SIZE:
        page->layout.SetViewport(LOWORD(lParam), HIWORD(lParam));
        page->events->DispatchToWindow(u"resize");
        return 0;
    case WM_SETFOCUS:
        page->events->DispatchToWindow(u"focus");
        return 0;
    case WM_KILLFOCUS:
        page->events->DispatchToWindow(u"blur");
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(hwnd, *page, x, y, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        OnButtonDown(hwnd, *page, x, y,
                     message == WM_LBUTTONDOWN   ? 1
                     : message == WM_RBUTTONDOWN ? 2
                                                 : 4,
                     wParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        page->pressed.Set(ElementAt(*page, x, y));
        page->doubleClick = true;
        return 0;
    case WM_LBUTTONUP:
        OnLeftUp(hwnd, *page, x, y, wParam);
        return 0;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        Deliver(hwnd, *page, u"mouseup", x, y, message == WM_RBUTTONUP ? 2 : 4, wParam,
                ElementAt(*page, x, y));
        // The default procedure turns a right release into WM_CONTEXTMENU.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CONTEXTMENU:
        return OnContextMenu(hwnd, *page, lParam) ? DefWindowProcW(hwnd, message, wParam, lParam) : 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKey(*page, u"keydown", wParam);
        return message == WM_SYSKEYDOWN ? DefWindowProcW(hwnd, message, wParam, lParam) : 0;
    case WM_CHAR:
        if (!page->keyDownCancelled)
            OnKey(*page, u"keypress", wParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        page->keyDownCancelled = false;
        OnKey(*page, u"keyup", wParam);
        return message == WM_SYSKEYUP ? DefWindowProcW(hwnd, message, wParam, lParam) : 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = PageWindowProc;
        wc.lpszClassName = kPageWindowClass;
        return RegisterClassExW(&wc) != 0;
    }();
    return registered;
}

} // namespace

HWND CreatePageWindow(IHTMLDocument2* document, layout::PageLayout& layout, HWND parent, const RECT& rect) {
    const com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document);
    if (!access || !RegisterOnce())
        return nullptr;
    auto page =
        std::make_unique<PageWindow>(access->AccessDocument(), com::ComPtr<IHTMLDocument2>(document), layout);
    const DWORD style = WS_VISIBLE | (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW);
    return CreateWindowExW(0, kPageWindowClass, u"", style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, nullptr, nullptr, &page);
}

} // namespace qx::html::events
