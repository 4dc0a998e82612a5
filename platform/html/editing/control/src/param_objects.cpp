#include "param_objects.h"

#include "dhtmled.h"

#include "objsafe.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "qx/com/object_safety.h"
#include "qx/com/variant.h"

namespace qx::html::editing::control {
namespace {

constexpr DWORD kSafe = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

HRESULT ReturnText(const std::u16string& text, BSTR* p) {
    if (!p)
        return E_POINTER;
    *p = com::Bstr(text).Detach();
    return S_OK;
}

class CBlockFormatNamesParam : public com::ObjectRoot,
                               public com::DispatchImpl<IDEGetBlockFmtNamesParam>,
                               public com::ObjectSafetyImpl<kSafe, com::SafetyPolicy::Strict, kSafe> {
public:
    QX_BEGIN_INTERFACES(CBlockFormatNamesParam)
    QX_INTERFACE_ENTRY(IDEGetBlockFmtNamesParam)
    QX_INTERFACE_ENTRY2(IDispatch, IDEGetBlockFmtNamesParam)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_END_INTERFACES()

    STDMETHODIMP get_Names(VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        return VariantCopy(p, &names_);
    }
    STDMETHODIMP put_Names(VARIANT v) override { return VariantCopy(&names_, &v); }

private:
    com::Variant names_;
};

class CInsertTableParam : public com::ObjectRoot,
                          public com::DispatchImpl<IDEInsertTableParam>,
                          public com::ObjectSafetyImpl<kSafe, com::SafetyPolicy::Strict, kSafe> {
public:
    QX_BEGIN_INTERFACES(CInsertTableParam)
    QX_INTERFACE_ENTRY(IDEInsertTableParam)
    QX_INTERFACE_ENTRY2(IDispatch, IDEInsertTableParam)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_END_INTERFACES()

    STDMETHODIMP get_NumRows(LONG* p) override { return Return(table_.rows, p); }
    STDMETHODIMP put_NumRows(LONG v) override { return PutCount(v, table_.rows); }
    STDMETHODIMP get_NumCols(LONG* p) override { return Return(table_.columns, p); }
    STDMETHODIMP put_NumCols(LONG v) override { return PutCount(v, table_.columns); }
    STDMETHODIMP get_TableAttrs(BSTR* p) override { return ReturnText(table_.tableAttributes, p); }
    STDMETHODIMP put_TableAttrs(BSTR v) override { return PutText(v, table_.tableAttributes); }
    STDMETHODIMP get_CellAttrs(BSTR* p) override { return ReturnText(table_.cellAttributes, p); }
    STDMETHODIMP put_CellAttrs(BSTR v) override { return PutText(v, table_.cellAttributes); }
    STDMETHODIMP get_Caption(BSTR* p) override { return ReturnText(table_.caption, p); }
    STDMETHODIMP put_Caption(BSTR v) override { return PutText(v, table_.caption); }

private:
    static HRESULT Return(long value, LONG* p) {
        if (!p)
            return E_POINTER;
        *p = value;
        return S_OK;
    }
    static HRESULT PutCount(LONG v, long& field) {
        if (v < 1)
            return E_INVALIDARG;
        field = v;
        return S_OK;
    }
    static HRESULT PutText(BSTR v, std::u16string& field) {
        field.assign(v ? v : u"", SysStringLen(v));
        return S_OK;
    }

    TableSpec table_;
};

HRESULT ReadProperty(IDispatch* object, const char16_t* name, VARTYPE type, com::Variant* value) {
    com::Variant result;
    HRESULT hr = GetPropertyByName(object, name, &result);
    if (FAILED(hr))
        return hr;
    hr = VariantChangeType(&result, &result, 0, type);
    if (FAILED(hr))
        return hr;
    *value = std::move(result);
    return S_OK;
}

} // namespace

HRESULT GetPropertyByName(IDispatch* object, const std::u16string& name, VARIANT* value) {
    if (!object || !value)
        return E_INVALIDARG;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    DISPPARAMS none{};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                          nullptr);
}

HRESULT CreateBlockFormatNamesParam(IUnknown* outer, REFIID riid, void** object) {
    return com::CreateInstance<CBlockFormatNamesParam>(outer, riid, object);
}

HRESULT CreateInsertTableParam(IUnknown* outer, REFIID riid, void** object) {
    return com::CreateInstance<CInsertTableParam>(outer, riid, object);
}

HRESULT PutBlockFormatNames(IDispatch* param, const std::vector<std::u16string>& names) {
    if (!param)
        return E_INVALIDARG;
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(names.size()));
    if (!array)
        return E_OUTOFMEMORY;
    for (LONG i = 0; i < static_cast<LONG>(names.size()); ++i) {
        com::Bstr name(names[static_cast<size_t>(i)]);
        const HRESULT hr = SafeArrayPutElement(array, &i, static_cast<BSTR>(name));
        if (FAILED(hr)) {
            SafeArrayDestroy(array);
            return hr;
        }
    }
    com::Variant value;
    value.vt = VT_ARRAY | VT_BSTR;
    value.parray = array;
    LPOLESTR nameOfNames[] = {const_cast<LPOLESTR>(u"Names")};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = param->GetIDsOfNames(IID_NULL, nameOfNames, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return param->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                         nullptr);
}

HRESULT ReadTableParam(IDispatch* param, TableSpec* table) {
    if (!param || !table)
        return E_INVALIDARG;
    com::Variant value;
    if (SUCCEEDED(ReadProperty(param, u"NumRows", VT_I4, &value)))
        table->rows = value.lVal;
    if (SUCCEEDED(ReadProperty(param, u"NumCols", VT_I4, &value)))
        table->columns = value.lVal;
    if (table->rows < 1 || table->columns < 1)
        return E_INVALIDARG;
    struct {
        const char16_t* name;
        std::u16string* field;
    } texts[] = {{u"TableAttrs", &table->tableAttributes},
                 {u"CellAttrs", &table->cellAttributes},
                 {u"Caption", &table->caption}};
    for (const auto& text : texts)
        if (SUCCEEDED(ReadProperty(param, text.name, VT_BSTR, &value)))
            text.field->assign(value.bstrVal ? value.bstrVal : u"", SysStringLen(value.bstrVal));
    return S_OK;
}

} // namespace qx::html::editing::control
