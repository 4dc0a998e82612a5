// Delete, copy, move, attributes, folders, existence.
#include <sys/stat.h>

#include "errhandlingapi.h"
#include "file_fixture.h"
#include "fileapi.h"
#include "shlwapi_path.h"
#include "winbase_file.h"
#include "winerror.h"

namespace {

TEST_F(FileTest, DeleteFileRemovesFilesOnly) {
    std::string file = Path("a.txt");
    Write(file, "x");
    EXPECT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(DeleteFileA(file.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA(dir_.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    Write(file, "x");
    chmod(file.c_str(), 0444);
    EXPECT_FALSE(DeleteFileA(file.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileTest, CopyFileKeepsOrReplacesAsAsked) {
    std::string from = Path("from.txt"), to = Path("to.txt");
    Write(from, "new");
    Write(to, "old");
    EXPECT_FALSE(CopyFileA(from.c_str(), to.c_str(), TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(Read(to), "old");
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE));
    EXPECT_EQ(Read(to), "new");
    // Copying a file onto itself fails and keeps its content.
    EXPECT_FALSE(CopyFileA(from.c_str(), from.c_str(), FALSE));
    EXPECT_EQ(Read(from), "new");
    std::string missing = Path("missing");
    EXPECT_FALSE(CopyFileA(missing.c_str(), to.c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileTest, MoveFileNeverReplaces) {
    std::string from = Path("from.txt"), to = Path("to.txt");
    Write(from, "a");
    Write(to, "b");
    EXPECT_FALSE(MoveFileA(from.c_str(), to.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(Read(to), "b");
    std::string moved = Path("moved.txt");
    EXPECT_TRUE(MoveFileA(from.c_str(), moved.c_str()));
    EXPECT_EQ(Read(moved), "a");
    EXPECT_FALSE(std::filesystem::exists(from));
}

TEST_F(FileTest, ReplaceFileKeepsTheReplacedModeOrLeavesBothFiles) {
    struct Case {
        const char* name;
        bool replacedExists;
        DWORD flags;
        bool succeeds;
        DWORD error;
    };
    const Case cases[] = {
        {"replaces", true, 0, true, 0},
        {"no replaced file", false, 0, false, ERROR_FILE_NOT_FOUND},
        {"flags are not offered", true, 1, false, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string replaced = Path("old.txt"), replacement = Path("new.tmp");
        std::filesystem::remove(replaced);
        if (c.replacedExists) {
            Write(replaced, "old");
            chmod(replaced.c_str(), 0640);
        }
        Write(replacement, "new");
        chmod(replacement.c_str(), 0600);
        EXPECT_EQ(ReplaceFileA(replaced.c_str(), replacement.c_str(), nullptr, c.flags, nullptr, nullptr) !=
                      FALSE,
                  c.succeeds);
        if (c.succeeds) {
            EXPECT_EQ(Read(replaced), "new");
            EXPECT_FALSE(std::filesystem::exists(replacement));
            struct stat st;
            ASSERT_EQ(stat(replaced.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0640u);
        } else {
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_EQ(Read(replacement), "new");
            EXPECT_EQ(std::filesystem::exists(replaced), c.replacedExists);
            if (c.replacedExists) {
                EXPECT_EQ(Read(replaced), "old");
            }
        }
        std::filesystem::remove(replacement);
    }
}

TEST_F(FileTest, MoveFileCrossesFileSystems) {
    // /dev/shm is a memory file system on every Linux machine; the scratch folder is not.
    if (!std::filesystem::exists("/dev/shm")) {
        GTEST_SKIP() << "no /dev/shm";
    }
    std::string from = "/dev/shm/qx-move-" + std::to_string(getpid());
    Write(from, "across");
    std::string to = Path("across.txt");
    EXPECT_TRUE(MoveFileA(from.c_str(), to.c_str()));
    EXPECT_EQ(Read(to), "across");
    EXPECT_FALSE(std::filesystem::exists(from));
}

TEST_F(FileTest, AttributesFoldersAndExistence) {
    std::string folder = Path("sub");
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(PathFileExistsA(folder.c_str()));
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    std::string deep = Path("no/such");
    EXPECT_FALSE(CreateDirectoryA(deep.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(PathFileExistsA(folder.c_str()));
    std::string file = folder + "\\f.txt"; // either separator
    Write(Path("sub/f.txt"), "");
    EXPECT_EQ(GetFileAttributesA(file.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(PathFileExistsA(file.c_str()));
    EXPECT_FALSE(PathFileExistsA(nullptr));
    EXPECT_FALSE(PathFileExistsA(""));
}

} // namespace
