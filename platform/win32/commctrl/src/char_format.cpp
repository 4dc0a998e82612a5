#include "qx/commctrl/char_format.h"

#include <algorithm>

#include "richedit.h"

namespace qx::win32::commctrl {
namespace {

// The effect bits each lives under the CFM_ bit of the same value, the colours' "auto" flags
// under CFM_COLOR and CFM_BACKCOLOR.
constexpr DWORD kEffectBits = 0x00037FFFu | CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;

constexpr LONG kDefaultHeight = 180; // 9 pt in twips
constexpr BYTE kHangulCharSet = 129;
constexpr LCID kKorean = 0x0412;

} // namespace

CharFormat DefaultCharFormat() {
    CharFormat format;
    format.effects = CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;
    format.height = kDefaultHeight;
    format.charSet = kHangulCharSet;
    format.face = u"\uAD74\uB9BC"; // 굴림
    format.weight = 400;
    format.lcid = kKorean;
    return format;
}

void ApplyCharFormat(CharFormat& to, const CharFormat& from, DWORD mask) {
    DWORD effects = mask & kEffectBits;
    to.effects = (to.effects & ~effects) | (from.effects & effects);
    if ((mask & CFM_BOLD) && !(mask & CFM_WEIGHT)) {
        to.weight = (from.effects & CFE_BOLD) ? 700 : 400;
    }
    if (mask & CFM_SIZE) {
        to.height = from.height;
    }
    if (mask & CFM_OFFSET) {
        to.offset = from.offset;
    }
    if (mask & CFM_COLOR) {
        to.color = from.color;
    }
    if (mask & CFM_CHARSET) {
        to.charSet = from.charSet;
    }
    if (mask & CFM_FACE) {
        to.face = from.face;
        to.pitchAndFamily = from.pitchAndFamily;
    }
    if (mask & CFM_WEIGHT) {
        to.weight = from.weight;
    }
    if (mask & CFM_SPACING) {
        to.spacing = from.spacing;
    }
    if (mask & CFM_BACKCOLOR) {
        to.backColor = from.backColor;
    }
    if (mask & CFM_LCID) {
        to.lcid = from.lcid;
    }
    if (mask & CFM_STYLE) {
        to.style = from.style;
    }
    if (mask & CFM_KERNING) {
        to.kerning = from.kerning;
    }
    if (mask & CFM_UNDERLINETYPE) {
        to.underlineType = from.underlineType;
    }
    if (mask & CFM_ANIMATION) {
        to.animation = from.animation;
    }
    if (mask & CFM_REVAUTHOR) {
        to.revAuthor = from.revAuthor;
    }
}

DWORD AgreeingMask(const CharFormat& a, const CharFormat& b) {
    DWORD mask = CFM_ALL2 & ~kEffectBits;
    mask |= ~(a.effects ^ b.effects) & kEffectBits;
    // Colours agree when both are automatic or both are the same colour.
    if ((a.effects & CFE_AUTOCOLOR) == 0 && (b.effects & CFE_AUTOCOLOR) == 0 && a.color != b.color) {
        mask &= ~CFM_COLOR;
    }
    if ((a.effects & CFE_AUTOBACKCOLOR) == 0 && (b.effects & CFE_AUTOBACKCOLOR) == 0 &&
        a.backColor != b.backColor) {
        mask &= ~CFM_BACKCOLOR;
    }
    // Subscript and superscript are one attribute.
    if ((mask & CFM_SUBSCRIPT) != CFM_SUBSCRIPT) {
        mask &= ~CFM_SUBSCRIPT;
    }
    auto drop = [&mask](bool same, DWORD bit) {
        if (!same) {
            mask &= ~bit;
        }
    };
    drop(a.height == b.height, CFM_SIZE);
    drop(a.offset == b.offset, CFM_OFFSET);
    drop(a.charSet == b.charSet, CFM_CHARSET);
    drop(a.face == b.face && a.pitchAndFamily == b.pitchAndFamily, CFM_FACE);
    drop(a.weight == b.weight, CFM_WEIGHT);
    drop(a.spacing == b.spacing, CFM_SPACING);
    drop(a.lcid == b.lcid, CFM_LCID);
    drop(a.style == b.style, CFM_STYLE);
    drop(a.kerning == b.kerning, CFM_KERNING);
    drop(a.underlineType == b.underlineType, CFM_UNDERLINETYPE);
    drop(a.animation == b.animation, CFM_ANIMATION);
    drop(a.revAuthor == b.revAuthor, CFM_REVAUTHOR);
    return mask;
}

void FormatRuns::Reset(LONG length, const CharFormat& format) {
    runs_.clear();
    total_ = length;
    if (length > 0) {
        runs_.push_back(Run{length, format});
    }
}

size_t FormatRuns::SplitAt(LONG pos) {
    LONG start = 0;
    for (size_t i = 0; i < runs_.size(); ++i) {
        if (pos == start) {
            return i;
        }
        LONG end = start + runs_[i].length;
        if (pos < end) {
            Run tail{end - pos, runs_[i].format};
            runs_[i].length = pos - start;
            runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return i + 1;
        }
        start = end;
    }
    return runs_.size();
}

void FormatRuns::Coalesce() {
    std::vector<Run> merged;
    merged.reserve(runs_.size());
    for (auto& run : runs_) {
        if (run.length <= 0) {
            continue;
        }
        if (!merged.empty() && merged.back().format == run.format) {
            merged.back().length += run.length;
        } else {
            merged.push_back(std::move(run));
        }
    }
    runs_ = std::move(merged);
}

void FormatRuns::Insert(LONG pos, LONG count, const CharFormat& format) {
    InsertRuns(pos, {Run{count, format}});
}

void FormatRuns::InsertRuns(LONG pos, const std::vector<Run>& runs) {
    pos = std::clamp<LONG>(pos, 0, total_);
    size_t at = SplitAt(pos);
    runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(at), runs.begin(), runs.end());
    for (const auto& run : runs) {
        total_ += run.length;
    }
    Coalesce();
}

