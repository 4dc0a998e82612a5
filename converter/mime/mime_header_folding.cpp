#include <string>

#include "mime_codecs.h"

namespace {

bool IsWordBreak(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

const size_t kFoldColumns = 75;

} // namespace

void UnfoldHeaderText(MimeString& text) {
    const char* src = text.data();
    size_t n = text.length();
    std::string result;
    result.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        char c = src[i];
        if (c == '\r' || c == '\n')
            continue;
        if (c == '\t' && i > 0 && src[i - 1] == '\n')
            c = ' ';
        result += c;
    }
    text = MimeString(result);
}

void FoldHeaderText(MimeString& text, int offset) {
    const char* src = text.data();
    size_t n = text.length();
    size_t margin = offset > 0 ? static_cast<size_t>(offset) : 0;
    std::string result;
    result.reserve(n + n / 32 + 4);
    size_t lineLength = 0;
    bool lineEmpty = true;
    size_t i = 0;
    while (i < n) {
        while (i < n && IsWordBreak(src[i]))
            ++i;
        if (i >= n)
            break;
        size_t wordStart = i;
        while (i < n && !IsWordBreak(src[i]))
            ++i;
        size_t wordLength = i - wordStart;
        if (!lineEmpty && lineLength + wordLength + margin + 1 > kFoldColumns) {
            result += "\n ";
            lineLength = 0;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            result += ' ';
            ++lineLength;
        }
        result.append(src + wordStart, wordLength);
        lineLength += wordLength;
        lineEmpty = false;
    }
    text = MimeString(result);
}
