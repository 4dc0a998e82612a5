#include "reg_script.h"

#include "ansi_text.h"

#include <iterator>
#include <shlwapi_registry.h>

void CRegEnumList::SetNames(std::vector<std::string>&& names) {
    m_names = std::move(names);
    m_count = static_cast<LONG>(m_names.size());
}

STDMETHODIMP CRegEnumList::get_Count(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = m_count;
    return S_OK;
}

STDMETHODIMP CRegEnumList::get_Item(LONG index, VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    if (index < 0 || index >= m_count)
        return E_INVALIDARG;
    BSTR name = AnsiToBstr(m_names[static_cast<size_t>(index)]);
    if (!name)
        return E_OUTOFMEMORY;
    VariantInit(pVal);
    pVal->vt = VT_BSTR;
    pVal->bstrVal = name;
    return S_OK;
}

CRegScript::CRegScript() : m_registry(HKEY_LOCAL_MACHINE) {}

HKEY CRegScript::HiveFromIndex(LONG hiveIndex) {
    static const HKEY kHives[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                                  HKEY_CURRENT_CONFIG};
    if (hiveIndex < 0 || hiveIndex >= static_cast<LONG>(std::size(kHives)))
        return nullptr;
    return kHives[hiveIndex];
}

STDMETHODIMP CRegScript::GetEnumListKey(BSTR regKey, VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    std::vector<std::string> names;
    std::string subkey;
    // A name that cannot be said exactly in the code page would list some other key.
    if (BstrToAnsiExact(regKey, subkey))
        m_registry.EnumSubKeys(subkey.c_str(), names);
    else
        m_registry.Fail(ERROR_INVALID_PARAMETER);

    qx::com::ObjectPtr<CRegEnumList> list;
    HRESULT hr = qx::com::CreateObject<CRegEnumList>(list);
    if (FAILED(hr))
        return hr;
    list->SetNames(std::move(names));
    IDispatch* dispatch = nullptr;
    hr = list->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr))
        return hr;
    VariantInit(pVal);
    pVal->vt = VT_DISPATCH;
    pVal->pdispVal = dispatch;
    return S_OK;
}

STDMETHODIMP CRegScript::OpenKey(LONG hiveIndex, BSTR regKey) {
    const HKEY hive = HiveFromIndex(hiveIndex);
    std::string subkey;
    if (hive && BstrToAnsiExact(regKey, subkey)) {
        m_registry.Open(hive, subkey.c_str());
    } else {
        // Like a failed open: no current key, so later lists are empty.
        m_registry.Close();
        m_registry.Fail(hive ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    }
    return S_OK;
}

STDMETHODIMP CRegScript::Close() {
    m_registry.Close();
    return S_OK;
}

STDMETHODIMP CRegScript::ReadValue(LONG hiveIndex, BSTR regKey, BSTR* pVal) {
    if (!pVal)
        return E_POINTER;
    std::string value;
    const HKEY hive = HiveFromIndex(hiveIndex);
    std::string subkey;
    if (hive && BstrToAnsiExact(regKey, subkey)) {
        RegistryEx registry(hive);
        if (!registry.Open(hive, subkey.c_str()) || !registry.QueryValue("", value))
            value.clear();
    }
    *pVal = AnsiToBstr(value);
    return *pVal ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CRegScript::DeleteRegKey(LONG hiveIndex, BSTR keyPath) {
    const HKEY hive = HiveFromIndex(hiveIndex);
    std::string path;
    if (!hive || !BstrToAnsiExact(keyPath, path))
        return S_OK;
    // An empty path (or one of separators only) would name the hive itself: never delete that.
    if (path.find_first_not_of('\\') == std::string::npos)
        return S_OK;
    SHDeleteKeyA(hive, path.c_str());
    return S_OK;
}
