// SAFEARRAY: descriptors, element storage with owned BSTR/VARIANT/interface elements, indexing.
//
// Dimensions: SafeArrayCreate takes the bounds left-most dimension first; the descriptor keeps them
// right-most first, and rgIndices[d] of the element functions indexes descriptor bound d. The
// left-most index varies fastest in memory, so SafeArrayRedim (which changes the right-most
// dimension, rgsabound[0]) keeps the existing elements in place.
#include "oleauto.h"
#include "variant_type.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Every descriptor we allocate is preceded by this block, which carries the element VARTYPE.
struct alignas(16) Prefix {
    VARTYPE vt;
};
constexpr std::size_t kPrefixSize = sizeof(Prefix);
constexpr UINT kMaxDims = 64;

SAFEARRAYBOUND* Bounds(SAFEARRAY* psa) {
    return &psa->rgsabound[0];
}

Prefix* PrefixOf(SAFEARRAY* psa) {
    return reinterpret_cast<Prefix*>(reinterpret_cast<BYTE*>(psa) - kPrefixSize);
}

USHORT FeaturesFor(VARTYPE vt) {
    switch (vt) {
    case VT_BSTR:
        return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_UNKNOWN:
        return FADF_UNKNOWN | FADF_HAVEVARTYPE;
    case VT_DISPATCH:
        return FADF_DISPATCH | FADF_HAVEVARTYPE;
    case VT_VARIANT:
        return FADF_VARIANT | FADF_HAVEVARTYPE;
    default:
        return FADF_HAVEVARTYPE;
    }
}

// Total element count; false on overflow or a zero-dimension array.
bool CellCount(SAFEARRAY* psa, ULONG& count) {
    unsigned long long total = 1;
    for (USHORT d = 0; d < psa->cDims; ++d) {
        total *= Bounds(psa)[d].cElements;
        if (total > std::numeric_limits<ULONG>::max())
            return false;
    }
    count = static_cast<ULONG>(total);
    return true;
}

bool DataBytes(SAFEARRAY* psa, std::size_t& bytes) {
    ULONG cells = 0;
    if (!CellCount(psa, cells))
        return false;
    unsigned long long total = static_cast<unsigned long long>(cells) * psa->cbElements;
    if (total > 0x7FFFFFFFull)
        return false;
    bytes = static_cast<std::size_t>(total);
    return true;
}

// Releases what the elements own and zeroes them.
void ClearCells(SAFEARRAY* psa, BYTE* data, ULONG first, ULONG count) {
    for (ULONG i = first; i < first + count; ++i) {
        BYTE* cell = data + static_cast<std::size_t>(i) * psa->cbElements;
        if (psa->fFeatures & FADF_BSTR) {
            BSTR s;
            std::memcpy(&s, cell, sizeof s);
            SysFreeString(s);
        } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
            IUnknown* p;
            std::memcpy(&p, cell, sizeof p);
            if (p)
                p->Release();
        } else if (psa->fFeatures & FADF_VARIANT) {
            VariantClear(reinterpret_cast<VARIANT*>(cell));
        }
    }
    std::memset(data + static_cast<std::size_t>(first) * psa->cbElements, 0,
                static_cast<std::size_t>(count) * psa->cbElements);
}

// Deep copy of one element into zeroed storage.
HRESULT CopyCell(SAFEARRAY* psa, const BYTE* from, BYTE* to) {
    if (psa->fFeatures & FADF_BSTR) {
        BSTR s;
        std::memcpy(&s, from, sizeof s);
        BSTR copy = nullptr;
        if (s) {
            copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s));
            if (!copy)
                return E_OUTOFMEMORY;
        }
        std::memcpy(to, &copy, sizeof copy);
        return S_OK;
    }
    if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* p;
        std::memcpy(&p, from, sizeof p);
        if (p)
            p->AddRef();
        std::memcpy(to, &p, sizeof p);
        return S_OK;
    }
    if (psa->fFeatures & FADF_VARIANT) {
        VariantInit(reinterpret_cast<VARIANT*>(to));
        return VariantCopy(reinterpret_cast<VARIANT*>(to), reinterpret_cast<const VARIANT*>(from));
    }
    std::memcpy(to, from, psa->cbElements);
    return S_OK;
}

