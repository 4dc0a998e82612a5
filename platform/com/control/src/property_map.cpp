// Reading and writing a control's property map through its own IDispatch.
#include "qx/com/control/persistence.h"

#include "../../src/variant_type.h"

#include "qx/com/variant.h"

#include <oleauto.h>

#include <cstring>
#include <string_view>

namespace qx::com::control {
namespace {

bool IsExtent(const PropertyEntry& e) {
    return e.dispid == 0 && (std::u16string_view(e.name) == u"_cx" || std::u16string_view(e.name) == u"_cy");
}

// Longest text a stream may give one property: a damaged stream never asks for more.
constexpr ULONG kMaxTextBytes = 16u << 20;

HRESULT GetProperty(ControlBase& control, DISPID dispid, VARIANT* value) {
    ComPtr<IDispatch> dispatch = ComPtr<IDispatch>::QueryFrom(control.ControlIdentity());
    if (!dispatch)
        return E_NOINTERFACE;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return dispatch->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

HRESULT PutProperty(ControlBase& control, DISPID dispid, VARIANT* value) {
    ComPtr<IDispatch> dispatch = ComPtr<IDispatch>::QueryFrom(control.ControlIdentity());
    if (!dispatch)
        return E_NOINTERFACE;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{value, &named, 1, 1};
    return dispatch->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

// Numbers, dates, currency, errors and booleans are kept as the bytes the VARIANT holds them in;
// 0 for every other type.
std::size_t ValueSize(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
    case VT_DECIMAL:
    case VT_VARIANT:
        return 0;
    default:
        return (vt & ~VT_TYPEMASK) ? 0 : detail::ElementSize(vt);
    }
}

HRESULT WriteAll(IStream* stream, const void* data, ULONG size) {
    ULONG written = 0;
    const HRESULT hr = stream->Write(data, size, &written);
    return FAILED(hr) ? hr : (written == size ? S_OK : STG_E_MEDIUMFULL);
}

HRESULT ReadAll(IStream* stream, void* data, ULONG size) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(data, size, &read);
    return FAILED(hr) ? hr : (read == size ? S_OK : STG_E_READFAULT);
}

// The value as the entry's type, ready to write.
HRESULT CurrentValue(ControlBase& control, const PropertyEntry& entry, Variant* value) {
    Variant got;
    HRESULT hr = GetProperty(control, entry.dispid, &got);
    if (FAILED(hr))
        return hr;
    return VariantChangeType(value, &got, 0, entry.vt);
}

} // namespace

HRESULT SavePropertyMap(ControlBase& control, IStream* stream) {
    for (const PropertyEntry& entry : control.PropertyMap()) {
        if (IsExtent(entry)) {
            const LONG v = entry.name[2] == u'x' ? control.Extent().cx : control.Extent().cy;
            const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                            static_cast<unsigned char>(v >> 16),
                                            static_cast<unsigned char>(v >> 24)};
            if (HRESULT hr = WriteAll(stream, bytes, 4); FAILED(hr))
                return hr;
            continue;
        }
        Variant value;
        HRESULT hr = CurrentValue(control, entry, &value);
        if (FAILED(hr))
            return hr;
        const VARTYPE vt = value.vt;
        if (FAILED(hr = WriteAll(stream, &vt, sizeof vt)))
            return hr;
        if (vt == VT_BSTR) {
            const ULONG bytes = SysStringByteLen(value.bstrVal);
            if (FAILED(hr = WriteAll(stream, &bytes, sizeof bytes)) ||
                (bytes && FAILED(hr = WriteAll(stream, value.bstrVal, bytes))))
                return hr;
        } else if (const std::size_t size = ValueSize(vt)) {
            if (FAILED(hr = WriteAll(stream, &value.llVal, static_cast<ULONG>(size))))
                return hr;
        } else {
            return DISP_E_BADVARTYPE;
        }
    }
    return S_OK;
}

