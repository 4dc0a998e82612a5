// UTF-8 <-> UTF-16 conversion for the platform's own texts.
#include "qx/com/bstr.h"

#include <memory>

namespace qx::com {

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        std::size_t extra = 0;
        char32_t min = 0;
        if (byte < 0x80) {
            cp = byte;
        } else if ((byte & 0xE0) == 0xC0) {
            cp = byte & 0x1F, extra = 1, min = 0x80;
        } else if ((byte & 0xF0) == 0xE0) {
            cp = byte & 0x0F, extra = 2, min = 0x800;
        } else if ((byte & 0xF8) == 0xF0) {
            cp = byte & 0x07, extra = 3, min = 0x10000;
        } else {
            extra = 0;
            cp = 0xFFFD;
        }
        ++i;
        bool ok = true;
        for (std::size_t k = 0; k < extra; ++k) {
            if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
            ++i;
        }
        if (!ok || (extra && cp < min) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
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
