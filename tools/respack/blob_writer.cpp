#include "manifest.h"
#include "qx/resource/blob_format.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <tuple>

namespace respack {
namespace {

namespace format = qx::resource::format;

void Put16At(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

void Put32At(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    Put16At(out, at, v & 0xFFFF);
    Put16At(out, at + 2, v >> 16);
}

void Align(std::vector<std::uint8_t>& out, std::size_t to) {
    while (out.size() % to != 0) {
        out.push_back(0);
    }
}

char16_t Upper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

std::u16string UpperName(const std::u16string& name) {
    std::u16string out = name;
    std::transform(out.begin(), out.end(), out.begin(), Upper);
    return out;
}

} // namespace

std::vector<std::uint8_t> PackBlob(std::vector<Resource> resources) {
    for (auto& r : resources) {
        r.type.name = UpperName(r.type.name);
        r.name.name = UpperName(r.name.name);
    }
    std::stable_sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
        if (!(a.type == b.type)) {
            return a.type < b.type;
        }
        if (!(a.name == b.name)) {
            return a.name < b.name;
        }
        return a.language < b.language;
    });
    for (std::size_t i = 1; i < resources.size(); ++i) {
        const auto& a = resources[i - 1];
        const auto& b = resources[i];
        if (a.type == b.type && a.name == b.name && a.language == b.language) {
            throw std::runtime_error("a resource is given twice (same type, name and language)");
        }
    }
    std::vector<std::uint8_t> out(format::kHeaderSize + format::kEntrySize * resources.size(), 0);
    std::memcpy(out.data(), format::kMagic, 4);
    Put32At(out, 4, format::kVersion);
    Put32At(out, 12, static_cast<std::uint32_t>(resources.size()));
    Put32At(out, 16, format::kHeaderSize);
    auto keyWord = [&](const Key& key) -> std::uint32_t {
        if (key.id != 0) {
            return key.id;
        }
        Align(out, 2);
        std::uint32_t at = static_cast<std::uint32_t>(out.size());
        out.resize(out.size() + 2 + 2 * key.name.size());
        Put16At(out, at, static_cast<std::uint32_t>(key.name.size()));
        for (std::size_t i = 0; i < key.name.size(); ++i) {
            Put16At(out, at + 2 + 2 * i, key.name[i]);
        }
        return at | format::kNamedFlag;
    };
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const auto& r = resources[i];
        std::size_t entry = format::kHeaderSize + format::kEntrySize * i;
        Put32At(out, entry, keyWord(r.type));
        Put32At(out, entry + 4, keyWord(r.name));
        Put16At(out, entry + 8, r.language);
        Align(out, format::kAlignment);
        Put32At(out, entry + 12, static_cast<std::uint32_t>(out.size()));
        Put32At(out, entry + 16, static_cast<std::uint32_t>(r.data.size()));
        out.insert(out.end(), r.data.begin(), r.data.end());
    }
    Align(out, format::kAlignment);
    if (out.size() > format::kMaxBlobSize) {
        throw std::runtime_error("resources too large");
    }
    Put32At(out, 8, static_cast<std::uint32_t>(out.size()));
    return out;
}

} // namespace respack
