// In-process registration of the platform's own classes. The platform is no component file, so a
// class's object is registered with the activation layer (CoRegisterClassObject) and its ProgIDs
// are written under HKEY_CLASSES_ROOT to point at its class identifier.
#pragma once

#include <objbase.h>

#include <cstddef>
#include <mutex>
#include <vector>

namespace qx::activation {

struct PlatformClassName {
    const CLSID* clsid;
    const char16_t* progId;
};

class PlatformClassRegistration {
public:
    // names: each ProgID with its class; several ProgIDs may name one class, whose object is then
    // registered once. getClassObject gives the class factory.
    PlatformClassRegistration(const PlatformClassName* names, std::size_t count, const char16_t* description,
                              HRESULT (*getClassObject)(REFIID, void**));

    // S_OK, S_FALSE when already registered, or the failure (nothing stays registered then).
    HRESULT Register();
    void Revoke();

private:
    void RevokeLocked();

    const PlatformClassName* m_names;
    std::size_t m_count;
    const char16_t* m_description;
    HRESULT (*m_getClassObject)(REFIID, void**);
    std::mutex m_lock;
    std::vector<DWORD> m_cookies;
    bool m_registered = false;
};

} // namespace qx::activation
