// Bstr: owns one BSTR. A null Bstr reads as "".
#pragma once

#include "oleauto.h"

#include <string>
#include <string_view>
#include <utility>

namespace qx::com {

class Bstr {
public:
    Bstr() = default;
    Bstr(std::nullptr_t) {}
    Bstr(const OLECHAR* text);
    Bstr(std::u16string_view text);
    // UTF-8 text, converted to UTF-16 (invalid sequences become U+FFFD).
    static Bstr FromUtf8(std::string_view text);
    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    ~Bstr() { SysFreeString(s_); }

    Bstr& operator=(const Bstr& other);
    Bstr& operator=(Bstr&& other) noexcept;
    Bstr& operator=(std::u16string_view text);

    // Adopts a BSTR the caller owns.
    static Bstr Attach(BSTR s) {
        Bstr result;
        result.s_ = s;
        return result;
    }
    [[nodiscard]] BSTR Detach() { return std::exchange(s_, nullptr); }
    // A new copy for an out parameter; E_POINTER when out is null, E_OUTOFMEMORY when allocation fails.
    HRESULT CopyTo(BSTR* out) const;
    [[nodiscard]] BSTR Copy() const;

    void Reset() { SysFreeString(std::exchange(s_, nullptr)); }
    BSTR* ReleaseAndGetAddressOf() {
        Reset();
        return &s_;
    }
    BSTR* operator&() { return ReleaseAndGetAddressOf(); }

    BSTR Get() const { return s_; }
    operator BSTR() const { return s_; }
    UINT Length() const { return SysStringLen(s_); }
    bool Empty() const { return Length() == 0; }
    std::u16string_view View() const { return {s_ ? s_ : u"", Length()}; }
    std::string ToUtf8() const;

    HRESULT Append(std::u16string_view text);

    friend bool operator==(const Bstr& a, const Bstr& b) { return a.View() == b.View(); }
    friend bool operator==(const Bstr& a, std::u16string_view b) { return a.View() == b; }
    friend bool operator==(const Bstr& a, const OLECHAR* b) {
        return a.View() == std::u16string_view(b ? b : u"");
    }

private:
    BSTR s_ = nullptr;
};

// UTF-8 <-> UTF-16 for the platform's own use (names, messages, file contents).
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace qx::com
