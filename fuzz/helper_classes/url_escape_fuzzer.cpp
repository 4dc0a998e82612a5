// URL unescaping of any text, and escaping followed by unescaping, which must give the text back.
#include "url_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string unescaped = UrlText::Unescape(text);
    if (unescaped.size() > text.size())
        std::abort();
    // Escaping leaves "%" alone, so only texts without one come back unchanged.
    if (text.find('%') == std::string::npos && UrlText::Unescape(UrlText::Escape(text)) != text)
        std::abort();
    return 0;
}
