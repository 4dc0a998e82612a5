// VARIANT lifetime: initialise, clear, copy, copy with indirection.
#include "oleauto.h"
#include "variant_type.h"

#include <cstring>

namespace qx::com::detail {

bool IsValueType(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_DECIMAL:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

bool IsElementType(VARTYPE vt) {
    return vt != VT_EMPTY && vt != VT_NULL && (IsValueType(vt) || vt == VT_VARIANT);
}

bool IsValidVariantType(VARTYPE vt) {
    VARTYPE base = vt & VT_TYPEMASK;
    VARTYPE flags = vt & ~VT_TYPEMASK;
    if (flags & ~(VT_ARRAY | VT_BYREF))
        return false;
    if (flags == 0)
        return IsValueType(base);
    if (base == VT_EMPTY || base == VT_NULL)
        return false;
    if (base == VT_VARIANT) // a VARIANT holds another only by reference or as array elements
        return true;
    return IsValueType(base);
}

ULONG ElementSize(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    case VT_BSTR:
        return sizeof(BSTR);
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return sizeof(void*);
    case VT_DECIMAL:
        return sizeof(DECIMAL);
    case VT_VARIANT:
        return sizeof(VARIANT);
    default:
        return 0;
    }
}

} // namespace qx::com::detail

using qx::com::detail::IsValidVariantType;

void VariantInit(VARIANTARG* pvarg) {
    if (!pvarg)
        return;
    std::memset(static_cast<void*>(pvarg), 0, sizeof(VARIANT));
    pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
    if (!pvarg)
        return E_INVALIDARG;
    if (!IsValidVariantType(pvarg->vt))
        return DISP_E_BADVARTYPE;
    if (!(pvarg->vt & VT_BYREF)) {
        if (pvarg->vt & VT_ARRAY) {
            if (pvarg->parray) {
                HRESULT hr = SafeArrayDestroy(pvarg->parray);
                if (FAILED(hr))
                    return hr;
            }
        } else {
            switch (pvarg->vt) {
            case VT_BSTR:
                SysFreeString(pvarg->bstrVal);
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN:
                if (pvarg->punkVal)
                    pvarg->punkVal->Release();
                break;
            default:
                break;
            }
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

namespace {

// Deep copy of a valid source into a dest that holds nothing.
HRESULT CopyContents(VARIANT* dest, const VARIANT* src) {
    if (src->vt & VT_BYREF) {
        *dest = *src;
        return S_OK;
    }
    if (src->vt & VT_ARRAY) {
        SAFEARRAY* copy = nullptr;
        if (src->parray) {
            HRESULT hr = SafeArrayCopy(src->parray, &copy);
            if (FAILED(hr))
                return hr;
        }
        *dest = *src;
        dest->parray = copy;
        return S_OK;
    }
    switch (src->vt) {
    case VT_BSTR: {
        BSTR copy = nullptr;
        if (src->bstrVal) {
            copy =
                SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal), SysStringByteLen(src->bstrVal));
            if (!copy)
                return E_OUTOFMEMORY;
        }
        *dest = *src;
        dest->bstrVal = copy;
        return S_OK;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN:
        *dest = *src;
        if (dest->punkVal)
            dest->punkVal->AddRef();
        return S_OK;
    default:
        *dest = *src;
        return S_OK;
    }
}

// The value behind a VT_BYREF pointer, as a by-value VARIANT (not yet deep-copied).
HRESULT Dereference(const VARIANT* src, VARIANT* shallow) {
    VariantInit(shallow);
    VARTYPE vt = src->vt & ~VT_BYREF;
    if (!src->byref)
        return E_INVALIDARG;
    if (vt == VT_VARIANT) {
        const VARIANT* inner = src->pvarVal;
        if (inner->vt == (VT_BYREF | VT_VARIANT) || !IsValidVariantType(inner->vt))
            return E_INVALIDARG;
        *shallow = *inner;
        return S_OK;
    }
    if (vt & VT_ARRAY) {
        shallow->parray = *src->pparray;
    } else if (vt == VT_DECIMAL) {
        shallow->decVal = *src->pdecVal;
    } else {
        ULONG size = qx::com::detail::ElementSize(vt);
        if (size == 0)
            return DISP_E_BADVARTYPE;
        std::memcpy(&shallow->llVal, src->byref, size);
    }
    shallow->vt = vt;
    return S_OK;
}

} // namespace

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (!pvargDest || !pvargSrc)
        return E_INVALIDARG;
    if (pvargDest == pvargSrc)
        return S_OK;
    if (!IsValidVariantType(pvargSrc->vt))
        return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr))
        return hr;
    VARIANT copy;
    VariantInit(&copy);
    hr = CopyContents(&copy, pvargSrc);
    if (SUCCEEDED(hr))
        *pvargDest = copy;
    return hr;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
    if (!pvarDest || !pvargSrc)
        return E_INVALIDARG;
    if (!IsValidVariantType(pvargSrc->vt))
        return DISP_E_BADVARTYPE;
    if (!(pvargSrc->vt & VT_BYREF))
        return VariantCopy(pvarDest, pvargSrc);
    VARIANT shallow;
    HRESULT hr = Dereference(pvargSrc, &shallow);
    if (FAILED(hr))
        return hr;
    VARIANT copy;
    VariantInit(&copy);
    hr = CopyContents(&copy, &shallow);
    if (FAILED(hr))
        return hr;
    // In place (dest == src) is allowed: the reference itself owns nothing.
    if (pvarDest != pvargSrc) {
        hr = VariantClear(pvarDest);
        if (FAILED(hr)) {
            VariantClear(&copy);
            return hr;
        }
    }
    *pvarDest = copy;
    return S_OK;
}
