#include "test_component.h"

#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/class_info.h>
#include <qx/com/connection_point.h>
#include <qx/com/dispatch.h>
#include <qx/com/enumerators.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>
#include <qx/com/type_library.h>
#include <qx/com/variant.h>

#include <array>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace qx::test {

std::atomic<int> g_liveTestObjects{0};

namespace {

class CTestThing;
std::mutex g_thingsMutex;
std::set<CTestThing*> g_things;

struct Counted {
    Counted() { ++g_liveTestObjects; }
    ~Counted() { --g_liveTestObjects; }
};

class CTestItems : public com::ObjectRoot, public com::DispatchImpl<ITestItems>, Counted {
public:
    QX_BEGIN_INTERFACES(CTestItems)
    QX_INTERFACE_ENTRY(ITestItems)
    QX_INTERFACE_ENTRY2(IDispatch, ITestItems)
    QX_END_INTERFACES()

    STDMETHODIMP get_Count(LONG* pVal) override {
        *pVal = static_cast<LONG>(kItems.size());
        return S_OK;
    }
    STDMETHODIMP get_Item(LONG index, VARIANT* pVal) override {
        if (index < 0 || index >= static_cast<LONG>(kItems.size()))
            return DISP_E_BADINDEX;
        return com::Variant(kItems[static_cast<std::size_t>(index)]).CopyTo(pVal);
    }
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override {
        std::vector<com::Variant> items;
        for (const char16_t* item : kItems)
            items.emplace_back(item);
        IEnumVARIANT* e = nullptr;
        const HRESULT hr = com::CreateEnumVariant(std::move(items), &e);
        *pVal = e;
        return hr;
    }

private:
    static constexpr std::array<const char16_t*, 3> kItems{u"alpha", u"beta", u"gamma"};
};

class CTestThing : public com::ObjectRoot,
                   public com::DispatchImpl<ITestThing>,
                   public com::ProvideClassInfo2Impl<kTestLibrary, CLSID_TestThing>,
                   public com::ConnectionPointContainerImpl,
                   Counted {
public:
    QX_BEGIN_INTERFACES(CTestThing)
    QX_INTERFACE_ENTRY(ITestThing)
    QX_INTERFACE_ENTRY2(IDispatch, ITestThing)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_INTERFACE_ENTRY2(IProvideClassInfo, IProvideClassInfo2)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_END_INTERFACES()

    CTestThing() {
        std::lock_guard lock(g_thingsMutex);
        g_things.insert(this);
    }
    ~CTestThing() override {
        std::lock_guard lock(g_thingsMutex);
        g_things.erase(this);
    }
    com::ComPtr<IDispatch> TakeChild() { return std::move(child_); }

    STDMETHODIMP get_Name(BSTR* pVal) override { return name_.CopyTo(pVal); }
    STDMETHODIMP put_Name(BSTR newVal) override {
        name_ = com::Bstr(newVal);
        return S_OK;
    }
    STDMETHODIMP get_Count(LONG* pVal) override {
        *pVal = count_;
        return S_OK;
    }
    STDMETHODIMP put_Count(LONG newVal) override {
        count_ = newVal;
        return S_OK;
    }
    STDMETHODIMP Add(LONG a, VARIANT b, LONG* pVal) override {
        if (b.vt == VT_ERROR && b.scode == DISP_E_PARAMNOTFOUND) {
            *pVal = a + 10;
            return S_OK;
        }
        com::Variant number;
        const HRESULT hr = VariantChangeType(&number, &b, 0, VT_I4);
        if (FAILED(hr))
            return hr;
        *pVal = a + number.lVal;
        return S_OK;
    }
    STDMETHODIMP Increment(LONG* value, LONG* pVal) override {
        *value += 1;
        *pVal = *value;
        return S_OK;
    }
    STDMETHODIMP Fail() override {
        return com::ReportError(IID_ITestThing, u"TestThing.Fail", u"the thing failed", E_INVALIDARG);
    }
    STDMETHODIMP get_Items(IDispatch** pVal) override {
        return com::CreateInstance<CTestItems>(nullptr, IID_IDispatch, reinterpret_cast<void**>(pVal));
    }
    STDMETHODIMP Fire(LONG code) override {
        events_.Fire_OnStart();
        events_.Fire_OnDone(code);
        return S_OK;
    }
    STDMETHODIMP Callback(IDispatch* function, VARIANT* pVal) override {
        if (!function)
            return E_INVALIDARG;
        com::Variant arg(LONG(21));
        return com::InvokeByDispid(function, DISPID_VALUE, DISPATCH_METHOD, &arg, 1, pVal);
    }
    STDMETHODIMP get_Stamp(double* pVal) override {
        *pVal = stamp_;
        return S_OK;
    }
    STDMETHODIMP put_Stamp(double newVal) override {
        stamp_ = newVal;
        return S_OK;
    }
    STDMETHODIMP Values(VARIANT* pVal) override {
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 3);
        if (!array)
            return E_OUTOFMEMORY;
        com::Variant items[] = {com::Variant(LONG(1)), com::Variant(u"two"), com::Variant(3.5)};
        for (LONG i = 0; i < 3; ++i)
            SafeArrayPutElement(array, &i, &items[i]);
        pVal->vt = VT_ARRAY | VT_VARIANT;
        pVal->parray = array;
        return S_OK;
    }
    STDMETHODIMP get_Child(IDispatch** pVal) override { return child_.CopyTo(pVal); }
    STDMETHODIMP putref_Child(IDispatch* newVal) override {
        child_ = newVal;
        return S_OK;
    }
    STDMETHODIMP CallChild(BSTR name, VARIANT* pVal) override {
        if (!child_)
            return E_POINTER;
        LPOLESTR names[] = {name};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = child_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            return hr;
        return com::InvokeByDispid(child_, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0, pVal);
    }
    STDMETHODIMP Describe(VARIANT value, BSTR* pVal) override {
        static constexpr const char16_t* kNames[] = {u"VT_EMPTY", u"VT_NULL",     u"VT_I2",    u"VT_I4",
                                                     u"VT_R4",    u"VT_R8",       u"VT_CY",    u"VT_DATE",
                                                     u"VT_BSTR",  u"VT_DISPATCH", u"VT_ERROR", u"VT_BOOL"};
        std::u16string text = value.vt < std::size(kNames) ? kNames[value.vt] : u"VT_OTHER";
        if (value.vt & VT_ARRAY)
            text = u"VT_ARRAY";
        *pVal = SysAllocString(text.c_str());
        return S_OK;
    }

private:
    CProxy_ITestEvents events_{*this};
    com::Bstr name_{u"thing"};
    LONG count_ = 0;
    double stamp_ = 0;
    com::ComPtr<IDispatch> child_;
};

} // namespace

void ReleaseChildren() {
    for (;;) {
        std::vector<com::ComPtr<IDispatch>> children;
        {
            std::lock_guard lock(g_thingsMutex);
            for (CTestThing* thing : g_things)
                if (auto child = thing->TakeChild())
                    children.push_back(std::move(child));
        }
        if (children.empty())
            return;
        children.clear(); // may end further things, outside the lock
    }
}

HRESULT CreateTestThing(IDispatch** thing) {
    return com::CreateInstance<CTestThing>(nullptr, IID_IDispatch, reinterpret_cast<void**>(thing));
}

} // namespace qx::test
