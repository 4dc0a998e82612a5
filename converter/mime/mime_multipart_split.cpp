#include "mime_body.h"

namespace {

struct Delimiter {
    size_t start;   // where the delimiter begins, its leading line break included
    size_t lineEnd; // just after the line break that ends the delimiter line
    bool closing;
};

// Finds the next delimiter at or after from: "--" + boundary at from itself, or after a "\n"
// (with an "\r" before it taken along). Each line start is compared once, so the search is
// linear in the text.
bool FindDelimiter(const MimeString& text, const MimeString& dashBoundary, size_t from, Delimiter* out) {
    const char* d = text.data();
    size_t n = text.length();
    size_t m = dashBoundary.length();
    auto matchesAt = [&](size_t pos) {
        return pos <= n && n - pos >= m && text.compare(pos, m, dashBoundary) == 0;
    };
    size_t dash = MimeString::npos;
    size_t start = 0;
    if (matchesAt(from)) {
        dash = from;
        start = from;
    } else {
        for (size_t i = text.find('\n', from); i != MimeString::npos; i = text.find('\n', i + 1)) {
            if (matchesAt(i + 1)) {
                dash = i + 1;
                start = (i > from && d[i - 1] == '\r') ? i - 1 : i;
                break;
            }
        }
    }
    if (dash == MimeString::npos)
        return false;
    size_t after = dash + m;
    out->start = start;
    out->closing = n - after >= 2 && d[after] == '-' && d[after + 1] == '-';
    size_t eol = text.find('\n', after);
    out->lineEnd = eol == MimeString::npos ? n : eol + 1;
    return true;
}

} // namespace

MimeMultipartPieces MimeSplitMultipart(const MimeString& text, const MimeString& boundary) {
    MimeMultipartPieces pieces;
    // A boundary cannot hold a line break; one that does would make the search quadratic.
    if (boundary.empty() || boundary.find_first_of("\r\n") != MimeString::npos)
        return pieces;
    MimeString dashBoundary = MimeString("--") + boundary;
    Delimiter delimiter;
    if (!FindDelimiter(text, dashBoundary, 0, &delimiter))
        return pieces;
    pieces.found = true;
    pieces.preamble = MimeString(text, 0, delimiter.start);
    size_t pos = delimiter.lineEnd;
    for (;;) {
        if (!FindDelimiter(text, dashBoundary, pos, &delimiter)) {
            pieces.parts.push_back(MimeString(text, pos));
            break;
        }
        pieces.parts.push_back(MimeString(text, pos, delimiter.start - pos));
        if (delimiter.closing) {
            pieces.epilogue = MimeString(text, delimiter.lineEnd);
            break;
        }
        pos = delimiter.lineEnd;
    }
    return pieces;
}