HRESULT CellOffset(SAFEARRAY* psa, const LONG* rgIndices, std::size_t& offset) {
    if (!psa || !rgIndices)
        return E_INVALIDARG;
    std::size_t cell = 0;
    for (USHORT d = 0; d < psa->cDims; ++d) {
        const SAFEARRAYBOUND& b = Bounds(psa)[d];
        long long rel = static_cast<long long>(rgIndices[d]) - b.lLbound;
        if (rel < 0 || rel >= static_cast<long long>(b.cElements))
            return DISP_E_BADINDEX;
        cell = cell * b.cElements + static_cast<std::size_t>(rel);
    }
    offset = cell * psa->cbElements;
    return S_OK;
}

} // namespace

HRESULT SafeArrayAllocDescriptor(UINT cDims, SAFEARRAY** ppsaOut) {
    if (!ppsaOut)
        return E_POINTER;
    *ppsaOut = nullptr;
    if (cDims == 0 || cDims > kMaxDims)
        return E_INVALIDARG;
    std::size_t size = kPrefixSize + sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
    auto* block = static_cast<BYTE*>(std::calloc(1, size));
    if (!block)
        return E_OUTOFMEMORY;
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefixSize);
    psa->cDims = static_cast<USHORT>(cDims);
    *ppsaOut = psa;
    return S_OK;
}

HRESULT SafeArrayAllocDescriptorEx(VARTYPE vt, UINT cDims, SAFEARRAY** ppsaOut) {
    if (!qx::com::detail::IsElementType(vt))
        return E_INVALIDARG;
    HRESULT hr = SafeArrayAllocDescriptor(cDims, ppsaOut);
    if (FAILED(hr))
        return hr;
    SAFEARRAY* psa = *ppsaOut;
    psa->fFeatures = FeaturesFor(vt);
    psa->cbElements = qx::com::detail::ElementSize(vt);
    PrefixOf(psa)->vt = vt;
    return S_OK;
}

HRESULT SafeArrayAllocData(SAFEARRAY* psa) {
    if (!psa || psa->cbElements == 0)
        return E_INVALIDARG;
    std::size_t bytes = 0;
    if (!DataBytes(psa, bytes))
        return E_OUTOFMEMORY;
    void* data = std::calloc(1, bytes ? bytes : 1);
    if (!data)
        return E_OUTOFMEMORY;
    psa->pvData = data;
    return S_OK;
}

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
    if (!rgsabound)
        return nullptr;
    SAFEARRAY* psa = nullptr;
    if (FAILED(SafeArrayAllocDescriptorEx(vt, cDims, &psa)))
        return nullptr;
    for (UINT d = 0; d < cDims; ++d)
        Bounds(psa)[d] = rgsabound[cDims - 1 - d];
    if (FAILED(SafeArrayAllocData(psa))) {
        SafeArrayDestroyDescriptor(psa);
        return nullptr;
    }
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroyData(SAFEARRAY* psa) {
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    if (psa->pvData) {
        ULONG cells = 0;
        if (CellCount(psa, cells))
            ClearCells(psa, static_cast<BYTE*>(psa->pvData), 0, cells);
        if (!(psa->fFeatures & (FADF_AUTO | FADF_STATIC | FADF_EMBEDDED)))
            std::free(psa->pvData);
        psa->pvData = nullptr;
    }
    return S_OK;
}

