// Applies a parsed registry script to the registry, all of it inside one transaction.
#include "qx/win32/codepage.h"
#include "qx/win32/registry.h"
#include "qx/win32/registry_script.h"
#include "shlwapi_registry.h"

namespace qx::registrar {

namespace {

LONG SetScriptValue(HKEY key, std::u16string_view name, const ScriptKey& entry) {
    if (entry.kind == ValueKind::Dword) {
        const BYTE bytes[4] = {static_cast<BYTE>(entry.number), static_cast<BYTE>(entry.number >> 8),
                               static_cast<BYTE>(entry.number >> 16), static_cast<BYTE>(entry.number >> 24)};
        return RegSetValueExW(key, std::u16string(name).c_str(), 0, REG_DWORD, bytes, sizeof bytes);
    }
    const std::u16string valueName(name);
    return RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(entry.text.c_str()),
                          static_cast<DWORD>((entry.text.size() + 1) * sizeof(WCHAR)));
}

LONG IgnoreMissing(LONG rc) {
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

LONG Register(HKEY parent, const std::vector<ScriptKey>& keys) {
    for (const ScriptKey& entry : keys) {
        LONG rc = ERROR_SUCCESS;
        switch (entry.flag) {
        case KeyFlag::NamedValue:
            rc = SetScriptValue(parent, entry.name, entry);
            break;
        case KeyFlag::Delete:
            rc = IgnoreMissing(SHDeleteKeyW(parent, entry.name.c_str()));
            break;
        case KeyFlag::ForceRemove:
            rc = IgnoreMissing(SHDeleteKeyW(parent, entry.name.c_str()));
            [[fallthrough]];
        case KeyFlag::None:
        case KeyFlag::NoRemove: {
            if (rc != ERROR_SUCCESS)
                break;
            HKEY key = nullptr;
            rc = RegCreateKeyExW(parent, entry.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr);
            if (rc != ERROR_SUCCESS)
                break;
            if (entry.kind != ValueKind::None)
                rc = SetScriptValue(key, u"", entry);
            if (rc == ERROR_SUCCESS)
                rc = Register(key, entry.children);
            RegCloseKey(key);
            break;
        }
        }
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

LONG Unregister(HKEY parent, const std::vector<ScriptKey>& keys) {
    for (const ScriptKey& entry : keys) {
        LONG rc = ERROR_SUCCESS;
        switch (entry.flag) {
        case KeyFlag::NamedValue:
            rc = IgnoreMissing(RegDeleteValueW(parent, entry.name.c_str()));
            break;
        case KeyFlag::Delete:
            break; // acts on register only
        case KeyFlag::NoRemove: {
            HKEY key = nullptr;
            rc = RegOpenKeyExW(parent, entry.name.c_str(), 0, KEY_ALL_ACCESS, &key);
            if (rc == ERROR_FILE_NOT_FOUND) {
                rc = ERROR_SUCCESS;
                break;
            }
            if (rc != ERROR_SUCCESS)
                break;
            rc = Unregister(key, entry.children);
            RegCloseKey(key);
            break;
        }
        case KeyFlag::None:
        case KeyFlag::ForceRemove:
            rc = IgnoreMissing(SHDeleteKeyW(parent, entry.name.c_str()));
            break;
        }
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

} // namespace

HRESULT RunScript(std::u16string_view text, const ReplacementMap& replacements, bool doRegister) {
    Script script;
    const HRESULT hr = ParseScript(text, replacements, script);
    if (FAILED(hr))
        return hr;
    qx::registry::Transaction transaction;
    if (transaction.Status() != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(static_cast<unsigned long>(transaction.Status()));
    for (const ScriptRoot& root : script.roots) {
        const LONG rc = doRegister ? Register(root.hive, root.keys) : Unregister(root.hive, root.keys);
        if (rc != ERROR_SUCCESS)
            return HRESULT_FROM_WIN32(static_cast<unsigned long>(rc)); // the transaction drops every change
    }
    const LONG rc = transaction.Commit();
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(rc));
}

HRESULT RunScript(std::string_view scriptUtf8, const ReplacementMap& replacements, bool doRegister) {
    if (scriptUtf8.size() >= 3 && scriptUtf8.substr(0, 3) == "\xEF\xBB\xBF")
        scriptUtf8.remove_prefix(3);
    if (scriptUtf8.size() > kMaxScriptLength)
        return DISP_E_EXCEPTION;
    std::u16string script;
    if (!qx::win32::Utf8ToWideStrict(scriptUtf8, script))
        return DISP_E_EXCEPTION;
    return RunScript(std::u16string_view(script), replacements, doRegister);
}

} // namespace qx::registrar
