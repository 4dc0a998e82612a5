#include "qx/activation/platform_class.h"

#include "objbase_activation.h"
#include "qx/com/comptr.h"
#include "winreg.h"

#include <string>

namespace qx::activation {
namespace {

LONG SetDefault(const std::u16string& subKey, const std::u16string& value) {
    HKEY key = nullptr;
    LONG rc =
        RegCreateKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return rc;
}

HRESULT WriteKeys(const PlatformClassName& name, const char16_t* description) {
    WCHAR clsidText[40] = {};
    if (!StringFromGUID2(*name.clsid, clsidText, 40))
        return E_UNEXPECTED;
    const std::u16string progId = name.progId;
    const std::u16string clsidKey = std::u16string(u"CLSID\\") + clsidText;
    LONG rc = SetDefault(progId, description);
    if (rc == ERROR_SUCCESS)
        rc = SetDefault(progId + u"\\CLSID", clsidText);
    if (rc == ERROR_SUCCESS)
        rc = SetDefault(clsidKey, description);
    // A class with several ProgIDs keeps the last one written as its own.
    if (rc == ERROR_SUCCESS)
        rc = SetDefault(clsidKey + u"\\ProgID", progId);
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(rc));
}

} // namespace

PlatformClassRegistration::PlatformClassRegistration(const PlatformClassName* names, std::size_t count,
                                                     const char16_t* description,
                                                     HRESULT (*getClassObject)(REFIID, void**))
    : m_names(names), m_count(count), m_description(description), m_getClassObject(getClassObject),
      m_cookies(count, 0) {}

HRESULT PlatformClassRegistration::Register() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_registered)
        return S_FALSE;
    qx::com::ComPtr<IUnknown> factory;
    HRESULT hr = m_getClassObject(IID_IUnknown, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    for (std::size_t i = 0; i < m_count; ++i) {
        hr = WriteKeys(m_names[i], m_description);
        bool classSeen = false;
        for (std::size_t j = 0; j < i; ++j)
            classSeen = classSeen || IsEqualCLSID(*m_names[j].clsid, *m_names[i].clsid);
        if (SUCCEEDED(hr) && !classSeen)
            hr = CoRegisterClassObject(*m_names[i].clsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                       REGCLS_MULTIPLEUSE, &m_cookies[i]);
        if (FAILED(hr)) {
            RevokeLocked();
            return hr;
        }
    }
    m_registered = true;
    return S_OK;
}

void PlatformClassRegistration::Revoke() {
    std::lock_guard<std::mutex> guard(m_lock);
    RevokeLocked();
}

void PlatformClassRegistration::RevokeLocked() {
    for (DWORD& cookie : m_cookies)
        if (cookie) {
            CoRevokeClassObject(cookie);
            cookie = 0;
        }
    m_registered = false;
}

} // namespace qx::activation
