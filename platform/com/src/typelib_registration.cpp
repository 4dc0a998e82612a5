// RegisterTypeLib and UnRegisterTypeLib: the standard keys under HKEY_CLASSES_ROOT.
//
//   TypeLib\{LIBID}\<major>.<minor>            = the library's help string (else its name)
//   TypeLib\{LIBID}\<major>.<minor>\<lcid>\win32 = the library's file
//   TypeLib\{LIBID}\<major>.<minor>\FLAGS        = the library flags, in decimal
//   TypeLib\{LIBID}\<major>.<minor>\HELPDIR      = the help folder (the file's folder when none is given)
//   Interface\{IID}                            = the interface's name, for each interface of the library
//   Interface\{IID}\ProxyStubClsid, \ProxyStubClsid32 = the Automation marshaller: {00020424-...} for
//                                                 dual interfaces, {00020420-...} for dispinterfaces
//   Interface\{IID}\TypeLib                    = {LIBID}, with the value Version = "<major>.<minor>"
// Versions and the LCID are written in hexadecimal. The components are 32-bit servers, so the
// platform key is always win32. Everything is written in one registry transaction.
#include "objbase.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/win32/registry.h"
#include "shlwapi_registry.h"
#include "winreg.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using qx::com::Bstr;
using qx::com::ComPtr;

constexpr char16_t kPSOAInterface[] = u"{00020424-0000-0000-C000-000000000046}";
constexpr char16_t kPSDispatch[] = u"{00020420-0000-0000-C000-000000000046}";

std::u16string GuidText(REFGUID g) {
    OLECHAR text[39];
    StringFromGUID2(g, text, 39);
    return text;
}

std::u16string Hex(unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", value);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

std::u16string VersionText(WORD major, WORD minor) {
    return Hex(major) + u"." + Hex(minor);
}

// Creates the key path under the parent and sets its default (or named) string value.
LONG SetString(HKEY parent, const std::u16string& path, const char16_t* name, const std::u16string& value) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                              &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
    return rc;
}

bool ReadString(HKEY parent, const std::u16string& path, const char16_t* name, std::u16string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    bool ok = false;
    if (rc == ERROR_SUCCESS && type == REG_SZ && size <= 0x10000) {
        std::vector<char16_t> buffer(size / sizeof(char16_t) + 1, u'\0');
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS) {
            out.assign(buffer.data());
            ok = true;
        }
    }
    RegCloseKey(key);
    return ok;
}

bool EqualNoCase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i] >= u'a' && a[i] <= u'z' ? static_cast<char16_t>(a[i] - 32) : a[i];
        char16_t y = b[i] >= u'a' && b[i] <= u'z' ? static_cast<char16_t>(b[i] - 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

HRESULT FromRegistry(LONG rc) {
    return rc == ERROR_SUCCESS ? S_OK : TYPE_E_REGISTRYACCESS;
}

} // namespace

