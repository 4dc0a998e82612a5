// UTF-8 <-> UTF-16 conversion for the platform's own texts.
#include "qx/win32/utf.h"
#include "qx/com/bstr.h"

#include <memory>

namespace qx::com {

// Bad input becomes U+FFFD: a sequence whose lead byte announces its length is replaced as a
// whole (as far as its continuation bytes go), any other byte on its own.
std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t consumed = 1;
        const long cp = win32::DecodeUtf8(in + i, text.size() - i, consumed);
        if (cp >= 0) {
            win32::AppendUtf16(static_cast<char32_t>(cp), out);
            i += consumed;
            continue;
        }
        out.push_back(static_cast<char16_t>(win32::kReplacementCharacter));
        const unsigned char lead = in[i++];
        const std::size_t announced = (lead & 0xE0) == 0xC0   ? 1
                                      : (lead & 0xF0) == 0xE0 ? 2
                                      : (lead & 0xF8) == 0xF0 ? 3
                                                              : 0;
        for (std::size_t k = 0; k < announced && i < text.size() && (in[i] & 0xC0) == 0x80; ++k)
            ++i;
    }
    return out;
}

// A lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t consumed = 1;
        const long cp = win32::DecodeUtf16(text.data() + i, text.size() - i, consumed);
        win32::AppendUtf8(cp < 0 ? win32::kReplacementCharacter : static_cast<char32_t>(cp), out);
        i += consumed;
    }
    return out;
}

Bstr::Bstr(const OLECHAR* text) : s_(SysAllocString(text)) {}

Bstr::Bstr(std::u16string_view text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

Bstr Bstr::FromUtf8(std::string_view text) {
    return Bstr(std::u16string_view(Utf8ToUtf16(text)));
}

Bstr::Bstr(const Bstr& other) : s_(other.Copy()) {}

Bstr& Bstr::operator=(const Bstr& other) {
    if (this != std::addressof(other)) {
        Bstr copy(other);
        std::swap(s_, copy.s_);
    }
    return *this;
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != std::addressof(other)) {
        Reset();
        s_ = std::exchange(other.s_, nullptr);
    }
    return *this;
}

Bstr& Bstr::operator=(std::u16string_view text) {
    Bstr copy(text);
    std::swap(s_, copy.s_);
    return *this;
}

BSTR Bstr::Copy() const {
    if (!s_)
        return nullptr;
    return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s_), SysStringByteLen(s_));
}

HRESULT Bstr::CopyTo(BSTR* out) const {
    if (!out)
        return E_POINTER;
    *out = Copy();
    return (*out || !s_) ? S_OK : E_OUTOFMEMORY;
}

std::string Bstr::ToUtf8() const {
    return Utf16ToUtf8(View());
}

HRESULT Bstr::Append(std::u16string_view text) {
    std::u16string joined(View());
    joined.append(text);
    BSTR fresh = SysAllocStringLen(joined.data(), static_cast<UINT>(joined.size()));
    if (!fresh)
        return E_OUTOFMEMORY;
    SysFreeString(s_);
    s_ = fresh;
    return S_OK;
}

} // namespace qx::com
