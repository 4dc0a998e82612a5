#include "registry_core.h"

#include "registry_limits.h"
#include "registry_store.h"

#include <algorithm>
#include <cstring>

namespace qx::registry::detail {

namespace {

REGSAM NormalizeAccess(REGSAM access) {
    if (access & (MAXIMUM_ALLOWED | GENERIC_ALL))
        return KEY_ALL_ACCESS;
    REGSAM result = access & KEY_ALL_ACCESS;
    if (access & GENERIC_READ)
        result |= KEY_READ;
    if (access & GENERIC_WRITE)
        result |= KEY_WRITE;
    if (access & GENERIC_EXECUTE)
        result |= KEY_EXECUTE;
    return result;
}

// Splits "a\b\c" into its names. A trailing backslash is tolerated; a leading one or an empty
// name in the middle is a bad path.
LONG SplitPath(std::u16string_view path, bool forCreate, std::vector<std::u16string_view>& parts) {
    parts.clear();
    if (!path.empty() && path.front() == u'\\')
        return ERROR_BAD_PATHNAME;
    while (!path.empty() && path.back() == u'\\')
        path.remove_suffix(1);
    const LONG tooLong = forCreate ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
    while (!path.empty()) {
        const std::size_t cut = path.find(u'\\');
        const std::u16string_view part = path.substr(0, cut);
        if (part.empty())
            return ERROR_BAD_PATHNAME;
        if (part.size() > kMaxKeyNameLength || parts.size() >= kMaxKeyDepth)
            return tooLong;
        parts.push_back(part);
        path = cut == std::u16string_view::npos ? std::u16string_view() : path.substr(cut + 1);
    }
    return ERROR_SUCCESS;
}

Key* Walk(Key* base, const std::vector<std::u16string_view>& parts) {
    for (auto part : parts) {
        if (base == nullptr)
            return nullptr;
        base = base->FindSubkey(part);
    }
    return base;
}

// Remembers the place of the last enumeration so that walking a key by index stays linear.
template <class Map>
struct Cursor {
    std::uint64_t serial = 0;
    std::uint64_t generation = ~std::uint64_t{0};
    DWORD index = 0;
    typename Map::const_iterator it;

