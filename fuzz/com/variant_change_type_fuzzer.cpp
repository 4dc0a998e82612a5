// VariantChangeType from BSTR text: the first byte picks the target type and the flags, the rest is
// UTF-8 text. Whatever converts must convert back to text, and dates and integers must come back to
// the same value through their text.
#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/variant.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

constexpr VARTYPE kTargets[] = {VT_I1,   VT_UI1,     VT_I2,   VT_UI2,   VT_I4,   VT_UI4,      VT_INT,
                                VT_UINT, VT_I8,      VT_UI8,  VT_R4,    VT_R8,   VT_CY,       VT_DATE,
                                VT_BOOL, VT_DECIMAL, VT_BSTR, VT_EMPTY, VT_NULL, VT_DISPATCH, VT_ERROR};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    VARTYPE vt = kTargets[data[0] % std::size(kTargets)];
    USHORT flags = (data[0] & 0x80) ? VARIANT_ALPHABOOL : 0;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    qx::com::Variant source(std::u16string_view(qx::com::Utf8ToUtf16(text)));
    qx::com::Variant converted;
    HRESULT hr = VariantChangeType(&converted, &source, flags, vt);
    if (FAILED(hr)) {
        if (hr != DISP_E_TYPEMISMATCH && hr != DISP_E_OVERFLOW)
            std::abort();
        if (converted.vt != VT_EMPTY)
            std::abort();
        return 0;
    }
    if (converted.vt != vt)
        std::abort();
    qx::com::Variant back;
    hr = VariantChangeType(&back, &converted, VARIANT_ALPHABOOL, VT_BSTR);
    if (vt == VT_NULL) {
        if (hr != DISP_E_TYPEMISMATCH)
            std::abort();
        return 0;
    }
    if (FAILED(hr))
        std::abort();
    // Text of a date or an integer reads back as the same value.
    bool exact = vt == VT_DATE || vt == VT_I1 || vt == VT_UI1 || vt == VT_I2 || vt == VT_UI2 || vt == VT_I4 ||
                 vt == VT_UI4 || vt == VT_I8 || vt == VT_UI8 || vt == VT_BOOL;
    if (exact) {
        qx::com::Variant again;
        if (FAILED(VariantChangeType(&again, &back, 0, vt)) || again.vt != vt)
            std::abort();
        if (vt == VT_DATE) {
            // Text keeps whole seconds.
            double diff = again.date - converted.date;
            if (diff > 1.0 / 86400 || diff < -1.0 / 86400)
                std::abort();
        } else if (again.llVal != converted.llVal && again.lVal != converted.lVal) {
            std::abort();
        }
    }
    return 0;
}
