// The control's context menu over the edited document: built anew each time from the selection
// and the editing control's command states, tracked at the event's screen point (at the cursor
// when no event is under way), and the chosen item's action.
#include "external_dispatch.h"

#include "dispatch_names.h"
#include "editor_commands.h"
#include "velkor_control.h"

#include <winuser_input.h>
#include <winuser_menu.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

enum MenuItem : UINT {
    kCancel = 0,
    kInsertTable = 100,
    kCopy = 101,
    kCut = 102,
    kPaste = 103,
    kTableProperties = 104,
    kCellProperties = 105,
    kPicture = 201,
    kFont = 202,
    kTableAbsolute = 203,
    kHyperlinkProperties = 204,
    kOpenHyperlink = 205,
    kClearCells = 206,
    kSelectProperties = 207,
};

void AppendItem(HMENU menu, UINT id, const char16_t* label, bool grayed) {
    AppendMenuW(menu, MF_STRING | (grayed ? MF_GRAYED : MF_ENABLED), id, label);
}

void AppendSeparator(HMENU menu) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

// The screen point of the document's current event; the cursor's when there is no event (a call
// from script outside an event handler).
POINT MenuPoint(IHTMLDocument2* document) {
    POINT point{};
    ComPtr<IDispatch> window, event;
    Variant x, y;
    if (SUCCEEDED(GetObjectByName(document, u"parentWindow", &window)) &&
        SUCCEEDED(GetObjectByName(window.Get(), u"event", &event)) &&
        SUCCEEDED(GetPropertyByName(event.Get(), u"screenX", &x)) && SUCCEEDED(x.ChangeType(VT_I4)) &&
        SUCCEEDED(GetPropertyByName(event.Get(), u"screenY", &y)) && SUCCEEDED(y.ChangeType(VT_I4))) {
        point.x = x.lVal;
        point.y = y.lVal;
        return point;
    }
    GetCursorPos(&point);
    return point;
}

bool TagIsExactly(IHTMLElement* element, std::u16string_view tag) {
    Bstr name;
    return element && SUCCEEDED(element->get_tagName(&name)) && name.View() == tag;
}

} // namespace

void CExternalDispatch::ShowContextMenu() {
    if (!owner_)
        return;
    CTableEditor& engine = owner_->TableEditor();
    ComPtr<IHTMLDocument2> document(engine.Document());
    IDispatch* editor = owner_->EditorObject();
    if (!document || !editor)
        return;
    ComPtr<IHTMLElement> selected = engine.GetSelectedElement();
    const HWND ownerWindow = engine.EditorWindow();
    const POINT point = MenuPoint(document.Get());
    ComPtr<IHTMLElement> table = FindAncestorByTag(selected.Get(), u"TABLE");
    if (!engine.IsSelectionEditable())
        return;

    const Variant insertStatus = QueryCommand(Variant(LONG{FPID_INSERTTABLE}), Variant());
    const bool insertTable = insertStatus.vt == VT_I2 && insertStatus.iVal == FPF_ENABLED;
    auto enabled = [editor](LONG command) { return EditorCommandStatus(editor, command) == DECMDF_ENABLED; };
    const bool hyperlink = enabled(DECMD_HYPERLINK);

    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    AppendItem(menu, kInsertTable, u"테이블 삽입", !enabled(DECMD_INSERTTABLE) || !insertTable);
    if (table) {
        AppendSeparator(menu);
        AppendItem(menu, kCopy, u"복 사", !enabled(DECMD_COPY));
        AppendItem(menu, kCut, u"잘라내기", !enabled(DECMD_CUT));
        AppendItem(menu, kPaste, u"붙여놓기", !enabled(DECMD_PASTE));
        AppendItem(menu, kClearCells, u"셀내용 지우기", false);
        AppendSeparator(menu);
        AppendItem(menu, kTableProperties, u"표 속성", !HasFreeAncestor(table.Get()));
        AppendItem(menu, kCellProperties, u"셀 속성", false);
    }
    AppendSeparator(menu);
    if (TagIsExactly(selected.Get(), u"IMG"))
        AppendItem(menu, kPicture, u"그림...", false);
    if (TagNameIs(selected.Get(), "TABLE"))
        AppendItem(menu, kTableAbsolute, u"Table Absolute", true);
    if (TagNameIs(selected.Get(), "SELECT"))
        AppendItem(menu, kSelectProperties, u"Select Property", false);
    if (hyperlink) {
        AppendItem(menu, kHyperlinkProperties, u"하이퍼링크 속성...", false);
        AppendItem(menu, kOpenHyperlink, u"하이퍼링크 확인", false);
    }
    AppendItem(menu, kFont, u"글꼴", !enabled(DECMD_FONT));
    AppendItem(menu, kCancel, u"취소", false);

    // The menu's loop runs the queue: the bridge keeps itself until the chosen item has run.
    ComPtr<IDispatch> self(static_cast<IDispatch*>(this));
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                       point.x, point.y, 0, ownerWindow, nullptr));
    DestroyMenu(menu);
    RunMenuItem(chosen);
}

// The create-table, table and cell property, and option-list dialogs are not part of the control
// yet: their items do nothing.
void CExternalDispatch::RunMenuItem(UINT item) {
    if (!owner_)
        return;
    IDispatch* editor = owner_->EditorObject();
    switch (item) {
    case kCopy:
        RunEditorCommand(editor, DECMD_COPY);
        break;
    case kCut:
        RunEditorCommand(editor, DECMD_CUT);
        break;
    case kPaste:
        RunEditorCommand(editor, DECMD_PASTE);
        break;
    case kFont:
        RunEditorCommand(editor, DECMD_FONT);
        break;
    case kHyperlinkProperties:
        RunEditorCommand(editor, DECMD_HYPERLINK);
        break;
    case kPicture:
        DoCommand(Variant(LONG{FPID_IMG_DIALOG}), Variant());
        break;
    case kClearCells:
        ClearCellContents();
        break;
    case kOpenHyperlink:
        OpenLinkInNewWindow();
        break;
    default:
        break;
    }
}

// Any scheme of the link's address is opened, in a new window of the browser that shows the
// toolbar page.
void CExternalDispatch::OpenLinkInNewWindow() {
    ComPtr<IHTMLElement> anchor = FindAncestorByTag(owner_->TableEditor().GetSelectedElement().Get(), u"A");
    Variant href;
    IWebBrowser2* browser = owner_->PageBrowser();
    if (!anchor || !browser || FAILED(GetPropertyByName(anchor.Get(), u"href", &href)) ||
        href.vt != VT_BSTR || SysStringLen(href.bstrVal) == 0)
        return;
    Variant flags(LONG{1}); // navOpenInNewWindow
    Variant none;
    browser->Navigate(href.bstrVal, &flags, &none, &none, &none);
}
