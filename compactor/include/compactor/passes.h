// The seven passes of the compactor. Each pass reads its text piece by piece: Run() takes what has
// arrived in `text`, appends to `out` what it can already decide on, and leaves in `text` only the
// few characters whose fate depends on text that has not arrived yet. With `atEnd` set the text is
// complete and everything left is consumed. Chained, the passes compact a file of any length while
// holding only a few characters each.
#pragma once

#include <string>
#include <string_view>

#include "compactor/char_classes.h"

namespace compactor {

// Drops block comments (nothing is put in their place) and line comments (up to the line feed).
class RemoveCommentsPass {
public:
    void Run(std::string& text, bool atEnd, std::string& out);

private:
    enum class Mode { Code, BlockComment, LineComment };
    int m_q = kInCode;
    Mode m_mode = Mode::Code;
};

// Collapses every run of white space in code into one character: a line feed when the run holds one,
// else a blank; a single white-space character stays as it is.
class RemoveDoubleWhitesPass {
public:
    void Run(std::string& text, bool atEnd, std::string& out);

private:
    int m_q = kInCode;
    int m_pendingSpace = -1; // the run collapsed so far, not yet written
};

// Drops a blank between two characters when an operator or punctuation character stands on either
// side, except between two operator characters that could pair up ("+ +" stays "+ +").
class RemoveSymbWhitePass {
public:
    void Run(std::string& text, bool atEnd, std::string& out);

private:
    int m_q = kInCode;
};

// Drops the one blank that follows the closing quote of a string.
class RemoveSpaceAfterQuotePass {
public:
    void Run(std::string& text, bool atEnd, std::string& out);

private:
    int m_q = kInCode;
};

// Drops a line feed that follows an operator or brace, unless dropping it would fuse "+" with "+",
// "-" with "-", or "/" with "/" or "*" into a comment opener.
class RemoveNewLinesPass {
public:
    void Run(std::string& text, bool atEnd, std::string& out);

private:
    int m_q = kInCode;
};

// Drops the white space at the start of the text.
class RemoveIntroPass {
public:
    void Run(std::string& text, bool atEnd, std::string& out);

private:
    bool m_started = false;
};

// Drops the white space at the end of the text. A run of white space is held back until a character
// that is not white space shows that it is not the end.
class RemoveTrailingPass {
public:
    void Run(std::string& text, bool atEnd, std::string& out);
    size_t HeldCharacters() const { return m_pendingSpaces.size(); }

private:
    std::string m_pendingSpaces;
};

// Each pass on its own over a complete text.
std::string removeComments(std::string_view s);
std::string removeDoubleWhites(std::string_view s);
std::string removeSymbWhite(std::string_view s);
std::string removeSpaceAfterQuote(std::string_view s);
std::string removeNewLines(std::string_view s);
std::string removeIntro(std::string_view s);
std::string removeTrailing(std::string_view s);

} // namespace compactor
