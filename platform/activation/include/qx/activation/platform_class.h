// In-process registration of the platform's own classes, as a browser's own classes are known to
// it: the platform is no component file, so a class's object is registered with the activation
// layer (CoRegisterClassObject) and its ProgIDs are known to activation in this process, asked
// before the registry. Nothing is written to the registry, so the classes are creatable whatever
// state it is in (read-only, damaged).
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
    PlatformClassRegistration(const PlatformClassName* names, std::size_t count,
                              HRESULT (*getClassObject)(REFIID, void**));

    // S_OK, S_FALSE when already registered, or the failure (nothing stays registered then).
    HRESULT Register();
    void Revoke();

private:
    void RevokeLocked();

    const PlatformClassName* m_names;
    std::size_t m_count;
    HRESULT (*m_getClassObject)(REFIID, void**);
    std::mutex m_lock;
    std::vector<DWORD> m_cookies;
    bool m_registered = false;
};

} // namespace qx::activation
