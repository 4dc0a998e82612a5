#include "item_list.h"
#include "control_support.h"

#include <algorithm>
#include <cctype>

namespace qx::win32::controls {
namespace {

int CompareNoCase(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i]));
        int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

} // namespace

int ItemList::Add(std::string_view text, bool sorted) {
    auto at = items_.end();
    if (sorted) {
        at = std::upper_bound(
            items_.begin(), items_.end(), text,
            [](std::string_view value, const ListItem& item) { return CompareNoCase(value, item.text) < 0; });
    }
    at = items_.insert(at, ListItem{std::string(text), 0, false});
    return static_cast<int>(at - items_.begin());
}

int ItemList::Insert(int index, std::string_view text) {
    if (index < -1 || index > Count()) {
        return -1;
    }
    std::size_t at = index == -1 ? items_.size() : static_cast<std::size_t>(index);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), ListItem{std::string(text), 0, false});
    return static_cast<int>(at);
}

int ItemList::Erase(int index) {
    if (!Valid(index)) {
        return -1;
    }
    items_.erase(items_.begin() + index);
    return Count();
}

int ItemList::Find(int after, std::string_view text, bool exact) const {
    int count = Count();
    int start = after < -1 || after >= count ? -1 : after;
    for (int step = 1; step <= count; ++step) {
        int index = (start + step) % count;
        std::string_view candidate = At(index).text;
        if (exact ? CompareNoCase(candidate, text) == 0
                  : CompareNoCase(candidate.substr(0, std::min(candidate.size(), text.size())), text) == 0 &&
                        candidate.size() >= text.size()) {
            return index;
        }
    }
    return -1;
}

LRESULT ItemText(const ItemList& items, WPARAM index, LPARAM buffer) {
    int i = static_cast<int>(index);
    if (!items.Valid(i) || buffer == 0) {
        return -1;
    }
    return CopyWholeText(items.At(i).text, reinterpret_cast<char*>(buffer));
}

LRESULT ItemTextLength(const ItemList& items, WPARAM index) {
    int i = static_cast<int>(index);
    return items.Valid(i) ? static_cast<LRESULT>(items.At(i).text.size()) : -1;
}

} // namespace qx::win32::controls
