// A dual interface, its event interfaces and the class behind them, for the framework's tests.
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

#include <vector>

QX_DECLARE_INTERFACE(ITally, "{5B8C1A42-0F6E-4D3A-9C21-7E44A1B2C3D4}");
QX_DECLARE_INTERFACE(ITallyEvents, "{5B8C1A43-0F6E-4D3A-9C21-7E44A1B2C3D4}");
QX_DEFINE_GUID(DIID__DTallyEvents, "{5B8C1A44-0F6E-4D3A-9C21-7E44A1B2C3D4}");
QX_DEFINE_GUID(CLSID_Tally, "{5B8C1A45-0F6E-4D3A-9C21-7E44A1B2C3D4}");
QX_DEFINE_GUID(LIBID_TALLYLib, "{5B8C1A46-0F6E-4D3A-9C21-7E44A1B2C3D4}");

enum TALLY_MODE { TALLY_PLAIN = 0, TALLY_DOUBLE = 1, TALLY_SQUARE = 5 };

struct ITally : IDispatch {
    STDMETHOD(get_Value)(LONG* pVal) PURE;
    STDMETHOD(put_Value)(LONG newVal) PURE;
    STDMETHOD(get_Name)(BSTR* pVal) PURE;
    STDMETHOD(put_Name)(BSTR newVal) PURE;
    STDMETHOD(Add)(LONG a, LONG b, LONG* sum) PURE;
    STDMETHOD(Concat)(BSTR first, VARIANT second, BSTR* joined) PURE;
    STDMETHOD(Swap)(BSTR* text, LONG* length) PURE;
    STDMETHOD(get_Child)(IDispatch** pVal) PURE;
    STDMETHOD(putref_Child)(IDispatch* newVal) PURE;
    STDMETHOD(Fail)(BSTR description) PURE;
    STDMETHOD(get_Enabled)(VARIANT_BOOL* pVal) PURE;
    STDMETHOD(put_Enabled)(VARIANT_BOOL newVal) PURE;
    STDMETHOD(Scale)(double x, LONG factor, double* result) PURE;
    STDMETHOD(get__NewEnum)(IUnknown** pVal) PURE;
    STDMETHOD(Item)(LONG index, VARIANT* pVal) PURE;
    STDMETHOD(get_Count)(LONG* pVal) PURE;
    STDMETHOD(Ping)(LONG n) PURE;
    STDMETHOD(SetMode)(TALLY_MODE mode) PURE;
    STDMETHOD(Untouched)(IDispatch** pVal) PURE;

protected:
    ~ITally() = default;
};

struct ITallyEvents : IDispatch {
    STDMETHOD(OnPing)(LONG n) PURE;
    STDMETHOD(OnText)(BSTR text) PURE;

protected:
    ~ITallyEvents() = default;
};

