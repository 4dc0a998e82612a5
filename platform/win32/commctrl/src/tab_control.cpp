// "SysTabControl32": a click on a tab, or an arrow key, asks the parent (TCN_SELCHANGING, which
// may refuse) and then tells it (TCN_SELCHANGE); TCM_SETCURSEL changes the selection silently,
// as on Windows.
#include "control_support.h"
#include "controls.h"
#include "qx/commctrl/tab_model.h"
#include "winuser_input.h"

namespace qx::win32::commctrl {
namespace {

class TabControl {
public:
    static constexpr const char* kAttachment = "commctrl.tab";

    TabControl(HWND hwnd, bool) : hwnd_(hwnd) {}
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Selects a tab the way a user does: asking the parent first.
    void UserSelect(int index);

    template <typename Tab>
    LRESULT Insert(int index, const Tab* tab, bool wide);
    template <typename Tab>
    LRESULT Set(int index, const Tab* tab, bool wide);
    template <typename Tab>
    LRESULT Get(int index, Tab* tab, bool wide);

    HWND hwnd_;
    TabModel model_;
};

void TabControl::UserSelect(int index) {
    if (index < 0 || index >= model_.Count() || index == model_.Selected()) {
        return;
    }
    NMHDR notice{};
    if (NotifyParent(hwnd_, TCN_SELCHANGING, notice) != 0) {
        return;
    }
    model_.Select(index);
    NMHDR changed{};
    NotifyParent(hwnd_, TCN_SELCHANGE, changed);
}

template <typename Tab>
LRESULT TabControl::Insert(int index, const Tab* tab, bool wide) {
    if (tab == nullptr) {
        return -1;
    }
    TabItem item;
    if (tab->mask & TCIF_TEXT) {
        item.text = TextIn(tab->pszText, wide);
    }
    if (tab->mask & TCIF_IMAGE) {
        item.image = tab->iImage;
    }
    if (tab->mask & TCIF_PARAM) {
        item.param = tab->lParam;
    }
    if (tab->mask & TCIF_STATE) {
        item.state = tab->dwState & tab->dwStateMask;
    }
    return model_.Insert(index, std::move(item));
}

template <typename Tab>
LRESULT TabControl::Set(int index, const Tab* tab, bool wide) {
    TabItem* item = model_.Item(index);
    if (tab == nullptr || item == nullptr) {
        return FALSE;
    }
    if (tab->mask & TCIF_TEXT) {
        item->text = TextIn(tab->pszText, wide);
    }
    if (tab->mask & TCIF_IMAGE) {
        item->image = tab->iImage;
    }
    if (tab->mask & TCIF_PARAM) {
        item->param = tab->lParam;
    }
    if (tab->mask & TCIF_STATE) {
        item->state = (item->state & ~tab->dwStateMask) | (tab->dwState & tab->dwStateMask);
    }
    return TRUE;
}

template <typename Tab>
LRESULT TabControl::Get(int index, Tab* tab, bool wide) {
    TabItem* item = model_.Item(index);
    if (tab == nullptr || item == nullptr) {
        return FALSE;
    }
    if (tab->mask & TCIF_TEXT) {
        TextOut(item->text, tab->pszText, tab->cchTextMax, wide);
    }
    if (tab->mask & TCIF_IMAGE) {
        tab->iImage = item->image;
    }
    if (tab->mask & TCIF_PARAM) {
        tab->lParam = item->param;
    }
    if (tab->mask & TCIF_STATE) {
        tab->dwState = item->state & tab->dwStateMask;
    }
    return TRUE;
}

LRESULT TabControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (message) {
    case WM_LBUTTONDOWN: {
        int hit = model_.HitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (hit >= 0 && !(GetWindowLongPtrW(hwnd_, GWL_STYLE) & TCS_FOCUSNEVER)) {
            SetFocus(hwnd_);
        }
        UserSelect(hit);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_LEFT || wParam == VK_RIGHT) {
            UserSelect(model_.Selected() + (wParam == VK_RIGHT ? 1 : -1));
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;

    case TCM_INSERTITEMA:
        return Insert(index, reinterpret_cast<const TCITEMA*>(lParam), false);
    case TCM_INSERTITEMW:
        return Insert(index, reinterpret_cast<const TCITEMW*>(lParam), true);
    case TCM_SETITEMA:
        return Set(index, reinterpret_cast<const TCITEMA*>(lParam), false);
    case TCM_SETITEMW:
        return Set(index, reinterpret_cast<const TCITEMW*>(lParam), true);
    case TCM_GETITEMA:
        return Get(index, reinterpret_cast<TCITEMA*>(lParam), false);
    case TCM_GETITEMW:
        return Get(index, reinterpret_cast<TCITEMW*>(lParam), true);
    case TCM_DELETEITEM:
        return model_.Delete(index) ? TRUE : FALSE;
    case TCM_DELETEALLITEMS:
        model_.DeleteAll();
        return TRUE;
    case TCM_GETITEMCOUNT:
        return model_.Count();
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS:
        return model_.Selected();
    case TCM_SETCURSEL:
        return model_.Select(index);
    case TCM_SETCURFOCUS:
        UserSelect(index);
        return 0;
    case TCM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        return rect != nullptr && model_.ItemRect(index, *rect) ? TRUE : FALSE;
    }
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (info == nullptr) {
            return -1;
        }
        int hit = model_.HitTest(info->pt);
        info->flags = hit >= 0 ? TCHT_ONITEMLABEL : TCHT_NOWHERE;
        return hit;
    }
    case TCM_ADJUSTRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam)) {
            model_.AdjustRect(wParam != 0, *rect);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK TabControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<TabControl, true>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::commctrl