HRESULT LoadPropertyMap(ControlBase& control, IStream* stream) {
    SIZEL extent = control.Extent();
    for (const PropertyEntry& entry : control.PropertyMap()) {
        if (IsExtent(entry)) {
            unsigned char bytes[4];
            if (HRESULT hr = ReadAll(stream, bytes, 4); FAILED(hr))
                return hr;
            const LONG v = static_cast<LONG>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                             (static_cast<unsigned>(bytes[3]) << 24));
            (entry.name[2] == u'x' ? extent.cx : extent.cy) = v;
            continue;
        }
        VARTYPE vt = VT_EMPTY;
        HRESULT hr = ReadAll(stream, &vt, sizeof vt);
        if (FAILED(hr))
            return hr;
        Variant value;
        if (vt == VT_BSTR) {
            ULONG bytes = 0;
            if (FAILED(hr = ReadAll(stream, &bytes, sizeof bytes)))
                return hr;
            if (bytes > kMaxTextBytes || bytes % 2)
                return STG_E_READFAULT;
            BSTR text = SysAllocStringByteLen(nullptr, bytes);
            if (!text)
                return E_OUTOFMEMORY;
            if (bytes && FAILED(hr = ReadAll(stream, text, bytes))) {
                SysFreeString(text);
                return hr;
            }
            value.vt = VT_BSTR;
            value.bstrVal = text;
        } else if (const std::size_t size = ValueSize(vt)) {
            if (FAILED(hr = ReadAll(stream, &value.llVal, static_cast<ULONG>(size))))
                return hr;
            value.vt = vt;
        } else {
            return STG_E_READFAULT;
        }
        if (FAILED(hr = PutProperty(control, entry.dispid, &value)))
            return hr;
    }
    // The extent is the control's own, not a dispatch property: set without the change handling.
    const bool dirty = control.Dirty();
    control.SetExtent(extent);
    control.SetDirty(dirty);
    return S_OK;
}

HRESULT PropertyMapSize(ControlBase& control, ULARGE_INTEGER* size) {
    if (!size)
        return E_POINTER;
    unsigned long long total = 0;
    for (const PropertyEntry& entry : control.PropertyMap()) {
        if (IsExtent(entry)) {
            total += 4;
            continue;
        }
        Variant value;
        const HRESULT hr = CurrentValue(control, entry, &value);
        if (FAILED(hr))
            return hr;
        total += sizeof(VARTYPE) +
                 (value.vt == VT_BSTR ? 4 + SysStringByteLen(value.bstrVal) : ValueSize(value.vt));
    }
    size->QuadPart = total;
    return S_OK;
}

HRESULT LoadPropertyMap(ControlBase& control, IPropertyBag* bag, IErrorLog* log) {
    SIZEL extent = control.Extent();
    for (const PropertyEntry& entry : control.PropertyMap()) {
        Variant value;
        value.vt = entry.vt;
        if (FAILED(bag->Read(entry.name, &value, log)))
            continue;
        if (IsExtent(entry)) {
            Variant number;
            if (SUCCEEDED(VariantChangeType(&number, &value, 0, VT_I4)))
                (entry.name[2] == u'x' ? extent.cx : extent.cy) = number.lVal;
            continue;
        }
        Variant typed;
        if (SUCCEEDED(VariantChangeType(&typed, &value, 0, entry.vt)))
            PutProperty(control, entry.dispid, &typed);
    }
    const bool dirty = control.Dirty();
    control.SetExtent(extent);
    control.SetDirty(dirty);
    return S_OK;
}

HRESULT SavePropertyMap(ControlBase& control, IPropertyBag* bag) {
    for (const PropertyEntry& entry : control.PropertyMap()) {
        Variant value;
        if (IsExtent(entry)) {
            value.vt = VT_I4;
            value.lVal = entry.name[2] == u'x' ? control.Extent().cx : control.Extent().cy;
        } else if (FAILED(CurrentValue(control, entry, &value))) {
            continue;
        }
        const HRESULT hr = bag->Write(entry.name, &value);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

} // namespace qx::com::control
