// FormatMessageA from the system: the texts of the codes the registry and file layers return,
// caller and allocated buffers, widths, languages, and the failures; LocalAlloc/LocalFree.
#include "winbase_message.h"
#include "winerror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kSystemFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

// The text as the error box's callers fetch it; "<code N>" when the call fails.
std::string SystemText(DWORD code, DWORD flags = kSystemFlags, DWORD language = 0) {
    LPSTR text = nullptr;
    const DWORD length =
        FormatMessageA(flags, nullptr, code, language, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0) {
        EXPECT_EQ(text, nullptr);
        return "<code " + std::to_string(GetLastError()) + ">";
    }
    std::string out(text);
    EXPECT_EQ(out.size(), length);
    EXPECT_EQ(LocalFree(text), nullptr);
    return out;
}

TEST(FormatMessage, TextsOfTheRegistryAndFileErrors) {
    static const struct {
        DWORD code;
        const char* text;
    } kCases[] = {
        {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
        {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
        {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
        {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
        {ERROR_NO_MORE_FILES, "There are no more files.\r\n"},
        {ERROR_FILE_EXISTS, "The file exists.\r\n"},
        {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
        {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
        {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
        {ERROR_MORE_DATA, "More data is available.\r\n"},
        {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n"},
        {ERROR_BADKEY, "The configuration registry key is invalid.\r\n"},
        {ERROR_CANTWRITE, "The configuration registry key could not be written.\r\n"},
        {ERROR_KEY_DELETED,
         "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
        {ERROR_NO_UNICODE_TRANSLATION,
         "No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(SystemText(c.code), c.text) << c.code;
    // Every code the two layers set has a text.
    for (DWORD code : {ERROR_INVALID_FUNCTION,
                       ERROR_TOO_MANY_OPEN_FILES,
                       ERROR_NOT_ENOUGH_MEMORY,
                       ERROR_INVALID_DATA,
                       ERROR_NOT_SAME_DEVICE,
                       ERROR_GEN_FAILURE,
                       ERROR_SHARING_VIOLATION,
                       ERROR_LOCK_VIOLATION,
                       ERROR_NOT_SUPPORTED,
                       ERROR_BUFFER_OVERFLOW,
                       ERROR_DISK_FULL,
                       ERROR_NEGATIVE_SEEK,
                       ERROR_DIR_NOT_EMPTY,
                       ERROR_BAD_PATHNAME,
                       ERROR_FILENAME_EXCED_RANGE,
                       ERROR_DIRECTORY,
                       ERROR_NOACCESS,
                       ERROR_REGISTRY_CORRUPT,
                       ERROR_REGISTRY_IO_FAILED,
                       ERROR_CANCELLED}) {
        const std::string text = SystemText(code);
        EXPECT_GT(text.size(), 3u) << code;
        EXPECT_EQ(text.substr(text.size() - 3), ".\r\n") << code;
    }
}

TEST(FormatMessage, UnknownCodesHaveNoText) {
    for (DWORD code : {7u, 9999u, 0x80070005u, 0xFFFFFFFFu}) {
        SetLastError(0);
        EXPECT_EQ(SystemText(code), "<code 317>") << code;
    }
}

TEST(FormatMessage, LanguagesOfTheSystemAndEnglishOnly) {
    for (DWORD language : {0x0000u, 0x0400u, 0x0800u, 0x0409u, 0x0809u, 0x0009u})
        EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, kSystemFlags, language), "Access is denied.\r\n")
            << language;
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, kSystemFlags, 0x0412), "<code 1815>");
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, kSystemFlags, 0x040C), "<code 1815>");
}

TEST(FormatMessage, CallerBufferMustHoldTextAndZero) {
    const std::string want = "Access is denied.\r\n";
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer,
                             sizeof buffer, nullptr),
              want.size());
    EXPECT_EQ(std::string(buffer), want);
    const DWORD exact = static_cast<DWORD>(want.size() + 1);
    EXPECT_EQ(
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer, exact, nullptr),
        want.size());
    std::memset(buffer, 'x', sizeof buffer);
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer, exact - 1,
                             nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[exact - 1], 'x') << "nothing past the buffer is written";
    EXPECT_EQ(
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, nullptr, 64, nullptr),
        0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FormatMessage, AllocatedBufferIsAtLeastTheAskedSize) {
    LPSTR text = nullptr;
    ASSERT_EQ(FormatMessageA(kSystemFlags, nullptr, ERROR_ACCESS_DENIED, 0, reinterpret_cast<LPSTR>(&text),
                             4096, nullptr),
              19u);
    ASSERT_NE(text, nullptr);
    text[4095] = '!'; // the whole block is the caller's
    EXPECT_STREQ(text, "Access is denied.\r\n");
    EXPECT_EQ(LocalFree(text), nullptr);
}

TEST(FormatMessage, WidthsTurnLineBreaksIntoSpacesAndWrap) {
    const DWORD flags = kSystemFlags;
    EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND, flags | FORMAT_MESSAGE_MAX_WIDTH_MASK),
              "The system cannot find the file specified. ");
    EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND, flags | 20),
              "The system cannot\r\nfind the file\r\nspecified. ");
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED, flags | 4), "Acce\r\nss\r\nis\r\ndeni\r\ned. ");
    for (DWORD width = 1; width < FORMAT_MESSAGE_MAX_WIDTH_MASK; ++width) {
        const std::string text = SystemText(ERROR_REGISTRY_CORRUPT, flags | width);
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            EXPECT_LE(end - start, width) << width;
            start = end + 2;
        }
    }
}

TEST(FormatMessage, OnlyTheSystemIsASource) {
    char buffer[64];
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "text %1", 0, 0, buffer, 64, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(
        FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE, nullptr, ERROR_ACCESS_DENIED, 0, buffer, 64, nullptr),
        0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                             ERROR_ACCESS_DENIED, 0, buffer, 64, nullptr),
              19u);
    EXPECT_EQ(FormatMessageA(0, nullptr, ERROR_ACCESS_DENIED, 0, buffer, 64, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(LocalMemory, FreesOnlyItsOwnBlocks) {
    HLOCAL zeroed = LocalAlloc(LPTR, 32);
    ASSERT_NE(zeroed, nullptr);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(static_cast<const char*>(zeroed)[i], 0);
    EXPECT_EQ(LocalFree(zeroed), nullptr);
    SetLastError(0);
    EXPECT_EQ(LocalFree(zeroed), zeroed) << "freed twice";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    char local[4];
    EXPECT_EQ(LocalFree(local), static_cast<HLOCAL>(local));
    EXPECT_EQ(LocalFree(nullptr), nullptr);
    EXPECT_EQ(LocalAlloc(0x0002 /* LMEM_MOVEABLE */, 8), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    HLOCAL empty = LocalAlloc(LMEM_FIXED, 0);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(LocalFree(empty), nullptr);
}

TEST(LocalMemory, ThreadsFetchAndFreeTextsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> bad(8, 0);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&bad, t] {
            for (int i = 0; i < 2000; ++i) {
                LPSTR text = nullptr;
                if (FormatMessageA(kSystemFlags, nullptr, ERROR_FILE_NOT_FOUND, 0,
                                   reinterpret_cast<LPSTR>(&text), 0, nullptr) != 44 ||
                    LocalFree(text) != nullptr)
                    ++bad[t];
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(bad, std::vector<int>(8, 0));
}

} // namespace
