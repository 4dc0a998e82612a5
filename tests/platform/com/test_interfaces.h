// The class behind the framework tests' interfaces (tally_interfaces.qxidl).
#pragma once

#include "objbase.h"
#include "ocidl.h"
#include "qx/com/bstr.h"
#include "qx/com/class_info.h"
#include "qx/com/connection_point.h"
#include "qx/com/dispatch.h"
#include "qx/com/enumerators.h"
#include "qx/com/error_info.h"
#include "qx/com/object.h"
#include "qx/com/object_safety.h"
#include "qx/com/type_library.h"
#include "qx/com/variant.h"
#include "tally_interfaces.h"

#include <vector>

// The test class: a counter with a name, a child object and a list of items.
class CTally
    : public qx::com::ObjectRoot,
      public qx::com::DispatchImpl<ITally>,
      public qx::com::ConnectionPointContainerImpl,
      public qx::com::SupportErrorInfoImpl<ITally>,
      public qx::com::ObjectSafetyImpl<INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA>,
      public qx::com::ProvideClassInfo2Impl<kTallyLibrary, CLSID_Tally> {
public:
    CTally() {
        dispEvents_ = &AddConnectionPoint(DIID__DTallyEvents, &kDisp__DTallyEvents);
        dualEvents_ = &AddConnectionPoint(IID_ITallyEvents, &kDisp_ITallyEvents);
    }

    QX_BEGIN_INTERFACES(CTally)
    QX_INTERFACE_ENTRY(ITally)
    QX_INTERFACE_ENTRY2(IDispatch, ITally)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY2(IProvideClassInfo, IProvideClassInfo2)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_END_INTERFACES()

    HRESULT FinalConstruct() {
        ++finalConstructs;
        return failConstruct ? E_OUTOFMEMORY : S_OK;
    }
    void FinalRelease() { ++finalReleases; }

    STDMETHODIMP get_Value(LONG* pVal) override {
        if (!pVal)
            return E_POINTER;
        *pVal = value_;
        return S_OK;
    }
    STDMETHODIMP put_Value(LONG newVal) override {
        value_ = newVal;
        return S_OK;
    }
    STDMETHODIMP get_Name(BSTR* pVal) override { return name_.CopyTo(pVal); }
    STDMETHODIMP put_Name(BSTR newVal) override {
        name_ = qx::com::Bstr(newVal);
        return S_OK;
    }
    STDMETHODIMP Add(LONG a, LONG b, LONG* sum) override {
        *sum = mode_ == TALLY_DOUBLE ? 2 * (a + b) : a + b;
        return S_OK;
    }
    STDMETHODIMP Concat(BSTR first, VARIANT second, BSTR* joined) override {
        std::u16string text(qx::com::Bstr(first).View());
        if (second.vt == VT_ERROR && second.scode == DISP_E_PARAMNOTFOUND) {
            text += u"<missing>";
        } else {
            qx::com::Variant s;
            if (FAILED(VariantChangeType(&s, &second, 0, VT_BSTR)))
                return DISP_E_TYPEMISMATCH;
            text += qx::com::Bstr(s.bstrVal).View();
        }
        *joined = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }
    STDMETHODIMP Swap(BSTR* text, LONG* length) override {
        std::u16string reversed(qx::com::Bstr(*text).View());
        std::u16string copy(reversed.rbegin(), reversed.rend());
        SysFreeString(*text);
        *text = SysAllocStringLen(copy.data(), static_cast<UINT>(copy.size()));
        *length = static_cast<LONG>(copy.size());
        return S_OK;
    }
    STDMETHODIMP get_Child(IDispatch** pVal) override { return child_.CopyTo(pVal); }
    STDMETHODIMP putref_Child(IDispatch* newVal) override {
        child_ = newVal;
        return S_OK;
    }
    STDMETHODIMP Fail(BSTR description) override {
        return qx::com::ReportError(IID_ITally, u"Tally.Fail", qx::com::Bstr(description).View(), E_FAIL);
    }
    STDMETHODIMP get_Enabled(VARIANT_BOOL* pVal) override {
        *pVal = enabled_;
        return S_OK;
    }
    STDMETHODIMP put_Enabled(VARIANT_BOOL newVal) override {
        enabled_ = newVal;
        return S_OK;
    }
    STDMETHODIMP Scale(double x, LONG factor, double* result) override {
        *result = x * factor;
        return S_OK;
    }
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override {
        IEnumVARIANT* e = nullptr;
        HRESULT hr = qx::com::CreateEnumVariant(items, &e);
        *pVal = e;
        return hr;
    }
    STDMETHODIMP Item(LONG index, VARIANT* pVal) override {
        if (index < 0 || static_cast<std::size_t>(index) >= items.size())
            return DISP_E_BADINDEX;
        return VariantCopy(pVal, &items[static_cast<std::size_t>(index)]);
    }
    STDMETHODIMP get_Count(LONG* pVal) override {
        *pVal = static_cast<LONG>(items.size());
        return S_OK;
    }
    STDMETHODIMP Ping(LONG n) override {
        dispEvents_->Fire(1, {qx::com::Variant(n)});
        dualEvents_->Fire(1, {qx::com::Variant(n)});
        return S_OK;
    }
    STDMETHODIMP SetMode(TALLY_MODE mode) override {
        mode_ = mode;
        return S_OK;
    }
    STDMETHODIMP Untouched(IDispatch**) override { return S_OK; }

    qx::com::ConnectionPoint* dispEvents_;
    qx::com::ConnectionPoint* dualEvents_;
    std::vector<qx::com::Variant> items;
    inline static int finalConstructs = 0;
    inline static int finalReleases = 0;
    inline static bool failConstruct = false;

private:
    LONG value_ = 0;
    qx::com::Bstr name_;
    qx::com::ComPtr<IDispatch> child_;
    VARIANT_BOOL enabled_ = VARIANT_FALSE;
    TALLY_MODE mode_ = TALLY_PLAIN;
};
