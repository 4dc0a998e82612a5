#include "control_support.h"

#include "winnls.h"

namespace qx::win32::controls {

std::size_t CharLength(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && IsDBCSLeadByte(static_cast<BYTE>(text[at])) ? 2 : 1;
}

std::size_t CharStart(std::string_view text, std::size_t at) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t next = start + CharLength(text, start);
        if (next > at) {
            return start;
        }
        start = next;
    }
    return text.size();
}

std::size_t CutOnCharacter(std::string_view text, std::size_t limit) {
    if (limit >= text.size()) {
        return text.size();
    }
    return CharStart(text, limit);
}

LRESULT CopyAnsiText(std::string_view text, char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    std::size_t count = CutOnCharacter(text, capacity - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<LRESULT>(count);
}

} // namespace qx::win32::controls
