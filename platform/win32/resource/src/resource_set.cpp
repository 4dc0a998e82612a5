#include "qx/resource/resource_set.h"

#include "qx/module/ansi_text.h"
#include "qx/resource/blob_format.h"
#include "winerror.h"

#include <algorithm>
#include <cstring>

namespace qx::resource {
namespace {

std::uint32_t Read32(const std::byte* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Read16(const std::byte* p) {
    return static_cast<std::uint16_t>(static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8));
}

char16_t UpperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

// A type or name word of an entry; false when it points outside the blob.
bool ReadKey(std::span<const std::byte> blob, std::uint32_t word, ResourceId& out) {
    if ((word & format::kNamedFlag) == 0) {
        if (word == 0 || word > 0xFFFF) {
            return false;
        }
        out = ResourceId::FromNumber(static_cast<WORD>(word));
        return true;
    }
    std::uint32_t offset = word & ~format::kNamedFlag;
    if (offset > blob.size() || blob.size() - offset < 2) {
        return false;
    }
    std::uint16_t count = Read16(blob.data() + offset);
    if (count == 0 || (blob.size() - offset - 2) / 2 < count) {
        return false;
    }
    out.id = 0;
    out.name.resize(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        out.name[i] = UpperAscii(Read16(blob.data() + offset + 2 + 2 * i));
    }
    return true;
}

bool ParseBlob(std::span<const std::byte> blob, std::vector<ResourceEntry>& entries) {
    const std::byte* p = blob.data();
    std::uint32_t count = Read32(p + 12);
    std::uint32_t table = Read32(p + 16);
    if (Read32(p + 4) != format::kVersion || table < format::kHeaderSize || table > blob.size() ||
        (blob.size() - table) / format::kEntrySize < count) {
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::byte* e = p + table + i * format::kEntrySize;
        ResourceEntry entry;
        entry.record = e;
        entry.language = Read16(e + 8);
        std::uint32_t offset = Read32(e + 12);
        std::uint32_t size = Read32(e + 16);
        if (!ReadKey(blob, Read32(e), entry.type) || !ReadKey(blob, Read32(e + 4), entry.name) ||
            offset > blob.size() || blob.size() - offset < size) {
            return false;
        }
        entry.data = blob.subspan(offset, size);
        entries.push_back(std::move(entry));
    }
    return true;
}

bool AllZero(std::span<const std::byte> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b == std::byte{0}; });
}

} // namespace

std::optional<ResourceId> ResourceId::FromName(std::u16string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    if (name[0] == u'#' && name.size() > 1) {
        unsigned value = 0;
        for (char16_t c : name.substr(1)) {
            if (c < u'0' || c > u'9') {
                value = 0x10000;
                break;
            }
            value = value * 10 + (c - u'0');
            if (value > 0xFFFF) {
                break;
            }
        }
        if (value > 0 && value <= 0xFFFF) {
            return FromNumber(static_cast<WORD>(value));
        }
    }
    ResourceId id;
    id.name.assign(name.begin(), name.end());
    for (auto& c : id.name) {
        c = UpperAscii(c);
    }
    return id;
}

std::optional<ResourceId> ResourceId::FromAnsi(LPCSTR text) {
    auto value = reinterpret_cast<UINT_PTR>(text);
    if (value == 0) {
        return std::nullopt;
    }
    if (value < 0x10000) {
        return FromNumber(static_cast<WORD>(value));
    }
    return FromName(qx::module::AnsiToUtf16(text));
}

std::optional<ResourceId> ResourceId::FromWide(LPCWSTR text) {
    auto value = reinterpret_cast<UINT_PTR>(text);
    if (value == 0) {
        return std::nullopt;
    }
    if (value < 0x10000) {
        return FromNumber(static_cast<WORD>(value));
    }
    return FromName(std::u16string_view(text));
}

bool IsDefaultLanguage(WORD language) {
    return language == 0 || language == 0x400 || language == 0x800;
}

std::optional<ResourceSet> ResourceSet::Parse(std::span<const std::byte> section) {
    ResourceSet set;
    std::size_t pos = 0;
    while (pos < section.size()) {
        auto rest = section.subspan(pos);
        if (rest.size() < format::kHeaderSize || std::memcmp(rest.data(), format::kMagic, 4) != 0) {
            // Padding between and after blobs is zeros; anything else is damage.
            std::size_t step = std::min<std::size_t>(rest.size(), format::kAlignment);
            if (!AllZero(rest.first(step))) {
                return std::nullopt;
            }
            pos += step;
            continue;
        }
        std::uint32_t total = Read32(rest.data() + 8);
        if (total < format::kHeaderSize || total > rest.size() || total > format::kMaxBlobSize) {
            return std::nullopt;
        }
        if (!ParseBlob(rest.first(total), set.entries_)) {
            return std::nullopt;
        }
        pos += (total + format::kAlignment - 1) / format::kAlignment * format::kAlignment;
    }
    return set;
}

const ResourceEntry* ResourceSet::Find(const ResourceId& type, const ResourceId& name, WORD language,
                                       DWORD* error) const {
    auto fail = [error](DWORD code) -> const ResourceEntry* {
        if (error != nullptr) {
            *error = code;
        }
        return nullptr;
    };
    if (entries_.empty()) {
        return fail(ERROR_RESOURCE_DATA_NOT_FOUND);
    }
    bool typeSeen = false;
    const ResourceEntry* korean = nullptr;
    const ResourceEntry* neutral = nullptr;
    const ResourceEntry* any = nullptr;
    for (const auto& e : entries_) {
        if (!(e.type == type)) {
            continue;
        }
        typeSeen = true;
        if (!(e.name == name)) {
            continue;
        }
        if (!IsDefaultLanguage(language)) {
            if (e.language == language) {
                return &e;
            }
            any = any != nullptr ? any : &e;
            continue;
        }
        if (e.language == kKoreanLanguage && korean == nullptr) {
            korean = &e;
        } else if (e.language == 0 && neutral == nullptr) {
            neutral = &e;
        } else if (any == nullptr || e.language < any->language) {
            any = &e;
        }
    }
    if (!typeSeen) {
        return fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
    }
    if (!IsDefaultLanguage(language)) {
        return fail(any != nullptr ? ERROR_RESOURCE_LANG_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    if (korean != nullptr) {
        return korean;
    }
    if (neutral != nullptr) {
        return neutral;
    }
    if (any != nullptr) {
        return any;
    }
    return fail(ERROR_RESOURCE_NAME_NOT_FOUND);
}

const ResourceEntry* ResourceSet::FindRecord(const void* record) const {
    for (const auto& e : entries_) {
        if (e.record == record) {
            return &e;
        }
    }
    return nullptr;
}

std::vector<ResourceId> ResourceSet::Names(const ResourceId& type) const {
    std::vector<ResourceId> names;
    for (const auto& e : entries_) {
        if (e.type == type && std::find(names.begin(), names.end(), e.name) == names.end()) {
            names.push_back(e.name);
        }
    }
    return names;
}

} // namespace qx::resource
