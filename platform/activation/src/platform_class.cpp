#include "qx/activation/platform_class.h"

#include "classes_root.h"
#include "objbase_activation.h"
#include "qx/com/comptr.h"

namespace qx::activation {

PlatformClassRegistration::PlatformClassRegistration(const PlatformClassName* names, std::size_t count,
                                                     HRESULT (*getClassObject)(REFIID, void**))
    : m_names(names), m_count(count), m_getClassObject(getClassObject), m_cookies(count, 0) {}

HRESULT PlatformClassRegistration::Register() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_registered)
        return S_FALSE;
    qx::com::ComPtr<IUnknown> factory;
    HRESULT hr = m_getClassObject(IID_IUnknown, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    for (std::size_t i = 0; i < m_count; ++i) {
        bool classSeen = false;
        for (std::size_t j = 0; j < i; ++j)
            classSeen = classSeen || IsEqualCLSID(*m_names[j].clsid, *m_names[i].clsid);
        if (!classSeen)
            hr = CoRegisterClassObject(*m_names[i].clsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                       REGCLS_MULTIPLEUSE, &m_cookies[i]);
        if (FAILED(hr)) {
            RevokeLocked();
            return hr;
        }
    }
    // Only now, so that a failure above leaves no ProgID naming a class that cannot be made.
    for (std::size_t i = 0; i < m_count; ++i)
        AddProcessProgId(m_names[i].progId, *m_names[i].clsid);
    m_registered = true;
    return S_OK;
}

void PlatformClassRegistration::Revoke() {
    std::lock_guard<std::mutex> guard(m_lock);
    RevokeLocked();
}

void PlatformClassRegistration::RevokeLocked() {
    if (m_registered)
        for (std::size_t i = m_count; i-- > 0;)
            RemoveProcessProgId(m_names[i].progId, *m_names[i].clsid);
    for (DWORD& cookie : m_cookies)
        if (cookie) {
            CoRevokeClassObject(cookie);
            cookie = 0;
        }
    m_registered = false;
}

} // namespace qx::activation
