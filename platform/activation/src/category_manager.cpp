// The standard component categories manager over HKEY_CLASSES_ROOT. Each call is one registry
// transaction: when any key cannot be written, nothing of the call is kept.
#include "category_manager.h"

#include "classes_root.h"

#include "qx/com/object.h"
#include "qx/win32/registry.h"
#include "shlwapi_registry.h"
#include "winreg.h"

#include <cstdio>
#include <string>

namespace qx::activation {
namespace {

HRESULT FromRegistryError(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(error));
}

LONG CreateKey(const std::u16string& path, HKEY* key) {
    return RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, key, nullptr);
}

// Removes a key that has no subkeys left.
void RemoveIfEmpty(const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD subKeys = 0;
    DWORD values = 0;
    LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                   nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subKeys == 0 && values == 0)
        RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}

class CategoryManager : public com::ObjectRoot, public ICatRegister {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CategoryManager)
    QX_INTERFACE_ENTRY(ICatRegister)
    QX_END_INTERFACES()

    STDMETHODIMP RegisterCategories(ULONG cCategories, CATEGORYINFO rgCategoryInfo[]) override {
        if (cCategories && !rgCategoryInfo)
            return E_INVALIDARG;
        registry::Transaction transaction;
        if (transaction.Status() != ERROR_SUCCESS)
            return FromRegistryError(transaction.Status());
        for (ULONG i = 0; i < cCategories; ++i) {
            const CATEGORYINFO& info = rgCategoryInfo[i];
            HKEY key = nullptr;
            LONG status = CreateKey(u"Component Categories\\" + GuidText(info.catid), &key);
            if (status != ERROR_SUCCESS)
                return FromRegistryError(status);
            char lcidName[16];
            std::snprintf(lcidName, sizeof lcidName, "%x", static_cast<unsigned>(info.lcid));
            std::u16string name(lcidName, lcidName + std::char_traits<char>::length(lcidName));
            size_t length = 0;
            while (length < 128 && info.szDescription[length])
                ++length;
            std::u16string description(info.szDescription, length);
            status = RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(description.c_str()),
                                    static_cast<DWORD>((description.size() + 1) * sizeof(WCHAR)));
            RegCloseKey(key);
            if (status != ERROR_SUCCESS)
                return FromRegistryError(status);
        }
        return FromRegistryError(transaction.Commit());
    }

    STDMETHODIMP UnRegisterCategories(ULONG cCategories, CATID rgcatid[]) override {
        if (cCategories && !rgcatid)
            return E_INVALIDARG;
        registry::Transaction transaction;
        if (transaction.Status() != ERROR_SUCCESS)
            return FromRegistryError(transaction.Status());
        for (ULONG i = 0; i < cCategories; ++i) {
            LONG status =
                SHDeleteKeyW(HKEY_CLASSES_ROOT, (u"Component Categories\\" + GuidText(rgcatid[i])).c_str());
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                return FromRegistryError(status);
        }
        return FromRegistryError(transaction.Commit());
    }

    STDMETHODIMP RegisterClassImplCategories(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) override {
        return AddClassCategories(rclsid, u"Implemented Categories", cCategories, rgcatid);
    }
    STDMETHODIMP UnRegisterClassImplCategories(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) override {
        return RemoveClassCategories(rclsid, u"Implemented Categories", cCategories, rgcatid);
    }
    STDMETHODIMP RegisterClassReqCategories(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) override {
        return AddClassCategories(rclsid, u"Required Categories", cCategories, rgcatid);
    }
    STDMETHODIMP UnRegisterClassReqCategories(REFCLSID rclsid, ULONG cCategories, CATID rgcatid[]) override {
        return RemoveClassCategories(rclsid, u"Required Categories", cCategories, rgcatid);
    }

private:
    static HRESULT AddClassCategories(REFCLSID rclsid, const char16_t* kind, ULONG count, CATID catids[]) {
        if (count && !catids)
            return E_INVALIDARG;
        registry::Transaction transaction;
        if (transaction.Status() != ERROR_SUCCESS)
            return FromRegistryError(transaction.Status());
        const std::u16string base = u"CLSID\\" + GuidText(rclsid) + u"\\" + kind;
        for (ULONG i = 0; i < count; ++i) {
            HKEY key = nullptr;
            LONG status = CreateKey(base + u"\\" + GuidText(catids[i]), &key);
            if (status != ERROR_SUCCESS)
                return FromRegistryError(status);
            RegCloseKey(key);
        }
        return FromRegistryError(transaction.Commit());
    }

    static HRESULT RemoveClassCategories(REFCLSID rclsid, const char16_t* kind, ULONG count, CATID catids[]) {
        if (count && !catids)
            return E_INVALIDARG;
        registry::Transaction transaction;
        if (transaction.Status() != ERROR_SUCCESS)
            return FromRegistryError(transaction.Status());
        const std::u16string base = u"CLSID\\" + GuidText(rclsid) + u"\\" + kind;
        for (ULONG i = 0; i < count; ++i) {
            LONG status = SHDeleteKeyW(HKEY_CLASSES_ROOT, (base + u"\\" + GuidText(catids[i])).c_str());
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                return FromRegistryError(status);
        }
        RemoveIfEmpty(base);
        return FromRegistryError(transaction.Commit());
    }
};

} // namespace

HRESULT GetCategoryManagerClassObject(REFIID riid, LPVOID* ppv) {
    return com::CreateClassFactory(&com::CreateInstance<CategoryManager>, riid, ppv);
}

} // namespace qx::activation
