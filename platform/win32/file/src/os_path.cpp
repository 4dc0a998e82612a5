#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "errhandlingapi.h"
#include "file_errors.h"
#include "qx/win32/codepage.h"
#include "qx/win32/file_paths.h"
#include "qx/win32/utf.h"
#include "winerror.h"

namespace qx::win32 {
namespace {

std::mutex& RootLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::string& RootOverride() {
    static auto* root = new std::string;
    return *root;
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Makes every missing folder of `path` (mode 0700).
void MakeFolders(const std::string& path) {
    for (std::string::size_type at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/') {
            std::string prefix = path.substr(0, at);
            if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
                return;
            }
        }
    }
}

} // namespace

void SetDriveRoot(std::string root) {
    std::lock_guard guard(RootLock());
    RootOverride() = WithoutTrailingSlashes(std::move(root));
}

std::string DriveRoot() {
    {
        std::lock_guard guard(RootLock());
        if (!RootOverride().empty()) {
            return RootOverride();
        }
    }
    std::string root = Environment("QX_DRIVE_ROOT");
    if (!root.empty()) {
        return WithoutTrailingSlashes(root);
    }
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty()) {
        data = Environment("HOME") + "/.local/share";
    }
    return WithoutTrailingSlashes(data) + "/qxforms/drives";
}

std::string OsPathFromUtf8(std::string_view text) {
    std::string path(text);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    // The long-path prefix "\\?\" names the same path.
    if (path.rfind("//?/", 0) == 0) {
        path.erase(0, 4);
    }
    // Characters that no file name may hold (a wildcard would be taken for a pattern).
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>\"|?*", c) != nullptr) {
            return {};
        }
    }
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
        std::string folder = DriveRoot() + "/" + drive;
        struct stat st;
        if (stat(folder.c_str(), &st) != 0) {
            MakeFolders(folder);
        }
        std::string rest = path.substr(2);
        if (rest.empty()) {
            return folder;
        }
        return folder + (rest[0] == '/' ? "" : "/") + rest;
    }
    return path;
}

std::string OsPathFromAnsi(LPCSTR path) {
    if (path == nullptr || *path == '\0') {
        return {};
    }
    bool lossy = false;
    std::string utf8 = AnsiToUtf8(path, &lossy);
    return lossy ? std::string() : OsPathFromUtf8(utf8);
}

std::string OsPathFromWide(LPCWSTR path) {
    if (path == nullptr || *path == u'\0') {
        return {};
    }
    // A lone surrogate names no file: it has no UTF-8 form.
    std::u16string_view wide(path);
    return IsWellFormedUtf16(wide) ? OsPathFromUtf8(WideToUtf8(wide)) : std::string();
}

bool ResolveAnsiPath(LPCSTR path, std::string& out) {
    out = OsPathFromAnsi(path);
    if (out.empty()) {
        SetLastError(path == nullptr || *path == '\0' ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

std::string TemporaryFolder(DWORD* error) {
    auto fail = [&](DWORD code) {
        if (error) {
            *error = code;
        }
        return std::string();
    };
    std::string folder = Environment("QX_TEMP_DIR");
    // A folder the user named is taken as it is; the shared one must not be a planted link.
    bool named = !folder.empty();
    if (!named) {
        std::string base = Environment("TMPDIR");
        if (base.empty()) {
            base = "/tmp";
        }
        folder = WithoutTrailingSlashes(base) + "/qxforms-" + std::to_string(geteuid());
    }
    folder = WithoutTrailingSlashes(folder);
    if (named) {
        MakeFolders(folder);
    } else if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return fail(Win32ErrorFromErrno(errno));
    }
    struct stat st;
    if ((named ? stat(folder.c_str(), &st) : lstat(folder.c_str(), &st)) != 0) {
        return fail(Win32ErrorFromErrno(errno));
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
        return fail(ERROR_ACCESS_DENIED);
    }
    if (!named && (st.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        return fail(ERROR_ACCESS_DENIED);
    }
    if (error) {
        *error = ERROR_SUCCESS;
    }
    return folder == "/" ? folder : folder + "/";
}

} // namespace qx::win32
