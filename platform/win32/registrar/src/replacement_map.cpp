#include "qxwin/registry_script.h"

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
    std::u16string name;
    std::u16string value;
    // A malformed file name still gets in, each bad byte as U+FFFD, so that it shows in the keys.
    if (!DecodeUtf8(nameUtf8, name))
        name.assign(nameUtf8.begin(), nameUtf8.end());
    if (!DecodeUtf8(valueUtf8, value)) {
        value.clear();
        for (char c : valueUtf8)
            value += static_cast<unsigned char>(c) < 0x80 ? static_cast<char16_t>(c) : u'\uFFFD';
    }
    Add(name, value);
}

const std::u16string* ReplacementMap::Find(std::u16string_view name) const {
    auto it = entries_.find(Upper(name));
    return it == entries_.end() ? nullptr : &it->second;
}

bool DecodeUtf8(std::string_view text, std::u16string& result) {
    result.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            result += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        std::size_t length;
        std::uint32_t cp;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        if (cp >= 0x10000) {
            result += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            result += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            result += static_cast<char16_t>(cp);
        }
        i += length;
    }
    return true;
}

} // namespace qx::registrar