    const typename Map::mapped_type* Nth(const Map& map, std::uint64_t keySerial, std::uint64_t gen,
                                         DWORD n) {
        if (n >= map.size())
            return nullptr;
        if (serial != keySerial || generation != gen || index > n) {
            serial = keySerial;
            generation = gen;
            index = 0;
            it = map.begin();
        }
        while (index < n) {
            ++it;
            ++index;
        }
        return &it->second;
    }
};

Cursor<std::map<std::u16string, std::unique_ptr<Key>>> subkeyCursor;
Cursor<std::map<std::u16string, Value>> valueCursor;

// Resolves a handle for a read that needs the given rights. The key can be null with success:
// HKEY_CLASSES_ROOT before its key exists.
LONG ResolveForRead(ReadCall& call, HKEY handle, REGSAM rights, ResolvedKey& key) {
    if (call.Status() != ERROR_SUCCESS)
        return call.Status();
    key = call.store().Resolve(handle, false);
    if (key.error != ERROR_SUCCESS)
        return key.error;
    return (key.access & rights) == rights ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// The same inside a change; a failure after the write began also ends it.
LONG ResolveForWrite(WriteCall& call, HKEY handle, REGSAM rights, ResolvedKey& key) {
    if (call.Status() != ERROR_SUCCESS)
        return call.Status();
    key = call.store().Resolve(handle, false);
    if (key.error != ERROR_SUCCESS)
        return call.Finish(key.error);
    return (key.access & rights) == rights ? ERROR_SUCCESS : call.Finish(ERROR_ACCESS_DENIED);
}

// The index-th subkey or value of a key, in the order of enumeration, handed to take.
template <class Map, class Take>
LONG EnumerateAt(HKEY handle, REGSAM rights, Map Key::*items, Cursor<Map>& cursor, DWORD index, Take take) {
    ReadCall call;
    ResolvedKey key;
    if (const LONG rc = ResolveForRead(call, handle, rights, key); rc != ERROR_SUCCESS)
        return rc;
    if (key.key == nullptr)
        return ERROR_NO_MORE_ITEMS;
    const auto* found = cursor.Nth(key.key->*items, key.key->serial, call.store().Generation(), index);
    if (found == nullptr)
        return ERROR_NO_MORE_ITEMS;
    take(*found);
    return ERROR_SUCCESS;
}

} // namespace

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_LINK;
}

std::vector<BYTE> Utf16Bytes(std::u16string_view text) {
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    return bytes;
}

std::u16string Utf16Units(const std::vector<BYTE>& bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return units;
}

LONG CopyData(const std::vector<BYTE>& bytes, LPBYTE data, LPDWORD size) {
    if (size == nullptr)
        return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    const DWORD needed = static_cast<DWORD>(bytes.size());
    if (data != nullptr) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed != 0)
            std::memcpy(data, bytes.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

LONG CopyText(const std::vector<BYTE>& bytes, LPBYTE data, PLONG size) {
    if (size == nullptr)
        return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    DWORD bytesRoom = *size < 0 ? 0 : static_cast<DWORD>(*size);
    const LONG rc = CopyData(bytes, data, &bytesRoom);
    *size = static_cast<LONG>(bytesRoom);
    return rc;
}

LONG OpenKey(HKEY parent, std::u16string_view subKey, REGSAM access, HKEY* result) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    ReadCall call;
    if (call.Status() != ERROR_SUCCESS)
        return call.Status();
    Store& store = call.store();
    const ResolvedKey base = store.Resolve(parent, false);
    if (base.error != ERROR_SUCCESS)
        return base.error;
    std::vector<std::u16string_view> parts;
    if (const LONG rc = SplitPath(subKey, false, parts); rc != ERROR_SUCCESS)
        return rc;
    if (parts.empty() && base.classesRoot) {
        *result = store.AddHandle(OpenHandle{0, true, NormalizeAccess(access)});
        return ERROR_SUCCESS;
    }
    Key* key = Walk(base.key, parts);
    if (key == nullptr)
        return ERROR_FILE_NOT_FOUND;
    *result = store.AddHandle(OpenHandle{key->serial, false, NormalizeAccess(access)});
    return ERROR_SUCCESS;
}

LONG CreateKey(HKEY parent, std::u16string_view subKey, REGSAM access, HKEY* result, DWORD* disposition) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::vector<std::u16string_view> parts;
    if (const LONG rc = SplitPath(subKey, true, parts); rc != ERROR_SUCCESS)
        return rc;
    Store& store = Store::Instance();
    std::lock_guard lock(store.Mutex());
    {
        // An existing key is only opened, which needs no write access to the registry.
        ReadCall call;
        if (call.Status() != ERROR_SUCCESS)
            return call.Status();
        const ResolvedKey base = store.Resolve(parent, false);
        if (base.error != ERROR_SUCCESS)
            return base.error;
        if (Key* key = Walk(base.key, parts); key != nullptr) {
            *result = store.AddHandle(
                OpenHandle{key->serial, base.classesRoot && parts.empty(), NormalizeAccess(access)});
            if (disposition != nullptr)
                *disposition = REG_OPENED_EXISTING_KEY;
            return ERROR_SUCCESS;
        }
    }
    WriteCall call;
    if (call.Status() != ERROR_SUCCESS)
        return call.Status();
    const ResolvedKey base = store.Resolve(parent, true);
    if (base.error != ERROR_SUCCESS)
        return call.Finish(base.error);
    if (base.key->depth + parts.size() > kMaxKeyDepth)
        return call.Finish(ERROR_INVALID_PARAMETER);
    Key* key = base.key;
    bool created = false;
    for (auto part : parts) {
        Key* next = key->FindSubkey(part);
        if (next == nullptr) {
            next = store.tree().AddSubkey(key, part);
            store.MarkChanged();
            created = true;
        }
        key = next;
    }
    const HKEY handle =
        store.AddHandle(OpenHandle{key->serial, base.classesRoot && parts.empty(), NormalizeAccess(access)});
    const LONG rc = call.Finish(ERROR_SUCCESS);
    if (rc != ERROR_SUCCESS) {
        store.CloseHandle(handle);
        return rc;
    }
    *result = handle;
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG CloseKey(HKEY key) {
    Store& store = Store::Instance();
    std::lock_guard lock(store.Mutex());
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
        key == HKEY_USERS || key == HKEY_CURRENT_CONFIG)
        return ERROR_SUCCESS;
    return store.CloseHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG QueryValue(HKEY handle, std::u16string_view name, Value& value) {
    ReadCall call;
    ResolvedKey key;
    if (const LONG rc = ResolveForRead(call, handle, KEY_QUERY_VALUE, key); rc != ERROR_SUCCESS)
        return rc;
    const Value* found = key.key ? key.key->FindValue(name) : nullptr;
    if (found == nullptr)
        return ERROR_FILE_NOT_FOUND;
    value = *found;
    return ERROR_SUCCESS;
}

LONG SetValue(HKEY handle, std::u16string_view name, DWORD type, const BYTE* data, std::size_t size) {
    if (data == nullptr && size != 0)
        return ERROR_NOACCESS;
    if (name.size() > kMaxValueNameLength || size > kMaxValueDataBytes)
        return ERROR_INVALID_PARAMETER;
    WriteCall call;
    {
        // Check the handle before anything is made for it.
        ResolvedKey probe;
        if (const LONG rc = ResolveForWrite(call, handle, KEY_SET_VALUE, probe); rc != ERROR_SUCCESS)
            return rc;
    }
    Store& store = call.store();
    const ResolvedKey key = store.Resolve(handle, true);
    // An existing value keeps the spelling of its name.
    Value& value = key.key->values[FoldName(name)];
    if (value.name.empty())
        value.name = std::u16string(name);
    value.type = type;
    value.data.assign(data, data + size);
    store.MarkChanged();
    return call.Finish(ERROR_SUCCESS);
}

LONG DeleteKey(HKEY handle, std::u16string_view subKey, bool withSubtree) {
    std::vector<std::u16string_view> parts;
    if (const LONG rc = SplitPath(subKey, false, parts); rc != ERROR_SUCCESS)
        return rc;
    WriteCall call;
    ResolvedKey base;
    if (const LONG rc = ResolveForWrite(call, handle, 0, base); rc != ERROR_SUCCESS)
        return rc;
    Store& store = call.store();
    if (parts.empty() && (base.classesRoot || base.key == nullptr || base.key->parent == nullptr))
        return call.Finish(ERROR_ACCESS_DENIED); // a hive root or HKEY_CLASSES_ROOT itself stays
    Key* key = Walk(base.key, parts);
    if (key == nullptr)
        return call.Finish(ERROR_FILE_NOT_FOUND);
    if (!withSubtree && !key->subkeys.empty())
        return call.Finish(ERROR_ACCESS_DENIED);
    store.tree().RemoveSubtree(key);
    store.MarkChanged();
    return call.Finish(ERROR_SUCCESS);
}

LONG DeleteValue(HKEY handle, std::u16string_view name) {
    WriteCall call;
    ResolvedKey key;
    if (const LONG rc = ResolveForWrite(call, handle, KEY_SET_VALUE, key); rc != ERROR_SUCCESS)
        return rc;
    Store& store = call.store();
    if (key.key == nullptr || key.key->values.erase(FoldName(name)) == 0)
        return call.Finish(ERROR_FILE_NOT_FOUND);
    store.MarkChanged();
    return call.Finish(ERROR_SUCCESS);
}

LONG EnumKey(HKEY handle, DWORD index, std::u16string& name) {
    return EnumerateAt(handle, KEY_ENUMERATE_SUB_KEYS, &Key::subkeys, subkeyCursor, index,
                       [&](const std::unique_ptr<Key>& child) { name = child->name; });
}

LONG EnumValue(HKEY handle, DWORD index, Value& value) {
    return EnumerateAt(handle, KEY_QUERY_VALUE, &Key::values, valueCursor, index,
                       [&](const Value& found) { value = found; });
}

LONG QueryInfoKey(HKEY handle, LPDWORD reserved, const AnsiView* ansi, LPDWORD subKeys,
                  LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength,
                  LPDWORD maxValueBytes, LPDWORD securityDescriptorBytes, LPFILETIME lastWriteTime) {
    if (reserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    ReadCall call;
    ResolvedKey key;
    if (const LONG rc = ResolveForRead(call, handle, KEY_QUERY_VALUE, key); rc != ERROR_SUCCESS)
        return rc;
    DWORD subKeyCount = 0, valueCount = 0, longestSubKey = 0, longestValueName = 0, largestData = 0;
    if (key.key != nullptr) {
        subKeyCount = static_cast<DWORD>(key.key->subkeys.size());
        valueCount = static_cast<DWORD>(key.key->values.size());
        for (const auto& [folded, child] : key.key->subkeys) {
            const DWORD length =
                ansi ? ansi->nameLength(child->name) : static_cast<DWORD>(child->name.size());
            longestSubKey = std::max(longestSubKey, length);
        }
        for (const auto& [folded, value] : key.key->values) {
            const DWORD length = ansi ? ansi->nameLength(value.name) : static_cast<DWORD>(value.name.size());
            const DWORD bytes = ansi ? ansi->dataBytes(value) : static_cast<DWORD>(value.data.size());
            longestValueName = std::max(longestValueName, length);
            largestData = std::max(largestData, bytes);
        }
    }
    const auto put = [](LPDWORD out, DWORD number) {
        if (out != nullptr)
            *out = number;
    };
    put(subKeys, subKeyCount);
    put(maxSubKeyLength, longestSubKey);
    put(maxClassLength, 0); // classes are not kept
    put(values, valueCount);
    put(maxValueNameLength, longestValueName);
    put(maxValueBytes, largestData);
    put(securityDescriptorBytes, 0);
    if (lastWriteTime != nullptr)
        *lastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG SetSubkeyText(HKEY handle, std::u16string_view subKey, std::u16string_view text) {
    if ((text.size() + 1) * 2 > kMaxValueDataBytes)
        return ERROR_INVALID_PARAMETER;
    Store& store = Store::Instance();
    std::lock_guard lock(store.Mutex());
    WriteCall call;
    if (call.Status() != ERROR_SUCCESS)
        return call.Status();
    HKEY key = nullptr;
    LONG rc = CreateKey(handle, subKey, KEY_SET_VALUE, &key, nullptr);
    if (rc == ERROR_SUCCESS) {
        std::u16string terminated(text);
        terminated += u'\0';
        const std::vector<BYTE> bytes = Utf16Bytes(terminated);
        rc = SetValue(key, u"", REG_SZ, bytes.data(), bytes.size());
        CloseKey(key);
    }
    return call.Finish(rc);
}

LONG QuerySubkeyText(HKEY handle, std::u16string_view subKey, std::u16string& text) {
    Store& store = Store::Instance();
    std::lock_guard lock(store.Mutex());
    HKEY key = nullptr;
    LONG rc = OpenKey(handle, subKey, KEY_QUERY_VALUE, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    Value value;
    rc = QueryValue(key, u"", value);
    CloseKey(key);
    if (rc == ERROR_FILE_NOT_FOUND) {
        text.clear();
        return ERROR_SUCCESS;
    }
    if (rc != ERROR_SUCCESS)
        return rc;
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    text = Utf16Units(value.data);
    if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos)
        text.resize(nul);
    return ERROR_SUCCESS;
}

} // namespace qx::registry::detail
