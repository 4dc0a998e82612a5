// GUID text forms and COM task memory.
#include "objbase.h"
#include "qx/com/comptr.h"

#include <cstdlib>
#include <cstring>

INT StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, INT cchMax) {
    constexpr INT kLength = 39; // braces, 32 digits, 4 dashes and the terminating zero
    if (!lpsz || cchMax < kLength)
        return 0;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    INT pos = 0;
    auto put = [&](unsigned long long value, int digits) {
        for (int i = digits - 1; i >= 0; --i)
            lpsz[pos++] = static_cast<OLECHAR>(kDigits[(value >> (i * 4)) & 0xF]);
    };
    lpsz[pos++] = u'{';
    put(rguid.Data1, 8);
    lpsz[pos++] = u'-';
    put(rguid.Data2, 4);
    lpsz[pos++] = u'-';
    put(rguid.Data3, 4);
    lpsz[pos++] = u'-';
    put(rguid.Data4[0], 2);
    put(rguid.Data4[1], 2);
    lpsz[pos++] = u'-';
    for (int i = 2; i < 8; ++i)
        put(rguid.Data4[i], 2);
    lpsz[pos++] = u'}';
    lpsz[pos++] = 0;
    return pos;
}

namespace {

HRESULT AllocGuidText(REFGUID guid, LPOLESTR* out) {
    if (!out)
        return E_INVALIDARG;
    *out = static_cast<LPOLESTR>(CoTaskMemAlloc(39 * sizeof(OLECHAR)));
    if (!*out)
        return E_OUTOFMEMORY;
    StringFromGUID2(guid, *out, 39);
    return S_OK;
}

// Only the braced form is accepted, as the registry writes it.
bool ParseBraced(LPCOLESTR text, GUID& out) {
    if (!text)
        return false;
    std::size_t length = 0;
    while (length < 40 && text[length])
        ++length;
    if (length != 38 || text[0] != u'{')
        return false;
    return qx::guid_detail::parse(text, length, out);
}

} // namespace

HRESULT StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz) {
    return AllocGuidText(rclsid, lplpsz);
}

HRESULT StringFromIID(REFIID rclsid, LPOLESTR* lplpsz) {
    return AllocGuidText(rclsid, lplpsz);
}

HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
    if (!pclsid)
        return E_INVALIDARG;
    // A null text is documented to give CLSID_NULL.
    if (!lpsz) {
        *pclsid = CLSID_NULL;
        return S_OK;
    }
    GUID g{};
    if (!ParseBraced(lpsz, g)) {
        *pclsid = CLSID_NULL;
        return CO_E_CLASSSTRING;
    }
    *pclsid = g;
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid) {
    if (!lpiid)
        return E_INVALIDARG;
    if (!lpsz) {
        *lpiid = IID_NULL;
        return S_OK;
    }
    GUID g{};
    if (!ParseBraced(lpsz, g))
        return E_INVALIDARG;
    *lpiid = g;
    return S_OK;
}

LPVOID CoTaskMemAlloc(SIZE_T cb) {
    return std::malloc(cb ? cb : 1);
}

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
    return std::realloc(pv, cb ? cb : 1);
}

void CoTaskMemFree(LPVOID pv) {
    std::free(pv);
}

namespace qx::com {

bool IsSameObject(IUnknown* a, IUnknown* b) {
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    ComPtr<IUnknown> ua, ub;
    a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ua));
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ub));
    return ua && ua.Get() == ub.Get();
}

} // namespace qx::com
