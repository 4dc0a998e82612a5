#include "qx/commctrl/up_down_model.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace qx::win32::commctrl {

void UpDownModel::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
    position_ = Clamp(position_);
}

int UpDownModel::Clamp(int value) const {
    return std::clamp(value, std::min(lower_, upper_), std::max(lower_, upper_));
}

int UpDownModel::SetPosition(int position) {
    int previous = position_;
    position_ = Clamp(position);
    return previous;
}

int UpDownModel::ProposedDelta(bool up) const {
    int towardsUpper = upper_ >= lower_ ? 1 : -1;
    return up ? towardsUpper : -towardsUpper;
}

int UpDownModel::Landing(int delta) const {
    int low = std::min(lower_, upper_);
    int high = std::max(lower_, upper_);
    std::int64_t target = static_cast<std::int64_t>(position_) + delta;
    if (target > high) {
        return wrap_ ? low : high;
    }
    if (target < low) {
        return wrap_ ? high : low;
    }
    return static_cast<int>(target);
}

std::u16string UpDownBuddyText(int position, bool thousands) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%lld", std::llabs(static_cast<long long>(position)));
    std::u16string text;
    if (position < 0) {
        text += u'-';
    }
    size_t count = std::char_traits<char>::length(digits);
    for (size_t i = 0; i < count; ++i) {
        if (thousands && i > 0 && (count - i) % 3 == 0) {
            text += u',';
        }
        text += static_cast<char16_t>(digits[i]);
    }
    return text;
}

std::optional<int> ParseUpDownBuddyText(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    bool any = false;
    for (char16_t c : text) {
        if (c == u',') {
            continue;
        }
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
        if (value > 0xFFFFFFFFll) {
            return std::nullopt;
        }
        any = true;
    }
    if (!any) {
        return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace qx::win32::commctrl
