// The document road's texts on arbitrary bytes: line breaks, saved sources and load URLs. Each
// keeps what it promises: no lone LF is left, no backslash survives in a source, and the URL of
// a path unescapes to that path.
#include "document_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool holds) {
    if (!holds)
        std::abort();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Unescaped(const std::string& url) {
    std::string out;
    for (size_t i = 0; i < url.size(); ++i) {
        if (url[i] == '%' && i + 2 < url.size() && HexValue(url[i + 1]) >= 0 && HexValue(url[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(url[i + 1]) * 16 + HexValue(url[i + 2]));
            i += 2;
        } else {
            out += url[i];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string lines = NormaliseLineBreaks(text);
    for (size_t i = 0; i < lines.size(); ++i)
        Check(lines[i] != '\n' || (i > 0 && lines[i - 1] == '\r'));
    Check(NormaliseLineBreaks(lines) == lines);

    const std::string source = NormaliseSource(text);
    Check(source.find('\\') == std::string::npos);
    Check(NormaliseSource(source) == source);

    const std::string url = FileUrlForPath(text);
    Check(url.rfind("file://", 0) == 0);
    Check(url.find_first_of("#?", 7) == std::string::npos);
    Check(Unescaped(url.substr(7)) == text);
    return 0;
}
