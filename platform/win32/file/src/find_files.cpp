// Finding files: FindFirstFileA reads the matching entries of one folder at once into a find
// handle, FindNextFileA hands them out in turn, FindClose drops the handle.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "errhandlingapi.h"
#include "file_errors.h"
#include "fileapi.h"
#include "find_pattern.h"
#include "qx/win32/codepage.h"
#include "qx/win32/file_paths.h"
#include "qx/win32/kernel_object.h"
#include "winerror.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr long long kEpochDifference = 11644473600LL;

struct FoundEntry {
    std::u16string sortKey;
    WIN32_FIND_DATAA data;
};

class FindObject : public qx::win32::KernelObject {
public:
    explicit FindObject(std::vector<FoundEntry> entries) : entries_(std::move(entries)) {}
    // The next entry after the first, which FindFirstFileA has already given.
    bool Next(WIN32_FIND_DATAA* data) {
        std::lock_guard guard(lock_);
        if (next_ >= entries_.size())
            return false;
        *data = entries_[next_++].data;
        return true;
    }

private:
    std::mutex lock_;
    std::vector<FoundEntry> entries_;
    std::size_t next_ = 1;
};

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

FILETIME FileTimeOf(const struct statx_timestamp& time) {
    long long seconds = static_cast<long long>(time.tv_sec) + kEpochDifference;
    unsigned long long ticks =
        seconds < 0 ? 0 : static_cast<unsigned long long>(seconds) * 10000000ULL + time.tv_nsec / 100;
    FILETIME out;
    out.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    out.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return out;
}

