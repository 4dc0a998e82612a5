#include "prop_convert.h"

#include "api_text.h"
#include "mapi_buffers.h"

#include <cstring>

namespace qx::wab {
namespace {

LPSTR CopyText(LPVOID parent, const std::string& utf8) {
    std::string ansi = TextToApi(utf8);
    return CopyLinked(parent, ansi.data(), static_cast<ULONG>(ansi.size()), true);
}

SCODE ReadText(LPCSTR text, std::string& out) {
    if (text == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    if (!TextFromApi(text, out)) {
        return MAPI_E_INVALID_PARAMETER;
    }
    return out.size() > kMaxValueBytes ? MAPI_E_TOO_BIG : S_OK;
}

} // namespace

HRESULT FillValue(const Property& property, LPVOID parent, SPropValue& out) {
    out.ulPropTag = property.tag;
    out.dwAlignPad = 0;
    std::memset(&out.Value, 0, sizeof(out.Value));
    switch (PROP_TYPE(property.tag)) {
    case PT_SHORT:
        out.Value.i = static_cast<SHORT>(property.number);
        return S_OK;
    case PT_LONG:
        out.Value.l = property.number;
        return S_OK;
    case PT_BOOLEAN:
        out.Value.b = property.number ? 1 : 0;
        return S_OK;
    case PT_STRING8:
        out.Value.lpszA = CopyText(parent, property.text);
        return out.Value.lpszA ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    case PT_BINARY:
        out.Value.bin.cb = static_cast<ULONG>(property.bytes.size());
        out.Value.bin.lpb = reinterpret_cast<LPBYTE>(
            CopyLinked(parent, property.bytes.data(), static_cast<ULONG>(property.bytes.size()), false));
        return out.Value.bin.lpb ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    case PT_MV_STRING8: {
        LPVOID array = nullptr;
        ULONG n = static_cast<ULONG>(property.texts.size());
        HRESULT hr = AllocateLinked(static_cast<ULONG>(sizeof(LPSTR)) * (n ? n : 1), parent, &array);
        if (FAILED(hr)) {
            return hr;
        }
        out.Value.MVszA.cValues = n;
        out.Value.MVszA.lppszA = static_cast<LPSTR*>(array);
        for (ULONG i = 0; i < n; ++i) {
            out.Value.MVszA.lppszA[i] = CopyText(parent, property.texts[i]);
            if (out.Value.MVszA.lppszA[i] == nullptr) {
                return MAPI_E_NOT_ENOUGH_MEMORY;
            }
        }
        return S_OK;
    }
    default:
        out.ulPropTag = CHANGE_PROP_TYPE(property.tag, PT_ERROR);
        out.Value.err = MAPI_E_NOT_FOUND;
        return S_OK;
    }
}

SCODE ReadValue(const SPropValue& in, Property& out) {
    out = Property{};
    out.tag = in.ulPropTag;
    ULONG id = PROP_ID(in.ulPropTag);
    if (id == PROP_ID(PR_ENTRYID) || id == PROP_ID(PR_OBJECT_TYPE)) {
        return MAPI_E_COMPUTED;
    }
    if (id == 0 || !IsStorableType(PROP_TYPE(in.ulPropTag))) {
        return MAPI_E_NO_SUPPORT;
    }
    switch (PROP_TYPE(in.ulPropTag)) {
    case PT_SHORT:
        out.number = in.Value.i;
        return S_OK;
    case PT_LONG:
        out.number = in.Value.l;
        return S_OK;
    case PT_BOOLEAN:
        out.number = in.Value.b ? 1 : 0;
        return S_OK;
    case PT_STRING8:
        return ReadText(in.Value.lpszA, out.text);
    case PT_BINARY:
        if (in.Value.bin.cb > 0 && in.Value.bin.lpb == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        if (in.Value.bin.cb > kMaxValueBytes) {
            return MAPI_E_TOO_BIG;
        }
        out.bytes.assign(in.Value.bin.lpb, in.Value.bin.lpb + in.Value.bin.cb);
        return S_OK;
    case PT_MV_STRING8: {
        if (in.Value.MVszA.cValues > 0 && in.Value.MVszA.lppszA == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        std::size_t total = 0;
        for (ULONG i = 0; i < in.Value.MVszA.cValues; ++i) {
            std::string text;
            if (SCODE sc = ReadText(in.Value.MVszA.lppszA[i], text); sc != S_OK) {
                return sc;
            }
            total += text.size() + 1;
            if (total > kMaxValueBytes) {
                return MAPI_E_TOO_BIG;
            }
            out.texts.push_back(std::move(text));
        }
        return S_OK;
    }
    default:
        return MAPI_E_NO_SUPPORT;
    }
}

} // namespace qx::wab
