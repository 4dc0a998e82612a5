#include "text_field.h"
#include "control_support.h"

#include "winnls.h"

#include <algorithm>

namespace qx::win32::controls {

void TextField::SetText(std::string_view text) {
    text_.assign(text);
    start_ = end_ = 0;
}

void TextField::Select(long start, long end) {
    if (start < 0) {
        start_ = end_;
        return;
    }
    std::size_t from = std::min<std::size_t>(static_cast<std::size_t>(start), text_.size());
    std::size_t to =
        end < 0 ? text_.size() : std::min<std::size_t>(static_cast<std::size_t>(end), text_.size());
    if (from > to) {
        std::swap(from, to);
    }
    start_ = CharStart(text_, from);
    end_ = to == text_.size() ? to : CharStart(text_, to);
}

TextField::Outcome TextField::Replace(std::string_view insert) {
    std::size_t kept = text_.size() - (end_ - start_);
    std::size_t room = limit_ > kept ? limit_ - kept : 0;
    std::size_t count = CutOnCharacter(insert, room);
    Outcome outcome{count > 0 || end_ > start_, count < insert.size()};
    text_.replace(start_, end_ - start_, insert.substr(0, count));
    start_ = end_ = start_ + count;
    return outcome;
}

TextField::Outcome TextField::Erase(bool forward) {
    if (start_ == end_) {
        if (forward) {
            if (end_ == text_.size()) {
                return {};
            }
            end_ += CharLength(text_, end_);
        } else {
            if (start_ == 0) {
                return {};
            }
            start_ = CharStart(text_, start_ - 1);
        }
    }
    return Replace({});
}

std::optional<std::string> TextField::Typed(unsigned char byte) {
    if (pendingLead_ >= 0) {
        std::string character{static_cast<char>(pendingLead_), static_cast<char>(byte)};
        pendingLead_ = -1;
        return character;
    }
    if (IsDBCSLeadByte(byte)) {
        pendingLead_ = byte;
        return std::nullopt;
    }
    return std::string(1, static_cast<char>(byte));
}

void TextField::MoveCaret(bool toEdge, bool forward) {
    std::size_t caret = end_;
    if (toEdge) {
        caret = forward ? text_.size() : 0;
    } else if (forward) {
        caret = caret < text_.size() ? caret + CharLength(text_, caret) : caret;
    } else {
        caret = caret > 0 ? CharStart(text_, caret - 1) : 0;
    }
    start_ = end_ = caret;
}

} // namespace qx::win32::controls
