// Bytes through MultiByteToWideChar and UTF-16 through WideCharToMultiByte, for 949, UTF-8
// and a single-byte code page, with exact and short buffers. The first byte picks the code
// page and flags; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "stringapiset.h"
#include "winnls.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void RoundTrip(UINT codePage, DWORD mbFlags, const char* bytes, int length) {
    int units = MultiByteToWideChar(codePage, mbFlags, bytes, length, nullptr, 0);
    if (units <= 0) {
        return;
    }
    Check(units <= length);
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    Check(MultiByteToWideChar(codePage, mbFlags, bytes, length, wide.data(), units) == units);
    if (units > 1) {
        Check(MultiByteToWideChar(codePage, mbFlags, bytes, length, wide.data(), units - 1) == 0);
    }
    BOOL used = FALSE;
    LPBOOL usedPointer = codePage == CP_UTF8 ? nullptr : &used;
    int back = WideCharToMultiByte(codePage, 0, wide.data(), units, nullptr, 0, nullptr, usedPointer);
    Check(back > 0);
    std::vector<char> narrow(static_cast<size_t>(back));
    Check(WideCharToMultiByte(codePage, 0, wide.data(), units, narrow.data(), back, nullptr, usedPointer) ==
          back);
    if (back > 1) { // a capacity of 0 would be a size query
        Check(WideCharToMultiByte(codePage, 0, wide.data(), units, narrow.data(), back - 1, nullptr,
                                  usedPointer) == 0);
    }
    // In 949 and 1252 every mapped character has one byte form: text that decoded without a
    // default character encodes back to the same bytes.
    if ((codePage == 949 || codePage == 1252) &&
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0) > 0) {
        if (!used) {
            Check(back == length && std::memcmp(narrow.data(), bytes, static_cast<size_t>(length)) == 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 16) {
        return 0;
    }
    static const UINT kCodePages[] = {949, CP_UTF8, 1252, 932};
    UINT codePage = kCodePages[data[0] & 3];
    DWORD flags = (data[0] & 4) ? MB_ERR_INVALID_CHARS : 0;
    const char* text = reinterpret_cast<const char*>(data + 1);
    int length = static_cast<int>(size - 1);
    if (length > 0) {
        RoundTrip(codePage, flags, text, length);
    }
    // The same bytes taken as UTF-16 units, lone surrogates and all.
    size_t units = (size - 1) / 2;
    if (units > 0) {
        std::vector<WCHAR> wide(units);
        std::memcpy(wide.data(), data + 1, units * 2);
        int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(units), nullptr, 0, nullptr,
                                    nullptr);
        Check(n > 0);
        std::vector<char> out(static_cast<size_t>(n));
        Check(WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(units), out.data(), n, nullptr,
                                  nullptr) == n);
    }
    return 0;
}
