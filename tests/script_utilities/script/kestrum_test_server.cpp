// Kestrum's three creatable classes behind DllGetClassObject, so that scripthost reaches them by
// ProgID through the registry before the component's own server module joins them.
#include "calendar_object.h"
#include "misc_func.h"
#include "reg_script.h"

namespace {

using CreateFunction = HRESULT (*)(IUnknown*, REFIID, void**);

class Factory final : public IClassFactory {
public:
    explicit Factory(CreateFunction create) : create_(create) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factories live as long as the module.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        return create_(outer, riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    CreateFunction create_;
};

Factory g_calendar(&qx::com::CreateInstance<CCalendar>);
Factory g_misc(&qx::com::CreateInstance<CMiscFunc>);
Factory g_reg(&qx::com::CreateInstance<CRegScript>);

} // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid,
                                                                            void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (clsid == CLSID_Calendar)
        return g_calendar.QueryInterface(riid, ppv);
    if (clsid == CLSID_MiscFunc)
        return g_misc.QueryInterface(riid, ppv);
    if (clsid == CLSID_RegScript)
        return g_reg.QueryInterface(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}
