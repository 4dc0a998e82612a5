#include "qx/commctrl/tab_model.h"

#include <algorithm>

#include "qx/commctrl/text_metrics.h"

namespace qx::win32::commctrl {

int TabModel::Insert(int index, TabItem item) {
    if (index < 0) {
        return -1;
    }
    index = std::min(index, Count());
    items_.insert(items_.begin() + index, std::move(item));
    if (selected_ < 0) {
        selected_ = 0;
    } else if (index <= selected_) {
        ++selected_;
    }
    return index;
}

bool TabModel::Delete(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    items_.erase(items_.begin() + index);
    if (index == selected_) {
        selected_ = -1;
    } else if (index < selected_) {
        --selected_;
    }
    return true;
}

void TabModel::DeleteAll() {
    items_.clear();
    selected_ = -1;
}

TabItem* TabModel::Item(int index) {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return &items_[static_cast<size_t>(index)];
}

int TabModel::Select(int index) {
    if (index < -1 || index >= Count()) {
        return -1;
    }
    int previous = selected_;
    selected_ = index;
    return previous;
}

int TabModel::RowHeight() const {
    return LineHeight(pixels_) + kPadding;
}

bool TabModel::ItemRect(int index, RECT& rect) const {
    if (index < 0 || index >= Count()) {
        return false;
    }
    int left = kRowMargin;
    for (int i = 0; i <= index; ++i) {
        int width = TextWidth(items_[static_cast<size_t>(i)].text, pixels_) + 2 * kPadding;
        if (i == index) {
            rect = RECT{left, kRowMargin, left + width, kRowMargin + RowHeight()};
            return true;
        }
        left += width;
    }
    return false;
}

int TabModel::HitTest(POINT point) const {
    for (int i = 0; i < Count(); ++i) {
        RECT r{};
        ItemRect(i, r);
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
            return i;
        }
    }
    return -1;
}

void TabModel::AdjustRect(bool larger, RECT& rect) const {
    int top = kRowMargin + RowHeight() + kFrame;
    int sign = larger ? -1 : 1;
    rect.left += sign * kFrame;
    rect.right -= sign * kFrame;
    rect.top += sign * top;
    rect.bottom -= sign * kFrame;
}

} // namespace qx::win32::commctrl