// The entry of one existing path under the given ANSI name; false (errno set) when the path
// cannot be read.
bool DescribePath(const std::string& osPath, const std::string& ansiName, WIN32_FIND_DATAA& data) {
    struct statx st;
    if (statx(AT_FDCWD, osPath.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return false;
    std::memset(&data, 0, sizeof data);
    const bool folder = S_ISDIR(st.stx_mode);
    DWORD attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (!folder && (st.stx_mode & S_IWUSR) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    data.dwFileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    const unsigned long long size = folder ? 0 : st.stx_size;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    data.ftLastWriteTime = FileTimeOf(st.stx_mtime);
    data.ftLastAccessTime = FileTimeOf(st.stx_atime);
    // A file system that keeps no birth time gives the last write as the creation.
    data.ftCreationTime = (st.stx_mask & STATX_BTIME) ? FileTimeOf(st.stx_btime) : data.ftLastWriteTime;
    std::memcpy(data.cFileName, ansiName.data(), ansiName.size());
    return true;
}

std::u16string SortKey(const std::u16string& name) {
    std::u16string key = name;
    for (char16_t& c : key)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return key;
}

bool IsSeparator(char16_t c) {
    return c == u'/' || c == u'\\';
}

// A name part that no file name may hold, wildcards aside.
bool HasBadCharacters(const std::u16string& name) {
    return std::any_of(name.begin(), name.end(), [](char16_t c) {
        return c < 0x20 || c == u'<' || c == u'>' || c == u'"' || c == u'|';
    });
}

// Reads the folder's entries that match; false with the last error set when the folder cannot
// be read.
bool ListFolder(const std::string& osFolder, const std::u16string& pattern, bool withDots,
                std::vector<FoundEntry>& found) {
    DIR* dir = opendir(osFolder.c_str());
    if (!dir) {
        const int error = errno;
        SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                         : qx::win32::Win32ErrorFromErrno(error));
        return false;
    }
    std::vector<FoundEntry> dots;
    while (const dirent* entry = readdir(dir)) {
        const std::string utf8 = entry->d_name;
        const bool dot = utf8 == "." || utf8 == "..";
        if (dot && !withDots)
            continue;
        const std::u16string wide = qx::win32::Utf8ToWide(utf8);
        if (wide.find(u'\uFFFD') != std::u16string::npos || !qx::win32::MatchesPattern(pattern, wide))
            continue;
        // A name that cannot be said in the code page would lead the caller to another file.
        bool lossy = false;
        const std::string ansi = qx::win32::WideToAnsi(wide, &lossy);
        if (lossy || ansi.size() >= MAX_PATH)
            continue;
        FoundEntry item{SortKey(wide), {}};
        if (!DescribePath(osFolder + "/" + utf8, ansi, item.data))
            continue; // gone since the listing, or a dangling link
        (dot ? dots : found).push_back(std::move(item));
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [](const FoundEntry& a, const FoundEntry& b) {
        if (a.sortKey != b.sortKey)
            return a.sortKey < b.sortKey;
        return std::strcmp(a.data.cFileName, b.data.cFileName) < 0;
    });
    std::sort(dots.begin(), dots.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return a.sortKey < b.sortKey; });
    found.insert(found.begin(), dots.begin(), dots.end());
    return true;
}

} // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (!lpFindFileData)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!lpFileName || !*lpFileName)
        return Fail(ERROR_PATH_NOT_FOUND);
    bool lossy = false;
    const std::u16string text = qx::win32::AnsiToWide(lpFileName, &lossy);
    if (lossy)
        return Fail(ERROR_INVALID_NAME);

    // The folder part keeps its trailing separator, so that "c:\x" looks in the drive's root.
    std::u16string folder, name;
    const std::size_t slash = text.find_last_of(u"/\\");
    if (slash != std::u16string::npos) {
        folder = text.substr(0, slash + 1);
        name = text.substr(slash + 1);
    } else if (text.size() >= 2 && text[1] == u':') {
        folder = text.substr(0, 2);
        name = text.substr(2);
    } else {
        folder = u".";
        name = text;
    }
    if (name.empty())
        return Fail(ERROR_FILE_NOT_FOUND);
    if (HasBadCharacters(name))
        return Fail(ERROR_INVALID_NAME);
    const std::string osFolder = qx::win32::OsPathFromUtf8(qx::win32::WideToUtf8(folder));
    if (osFolder.empty())
        return Fail(ERROR_INVALID_NAME);

    std::vector<FoundEntry> found;
    if (qx::win32::HasWildcards(name)) {
        std::u16string bare = folder;
        while (!bare.empty() && IsSeparator(bare.back()))
            bare.pop_back();
        const bool driveRoot = bare.size() == 2 && bare[1] == u':';
        if (!ListFolder(osFolder, name, !driveRoot && osFolder != "/", found))
            return INVALID_HANDLE_VALUE;
        if (found.empty())
            return Fail(ERROR_FILE_NOT_FOUND);
    } else {
        const std::string ansiName = qx::win32::WideToAnsi(name);
        if (ansiName.size() >= MAX_PATH)
            return Fail(ERROR_FILENAME_EXCED_RANGE);
        const std::string osPath = osFolder + "/" + qx::win32::WideToUtf8(name);
        FoundEntry item{SortKey(name), {}};
        if (!DescribePath(osPath, ansiName, item.data)) {
            const int error = errno;
            return Fail(error == ENOENT    ? qx::win32::MissingPathError(osPath)
                        : error == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                           : qx::win32::Win32ErrorFromErrno(error));
        }
        found.push_back(std::move(item));
    }
    const WIN32_FIND_DATAA first = found.front().data;
    HANDLE handle = qx::win32::InsertHandle(std::make_shared<FindObject>(std::move(found)));
    if (!handle)
        return Fail(ERROR_TOO_MANY_OPEN_FILES);
    *lpFindFileData = first;
    return handle;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    auto find = qx::win32::ReferenceHandleAs<FindObject>(hFindFile);
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!find->Next(lpFindFileData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    if (!qx::win32::ReferenceHandleAs<FindObject>(hFindFile) || !qx::win32::RemoveHandle(hFindFile)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
