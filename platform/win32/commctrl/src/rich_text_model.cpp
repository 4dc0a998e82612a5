#include "qx/commctrl/rich_text_model.h"

#include <algorithm>

#include "richedit.h"

namespace qx::win32::commctrl {
namespace {

// Case folding for searches without FR_MATCHCASE: Latin, Greek, Cyrillic and full-width Latin
// capitals (Hangul and CJK have no case).
char16_t FoldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9) ||
        (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A)) {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 0x50);
    }
    return c;
}

// What ends a word for FR_WHOLEWORD: blanks, line ends, ASCII punctuation and the general and
// CJK punctuation blocks.
bool IsWordChar(char16_t c) {
    if (c < 0x80) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
    }
    return !(c == 0xA0 || (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) ||
             (c >= 0xFF01 && c <= 0xFF0F));
}

} // namespace

RichTextModel::RichTextModel() : default_(DefaultCharFormat()) {}

std::u16string RichTextModel::Normalize(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        } else if (c == u'\n') {
            c = u'\r';
        }
        result += c;
    }
    return result;
}

void RichTextModel::Changed() {
    ++revision_;
    lineStartsValid_ = false;
    firstVisible_ = std::min(firstVisible_, LineCount() - 1);
}

void RichTextModel::SetText(std::u16string_view text) {
    text_ = Normalize(text);
    formats_.Reset(Length(), default_);
    caretFormat_.reset();
    anchor_ = active_ = 0;
    modified_ = false;
    undo_.clear();
    firstVisible_ = 0;
    Changed();
}

std::u16string RichTextModel::Slice(LONG min, LONG max) const {
    min = std::clamp<LONG>(min, 0, Length());
    max = std::clamp<LONG>(max, min, Length());
    return text_.substr(static_cast<size_t>(min), static_cast<size_t>(max - min));
}

TextRange RichTextModel::Selection() const {
    return TextRange{std::min(anchor_, active_), std::max(anchor_, active_)};
}

void RichTextModel::SetSelection(LONG min, LONG max) {
    LONG length = Length();
    if (min == 0 && max == -1) {
        anchor_ = 0;
        active_ = length;
    } else if (min < 0) {
        anchor_ = active_ = Selection().max;
    } else {
        anchor_ = std::min(min, length);
        active_ = max < 0 ? length : std::min(max, length);
    }
    caretFormat_.reset();
}

void RichTextModel::MoveCaret(LONG pos, bool extend) {
    active_ = std::clamp<LONG>(pos, 0, Length());
    if (!extend) {
        anchor_ = active_;
    }
    caretFormat_.reset();
}

const CharFormat& RichTextModel::InsertionFormat(LONG pos) const {
    if (caretFormat_) {
        return *caretFormat_;
    }
    if (Length() == 0) {
        return default_;
    }
    // New text takes the format of the character before it (after it at the very start).
    return formats_.At(pos > 0 ? pos - 1 : 0);
}

LONG RichTextModel::Replace(TextRange range, std::u16string_view text, bool undoable, bool typing,
                            bool* truncated) {
    std::u16string inserted = Normalize(text);
    LONG room = std::max<LONG>(0, limit_ - (Length() - (range.max - range.min)));
    bool cut = static_cast<LONG>(inserted.size()) > room;
    if (cut) {
        LONG keep = room;
        // Never keep half of a surrogate pair.
        if (keep > 0 && inserted[static_cast<size_t>(keep) - 1] >= 0xD800 &&
            inserted[static_cast<size_t>(keep) - 1] <= 0xDBFF) {
            --keep;
        }
        inserted.resize(static_cast<size_t>(keep));
    }
    if (truncated) {
        *truncated = cut;
    }
    if (inserted.empty() && range.min == range.max) {
        return 0;
    }
    CharFormat format = InsertionFormat(range.min);
    Edit edit{range.min,
              Slice(range.min, range.max),
              formats_.Slice(range.min, range.max),
              static_cast<LONG>(inserted.size()),
              Selection(),
              typing};
    text_.replace(static_cast<size_t>(range.min), static_cast<size_t>(range.max - range.min), inserted);
    formats_.Erase(range.min, range.max);
    formats_.Insert(range.min, static_cast<LONG>(inserted.size()), format);

    if (!undoable) {
        undo_.clear();
    } else if (typing && edit.removed.empty() && !undo_.empty() && undo_.back().typing &&
               undo_.back().pos + undo_.back().inserted == edit.pos) {
        undo_.back().inserted += edit.inserted;
    } else {
        undo_.push_back(std::move(edit));
        if (undo_.size() > kUndoLimit) {
            undo_.erase(undo_.begin());
        }
    }
    anchor_ = active_ = range.min + static_cast<LONG>(inserted.size());
    caretFormat_.reset();
    modified_ = true;
    Changed();
    return static_cast<LONG>(inserted.size());
}

LONG RichTextModel::ReplaceSelection(std::u16string_view text, bool undoable, bool* truncated) {
    return Replace(Selection(), text, undoable, false, truncated);
}

bool RichTextModel::Type(std::u16string_view text, bool* truncated) {
    if (readOnly_) {
        return false;
    }
    Replace(Selection(), text, true, true, truncated);
    return true;
}

bool RichTextModel::Undo() {
    if (undo_.empty()) {
        return false;
    }
    Edit edit = std::move(undo_.back());
    undo_.pop_back();
    LONG end = std::min(edit.pos + edit.inserted, Length());
    text_.replace(static_cast<size_t>(edit.pos), static_cast<size_t>(end - edit.pos), edit.removed);
    formats_.Erase(edit.pos, end);
    formats_.InsertRuns(edit.pos, edit.removedFormats);
    anchor_ = edit.selectionBefore.min;
    active_ = edit.selectionBefore.max;
    caretFormat_.reset();
    modified_ = true;
    Changed();
    return true;
}

