// The test component as an in-process server module: DllGetClassObject hands out the class
// factory of "Test.Thing", so scripthost reaches it through the registry.
#include "../script/test_component.h"

#include <objbase.h>

namespace {

class TestThingFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factory lives as long as the module.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IDispatch* thing = nullptr;
        HRESULT hr = qx::test::CreateTestThing(&thing);
        if (FAILED(hr))
            return hr;
        hr = thing->QueryInterface(riid, ppv);
        thing->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

TestThingFactory g_factory;

} // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid,
                                                                            void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_TestThing)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

// Lets a test see the module's own instance count after a script has ended.
extern "C" __attribute__((visibility("default"))) int TestThingLiveObjects() {
    return qx::test::g_liveTestObjects.load();
}
