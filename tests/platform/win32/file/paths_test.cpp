// Drive letters, separators, ANSI names on disk, short and full path forms.
#include <cstring>

#include "errhandlingapi.h"
#include "file_fixture.h"
#include "fileapi.h"
#include "handleapi.h"
#include "shlwapi_path.h"
#include "winerror.h"

namespace {

struct DriveCase {
    const char* path;
    const char* underRoot;
};

class DriveMapping : public FileTest, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(DriveMapping, DrivePathsLieUnderTheRoot) {
    EXPECT_EQ(qx::win32::OsPathFromAnsi(GetParam().path), dir_ + "/drives" + GetParam().underRoot);
}

INSTANTIATE_TEST_SUITE_P(Paths, DriveMapping,
                         ::testing::Values(DriveCase{"c:/test.htm", "/c/test.htm"},
                                           DriveCase{"C:\\dir\\x", "/c/dir/x"}, DriveCase{"d:", "/d"},
                                           DriveCase{"D:rel\\x.txt", "/d/rel/x.txt"},
                                           DriveCase{"\\\\?\\C:\\long", "/c/long"}));

TEST_F(FileTest, AFileMadeOnADriveIsFoundUnderTheRoot) {
    HANDLE h =
        CreateFileA("c:/test.htm", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n;
    WriteFile(h, "<html>", 6, &n, nullptr);
    CloseHandle(h);
    EXPECT_EQ(Read(dir_ + "/drives/c/test.htm"), "<html>");
    EXPECT_TRUE(PathFileExistsA("C:\\TEST.htm") == FALSE); // names keep their case
    EXPECT_TRUE(PathFileExistsA("C:\\test.htm"));
    EXPECT_TRUE(CreateDirectoryA("C:\\dir", nullptr));
    EXPECT_EQ(GetFileAttributesA("c:/dir/"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(FileTest, KoreanAnsiNamesArriveAsUtf8) {
    // "문서.txt" in code page 949.
    std::string ansi = Path("\xB9\xAE\xBC\xAD.txt");
    HANDLE h = CreateFileA(ansi.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(std::filesystem::exists(Path("문서.txt")));
    EXPECT_TRUE(PathFileExistsA(ansi.c_str()));
    EXPECT_TRUE(DeleteFileA(ansi.c_str()));
    EXPECT_FALSE(std::filesystem::exists(Path("문서.txt")));
}

TEST_F(FileTest, NamesWithBytesThatAreNoCharactersAreRefused) {
    std::string bad = Path("a\x80.txt");
    EXPECT_EQ(CreateFileA(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(std::filesystem::exists(Path("a?.txt")));
    for (const char* name : {"a?b.gif", "a*.txt", "a|b", "a\"b", "a<b>", "a\tb"}) {
        std::string path = Path(name);
        EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
                  INVALID_HANDLE_VALUE)
            << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << name;
        EXPECT_FALSE(PathFileExistsA(path.c_str())) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(FileTest, ShortPathIsThePathItself) {
    std::string file = Path("Long File Name.html");
    Write(file, "");
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(file.c_str(), buffer, MAX_PATH);
    EXPECT_EQ(std::string(buffer, n), file);
    EXPECT_EQ(GetShortPathNameA(file.c_str(), buffer, 3), file.size() + 1);
    // In place, as callers of the converter do.
    std::strcpy(buffer, file.c_str());
    EXPECT_EQ(GetShortPathNameA(buffer, buffer, MAX_PATH), file.size());
    std::string missing = Path("missing");
    EXPECT_EQ(GetShortPathNameA(missing.c_str(), buffer, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileTest, LongPathIsTheCanonicalPathOfAnExistingFile) {
    std::string file = Path("Long File Name.html");
    Write(file, "");
    std::string canonical = std::filesystem::canonical(file).string();
    std::filesystem::create_symlink(file, Path("alias.html"));
    struct Case {
        std::string in;
        DWORD error; // 0: succeeds with the canonical path
    };
    const Case cases[] = {
        {file, 0},
        {dir_ + "/./sub/../Long File Name.html", 0},
        {Path("alias.html"), 0},
        {dir_ + "\\Long File Name.html", 0},
        {Path("missing.html"), ERROR_FILE_NOT_FOUND},
        {Path("long file name.html"), ERROR_FILE_NOT_FOUND}, // names keep their case
        {"", ERROR_PATH_NOT_FOUND},
    };
    std::filesystem::create_directory(Path("sub"));
    for (const Case& c : cases) {
        char buffer[MAX_PATH];
        SetLastError(0);
        DWORD n = GetLongPathNameA(c.in.c_str(), buffer, MAX_PATH);
        if (c.error == 0) {
            EXPECT_EQ(std::string(buffer, n), canonical) << c.in;
        } else {
            EXPECT_EQ(n, 0u) << c.in;
            EXPECT_EQ(GetLastError(), c.error) << c.in;
        }
    }
    char small[4];
    EXPECT_EQ(GetLongPathNameA(file.c_str(), small, sizeof small), canonical.size() + 1);
    EXPECT_EQ(GetLongPathNameA(nullptr, small, sizeof small), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

struct FullPathCase {
    const char* in;
    const char* out;
    const char* filePart;
};

class FullPaths : public ::testing::TestWithParam<FullPathCase> {};

TEST_P(FullPaths, DotsAndSeparatorsAreResolved) {
    char buffer[MAX_PATH];
    LPSTR part = nullptr;
    DWORD n = GetFullPathNameA(GetParam().in, MAX_PATH, buffer, &part);
    EXPECT_EQ(std::string(buffer, n), GetParam().out);
    if (GetParam().filePart == nullptr) {
        EXPECT_EQ(part, nullptr);
    } else {
        ASSERT_NE(part, nullptr);
        EXPECT_STREQ(part, GetParam().filePart);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, FullPaths,
                         ::testing::Values(FullPathCase{"c:/dir/../x.htm", "c:\\x.htm", "x.htm"},
                                           FullPathCase{"C:\\a\\.\\b\\", "C:\\a\\b\\", nullptr},
                                           FullPathCase{"c:\\..\\..", "c:\\", nullptr},
                                           FullPathCase{"/tmp//a/./b/../c", "/tmp/a/c", "c"},
                                           FullPathCase{"\\tmp\\x", "/tmp/x", "x"}));

TEST(FullPath, RelativeNamesJoinTheCurrentFolder) {
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA("x/../y.txt", MAX_PATH, buffer, nullptr);
    EXPECT_EQ(std::string(buffer, n), std::filesystem::current_path().string() + "/y.txt");
    EXPECT_EQ(GetFullPathNameA("abc", 2, buffer, nullptr),
              std::filesystem::current_path().string().size() + 5);
    EXPECT_EQ(GetFullPathNameA("", MAX_PATH, buffer, nullptr), 0u);
}

} // namespace