HRESULT SafeArrayDestroyDescriptor(SAFEARRAY* psa) {
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    std::free(PrefixOf(psa));
    return S_OK;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa)
        return S_OK;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    HRESULT hr = SafeArrayDestroyData(psa);
    if (FAILED(hr))
        return hr;
    return SafeArrayDestroyDescriptor(psa);
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!psa || !pvt)
        return E_INVALIDARG;
    if (psa->fFeatures & FADF_HAVEVARTYPE)
        *pvt = PrefixOf(psa)->vt;
    else if (psa->fFeatures & FADF_BSTR)
        *pvt = VT_BSTR;
    else if (psa->fFeatures & FADF_DISPATCH)
        *pvt = VT_DISPATCH;
    else if (psa->fFeatures & FADF_UNKNOWN)
        *pvt = VT_UNKNOWN;
    else if (psa->fFeatures & FADF_VARIANT)
        *pvt = VT_VARIANT;
    else
        return E_INVALIDARG;
    return S_OK;
}

HRESULT SafeArrayCopyData(SAFEARRAY* psaSource, SAFEARRAY* psaTarget) {
    if (!psaSource || !psaTarget || psaSource->cDims != psaTarget->cDims ||
        psaSource->cbElements != psaTarget->cbElements)
        return E_INVALIDARG;
    for (USHORT d = 0; d < psaSource->cDims; ++d)
        if (Bounds(psaSource)[d].cElements != Bounds(psaTarget)[d].cElements)
            return E_INVALIDARG;
    ULONG cells = 0;
    if (!CellCount(psaSource, cells))
        return E_INVALIDARG;
    if (cells && (!psaSource->pvData || !psaTarget->pvData))
        return E_INVALIDARG;
    auto* to = static_cast<BYTE*>(psaTarget->pvData);
    if (cells)
        ClearCells(psaTarget, to, 0, cells);
    const auto* from = static_cast<const BYTE*>(psaSource->pvData);
    for (ULONG i = 0; i < cells; ++i) {
        std::size_t off = static_cast<std::size_t>(i) * psaSource->cbElements;
        HRESULT hr = CopyCell(psaSource, from + off, to + off);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (!ppsaOut)
        return E_INVALIDARG;
    *ppsaOut = nullptr;
    if (!psa)
        return S_OK;
    SAFEARRAY* copy = nullptr;
    HRESULT hr = SafeArrayAllocDescriptor(psa->cDims, &copy);
    if (FAILED(hr))
        return hr;
    copy->fFeatures = psa->fFeatures & ~(FADF_AUTO | FADF_STATIC | FADF_EMBEDDED | FADF_FIXEDSIZE);
    copy->cbElements = psa->cbElements;
    PrefixOf(copy)->vt = PrefixOf(psa)->vt;
    for (USHORT d = 0; d < psa->cDims; ++d)
        Bounds(copy)[d] = Bounds(psa)[d];
    if (psa->pvData) {
        hr = SafeArrayAllocData(copy);
        if (SUCCEEDED(hr))
            hr = SafeArrayCopyData(psa, copy);
        if (FAILED(hr)) {
            SafeArrayDestroy(copy);
            return hr;
        }
    }
    *ppsaOut = copy;
    return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew) {
    if (!psa || !psaboundNew)
        return E_INVALIDARG;
    if (psa->cLocks)
        return DISP_E_ARRAYISLOCKED;
    if (psa->fFeatures & FADF_FIXEDSIZE)
        return E_INVALIDARG;
    ULONG oldCells = 0;
    if (!CellCount(psa, oldCells))
        return E_INVALIDARG;
    SAFEARRAYBOUND old = Bounds(psa)[0];
    Bounds(psa)[0] = *psaboundNew;
    std::size_t newBytes = 0;
    ULONG newCells = 0;
    if (!DataBytes(psa, newBytes) || !CellCount(psa, newCells)) {
        Bounds(psa)[0] = old;
        return E_OUTOFMEMORY;
    }
    auto* data = static_cast<BYTE*>(psa->pvData);
    if (newCells < oldCells && data)
        ClearCells(psa, data, newCells, oldCells - newCells);
    void* grown = std::realloc(data, newBytes ? newBytes : 1);
    if (!grown) {
        Bounds(psa)[0] = old;
        return E_OUTOFMEMORY;
    }
    data = static_cast<BYTE*>(grown);
    if (newCells > oldCells)
        std::memset(data + static_cast<std::size_t>(oldCells) * psa->cbElements, 0,
                    static_cast<std::size_t>(newCells - oldCells) * psa->cbElements);
    psa->pvData = data;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
    return psa ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
    return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (!psa || !plUbound)
        return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = Bounds(psa)[psa->cDims - nDim];
    *plUbound = static_cast<LONG>(static_cast<long long>(b.lLbound) + b.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (!psa || !plLbound)
        return E_INVALIDARG;
    if (nDim == 0 || nDim > psa->cDims)
        return DISP_E_BADINDEX;
    *plLbound = Bounds(psa)[psa->cDims - nDim].lLbound;
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks == 0xFFFF)
        return E_UNEXPECTED;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
    if (!psa)
        return E_INVALIDARG;
    if (psa->cLocks == 0)
        return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!psa || !ppvData)
        return E_INVALIDARG;
    HRESULT hr = SafeArrayLock(psa);
    if (FAILED(hr))
        return hr;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    return SafeArrayUnlock(psa);
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* rgIndices, void** ppvData) {
    if (!ppvData)
        return E_INVALIDARG;
    std::size_t offset = 0;
    HRESULT hr = CellOffset(psa, rgIndices, offset);
    if (FAILED(hr))
        return hr;
    if (!psa->pvData)
        return E_INVALIDARG;
    *ppvData = static_cast<BYTE*>(psa->pvData) + offset;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!pv)
        return E_INVALIDARG;
    void* cell = nullptr;
    HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &cell);
    if (FAILED(hr))
        return hr;
    // The caller receives its own copy (a new BSTR, an added reference, a copied VARIANT).
    if (psa->fFeatures & FADF_VARIANT)
        VariantInit(static_cast<VARIANT*>(pv));
    return CopyCell(psa, static_cast<const BYTE*>(cell), static_cast<BYTE*>(pv));
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    void* cell = nullptr;
    HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &cell);
    if (FAILED(hr))
        return hr;
    auto* bytes = static_cast<BYTE*>(cell);
    // BSTR and interface elements take the pointer itself (null allowed); other types read *pv.
    if (psa->fFeatures & FADF_BSTR) {
        BSTR fresh = nullptr;
        if (pv) {
            auto s = static_cast<BSTR>(pv);
            fresh = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s));
            if (!fresh)
                return E_OUTOFMEMORY;
        }
        ClearCells(psa, static_cast<BYTE*>(psa->pvData),
                   static_cast<ULONG>((bytes - static_cast<BYTE*>(psa->pvData)) / psa->cbElements), 1);
        std::memcpy(bytes, &fresh, sizeof fresh);
        return S_OK;
    }
    if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        auto* p = static_cast<IUnknown*>(pv);
        if (p)
            p->AddRef();
        ClearCells(psa, static_cast<BYTE*>(psa->pvData),
                   static_cast<ULONG>((bytes - static_cast<BYTE*>(psa->pvData)) / psa->cbElements), 1);
        std::memcpy(bytes, &p, sizeof p);
        return S_OK;
    }
    if (!pv)
        return E_INVALIDARG;
    if (psa->fFeatures & FADF_VARIANT) {
        VARIANT copy;
        VariantInit(&copy);
        hr = VariantCopy(&copy, static_cast<const VARIANT*>(pv));
        if (FAILED(hr))
            return hr;
        VariantClear(reinterpret_cast<VARIANT*>(bytes));
        std::memcpy(bytes, &copy, sizeof copy);
        return S_OK;
    }
    std::memcpy(bytes, pv, psa->cbElements);
    return S_OK;
}
