// String conversions for platform code, over the documented conversion functions.
#include <climits>

#include "qx/win32/codepage.h"
#include "stringapiset.h"

namespace qx::win32 {
namespace {

std::u16string ToWide(UINT codePage, std::string_view text, bool* lossy) {
    if (lossy) {
        *lossy = false;
    }
    if (text.empty()) {
        return {};
    }
    if (text.size() > INT_MAX) {
        text = text.substr(0, INT_MAX);
    }
    int length = static_cast<int>(text.size());
    int units = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    if (units > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), units);
    }
    if (lossy && MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0) == 0) {
        *lossy = true;
    }
    return wide;
}

std::string FromWide(UINT codePage, std::u16string_view text, bool* lossy) {
    if (lossy) {
        *lossy = false;
    }
    if (text.empty()) {
        return {};
    }
    if (text.size() > INT_MAX / 4) {
        text = text.substr(0, INT_MAX / 4);
    }
    int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    LPBOOL used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = 0;
    int bytes = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, used);
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(codePage, flags, text.data(), length, narrow.data(), bytes, nullptr, used);
    }
    if (lossy) {
        *lossy = usedDefault != FALSE;
        if (codePage == CP_UTF8) {
            *lossy = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, nullptr, 0,
                                         nullptr, nullptr) == 0;
        }
    }
    return narrow;
}

} // namespace

std::u16string AnsiToWide(std::string_view text, bool* lossy) {
    return ToWide(CP_ACP, text, lossy);
}

std::string WideToAnsi(std::u16string_view text, bool* lossy) {
    return FromWide(CP_ACP, text, lossy);
}

std::string AnsiToUtf8(std::string_view text, bool* lossy) {
    return FromWide(CP_UTF8, ToWide(CP_ACP, text, lossy), nullptr);
}

std::string Utf8ToAnsi(std::string_view text, bool* lossy) {
    bool badUtf8 = false;
    std::u16string wide = ToWide(CP_UTF8, text, &badUtf8);
    std::string ansi = FromWide(CP_ACP, wide, lossy);
    if (lossy && badUtf8) {
        *lossy = true;
    }
    return ansi;
}

std::string WideToUtf8(std::u16string_view text) {
    return FromWide(CP_UTF8, text, nullptr);
}

std::u16string Utf8ToWide(std::string_view text) {
    return ToWide(CP_UTF8, text, nullptr);
}

} // namespace qx::win32
