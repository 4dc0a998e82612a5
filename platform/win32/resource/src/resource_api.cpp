// FindResource, LoadResource, LockResource, SizeofResource and EnumResourceNames.
#include "module_resources.h"
#include "qx/module/ansi_text.h"
#include "winerror.h"
#include "winresource.h"

namespace {

using qx::resource::ResourceEntry;
using qx::resource::ResourceId;

constexpr DWORD kErrorResourceEnumUserStop = 15106;

HRSRC Find(HMODULE module, const std::optional<ResourceId>& type, const std::optional<ResourceId>& name,
           WORD language) {
    if (!type || !name) {
        SetLastError(!type ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    auto set = qx::resource::ModuleResourceSet(module);
    if (!set) {
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    const ResourceEntry* entry = set->Find(*type, *name, language, &error);
    if (entry == nullptr) {
        SetLastError(error);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<std::byte*>(entry->record));
}

// The entry an HRSRC of this module stands for, or nullopt with the last error set.
std::optional<ResourceEntry> Entry(HMODULE module, HRSRC resource) {
    if (resource == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return std::nullopt;
    }
    auto set = qx::resource::ModuleResourceSet(module);
    if (!set) {
        return std::nullopt;
    }
    const ResourceEntry* entry = set->FindRecord(resource);
    if (entry == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return std::nullopt;
    }
    return *entry;
}

// Hands each name of one type to the callback, a named one as text in the caller's width
// (nameText), a numbered one as its MAKEINTRESOURCE form; the callback can stop it.
template <class Char, class Callback, class NameText>
BOOL EnumNames(HMODULE hModule, const std::optional<ResourceId>& type, const Char* lpType,
               Callback lpEnumFunc, LONG_PTR lParam, NameText nameText) {
    if (!type || lpEnumFunc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto set = qx::resource::ModuleResourceSet(hModule);
    if (!set) {
        return FALSE;
    }
    auto names = set->Names(*type);
    if (names.empty()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    for (const auto& name : names) {
        auto text = name.IsNamed() ? nameText(name) : decltype(nameText(name))();
        Char* argument = name.IsNamed()
                             ? text.data()
                             : reinterpret_cast<Char*>(static_cast<ULONG_PTR>(static_cast<WORD>(name.id)));
        if (!lpEnumFunc(hModule, lpType, argument, lParam)) {
            SetLastError(kErrorResourceEnumUserStop);
            return FALSE;
        }
    }
    return TRUE;
}

} // namespace

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    return Find(hModule, ResourceId::FromAnsi(lpType), ResourceId::FromAnsi(lpName), 0);
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    return Find(hModule, ResourceId::FromWide(lpType), ResourceId::FromWide(lpName), 0);
}

HRSRC FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
    return Find(hModule, ResourceId::FromAnsi(lpType), ResourceId::FromAnsi(lpName), wLanguage);
}

HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
    return Find(hModule, ResourceId::FromWide(lpType), ResourceId::FromWide(lpName), wLanguage);
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
    auto entry = Entry(hModule, hResInfo);
    if (!entry) {
        return nullptr;
    }
    // Resources live in the module's read-only data for as long as it is loaded.
    return const_cast<std::byte*>(entry->data.data());
}

LPVOID LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    auto entry = Entry(hModule, hResInfo);
    return entry ? static_cast<DWORD>(entry->data.size()) : 0;
}

BOOL FreeResource(HGLOBAL) {
    return FALSE;
}

BOOL EnumResourceNamesA(HMODULE hModule, LPCSTR lpType, ENUMRESNAMEPROCA lpEnumFunc, LONG_PTR lParam) {
    return EnumNames(hModule, ResourceId::FromAnsi(lpType), lpType, lpEnumFunc, lParam,
                     [](const ResourceId& name) { return qx::module::Utf16ToAnsi(name.name); });
}

BOOL EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc, LONG_PTR lParam) {
    return EnumNames(hModule, ResourceId::FromWide(lpType), lpType, lpEnumFunc, lParam,
                     [](const ResourceId& name) { return name.name; });
}
