// The test component's classes: three in the object map, one (Hidden) with a script but no row.
#include "probe_interfaces.h"
#include "server_module.h"

#include "qx/com/bstr.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Appends one line to the file named by QX_TEST_COMPONENT_LOG, so that a test sees the module's
// start and end from outside.
void LogEvent(const char* text) {
    const char* path = std::getenv("QX_TEST_COMPONENT_LOG");
    if (!path)
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", text);
        std::fclose(f);
    }
}

template <class T>
class CProbeBase : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IProbe, kDisp_IProbe> {
public:
    STDMETHODIMP get_Kind(BSTR* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = SysAllocString(T::kKind);
        return *pVal ? S_OK : E_OUTOFMEMORY;
    }
};

class CWidget : public CProbeBase<CWidget>, public CServerClass<CWidget, 101> {
public:
    static constexpr const char16_t* kKind = u"widget";
    QX_BEGIN_INTERFACES(CWidget)
    QX_INTERFACE_ENTRY(IProbe)
    QX_INTERFACE_ENTRY2(IDispatch, IProbe)
    QX_END_INTERFACES()
    BEGIN_CATEGORY_MAP(CWidget)
    IMPLEMENTED_CATEGORY(CATID_SafeForScripting)
    IMPLEMENTED_CATEGORY(CATID_SafeForInitializing)
    REQUIRED_CATEGORY(CATID_ProbeRequired)
    END_CATEGORY_MAP()
    static void ObjectMain(bool bStarting) { LogEvent(bStarting ? "widget start" : "widget end"); }
};

class CSolo : public CProbeBase<CSolo>, public CServerClass<CSolo, 102> {
public:
    static constexpr const char16_t* kKind = u"solo";
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CSolo)
    QX_INTERFACE_ENTRY(IProbe)
    QX_INTERFACE_ENTRY2(IDispatch, IProbe)
    QX_END_INTERFACES()
};

class CFlaky : public CProbeBase<CFlaky>, public CServerClass<CFlaky, 103> {
public:
    static constexpr const char16_t* kKind = u"flaky";
    QX_BEGIN_INTERFACES(CFlaky)
    QX_INTERFACE_ENTRY(IProbe)
    QX_INTERFACE_ENTRY2(IDispatch, IProbe)
    QX_END_INTERFACES()
};

LONG g_flakyRequests = 0;

// The first creation of the Flaky factory fails, as a factory that runs out of memory would.
HRESULT CreateFlakyFactory(void* pfnCreateInstance, REFIID riid, LPVOID* ppv) {
    if (++g_flakyRequests == 1) {
        *ppv = NULL;
        return E_OUTOFMEMORY;
    }
    return CreateServerClassFactory(pfnCreateInstance, riid, ppv);
}

} // namespace

const GUID ComponentLibId = LIBID_PROBELib;

// CLSID_Hidden has a script (104) but no row, so it is never registered.
BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_Widget, CWidget)
OBJECT_ENTRY(CLSID_Solo, CSolo){&CLSID_Flaky,
                                &CFlaky::UpdateRegistry,
                                &CreateFlakyFactory,
                                &CFlaky::CreateInstance,
                                NULL,
                                0,
                                &CFlaky::GetObjectDescription,
                                &CFlaky::GetCategoryMap,
                                &CFlaky::ObjectMain},
    END_OBJECT_MAP()
