// The Variant wrapper.
#include "qx/com/variant.h"

#include <utility>

namespace qx::com {

Variant::Variant(const VARIANT& other) {
    VariantInit(this);
    VariantCopy(this, &other);
}

Variant::Variant(Variant&& other) noexcept {
    VariantInit(this);
    static_cast<VARIANT&>(*this) = other;
    VariantInit(&other);
}

Variant::Variant(bool value) {
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(SHORT value) {
    VariantInit(this);
    vt = VT_I2;
    iVal = value;
}

Variant::Variant(LONG value) {
    VariantInit(this);
    vt = VT_I4;
    lVal = value;
}

Variant::Variant(ULONG value) {
    VariantInit(this);
    vt = VT_UI4;
    ulVal = value;
}

Variant::Variant(LONGLONG value) {
    VariantInit(this);
    vt = VT_I8;
    llVal = value;
}

Variant::Variant(BYTE value) {
    VariantInit(this);
    vt = VT_UI1;
    bVal = value;
}

Variant::Variant(FLOAT value) {
    VariantInit(this);
    vt = VT_R4;
    fltVal = value;
}

Variant::Variant(DOUBLE value, VARTYPE type) {
    VariantInit(this);
    vt = type == VT_DATE ? VT_DATE : VT_R8;
    dblVal = value;
}

Variant::Variant(const OLECHAR* text) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = SysAllocString(text ? text : u"");
}

Variant::Variant(std::u16string_view text) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

Variant::Variant(IDispatch* p) {
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = p;
    if (p)
        p->AddRef();
}

Variant::Variant(IUnknown* p) {
    VariantInit(this);
    vt = VT_UNKNOWN;
    punkVal = p;
    if (p)
        p->AddRef();
}

Variant Variant::Error(SCODE code) {
    Variant v;
    v.vt = VT_ERROR;
    v.scode = code;
    return v;
}

Variant Variant::Null() {
    Variant v;
    v.vt = VT_NULL;
    return v;
}

Variant Variant::ByRef(VARTYPE type, void* storage) {
    Variant v;
    v.vt = static_cast<VARTYPE>(type | VT_BYREF);
    v.byref = storage;
    return v;
}

Variant Variant::Attach(VARIANT& source) {
    Variant v;
    static_cast<VARIANT&>(v) = source;
    VariantInit(&source);
    return v;
}

Variant& Variant::operator=(const VARIANT& other) {
    if (this != &other)
        VariantCopy(this, &other);
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(this);
        static_cast<VARIANT&>(*this) = other;
        VariantInit(&other);
    }
    return *this;
}

HRESULT Variant::Detach(VARIANT* dest) {
    if (!dest)
        return E_POINTER;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    *dest = *this;
    VariantInit(this);
    return S_OK;
}

HRESULT Variant::CopyTo(VARIANT* dest) const {
    if (!dest)
        return E_POINTER;
    return VariantCopy(dest, this);
}

HRESULT Variant::ChangeType(VARTYPE type, const VARIANT* source) {
    return VariantChangeType(this, source ? source : this, 0, type);
}

} // namespace qx::com
