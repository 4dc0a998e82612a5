// Character formats of a rich text and the runs of characters that share one.
#pragma once

#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32::commctrl {

// Every attribute CHARFORMAT2 carries, the face in UTF-16. Effects keep the CFE_ bits,
// CFE_AUTOCOLOR and CFE_AUTOBACKCOLOR among them.
struct CharFormat {
    DWORD effects = 0;
    LONG height = 0; // twips
    LONG offset = 0;
    COLORREF color = 0;
    BYTE charSet = 0;
    BYTE pitchAndFamily = 0;
    std::u16string face;
    WORD weight = 0;
    SHORT spacing = 0;
    COLORREF backColor = 0;
    LCID lcid = 0;
    SHORT style = 0;
    WORD kerning = 0;
    BYTE underlineType = 0;
    BYTE animation = 0;
    BYTE revAuthor = 0;

    bool operator==(const CharFormat&) const = default;
};

// The format a new rich edit starts with: automatic colours, "굴림" 9 pt, Hangul character set.
CharFormat DefaultCharFormat();

// Copies into `to` the attributes `mask` (CFM_ bits) names.
void ApplyCharFormat(CharFormat& to, const CharFormat& from, DWORD mask);
// The CFM_ bits of the attributes on which both formats agree.
DWORD AgreeingMask(const CharFormat& a, const CharFormat& b);

// The formats of a text as runs of characters; the runs' lengths add up to the text's.
class FormatRuns {
public:
    struct Run {
        LONG length = 0;
        CharFormat format;
    };

    LONG Length() const { return total_; }
    void Reset(LONG length, const CharFormat& format);
    void Insert(LONG pos, LONG count, const CharFormat& format);
    void InsertRuns(LONG pos, const std::vector<Run>& runs);
    void Erase(LONG start, LONG end);
    void Apply(LONG start, LONG end, const CharFormat& values, DWORD mask);
    std::vector<Run> Slice(LONG start, LONG end) const;
    // The format of the character at pos (pos < Length()).
    const CharFormat& At(LONG pos) const;
    // The format of [start, end), with the CFM_ bits on which all its characters agree.
    CharFormat Common(LONG start, LONG end, DWORD& mask) const;
    size_t RunCount() const { return runs_.size(); }

private:
    // Makes a run begin at pos; returns its index (RunCount() when pos is the end).
    size_t SplitAt(LONG pos);
    // Clamps [start, end) to the text and makes runs begin at both ends, [first, last) covering
    // it; false when it is empty.
    bool Cover(LONG& start, LONG& end, size_t& first, size_t& last);
    void Coalesce();

    std::vector<Run> runs_;
    LONG total_ = 0;
};

} // namespace qx::win32::commctrl
