// The state of a tab control: its tabs, the selected one, and where each tab lies. Tabs sit
// in one row along the top, each as wide as its label plus padding, under the fixed text
// metrics; the page area is the window less that row and a frame.
#pragma once

#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32::commctrl {

struct TabItem {
    std::u16string text;
    int image = -1;
    LPARAM param = 0;
    DWORD state = 0;
};

class TabModel {
public:
    static constexpr int kPadding = 6;   // on each side of a label
    static constexpr int kRowMargin = 2; // left of the first tab, above every tab
    static constexpr int kFrame = 4;     // between the page area and the window's edge

    int Count() const { return static_cast<int>(items_.size()); }
    // Inserts at the index, clamped to the end; -1 for a negative index. The first tab
    // inserted becomes the selected one; a tab inserted before the selected one moves it on.
    int Insert(int index, TabItem item);
    bool Delete(int index);
    void DeleteAll();
    TabItem* Item(int index);

    int Selected() const { return selected_; }
    // Selects the tab (or nothing for -1); returns the previous selection, -1 when out of range.
    int Select(int index);

    // The tab's rectangle in client coordinates; false for no such tab.
    bool ItemRect(int index, RECT& rect) const;
    // The tab under a point, -1 when none.
    int HitTest(POINT point) const;
    // TCM_ADJUSTRECT: from a window rectangle to its page area (larger = false), or back.
    void AdjustRect(bool larger, RECT& rect) const;
    int RowHeight() const;

    void SetFontPixels(int pixels) { pixels_ = pixels; }

private:
    std::vector<TabItem> items_;
    int selected_ = -1;
    int pixels_ = 12;
};

} // namespace qx::win32::commctrl
