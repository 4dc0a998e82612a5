// The resources of one module: the packed blobs of its resource section, checked once and
// looked up by type, name and language.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx::resource {

// A resource type or name: a numeric id (MAKEINTRESOURCE) or a name, kept upper-cased.
struct ResourceId {
    WORD id = 0;
    std::u16string name;

    bool IsNamed() const { return id == 0; }
    bool operator==(const ResourceId&) const = default;

    static ResourceId FromNumber(WORD number) { return ResourceId{number, {}}; }
    // From a name pointer of the "A" or "W" API: a value below 0x10000 is an id, "#123" is id
    // 123, anything else a name. nullopt for a null pointer or an empty name.
    static std::optional<ResourceId> FromAnsi(LPCSTR text);
    static std::optional<ResourceId> FromWide(LPCWSTR text);
    static std::optional<ResourceId> FromName(std::u16string_view name);
};

struct ResourceEntry {
    const std::byte* record = nullptr; // the entry's place in its blob: what an HRSRC points at
    ResourceId type;
    ResourceId name;
    WORD language = 0;
    std::span<const std::byte> data;
};

// Language 0 (and the user and system default ids) asks for the usual order: Korean first,
// then neutral, then any language the resource has.
inline constexpr WORD kKoreanLanguage = 1042;
bool IsDefaultLanguage(WORD language);

class ResourceSet {
public:
    // Parses a resource section: zero or more blobs one after the other, with zero padding
    // between them. nullopt when anything in it is out of bounds or malformed.
    static std::optional<ResourceSet> Parse(std::span<const std::byte> section);

    // The entry, or null with the Win32 error to report.
    const ResourceEntry* Find(const ResourceId& type, const ResourceId& name, WORD language,
                              DWORD* error) const;
    const ResourceEntry* FindRecord(const void* record) const;
    // Names of one type, each once, in blob order.
    std::vector<ResourceId> Names(const ResourceId& type) const;
    const std::vector<ResourceEntry>& Entries() const { return entries_; }

private:
    std::vector<ResourceEntry> entries_;
};

} // namespace qx::resource
