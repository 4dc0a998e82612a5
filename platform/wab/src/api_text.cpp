#include "api_text.h"

#include <qx/win32/codepage.h>

namespace qx::wab {
namespace {

// CR LF, a lone CR and a lone LF all become `lineBreak`.
std::string WithLineBreaks(std::string_view text, std::string_view lineBreak) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            result += lineBreak;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace

bool TextFromApi(std::string_view ansi, std::string& utf8) {
    bool lossy = false;
    std::string converted = qx::win32::AnsiToUtf8(ansi, &lossy);
    if (lossy) {
        return false;
    }
    utf8 = WithLineBreaks(converted, "\n");
    return true;
}

std::string TextToApi(std::string_view utf8) {
    return qx::win32::Utf8ToAnsi(WithLineBreaks(utf8, "\r\n"));
}

} // namespace qx::wab
