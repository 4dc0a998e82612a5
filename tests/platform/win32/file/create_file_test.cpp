// CreateFile dispositions, reads, writes, the file pointer and the size.
#include <sys/stat.h>

#include "errhandlingapi.h"
#include "file_fixture.h"
#include "fileapi.h"
#include "handleapi.h"
#include "winerror.h"

namespace {

struct DispositionCase {
    const char* name;
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD error;         // last error after the call
    const char* content; // file content afterwards (nullptr: no file)
};

class Dispositions : public FileTest, public ::testing::WithParamInterface<DispositionCase> {};

TEST_P(Dispositions, OpenCreateOrFailAsDocumented) {
    const DispositionCase& c = GetParam();
    std::string path = Path("file.txt");
    if (c.exists) {
        Write(path, "old");
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           c.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    if (h != INVALID_HANDLE_VALUE) {
        EXPECT_TRUE(CloseHandle(h));
    }
    if (c.content == nullptr) {
        EXPECT_FALSE(std::filesystem::exists(path));
    } else {
        EXPECT_EQ(Read(path), c.content);
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, Dispositions,
    ::testing::Values(
        DispositionCase{"CreateNewAbsent", CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        DispositionCase{"CreateNewPresent", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        DispositionCase{"CreateAlwaysAbsent", CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        DispositionCase{"CreateAlwaysPresent", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        DispositionCase{"OpenExistingAbsent", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        DispositionCase{"OpenExistingPresent", OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
        DispositionCase{"OpenAlwaysAbsent", OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        DispositionCase{"OpenAlwaysPresent", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        DispositionCase{"TruncateAbsent", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        DispositionCase{"TruncatePresent", TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
        DispositionCase{"Unknown", 9, false, false, ERROR_INVALID_PARAMETER, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileTest, MissingFolderIsPathNotFound) {
    std::string path = Path("no/such/file");
    EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(CreateFileA("", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // A folder is no file.
    EXPECT_EQ(CreateFileA(dir_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileTest, WriteSeekReadAndSize) {
    std::string path = Path("data.bin");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string data("0123456789\0abc", 14);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
    EXPECT_EQ(written, 14u);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 14u);
    EXPECT_EQ(high, 0u);
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(h, &size));
    EXPECT_EQ(size.QuadPart, 14);

    EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
    char buffer[32] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(h, buffer, 3, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "234");
    EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 10u);
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), std::string("\0abc", 4));
    // At the end a read succeeds with no bytes.
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_CURRENT), 11u);

    EXPECT_EQ(SetFilePointer(h, -100, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    LONG highPart = 1; // 4 GiB + 5: beyond 32 bits with a high part is fine
    EXPECT_EQ(SetFilePointer(h, 5, &highPart, FILE_BEGIN), 5u);
    EXPECT_EQ(highPart, 1);
    LARGE_INTEGER distance, position;
    distance.QuadPart = 3;
    ASSERT_TRUE(SetFilePointerEx(h, distance, &position, FILE_BEGIN));
    EXPECT_EQ(position.QuadPart, 3);
    CloseHandle(h);
    EXPECT_EQ(Read(path), data);
}

TEST_F(FileTest, AccessIsChecked) {
    std::string path = Path("a.txt");
    Write(path, "abc");
    HANDLE reader =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD n = 0;
    EXPECT_FALSE(WriteFile(reader, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    OVERLAPPED overlapped{};
    char c;
    EXPECT_FALSE(ReadFile(reader, &c, 1, &n, &overlapped));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(reader);
    EXPECT_FALSE(ReadFile(reader, &c, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // Truncation needs write access.
    EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(Read(path), "abc");
}

TEST_F(FileTest, DeleteOnCloseAndReadOnlyCreation) {
    std::string path = Path("gone.tmp");
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(std::filesystem::exists(path));
    CloseHandle(h);
    EXPECT_FALSE(std::filesystem::exists(path));
    std::string locked = Path("locked.txt");
    h = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    CloseHandle(h);
    EXPECT_EQ(GetFileAttributesA(locked.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST_F(FileTest, WideNamesOpenTheSameFiles) {
    std::string path = Path("가.txt");
    std::u16string wide = u"";
    for (char c : dir_) {
        wide += static_cast<char16_t>(c);
    }
    wide += u"/\uAC00.txt";
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(std::filesystem::exists(path));
}

} // namespace
