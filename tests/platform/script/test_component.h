// A test component made with the COM framework: properties, methods with optional and
// by-reference arguments, a failing call, a collection, events, an object property, and a count
// of live instances so tests see every reference return.
#pragma once

#include <objbase.h>
#include <ocidl.h>
#include <qx/com/dispatch_decl.h>

#include <atomic>

QX_DECLARE_INTERFACE(ITestThing, "{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C5D}");
QX_DECLARE_INTERFACE(ITestItems, "{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C5E}");
QX_DEFINE_GUID(DIID__ITestEvents, "{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C5F}");
QX_DEFINE_GUID(CLSID_TestThing, "{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C60}");
QX_DEFINE_GUID(LIBID_TESTTHINGLib, "{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C61}");

struct ITestThing : IDispatch {
    STDMETHOD(get_Name)(BSTR* pVal) PURE;
    STDMETHOD(put_Name)(BSTR newVal) PURE;
    STDMETHOD(get_Count)(LONG* pVal) PURE;
    STDMETHOD(put_Count)(LONG newVal) PURE;
    STDMETHOD(Add)(LONG a, VARIANT b, LONG* pVal) PURE;
    STDMETHOD(Increment)(LONG* value, LONG* pVal) PURE;
    STDMETHOD(Fail)() PURE;
    STDMETHOD(get_Items)(IDispatch** pVal) PURE;
    STDMETHOD(Fire)(LONG code) PURE;
    STDMETHOD(Callback)(IDispatch* function, VARIANT* pVal) PURE;
    STDMETHOD(get_Stamp)(double* pVal) PURE;
    STDMETHOD(put_Stamp)(double newVal) PURE;
    STDMETHOD(Values)(VARIANT* pVal) PURE;
    STDMETHOD(get_Child)(IDispatch** pVal) PURE;
    STDMETHOD(putref_Child)(IDispatch* newVal) PURE;
    STDMETHOD(CallChild)(BSTR name, VARIANT* pVal) PURE;
    STDMETHOD(Describe)(VARIANT value, BSTR* pVal) PURE;

protected:
    ~ITestThing() = default;
};

struct ITestItems : IDispatch {
    STDMETHOD(get_Count)(LONG* pVal) PURE;
    STDMETHOD(get_Item)(LONG index, VARIANT* pVal) PURE;
    STDMETHOD(get__NewEnum)(IUnknown** pVal) PURE;

protected:
    ~ITestItems() = default;
};

namespace qx::test {

// Objects of the component alive now.
extern std::atomic<int> g_liveTestObjects;

// Drops the objects that live TestThings hold in Child: cycles among components themselves
// (t.Child = t) are no leak of the script engine's.
void ReleaseChildren();

// Creates a TestThing ("Test.Thing").
HRESULT CreateTestThing(IDispatch** thing);

} // namespace qx::test
