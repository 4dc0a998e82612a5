#include "document_view.h"

#include "edited_document.h"

#include "winuser_input.h"
#include "winuser_window.h"

#include <mutex>

namespace qx::html::editing::control {
namespace {

DocumentViewOwner* OwnerOf(HWND hwnd) {
    return reinterpret_cast<DocumentViewOwner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool IsInputMessage(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return true;
    default:
        return false;
    }
}

// The page window delivers the DOM events; the session edits unless one was cancelled. The left
// button holds the mouse while a drag selects.
LRESULT HandleInput(HWND hwnd, DocumentViewOwner& owner, UINT message, WPARAM wParam, LPARAM lParam) {
    EditedDocument* document = owner.ViewDocument();
    if (!document)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_LBUTTONDOWN)
        SetCapture(hwnd);
    else if (message == WM_LBUTTONUP && GetCapture() == hwnd)
        ReleaseCapture();
    owner.BeginInput();
    const LRESULT result = SendMessageW(document->PageWindow(), message, wParam, lParam);
    // The page window takes the focus on a press; keys belong to the view (and its subclasses).
    if (GetFocus() == document->PageWindow())
        SetFocus(hwnd);
    // A handler may have replaced the document; the old one is kept until EndInput.
    if (!owner.InputCancelled() && owner.ViewDocument() == document && document->Editable() &&
        !document->ReloadPending())
        document->Session().HandleMessage(message, wParam, lParam);
    owner.EndInput();
    return result;
}

LRESULT CALLBACK DocumentViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    DocumentViewOwner* owner = OwnerOf(hwnd);
    if (!owner)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (IsInputMessage(message))
        return HandleInput(hwnd, *owner, message, wParam, lParam);
    switch (message) {
    case WM_SIZE:
        owner->OnViewResized(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case kCompleteMessage:
    case kReloadMessage:
        owner->OnQueuedMessage(message, wParam);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

HWND CreateDocumentView(DocumentViewOwner* owner) {
    static std::once_flag registered;
    std::call_once(registered, [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DocumentViewProc;
        wc.lpszClassName = kDocumentViewClass;
        RegisterClassExW(&wc);
    });
    return CreateWindowExW(0, kDocumentViewClass, u"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr,
                           nullptr, nullptr, owner);
}

} // namespace qx::html::editing::control
