#include "qxwin/codepage.h"
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
    if (!qxwin::Utf8ToWideStrict(nameUtf8, name))
        name.assign(nameUtf8.begin(), nameUtf8.end());
    if (!qxwin::Utf8ToWideStrict(valueUtf8, value)) {
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

} // namespace qx::registrar
