// MultiByteToWideChar and WideCharToMultiByte over the code page tables and UTF-8. Both count
// when given no output buffer, and fail with ERROR_INSUFFICIENT_BUFFER when the buffer given
// is too small.
#include <cstring>

#include "code_page_table.h"
#include "errhandlingapi.h"
#include "qx/win32/utf.h"
#include "stringapiset.h"
#include "winerror.h"

namespace qx::win32 {
namespace {

template <class Unit>
class Sink {
public:
    Sink(Unit* out, std::size_t capacity) : out_(out), capacity_(capacity) {}
    // False once the buffer is full.
    bool Put(Unit unit) {
        if (out_ != nullptr) {
            if (count_ >= capacity_) {
                overflow_ = true;
                return false;
            }
            out_[count_] = unit;
        }
        ++count_;
        return true;
    }
    bool Room(std::size_t units) const { return out_ == nullptr || count_ + units <= capacity_; }
    void SetOverflow() { overflow_ = true; }
    bool Overflow() const { return overflow_; }
    std::size_t Count() const { return count_; }

private:
    Unit* out_;
    std::size_t capacity_;
    std::size_t count_ = 0;
    bool overflow_ = false;
};

constexpr char16_t kWideDefault = u'?';
constexpr char16_t kReplacement = 0xFFFD;

// Returns false at an invalid byte sequence when `strict`.
bool DecodeTable(const CodePageTable& table, const unsigned char* in, std::size_t length, bool strict,
                 Sink<char16_t>& sink) {
    std::size_t i = 0;
    while (i < length) {
        if (table.asciiIdentity) {
            while (i < length && in[i] < 0x80) {
                if (!sink.Put(in[i])) {
                    return true;
                }
                ++i;
            }
            if (i >= length) {
                break;
            }
        }
        unsigned char b = in[i];
        char16_t c;
        if (!table.lead[b]) {
            c = table.single[b];
            i += 1;
        } else if (i + 1 >= length) {
            c = kUnmapped; // a lead byte at the very end
            i += 1;
        } else {
            unsigned char trail = in[i + 1];
            c = table.Pair(b, trail);
            // A byte below 0x40 is never a trail byte: it stays a character of its own.
            i += (c != kUnmapped || trail >= 0x40) ? 2 : 1;
        }
        if (c == kUnmapped) {
            if (strict) {
                return false;
            }
            c = kWideDefault;
        }
        if (!sink.Put(c)) {
            return true;
        }
    }
    return true;
}

bool DecodeUtf8Text(const unsigned char* in, std::size_t length, bool strict, Sink<char16_t>& sink) {
    std::size_t i = 0;
    while (i < length) {
        if (in[i] < 0x80) {
            if (!sink.Put(in[i])) {
                return true;
            }
            ++i;
            continue;
        }
        std::size_t consumed = 1;
        long cp = DecodeUtf8(in + i, length - i, consumed);
        i += consumed;
        if (cp < 0) {
            if (strict) {
                return false;
            }
            cp = kReplacement;
        }
        char16_t units[2];
        const std::size_t n = EncodeUtf16(static_cast<char32_t>(cp), units);
        if (n == 2 && !sink.Room(2)) {
            sink.SetOverflow();
            return true;
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (!sink.Put(units[k])) {
                return true;
            }
        }
    }
    return true;
}

struct DefaultBytes {
    unsigned char bytes[2] = {'?', 0};
    std::size_t length = 1;
};

void EncodeTable(const CodePageTable& table, const char16_t* in, std::size_t length,
                 const DefaultBytes& fallback, bool& usedDefault, Sink<char>& sink) {
    std::size_t i = 0;
    while (i < length) {
        if (table.asciiIdentity) {
            while (i < length && in[i] < 0x80) {
                if (!sink.Put(static_cast<char>(in[i]))) {
                    return;
                }
                ++i;
            }
            if (i >= length) {
                return;
            }
        }
        char16_t c = in[i];
        std::uint16_t bytes = 0;
        bool mapped;
        if (IsSurrogate(c)) {
            // Characters beyond the BMP are in no table code page; a pair is one character.
            mapped = false;
            std::size_t consumed = 1;
            DecodeUtf16(in + i, length - i, consumed);
            i += consumed;
        } else {
            bytes = table.reverse[c];
            mapped = c == 0 || bytes != 0;
            i += 1;
        }
        if (!mapped) {
            usedDefault = true;
            if (!sink.Room(fallback.length)) {
                sink.SetOverflow();
                return;
            }
            for (std::size_t k = 0; k < fallback.length; ++k) {
                sink.Put(static_cast<char>(fallback.bytes[k]));
            }
        } else if (bytes > 0xFF) {
            if (!sink.Room(2)) {
                sink.SetOverflow();
                return;
            }
            sink.Put(static_cast<char>(bytes >> 8));
            sink.Put(static_cast<char>(bytes & 0xFF));
        } else if (!sink.Put(static_cast<char>(bytes))) {
            return;
        }
    }
}

// Returns false at a lone surrogate when `strict`.
bool EncodeUtf8Text(const char16_t* in, std::size_t length, bool strict, Sink<char>& sink) {
    std::size_t i = 0;
    unsigned char buffer[4];
    while (i < length) {
        char32_t cp = in[i];
        if (cp < 0x80) {
            if (!sink.Put(static_cast<char>(cp))) {
                return true;
            }
            ++i;
            continue;
        }
        std::size_t consumed = 1;
        const long decoded = DecodeUtf16(in + i, length - i, consumed);
        i += consumed;
        if (decoded < 0) {
            if (strict) {
                return false;
            }
            cp = kReplacement;
        } else {
            cp = static_cast<char32_t>(decoded);
        }
        std::size_t n = EncodeUtf8(cp, buffer);
        if (!sink.Room(n)) {
            sink.SetOverflow();
            return true;
        }
        for (std::size_t k = 0; k < n; ++k) {
            sink.Put(static_cast<char>(buffer[k]));
        }
    }
    return true;
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

} // namespace
} // namespace qx::win32

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    using namespace qx::win32;
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr) ||
        (cchWideChar > 0 &&
         static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr))) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    UINT codePage = ResolveCodePage(CodePage);
    bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
    std::size_t length =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    const auto* in = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    Sink<char16_t> sink(cchWideChar == 0 ? nullptr : lpWideCharStr, static_cast<std::size_t>(cchWideChar));
    bool ok;
    if (codePage == CP_UTF8) {
        if ((dwFlags & ~MB_ERR_INVALID_CHARS) != 0) {
            return Fail(ERROR_INVALID_FLAGS);
        }
        ok = DecodeUtf8Text(in, length, strict, sink);
    } else {
        const CodePageTable* table = FindCodePageTable(codePage);
        if (table == nullptr) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        constexpr DWORD kKnown = MB_PRECOMPOSED | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
        if ((dwFlags & ~kKnown) != 0) {
            return Fail(ERROR_INVALID_FLAGS); // composite forms are not produced
        }
        ok = DecodeTable(*table, in, length, strict, sink);
    }
    if (!ok) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    if (sink.Overflow()) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (sink.Count() > 0x7FFFFFFF) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    return static_cast<int>(sink.Count());
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    using namespace qx::win32;
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && lpMultiByteStr == nullptr) ||
        (cbMultiByte > 0 &&
         static_cast<const void*>(lpMultiByteStr) == static_cast<const void*>(lpWideCharStr))) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    UINT codePage = ResolveCodePage(CodePage);
    std::size_t length = static_cast<std::size_t>(cchWideChar);
    if (cchWideChar == -1) {
        length = 0;
        while (lpWideCharStr[length] != 0) {
            ++length;
        }
        ++length;
    }
    Sink<char> sink(cbMultiByte == 0 ? nullptr : lpMultiByteStr, static_cast<std::size_t>(cbMultiByte));
    if (codePage == CP_UTF8) {
        if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        if ((dwFlags & ~WC_ERR_INVALID_CHARS) != 0) {
            return Fail(ERROR_INVALID_FLAGS);
        }
        if (!EncodeUtf8Text(lpWideCharStr, length, (dwFlags & WC_ERR_INVALID_CHARS) != 0, sink)) {
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
        }
    } else {
        const CodePageTable* table = FindCodePageTable(codePage);
        if (table == nullptr) {
            return Fail(ERROR_INVALID_PARAMETER);
        }
        if ((dwFlags & ~WC_NO_BEST_FIT_CHARS) != 0) {
            return Fail(ERROR_INVALID_FLAGS); // composite checks are not made
        }
        DefaultBytes fallback;
        if (lpDefaultChar != nullptr) {
            fallback.bytes[0] = static_cast<unsigned char>(lpDefaultChar[0]);
            if (table->lead[fallback.bytes[0]] && lpDefaultChar[1] != '\0') {
                fallback.bytes[1] = static_cast<unsigned char>(lpDefaultChar[1]);
                fallback.length = 2;
            }
        }
        bool usedDefault = false;
        EncodeTable(*table, lpWideCharStr, length, fallback, usedDefault, sink);
        if (lpUsedDefaultChar != nullptr) {
            *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
        }
    }
    if (sink.Overflow()) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    if (sink.Count() > 0x7FFFFFFF) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    return static_cast<int>(sink.Count());
}