inline constexpr qx::com::DispParam kAddParams[] = {
    {u"a", VT_I4, PARAMFLAG_FIN},
    {u"b", VT_I4, PARAMFLAG_FIN},
    {u"sum", VT_I4, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kConcatParams[] = {
    {u"first", VT_BSTR, PARAMFLAG_FIN},
    {u"second", VT_VARIANT, PARAMFLAG_FIN | PARAMFLAG_FOPT},
    {u"joined", VT_BSTR, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kSwapParams[] = {
    {u"text", VT_BSTR, PARAMFLAG_FIN | PARAMFLAG_FOUT},
    {u"length", VT_I4, PARAMFLAG_FOUT},
};
inline constexpr qx::com::DispParam kFailParams[] = {{u"description", VT_BSTR, PARAMFLAG_FIN}};
inline constexpr qx::com::DispParam kScaleParams[] = {
    {u"x", VT_R8, PARAMFLAG_FIN},
    {u"factor", VT_I4, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, 2},
    {u"result", VT_R8, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kItemParams[] = {
    {u"index", VT_I4, PARAMFLAG_FIN},
    {u"pVal", VT_VARIANT, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL},
};
inline constexpr qx::com::DispParam kPingParams[] = {{u"n", VT_I4, PARAMFLAG_FIN}};
inline constexpr qx::com::DispParam kSetModeParams[] = {
    {u"mode", VT_I4, PARAMFLAG_FIN, 0, nullptr, u"TALLY_MODE"}};
inline constexpr qx::com::DispParam kUntouchedParams[] = {
    {u"pVal", VT_DISPATCH, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}};
inline constexpr qx::com::DispParam kOnTextParams[] = {{u"text", VT_BSTR, PARAMFLAG_FIN}};

inline constexpr qx::com::DispMember kTallyMembers[] = {
    qx::com::DispPropGet<&ITally::get_Value>(u"Value", DISPID_VALUE, u"The tally"),
    qx::com::DispPropPut<&ITally::put_Value>(u"Value", DISPID_VALUE, u"The tally"),
    qx::com::DispPropGet<&ITally::get_Name>(u"Name", 1),
    qx::com::DispPropPut<&ITally::put_Name>(u"Name", 1),
    qx::com::DispMethod<&ITally::Add>(u"Add", 2, kAddParams, u"Sum of two numbers"),
    qx::com::DispMethod<&ITally::Concat>(u"Concat", 3, kConcatParams),
    qx::com::DispMethod<&ITally::Swap>(u"Swap", 4, kSwapParams),
    qx::com::DispPropGet<&ITally::get_Child>(u"Child", 5),
    qx::com::DispPropPutRef<&ITally::putref_Child>(u"Child", 5),
    qx::com::DispMethod<&ITally::Fail>(u"Fail", 6, kFailParams),
    qx::com::DispPropGet<&ITally::get_Enabled, VT_BOOL>(u"Enabled", 7),
    qx::com::DispPropPut<&ITally::put_Enabled, VT_BOOL>(u"Enabled", 7),
    qx::com::DispMethod<&ITally::Scale>(u"Scale", 8, kScaleParams),
    qx::com::DispPropGet<&ITally::get__NewEnum>(u"_NewEnum", DISPID_NEWENUM, nullptr,
                                                FUNCFLAG_FRESTRICTED | FUNCFLAG_FHIDDEN),
    qx::com::DispMethod<&ITally::Item>(u"Item", 9, kItemParams),
    qx::com::DispPropGet<&ITally::get_Count>(u"Count", 10),
    qx::com::DispMethod<&ITally::Ping>(u"Ping", 11, kPingParams),
    qx::com::DispMethod<&ITally::SetMode>(u"SetMode", 12, kSetModeParams),
    qx::com::DispMethod<&ITally::Untouched>(u"Untouched", 13, kUntouchedParams),
};
QX_DISPATCH_INTERFACE(ITally, u"ITally", kTallyMembers, u"ITally Interface");

inline constexpr qx::com::DispMember kTallyEventsMembers[] = {
    qx::com::DispMethod<&ITallyEvents::OnPing>(u"OnPing", 1, kPingParams),
    qx::com::DispMethod<&ITallyEvents::OnText>(u"OnText", 2, kOnTextParams),
};
QX_DISPATCH_INTERFACE(ITallyEvents, u"ITallyEvents", kTallyEventsMembers, nullptr);

inline constexpr qx::com::DispMember kDTallyEventsMembers[] = {
    qx::com::DispEvent(u"OnPing", 1, kPingParams, u"Fired by Ping"),
    qx::com::DispEvent(u"OnText", 2, kOnTextParams),
};
QX_DISPINTERFACE(_DTallyEvents, DIID__DTallyEvents, u"_DTallyEvents", kDTallyEventsMembers,
                 u"_DTallyEvents Interface");

inline constexpr const qx::com::DispInterface* kTallyInterfaces[] = {&kDisp_ITally, &kDisp_ITallyEvents,
                                                                     &kDisp__DTallyEvents};
inline constexpr qx::com::ImplTypeDesc kTallyImpls[] = {
    {&IID_ITally, IMPLTYPEFLAG_FDEFAULT},
    {&DIID__DTallyEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    {&IID_ITallyEvents, IMPLTYPEFLAG_FSOURCE},
};
inline constexpr qx::com::CoclassDesc kTallyClasses[] = {
    {&CLSID_Tally, u"Tally", kTallyImpls, 3, u"Tally Class"},
};
inline constexpr qx::com::EnumValueDesc kTallyModeValues[] = {
    {u"TALLY_PLAIN", TALLY_PLAIN, u"adds as it is"},
    {u"TALLY_DOUBLE", TALLY_DOUBLE},
    {u"TALLY_SQUARE", TALLY_SQUARE},
};
inline constexpr qx::com::EnumDesc kTallyEnums[] = {
    {u"TALLY_MODE", kTallyModeValues, 3, u"Constants for SetMode"},
};
inline constexpr qx::com::LibraryDesc kTallyLibrary = {&LIBID_TALLYLib,
                                                       u"TALLYLib",
                                                       u"Tally 1.0 Type Library",
                                                       1,
                                                       0,
                                                       kTallyInterfaces,
                                                       3,
                                                       kTallyClasses,
                                                       1,
                                                       kTallyEnums,
                                                       1};

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
