// In-process registration of the XML HTTP request class: the platform is no component file, so
// its class object is registered with the activation layer and both ProgIDs point at its CLSID.
#include "qxxmlhttp/xmlhttp.h"

#include "objbase.h"
#include "objbase_activation.h"
#include "qxcom/comptr.h"
#include "winreg.h"

#include <mutex>
#include <string>

namespace qxxmlhttp {
namespace {

struct ClassEntry {
    const CLSID* clsid;
    const char16_t* progId;
};
constexpr ClassEntry kClasses[] = {
    // Both ProgIDs name the one class; the class's own ProgID key ends as the last one written.
    {&CLSID_XMLHTTPRequest, u"Microsoft.XMLHTTP"},
    {&CLSID_XMLHTTPRequest, u"Msxml2.XMLHTTP"},
};
constexpr char16_t kDescription[] = u"XML HTTP Request";

std::mutex g_lock;
DWORD g_cookies[std::size(kClasses)] = {};
bool g_registered = false;

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

HRESULT WriteKeys(const ClassEntry& entry) {
    WCHAR clsidText[40] = {};
    if (!StringFromGUID2(*entry.clsid, clsidText, 40))
        return E_UNEXPECTED;
    const std::u16string progId = entry.progId;
    const std::u16string clsidKey = std::u16string(u"CLSID\\") + clsidText;
    LONG rc = SetDefault(progId, kDescription);
    if (rc == ERROR_SUCCESS)
        rc = SetDefault(progId + u"\\CLSID", clsidText);
    if (rc == ERROR_SUCCESS)
        rc = SetDefault(clsidKey, kDescription);
    if (rc == ERROR_SUCCESS)
        rc = SetDefault(clsidKey + u"\\ProgID", progId);
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(rc));
}

void RevokeLocked() {
    for (DWORD& cookie : g_cookies)
        if (cookie) {
            CoRevokeClassObject(cookie);
            cookie = 0;
        }
    g_registered = false;
}

} // namespace

HRESULT RegisterXmlHttpClass() {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_registered)
        return S_FALSE;
    qx::com::ComPtr<IUnknown> factory;
    HRESULT hr = GetXmlHttpRequestClassObject(IID_IUnknown, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    for (std::size_t i = 0; i < std::size(kClasses); ++i) {
        hr = WriteKeys(kClasses[i]);
        if (SUCCEEDED(hr) && i == 0)
            hr = CoRegisterClassObject(*kClasses[i].clsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                       REGCLS_MULTIPLEUSE, &g_cookies[i]);
        if (FAILED(hr)) {
            RevokeLocked();
            return hr;
        }
    }
    g_registered = true;
    return S_OK;
}

void RevokeXmlHttpClass() {
    std::lock_guard<std::mutex> guard(g_lock);
    RevokeLocked();
}

} // namespace qxxmlhttp
