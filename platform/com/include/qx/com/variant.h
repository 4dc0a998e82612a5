// Variant: a VARIANT that clears itself. It is layout-compatible with VARIANT, so &v can be passed
// wherever a VARIANT* is expected.
#pragma once

#include "oleauto.h"

#include <string_view>

namespace qx::com {

class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(const VARIANT& other);
    Variant(const Variant& other) : Variant(static_cast<const VARIANT&>(other)) {}
    Variant(Variant&& other) noexcept;
    ~Variant() { VariantClear(this); }

    // Typed constructors; each gives the VARTYPE named in its comment.
    Variant(bool value);                       // VT_BOOL
    Variant(SHORT value);                      // VT_I2
    Variant(LONG value);                       // VT_I4
    Variant(ULONG value);                      // VT_UI4
    Variant(LONGLONG value);                   // VT_I8
    Variant(BYTE value);                       // VT_UI1
    Variant(FLOAT value);                      // VT_R4
    Variant(DOUBLE value, VARTYPE vt = VT_R8); // VT_R8 or VT_DATE
    Variant(const OLECHAR* text);              // VT_BSTR (null gives an empty BSTR)
    Variant(std::u16string_view text);         // VT_BSTR
    Variant(IDispatch* p);                     // VT_DISPATCH, adds a reference
    Variant(IUnknown* p);                      // VT_UNKNOWN, adds a reference

    static Variant Error(SCODE code); // VT_ERROR
    static Variant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
    static Variant Null(); // VT_NULL
    // VT_BYREF|vt pointing at storage the caller keeps alive.
    static Variant ByRef(VARTYPE vt, void* storage);
    // Takes over the contents of v (v is left VT_EMPTY).
    static Variant Attach(VARIANT& v);

    Variant& operator=(const VARIANT& other);
    Variant& operator=(const Variant& other) { return *this = static_cast<const VARIANT&>(other); }
    Variant& operator=(Variant&& other) noexcept;

    HRESULT Clear() { return VariantClear(this); }
    // Moves the contents into dest (which is cleared first); this becomes VT_EMPTY.
    HRESULT Detach(VARIANT* dest);
    HRESULT CopyTo(VARIANT* dest) const;
    HRESULT ChangeType(VARTYPE vt, const VARIANT* source = nullptr);

    VARTYPE Type() const { return vt; }
    bool IsEmpty() const { return vt == VT_EMPTY; }
    VARIANT* Ptr() { return this; }
    const VARIANT* Ptr() const { return this; }
};

static_assert(sizeof(Variant) == sizeof(VARIANT));

} // namespace qx::com