HRESULT RegisterTypeLib(ITypeLib* ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir) {
    if (!ptlib || !szFullPath || !*szFullPath)
        return E_INVALIDARG;
    TLIBATTR* attr = nullptr;
    HRESULT hr = ptlib->GetLibAttr(&attr);
    if (FAILED(hr))
        return hr;
    TLIBATTR lib = *attr;
    ptlib->ReleaseTLibAttr(attr);
    Bstr name, doc;
    ptlib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);

    std::u16string path(szFullPath);
    std::u16string helpDir;
    if (szHelpDir) {
        helpDir = szHelpDir;
    } else {
        std::size_t slash = path.find_last_of(u"/\\");
        helpDir = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
    }
    std::u16string libid = GuidText(lib.guid);
    std::u16string version = VersionText(lib.wMajorVerNum, lib.wMinorVerNum);
    std::u16string base = u"TypeLib\\" + libid + u"\\" + version;

    qx::registry::Transaction transaction;
    if (transaction.Status() != ERROR_SUCCESS)
        return TYPE_E_REGISTRYACCESS;
    LONG rc = SetString(HKEY_CLASSES_ROOT, base, nullptr,
                        doc.Empty() ? std::u16string(name.View()) : std::u16string(doc.View()));
    if (rc == ERROR_SUCCESS)
        rc = SetString(HKEY_CLASSES_ROOT, base + u"\\" + Hex(lib.lcid) + u"\\win32", nullptr, path);
    if (rc == ERROR_SUCCESS)
        rc = SetString(HKEY_CLASSES_ROOT, base + u"\\FLAGS", nullptr,
                       qx::com::Utf8ToUtf16(std::to_string(lib.wLibFlags)));
    if (rc == ERROR_SUCCESS)
        rc = SetString(HKEY_CLASSES_ROOT, base + u"\\HELPDIR", nullptr, helpDir);

    for (UINT i = 0; rc == ERROR_SUCCESS && i < ptlib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        if (FAILED(ptlib->GetTypeInfo(i, &info)))
            continue;
        TYPEATTR* ta = nullptr;
        if (FAILED(info->GetTypeAttr(&ta)))
            continue;
        TYPEKIND kind = ta->typekind;
        WORD flags = ta->wTypeFlags;
        GUID iid = ta->guid;
        info->ReleaseTypeAttr(ta);
        if (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE)
            continue;
        Bstr itfName;
        info->GetDocumentation(MEMBERID_NIL, &itfName, nullptr, nullptr, nullptr);
        bool automation = kind == TKIND_INTERFACE || (flags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION));
        std::u16string proxy = automation ? kPSOAInterface : kPSDispatch;
        std::u16string key = u"Interface\\" + GuidText(iid);
        rc = SetString(HKEY_CLASSES_ROOT, key, nullptr, std::u16string(itfName.View()));
        if (rc == ERROR_SUCCESS)
            rc = SetString(HKEY_CLASSES_ROOT, key + u"\\ProxyStubClsid", nullptr, proxy);
        if (rc == ERROR_SUCCESS)
            rc = SetString(HKEY_CLASSES_ROOT, key + u"\\ProxyStubClsid32", nullptr, proxy);
        if (rc == ERROR_SUCCESS)
            rc = SetString(HKEY_CLASSES_ROOT, key + u"\\TypeLib", nullptr, libid);
        if (rc == ERROR_SUCCESS)
            rc = SetString(HKEY_CLASSES_ROOT, key + u"\\TypeLib", u"Version", version);
    }
    if (rc != ERROR_SUCCESS)
        return TYPE_E_REGISTRYACCESS; // the transaction drops every change
    return FromRegistry(transaction.Commit());
}

// Removes the version key of the library (and the library key when no version is left) and the
// Interface keys that name this library and version. TYPE_E_REGISTRYACCESS when the version is not
// registered.
HRESULT UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID, SYSKIND) {
    std::u16string libid = GuidText(libID);
    std::u16string version = VersionText(wVerMajor, wVerMinor);
    std::u16string libKey = u"TypeLib\\" + libid;

    qx::registry::Transaction transaction;
    if (transaction.Status() != ERROR_SUCCESS)
        return TYPE_E_REGISTRYACCESS;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (libKey + u"\\" + version).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return TYPE_E_REGISTRYACCESS;
    RegCloseKey(key);

    // Interface keys whose TypeLib names this library and version.
    std::vector<std::u16string> interfaces;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Interface", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        for (DWORD index = 0;; ++index) {
            char16_t nameBuffer[256];
            DWORD length = 256;
            LONG rc = RegEnumKeyExW(key, index, nameBuffer, &length, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            if (rc != ERROR_SUCCESS)
                continue;
            std::u16string itf(nameBuffer, length);
            std::u16string owner, ownerVersion;
            if (ReadString(key, itf + u"\\TypeLib", nullptr, owner) && EqualNoCase(owner, libid) &&
                (!ReadString(key, itf + u"\\TypeLib", u"Version", ownerVersion) ||
                 EqualNoCase(ownerVersion, version)))
                interfaces.push_back(u"Interface\\" + itf);
        }
        RegCloseKey(key);
    }
    for (const std::u16string& itf : interfaces)
        if (SHDeleteKeyW(HKEY_CLASSES_ROOT, itf.c_str()) != ERROR_SUCCESS)
            return TYPE_E_REGISTRYACCESS;
    if (SHDeleteKeyW(HKEY_CLASSES_ROOT, (libKey + u"\\" + version).c_str()) != ERROR_SUCCESS)
        return TYPE_E_REGISTRYACCESS;
    // The library key goes when no other version is left under it.
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, libKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD subKeys = 0, values = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(key);
        if (subKeys == 0 && values == 0)
            RegDeleteKeyW(HKEY_CLASSES_ROOT, libKey.c_str());
    }
    return FromRegistry(transaction.Commit());
}
