// The editable text of an edit control and of a combo box's edit field: ANSI text, a selection
// and a limit, all in bytes and kept on character boundaries of the ANSI code page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qx::win32::controls {

class TextField {
public:
    static constexpr std::size_t kDefaultLimit = 30000;
    static constexpr std::size_t kNoLimit = 0x7FFFFFFE;

    struct Outcome {
        bool changed = false;
        bool cut = false; // the limit kept some of the text out
    };

    const std::string& Text() const { return text_; }
    std::size_t Start() const { return start_; }
    std::size_t End() const { return end_; }
    std::size_t Limit() const { return limit_; }

    // Replaces the whole text (the limit does not apply); the caret goes to the start.
    void SetText(std::string_view text);
    // EM_SETSEL: a negative start removes the selection (the caret stays at its end), a
    // negative end means the end of the text; the ends are ordered and put on characters.
    void Select(long start, long end);
    // The selection replaced by `insert`, cut on a character to fit the limit.
    Outcome Replace(std::string_view insert);
    // Backspace (forward = false) or Delete: the selection, else the character beside the caret.
    Outcome Erase(bool forward);
    // EM_LIMITTEXT: 0 lifts the limit.
    void SetLimit(std::size_t limit) { limit_ = limit == 0 ? kNoLimit : limit; }
    // A byte typed through WM_CHAR: a lead byte waits for its trail byte; the character when
    // complete.
    std::optional<std::string> Typed(unsigned char byte);
    // Home, End, Left and Right without Shift: the caret moves and the selection goes.
    void MoveCaret(bool toEdge, bool forward);

private:
    std::string text_;
    std::size_t start_ = 0, end_ = 0;
    std::size_t limit_ = kDefaultLimit;
    int pendingLead_ = -1;
};

} // namespace qx::win32::controls