std::optional<TextRange> RichTextModel::Find(TextRange within, std::u16string_view what,
                                             FindOptions options) const {
    LONG length = Length();
    if (what.empty()) {
        return std::nullopt;
    }
    std::u16string pattern = Normalize(what);
    LONG lo = 0;
    LONG hi = length;
    if (options.down) {
        lo = std::clamp<LONG>(within.min, 0, length);
        hi = within.max < 0 ? length : std::clamp<LONG>(within.max, 0, length);
    } else {
        // Upwards the search runs from cpMin back to cpMax (-1: to the start).
        hi = within.min < 0 ? length : std::clamp<LONG>(within.min, 0, length);
        lo = within.max < 0 ? 0 : std::clamp<LONG>(within.max, 0, length);
    }
    LONG n = static_cast<LONG>(pattern.size());
    if (hi - lo < n) {
        return std::nullopt;
    }
    auto equal = [&](char16_t a, char16_t b) {
        return options.matchCase ? a == b : FoldCase(a) == FoldCase(b);
    };
    auto wordBounded = [&](LONG start) {
        if (!options.wholeWord) {
            return true;
        }
        bool before = start == 0 || !IsWordChar(text_[static_cast<size_t>(start) - 1]);
        bool after = start + n == length || !IsWordChar(text_[static_cast<size_t>(start + n)]);
        return before && after;
    };
    auto matchesAt = [&](LONG start) {
        for (LONG i = 0; i < n; ++i) {
            if (!equal(text_[static_cast<size_t>(start + i)], pattern[static_cast<size_t>(i)])) {
                return false;
            }
        }
        return wordBounded(start);
    };
    if (options.down) {
        auto first = text_.begin() + lo;
        auto last = text_.begin() + hi;
        while (first != last) {
            auto found = std::search(first, last, pattern.begin(), pattern.end(), equal);
            if (found == last) {
                break;
            }
            LONG start = static_cast<LONG>(found - text_.begin());
            if (wordBounded(start)) {
                return TextRange{start, start + n};
            }
            first = found + 1;
        }
        return std::nullopt;
    }
    for (LONG start = hi - n; start >= lo; --start) {
        if (matchesAt(start)) {
            return TextRange{start, start + n};
        }
    }
    return std::nullopt;
}

void RichTextModel::BuildLineStarts() const {
    if (lineStartsValid_) {
        return;
    }
    lineStarts_.assign(1, 0);
    for (size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == u'\r') {
            lineStarts_.push_back(static_cast<LONG>(i) + 1);
        }
    }
    lineStartsValid_ = true;
}

LONG RichTextModel::LineCount() const {
    BuildLineStarts();
    return static_cast<LONG>(lineStarts_.size());
}

LONG RichTextModel::LineIndex(LONG line) const {
    BuildLineStarts();
    if (line < 0 || line >= static_cast<LONG>(lineStarts_.size())) {
        return -1;
    }
    return lineStarts_[static_cast<size_t>(line)];
}

LONG RichTextModel::LineFromChar(LONG pos) const {
    BuildLineStarts();
    pos = std::clamp<LONG>(pos, 0, Length());
    auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos);
    return static_cast<LONG>(it - lineStarts_.begin()) - 1;
}

LONG RichTextModel::LineLength(LONG line) const {
    LONG start = LineIndex(line);
    if (start < 0) {
        return 0;
    }
    LONG next = LineIndex(line + 1);
    return (next < 0 ? Length() : next - 1) - start;
}

void RichTextModel::ScrollLines(LONG lines) {
    LONG target = static_cast<LONG>(std::clamp<long long>(static_cast<long long>(firstVisible_) + lines, 0,
                                                          static_cast<long long>(LineCount()) - 1));
    firstVisible_ = target;
}

void RichTextModel::ScrollCaret() {
    LONG line = LineFromChar(active_);
    if (line < firstVisible_) {
        firstVisible_ = line;
    } else if (line >= firstVisible_ + visibleLines_) {
        firstVisible_ = line - visibleLines_ + 1;
    }
}

void RichTextModel::SetFormat(Scope scope, const CharFormat& values, DWORD mask) {
    switch (scope) {
    case Scope::Default:
        ApplyCharFormat(default_, values, mask);
        // An empty control shows its default format; text already formatted keeps its own.
        if (Length() == 0) {
            caretFormat_.reset();
        }
        break;
    case Scope::All:
        formats_.Apply(0, Length(), values, mask);
        ApplyCharFormat(default_, values, mask);
        caretFormat_.reset();
        break;
    case Scope::Selection: {
        TextRange sel = Selection();
        if (sel.min == sel.max) {
            CharFormat caret = InsertionFormat(sel.min);
            ApplyCharFormat(caret, values, mask);
            caretFormat_ = caret;
        } else {
            formats_.Apply(sel.min, sel.max, values, mask);
        }
        break;
    }
    }
}

CharFormat RichTextModel::GetFormat(Scope scope, DWORD& mask) const {
    TextRange sel = Selection();
    if (scope == Scope::Default) {
        mask = CFM_ALL2;
        return default_;
    }
    if (scope == Scope::All) {
        sel = TextRange{0, Length()};
    }
    if (sel.min == sel.max) {
        mask = CFM_ALL2;
        return InsertionFormat(sel.min);
    }
    return formats_.Common(sel.min, sel.max, mask);
}

} // namespace qx::win32::commctrl
