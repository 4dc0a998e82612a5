#include "mime_codecs.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

bool IsLineTrailer(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int HexValue(unsigned char c, bool* ok) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    // A malformed escape digit counts with its 7-bit code, as it always has.
    *ok = false;
    return c & 0x7F;
}

} // namespace

int EncodeQuotedPrintable(const MimeString& in, MimeString& out) {
    const char* src = in.data();
    size_t n = in.length();
    std::string result;
    result.reserve(n + n / 2 + 64);
    size_t column = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char b = static_cast<unsigned char>(src[i]);
        bool atLineStart = column == 0;
        if (atLineStart && b == '.') {
            result += "=2E";
            column += 3;
        } else if (atLineStart && b == 'F' && n - i > 4 && src[i + 1] == 'r' && src[i + 2] == 'o' &&
                   src[i + 3] == 'm' && src[i + 4] == ' ') {
            result += "=46";
            column += 3;
        } else if ((b >= 33 && b <= 60) || (b >= 62 && b <= 126)) {
            result += static_cast<char>(b);
            column += 1;
        } else if (b == ' ') {
            if (i + 1 == n || src[i + 1] == '\n') {
                result += "=20";
                column += 3;
            } else {
                result += ' ';
                column += 1;
            }
        } else if (b == '\n') {
            result += '\n';
            column = 0;
        } else {
            result += '=';
            result += kHex[b >> 4];
            result += kHex[b & 15];
            column += 3;
        }
        if (column > 72 && i + 1 < n && src[i + 1] != '\n') {
            result += "=\n";
            column = 0;
        }
    }
    out = MimeString(result);
    return 0;
}

int DecodeQuotedPrintable(const MimeString& in, MimeString& out) {
    const char* src = in.data();
    size_t n = in.length();
    std::string result;
    result.reserve(n);
    int status = 0;
    size_t lineStart = 0;
    while (lineStart < n) {
        size_t lineEnd = lineStart;
        while (lineEnd < n && src[lineEnd] != '\n')
            ++lineEnd;
        bool hadBreak = lineEnd < n;
        size_t next = hadBreak ? lineEnd + 1 : lineEnd;
        size_t end = lineEnd;
        while (end > lineStart && IsLineTrailer(src[end - 1]))
            --end;
        bool softBreak = false;
        for (size_t i = lineStart; i < end; ++i) {
            char c = src[i];
            if (c != '=') {
                result += c;
                continue;
            }
            size_t left = end - i - 1;
            if (left == 0) {
                softBreak = true;
            } else if (left == 1) {
                status = -1;
                result += src[i + 1];
                ++i;
            } else {
                bool ok = true;
                int high = HexValue(static_cast<unsigned char>(src[i + 1]), &ok);
                int low = HexValue(static_cast<unsigned char>(src[i + 2]), &ok);
                if (!ok)
                    status = -1;
                result += static_cast<char>((16 * high + low) & 0xFF);
                i += 2;
            }
        }
        if (hadBreak && !softBreak)
            result += '\n';
        lineStart = next;
    }
    out = MimeString(result);
    return status;
}
