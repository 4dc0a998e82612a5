// The state of a rich edit: its text, selection, formats, undo history, limit and scrolling.
//
// Text is UTF-16 and every position counts UTF-16 code units. A paragraph ends with one CR:
// CR LF and a lone LF become CR on the way in, so a line break is one position, as in rich
// edit 2.0. Lines are paragraphs (nothing is wrapped: there is no screen to wrap against).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qx/commctrl/char_format.h"
#include "wintypes.h"

namespace qx::win32::commctrl {

struct TextRange {
    LONG min = 0;
    LONG max = 0;
    bool operator==(const TextRange&) const = default;
};

struct FindOptions {
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

class RichTextModel {
public:
    static constexpr LONG kDefaultLimit = 32767;   // until EM_EXLIMITTEXT says otherwise
    static constexpr LONG kZeroLimitMeans = 65536; // EM_EXLIMITTEXT(0)
    static constexpr size_t kUndoLimit = 100;

    RichTextModel();

    // CR LF and lone LF become CR.
    static std::u16string Normalize(std::u16string_view text);

    const std::u16string& Text() const { return text_; }
    LONG Length() const { return static_cast<LONG>(text_.size()); }
    // Replaces the whole text (not limited, not undoable): the default format, the caret at the
    // start, the modified flag and the undo history cleared.
    void SetText(std::u16string_view text);
    // A copy of [min, max) clamped to the text.
    std::u16string Slice(LONG min, LONG max) const;

    // The selection as an ordered range; the anchor stays where the selection began.
    TextRange Selection() const;
    LONG Active() const { return active_; }
    // EM_EXSETSEL's rules: (0, -1) selects everything, a negative min removes the selection
    // (the caret goes to its end), positions past the end mean the end.
    void SetSelection(LONG min, LONG max);
    // Moves the active end, keeping the anchor when extending.
    void MoveCaret(LONG pos, bool extend);

    // Replaces the selection; the text past the limit is dropped (`truncated` says so). The
    // caret ends after the new text. Returns the number of positions inserted.
    LONG ReplaceSelection(std::u16string_view text, bool undoable, bool* truncated = nullptr);
    // Typing: like ReplaceSelection, refused when read-only, and consecutive characters are one
    // undo step.
    bool Type(std::u16string_view text, bool* truncated = nullptr);

    bool CanUndo() const { return !undo_.empty(); }
    bool Undo();
    void EmptyUndo() { undo_.clear(); }

    LONG Limit() const { return limit_; }
    void SetLimit(LONG limit) { limit_ = limit <= 0 ? kZeroLimitMeans : limit; }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // Counts every change of the text, so a caller can tell whether a message changed it.
    unsigned Revision() const { return revision_; }

    std::optional<TextRange> Find(TextRange within, std::u16string_view what, FindOptions options) const;

    LONG LineCount() const;
    // Start of a line; -1 past the last line.
    LONG LineIndex(LONG line) const;
    LONG LineFromChar(LONG pos) const;
    LONG LineLength(LONG line) const;

    LONG FirstVisibleLine() const { return firstVisible_; }
    void SetVisibleLines(LONG lines) { visibleLines_ = lines < 1 ? 1 : lines; }
    void ScrollLines(LONG lines);
    void ScrollCaret();

    // SCF_SELECTION (the selection, or the caret's format for new text when it is empty),
    // SCF_ALL, or the default format.
    enum class Scope { Default, Selection, All };
    void SetFormat(Scope scope, const CharFormat& values, DWORD mask);
    CharFormat GetFormat(Scope scope, DWORD& mask) const;
    const FormatRuns& Formats() const { return formats_; }

private:
    struct Edit {
        LONG pos = 0;
        std::u16string removed;
        std::vector<FormatRuns::Run> removedFormats;
        LONG inserted = 0;
        TextRange selectionBefore;
        bool typing = false;
    };

    LONG Replace(TextRange range, std::u16string_view text, bool undoable, bool typing, bool* truncated);
    const CharFormat& InsertionFormat(LONG pos) const;
    void Changed();
    void BuildLineStarts() const;

    std::u16string text_;
    FormatRuns formats_;
    CharFormat default_;
    std::optional<CharFormat> caretFormat_;
    LONG anchor_ = 0;
    LONG active_ = 0;
    LONG limit_ = kDefaultLimit;
    bool modified_ = false;
    bool readOnly_ = false;
    unsigned revision_ = 0;
    std::vector<Edit> undo_;
    LONG firstVisible_ = 0;
    LONG visibleLines_ = 1;
    mutable std::vector<LONG> lineStarts_;
    mutable bool lineStartsValid_ = false;
};

} // namespace qx::win32::commctrl
