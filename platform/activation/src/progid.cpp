// ProgIDs: those of the program's own classes first, then HKEY_CLASSES_ROOT\<ProgID>\CLSID (a
// version-independent ProgID through CurVer), and the ProgID of a class identifier.
#include "classes_root.h"

#include "objbase.h"
#include "objbase_activation.h"
#include "winreg.h"

#include <cstring>
#include <vector>

namespace qx::activation {

std::optional<std::u16string> ReadClassesRootDefault(const std::u16string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::u16string> result;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<WCHAR> buffer(size / sizeof(WCHAR) + 1, u'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(WCHAR));
        if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) ==
            ERROR_SUCCESS) {
            buffer.back() = u'\0';
            result = std::u16string(buffer.data());
        }
    }
    RegCloseKey(key);
    return result;
}

std::u16string GuidText(const GUID& guid) {
    WCHAR text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

namespace {

// A ProgID is one key name: not empty, no backslash, at most 39 characters plus room for a
// version suffix as the registry allows (255).
bool IsProgIdName(std::u16string_view name) {
    return !name.empty() && name.size() <= 255 && name.find(u'\\') == std::u16string_view::npos;
}

} // namespace

} // namespace qx::activation

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
    using namespace qx::activation;
    if (!lpszProgID || !lpclsid)
        return E_INVALIDARG;
    *lpclsid = CLSID{};
    std::u16string progId(lpszProgID);
    if (auto own = ProcessProgIdClass(progId)) {
        *lpclsid = *own;
        return S_OK;
    }
    // CurVer chains are short; a cycle in a damaged registry must not loop.
    for (int hops = 0; hops < 8; ++hops) {
        if (!IsProgIdName(progId))
            return CO_E_CLASSSTRING;
        if (auto current = ReadClassesRootDefault(progId + u"\\CurVer");
            current && !current->empty() && *current != progId) {
            progId = *current;
            continue;
        }
        auto clsidText = ReadClassesRootDefault(progId + u"\\CLSID");
        if (!clsidText)
            return CO_E_CLASSSTRING;
        CLSID clsid{};
        if (FAILED(CLSIDFromString(clsidText->c_str(), &clsid)))
            return CO_E_CLASSSTRING;
        *lpclsid = clsid;
        return S_OK;
    }
    return CO_E_CLASSSTRING;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) {
    using namespace qx::activation;
    if (!lplpszProgID)
        return E_INVALIDARG;
    *lplpszProgID = nullptr;
    auto progId = ProcessClassProgId(clsid);
    if (!progId)
        progId = ReadClassesRootDefault(u"CLSID\\" + GuidText(clsid) + u"\\ProgID");
    if (!progId || progId->empty())
        return REGDB_E_CLASSNOTREG;
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((progId->size() + 1) * sizeof(WCHAR)));
    if (!copy)
        return E_OUTOFMEMORY;
    std::memcpy(copy, progId->c_str(), (progId->size() + 1) * sizeof(WCHAR));
    *lplpszProgID = copy;
    return S_OK;
}
