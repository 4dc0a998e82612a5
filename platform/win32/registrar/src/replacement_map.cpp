#include "qx/win32/codepage.h"
#include "qx/win32/registry_script.h"

namespace qx::registrar {

namespace {

std::u16string Upper(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 0x20);
    return folded;
}

} // namespace

void ReplacementMap::Add(std::u16string_view name, std::u16string_view value) {
    entries_[Upper(name)] = std::u16string(value);
}

void ReplacementMap::Add(std::string_view nameUtf8, std::string_view valueUtf8) {
    // A malformed file name still gets in, each byte that is not ASCII as U+FFFD, so that it
    // shows in the keys.
    auto decode = [](std::string_view utf8) {
        std::u16string text;
        if (!qx::win32::Utf8ToWideStrict(utf8, text)) {
            text.clear();
            for (char c : utf8)
                text += static_cast<unsigned char>(c) < 0x80 ? static_cast<char16_t>(c) : u'\uFFFD';
        }
        return text;
    };
    Add(decode(nameUtf8), decode(valueUtf8));
}

const std::u16string* ReplacementMap::Find(std::u16string_view name) const {
    auto it = entries_.find(Upper(name));
    return it == entries_.end() ? nullptr : &it->second;
}

} // namespace qx::registrar