bool FormatRuns::Cover(LONG& start, LONG& end, size_t& first, size_t& last) {
    start = std::clamp<LONG>(start, 0, total_);
    end = std::clamp<LONG>(end, start, total_);
    if (start == end) {
        return false;
    }
    first = SplitAt(start);
    last = SplitAt(end);
    return true;
}

void FormatRuns::Erase(LONG start, LONG end) {
    size_t first = 0;
    size_t last = 0;
    if (!Cover(start, end, first, last)) {
        return;
    }
    runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first),
                runs_.begin() + static_cast<std::ptrdiff_t>(last));
    total_ -= end - start;
    Coalesce();
}

void FormatRuns::Apply(LONG start, LONG end, const CharFormat& values, DWORD mask) {
    size_t first = 0;
    size_t last = 0;
    if (!Cover(start, end, first, last)) {
        return;
    }
    for (size_t i = first; i < last; ++i) {
        ApplyCharFormat(runs_[i].format, values, mask);
    }
    Coalesce();
}

std::vector<FormatRuns::Run> FormatRuns::Slice(LONG start, LONG end) const {
    std::vector<Run> slice;
    LONG runStart = 0;
    for (const auto& run : runs_) {
        LONG runEnd = runStart + run.length;
        LONG from = std::max(start, runStart);
        LONG to = std::min(end, runEnd);
        if (from < to) {
            slice.push_back(Run{to - from, run.format});
        }
        runStart = runEnd;
    }
    return slice;
}

const CharFormat& FormatRuns::At(LONG pos) const {
    if (runs_.empty()) {
        static const CharFormat none = DefaultCharFormat();
        return none;
    }
    LONG start = 0;
    for (const auto& run : runs_) {
        if (pos < start + run.length) {
            return run.format;
        }
        start += run.length;
    }
    return runs_.back().format;
}

CharFormat FormatRuns::Common(LONG start, LONG end, DWORD& mask) const {
    mask = CFM_ALL2;
    const CharFormat* first = nullptr;
    LONG runStart = 0;
    for (const auto& run : runs_) {
        LONG runEnd = runStart + run.length;
        if (runEnd > start && runStart < end) {
            if (first == nullptr) {
                first = &run.format;
            } else {
                mask &= AgreeingMask(*first, run.format);
            }
        }
        runStart = runEnd;
    }
    return first ? *first : CharFormat{};
}

} // namespace qx::win32::commctrl
