// The texts of the "A" and "W" dialog structures seen as UTF-8, and back: ANSI through the
// code page, UTF-16 as it is. Reads are bounded by the buffer sizes the caller gives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "qx/win32/codepage.h"
#include "qx/win32/ui_requests.h"

namespace qx::win32 {

template <typename Char>
struct DialogText;

template <>
struct DialogText<char> {
    static std::string ToUtf8(std::string_view text) { return AnsiToUtf8(text); }
    // False when a character has no form in the code page.
    static bool FromUtf8(std::string_view text, std::string& out) {
        bool lossy = false;
        out = Utf8ToAnsi(text, &lossy);
        return !lossy;
    }
};

template <>
struct DialogText<char16_t> {
    static std::string ToUtf8(std::u16string_view text) { return WideToUtf8(text); }
    static bool FromUtf8(std::string_view text, std::u16string& out) { return Utf8ToWideStrict(text, out); }
};

// The text at `text` up to its NUL or `limit` characters; empty for a null pointer.
template <typename Char>
std::basic_string_view<Char> BoundedText(const Char* text, std::size_t limit) {
    if (text == nullptr) {
        return {};
    }
    std::size_t length = 0;
    while (length < limit && text[length] != 0) {
        ++length;
    }
    return {text, length};
}

template <typename Char>
std::string Utf8Of(const Char* text, std::size_t limit = 32768) {
    return DialogText<Char>::ToUtf8(BoundedText(text, limit));
}

// Copies `text` with its NUL into a buffer of `capacity` characters, cut to fit; nothing when
// there is no room at all.
template <typename Char>
void CopyTruncated(std::basic_string_view<Char> text, Char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return;
    }
    std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(buffer, length);
    buffer[length] = 0;
}

// A double-NUL list of name and pattern pairs ("Text\0*.txt\0\0"); an unpaired last name is
// dropped, and the list is read up to 32768 characters.
template <typename Char>
std::vector<FileDialogFilter> ParseFilterList(const Char* list) {
    std::vector<FileDialogFilter> filters;
    if (list == nullptr) {
        return filters;
    }
    constexpr std::size_t kLimit = 32768;
    std::size_t at = 0;
    while (at < kLimit) {
        auto name = BoundedText(list + at, kLimit - at);
        if (name.empty()) {
            break;
        }
        at += name.size() + 1;
        if (at >= kLimit) {
            break;
        }
        auto pattern = BoundedText(list + at, kLimit - at);
        if (pattern.empty()) {
            break;
        }
        at += pattern.size() + 1;
        filters.push_back({DialogText<Char>::ToUtf8(name), DialogText<Char>::ToUtf8(pattern)});
    }
    return filters;
}

} // namespace qx::win32
