// LoadStringA and LoadStringW: string tables in blocks of sixteen, block n + 1 holding the
// strings 16n to 16n + 15, each a 16-bit length and that many UTF-16 units.
#include "module_resources.h"
#include "qx/module/ansi_text.h"
#include "winerror.h"
#include "winresource.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr WORD kStringType = 6;

// Slot `index` of one block, or nullopt when it is empty or the block is damaged.
std::optional<std::u16string_view> Slot(const qx::resource::ResourceEntry& block, UINT index) {
    const std::byte* p = block.data.data();
    std::size_t left = block.data.size();
    for (UINT i = 0; i <= index; ++i) {
        if (left < 2) {
            return std::nullopt;
        }
        std::size_t length = static_cast<std::size_t>(p[0]) | (static_cast<std::size_t>(p[1]) << 8);
        if ((left - 2) / 2 < length) {
            return std::nullopt;
        }
        if (i == index) {
            if (length == 0) {
                return std::nullopt;
            }
            // Blob data starts on 16-byte boundaries and strings on even offsets within it.
            return std::u16string_view(reinterpret_cast<const char16_t*>(p + 2), length);
        }
        p += 2 + 2 * length;
        left -= 2 + 2 * length;
    }
    return std::nullopt;
}

int LanguageRank(WORD language) {
    return language == qx::resource::kKoreanLanguage ? 0 : language == 0 ? 1 : 2 + language;
}

// The string's units inside the module (not terminated), or nullopt with the last error set.
// Each string is looked for in the usual language order, so a neutral string is found even
// when a Korean block of the same sixteen lacks it.
std::optional<std::u16string_view> FindString(HINSTANCE instance, UINT id, const char16_t** where) {
    if (id > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return std::nullopt;
    }
    auto set = qx::resource::ModuleResourceSet(instance);
    if (!set) {
        return std::nullopt;
    }
    auto type = qx::resource::ResourceId::FromNumber(kStringType);
    auto name = qx::resource::ResourceId::FromNumber(static_cast<WORD>((id >> 4) + 1));
    DWORD error = ERROR_SUCCESS;
    if (set->Find(type, name, 0, &error) == nullptr) {
        SetLastError(error);
        return std::nullopt;
    }
    std::vector<const qx::resource::ResourceEntry*> blocks;
    for (const auto& e : set->Entries()) {
        if (e.type == type && e.name == name) {
            blocks.push_back(&e);
        }
    }
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](auto* a, auto* b) { return LanguageRank(a->language) < LanguageRank(b->language); });
    for (const auto* block : blocks) {
        if (auto text = Slot(*block, id & 15)) {
            *where = text->data();
            return text;
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return std::nullopt;
}

} // namespace

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char16_t* where = nullptr;
    auto text = FindString(hInstance, uID, &where);
    if (cchBufferMax == 0) {
        // The caller asks for a read-only pointer to the string inside the module.
        *reinterpret_cast<const char16_t**>(lpBuffer) = text ? where : nullptr;
        return text ? static_cast<int>(text->size()) : 0;
    }
    if (cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!text) {
        lpBuffer[0] = 0;
        return 0;
    }
    std::size_t count = std::min<std::size_t>(text->size(), static_cast<std::size_t>(cchBufferMax) - 1);
    std::memcpy(lpBuffer, where, count * 2);
    lpBuffer[count] = 0;
    return static_cast<int>(count);
}

int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char16_t* where = nullptr;
    auto text = FindString(hInstance, uID, &where);
    if (!text) {
        lpBuffer[0] = '\0';
        return 0;
    }
    std::u16string units(text->size(), u'\0');
    std::memcpy(units.data(), where, units.size() * 2);
    std::string ansi = qx::module::Utf16ToAnsi(units);
    // Truncate on a character boundary: a double-byte character is kept whole or dropped.
    std::size_t limit = static_cast<std::size_t>(cchBufferMax) - 1;
    std::size_t count = 0;
    while (count < ansi.size()) {
        std::size_t width =
            static_cast<unsigned char>(ansi[count]) >= 0x81 && count + 1 < ansi.size() ? 2 : 1;
        if (count + width > limit) {
            break;
        }
        count += width;
    }
    std::memcpy(lpBuffer, ansi.data(), count);
    lpBuffer[count] = '\0';
    return static_cast<int>(count);
}
