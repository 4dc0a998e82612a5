#include <string>

#include "mime_codecs.h"

namespace {

// Rewrites every line break ("\r\n", lone "\r", lone "\n") as the given one.
MimeString Convert(const MimeString& in, const char* lineBreak) {
    const char* src = in.data();
    size_t n = in.length();
    std::string result;
    result.reserve(n + n / 16 + 16);
    for (size_t i = 0; i < n; ++i) {
        char c = src[i];
        if (c == '\r') {
            if (i + 1 < n && src[i + 1] == '\n')
                ++i;
            result += lineBreak;
        } else if (c == '\n') {
            result += lineBreak;
        } else {
            result += c;
        }
    }
    return MimeString(result);
}

} // namespace

int ToCrLf(const MimeString& in, MimeString& out) {
    out = Convert(in, "\r\n");
    return 0;
}

int ToLf(const MimeString& in, MimeString& out) {
    out = Convert(in, "\n");
    return 0;
}

int CrLfToLf(const MimeString& in, MimeString& out) {
    return ToLf(in, out);
}

int ToCr(const MimeString& in, MimeString& out) {
    out = Convert(in, "\r");
    return 0;
}
