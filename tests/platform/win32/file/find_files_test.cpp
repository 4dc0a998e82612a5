// FindFirstFileA / FindNextFileA / FindClose over drive-letter paths: exact names, wildcard
// patterns, sizes past 4 GB, attributes, times, code-page names and the failures.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include <vector>

#include "errhandlingapi.h"
#include "file_fixture.h"
#include "fileapi.h"
#include "handleapi.h"
#include "winerror.h"

namespace {

class FindFilesTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        std::filesystem::create_directories(Drive("w"));
    }
    std::string Drive(const std::string& name) const { return dir_ + "/drives/c/" + name; }

    // Every name the pattern finds, in order; the failure's code when nothing is found.
    static std::vector<std::string> Find(const std::string& pattern, DWORD* error = nullptr) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            if (error)
                *error = GetLastError();
            return names;
        }
        do {
            names.push_back(data.cFileName);
        } while (FindNextFileA(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find));
        if (error)
            *error = ERROR_SUCCESS;
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(FindFilesTest, ExactPathGivesOneEntryWithSizeAttributesAndTimes) {
    Write(Drive("w/a.txt"), "12345");
    // 2000-01-01 00:00:00 UTC written, 2001-01-01 read.
    struct timespec times[2] = {{978307200, 500}, {946684800, 1234567}};
    ASSERT_EQ(utimensat(AT_FDCWD, Drive("w/a.txt").c_str(), times, 0), 0);
    WIN32_FIND_DATAA data;
    std::memset(&data, 0x55, sizeof data);
    HANDLE find = FindFirstFileA("c:\\w\\a.txt", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "a.txt");
    EXPECT_STREQ(data.cAlternateFileName, "");
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    const auto ticks = [](const FILETIME& t) {
        return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    EXPECT_EQ(ticks(data.ftLastWriteTime), 125911584000012345ULL);
    EXPECT_EQ(ticks(data.ftLastAccessTime), 126227808000000005ULL);
    EXPECT_NE(ticks(data.ftCreationTime), 0ULL);
    EXPECT_FALSE(FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // Either separator, and the upper-case drive letter.
    EXPECT_EQ(Find("C:/w/a.txt"), Names{"a.txt"});
}

TEST_F(FindFilesTest, SizesPastFourGigabytesSplitIntoHighAndLowWords) {
    static const struct {
        unsigned long long size;
        DWORD high, low;
    } kCases[] = {
        {0, 0, 0},
        {0x7FFFFFFFULL, 0, 0x7FFFFFFFu},
        {0xFFFFFFFFULL, 0, 0xFFFFFFFFu},
        {0x100000000ULL, 1, 0},
        {0x500000007ULL, 5, 7},
    };
    for (const auto& c : kCases) {
        Write(Drive("w/sparse.bin"), "");
        std::filesystem::resize_file(Drive("w/sparse.bin"), c.size); // sparse: no disk space used
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA("c:\\w\\sparse.bin", &data);
        ASSERT_NE(find, INVALID_HANDLE_VALUE);
        EXPECT_EQ(data.nFileSizeHigh, c.high) << c.size;
        EXPECT_EQ(data.nFileSizeLow, c.low) << c.size;
        FindClose(find);
    }
}

TEST_F(FindFilesTest, FoldersAndReadOnlyFilesCarryTheirAttributes) {
    std::filesystem::create_directories(Drive("w/sub"));
    Write(Drive("w/sub/inner.txt"), "content");
    Write(Drive("w/locked.txt"), "x");
    chmod(Drive("w/locked.txt").c_str(), 0444);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("c:\\w\\sub", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(data.nFileSizeLow, 0u);
    EXPECT_STREQ(data.cFileName, "sub");
    FindClose(find);
    find = FindFirstFileA("c:\\w\\locked.txt", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_READONLY);
    FindClose(find);
}

TEST_F(FindFilesTest, WildcardsListMatchingNamesInOrder) {
    for (const char* name : {"b.txt", "A.TXT", "c.htm", "noext", "x.y.txt", "bb.txt"})
        Write(Drive("w/") + name, "x");
    std::filesystem::create_directories(Drive("w/Folder"));
    static const struct {
        const char* pattern;
        Names names;
    } kCases[] = {
        {"c:\\w\\*", {".", "..", "A.TXT", "b.txt", "bb.txt", "c.htm", "Folder", "noext", "x.y.txt"}},
        {"c:\\w\\*.*", {".", "..", "A.TXT", "b.txt", "bb.txt", "c.htm", "Folder", "noext", "x.y.txt"}},
        {"c:\\w\\*.txt", {"A.TXT", "b.txt", "bb.txt", "x.y.txt"}},
        {"c:/w/?.txt", {"A.TXT", "b.txt"}},
        {"c:\\w\\B*", {"b.txt", "bb.txt"}},
        {"c:\\w\\noext.*", {"noext"}},
        {"c:\\w\\*o*", {"Folder", "noext"}},
        {"c:\\w\\?????", {"A.TXT", "b.txt", "c.htm", "noext"}},
        {"c:\\w\\z*", {}},
    };
    for (const auto& c : kCases) {
        DWORD error = 0;
        EXPECT_EQ(Find(c.pattern, &error), c.names) << c.pattern;
        EXPECT_EQ(error, c.names.empty() ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND) : 0u) << c.pattern;
    }
    // A drive's root has no "." and "..".
    EXPECT_EQ(Find("c:\\*"), Names{"w"});
    EXPECT_EQ(Find("c:*"), Names{"w"});
}

TEST_F(FindFilesTest, NamesCrossInTheCodePage) {
    Write(Drive("w/\xED\x95\x9C\xEA\xB8\x80.txt"), "abc"); // U+D55C U+AE00 in UTF-8
    Write(Drive("w/\xF0\x9F\x98\x80.txt"), "x");           // U+1F600: no code page 949 form
    Write(Drive("w/\xFF\xFE.txt"), "x");                   // no UTF-8 at all
    EXPECT_EQ(Find("c:\\w\\*.txt"), Names{"\xC7\xD1\xB1\xDB.txt"});
    EXPECT_EQ(Find("c:\\w\\\xC7\xD1\xB1\xDB.txt"), Names{"\xC7\xD1\xB1\xDB.txt"});
}

TEST_F(FindFilesTest, FailuresSayWhatIsMissing) {
    Write(Drive("w/a.txt"), "x");
    static const struct {
        const char* path;
        DWORD error;
    } kCases[] = {
        {"", ERROR_PATH_NOT_FOUND},
        {"c:\\nodir\\*", ERROR_PATH_NOT_FOUND},
        {"c:\\nodir\\x.txt", ERROR_PATH_NOT_FOUND},
        {"c:\\w\\a.txt\\x", ERROR_PATH_NOT_FOUND},
        {"c:\\w\\a.txt\\*", ERROR_PATH_NOT_FOUND},
        {"c:\\w\\missing.txt", ERROR_FILE_NOT_FOUND},
        {"c:\\w\\", ERROR_FILE_NOT_FOUND},
        {"c:\\w\\a|b", ERROR_INVALID_NAME},
        {"c:\\w\\a\x01", ERROR_INVALID_NAME},
        {"c:\\w*\\a.txt", ERROR_INVALID_NAME},
        {"c:\\w\\\x80", ERROR_INVALID_NAME}, // a lone lead byte
    };
    for (const auto& c : kCases) {
        WIN32_FIND_DATAA data;
        SetLastError(0);
        EXPECT_EQ(FindFirstFileA(c.path, &data), INVALID_HANDLE_VALUE) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA("c:\\w\\a.txt", nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const std::string tooLong = "c:\\w\\" + std::string(300, 'n');
    EXPECT_EQ(FindFirstFileA(tooLong.c_str(), &data), INVALID_HANDLE_VALUE);
}

TEST_F(FindFilesTest, OnlyFindHandlesAreFindHandles) {
    Write(Drive("w/a.txt"), "abc");
    HANDLE file = CreateFileA("c:\\w\\a.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    WIN32_FIND_DATAA data;
    EXPECT_FALSE(FindNextFileA(file, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    char buffer[4] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, buffer, 3, &read, nullptr)) << "the file handle is still open";
    EXPECT_EQ(read, 3u);
    CloseHandle(file);
    EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
    EXPECT_FALSE(FindClose(nullptr));
}

TEST_F(FindFilesTest, TheListIsTakenWhenTheSearchStarts) {
    for (const char* name : {"1.txt", "2.txt", "3.txt"})
        Write(Drive("w/") + name, "x");
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("c:\\w\\*.txt", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "1.txt");
    std::filesystem::remove(Drive("w/2.txt"));
    Write(Drive("w/4.txt"), "x");
    Names rest;
    while (FindNextFileA(find, &data))
        rest.push_back(data.cFileName);
    EXPECT_EQ(rest, (Names{"2.txt", "3.txt"}));
    FindClose(find);
}

} // namespace
