// GetFullPathNameA: "." and ".." resolved, separators made one. A drive-letter path stays a
// drive-letter path with "\" separators; any other path becomes an absolute file system path
// with "/" separators (a relative one against the current folder).
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "errhandlingapi.h"
#include "fileapi.h"
#include "qx/win32/codepage.h"
#include "winerror.h"

namespace {

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&] {
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (char c : path) {
        if (c == '/' || c == '\\') {
            flush();
        } else {
            part += c;
        }
    }
    flush();
    return parts;
}

std::string Join(const std::string& start, const std::vector<std::string>& parts, char separator) {
    std::string out = start;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out += separator;
        }
        out += parts[i];
    }
    return out;
}

} // namespace

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
    if (lpFileName == nullptr || *lpFileName == '\0') {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::string name = lpFileName;
    bool trailing = name.back() == '/' || name.back() == '\\';
    std::string full;
    char separator;
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') {
        separator = '\\';
        full = Join(name.substr(0, 2) + "\\", Components(name.substr(2)), separator);
    } else {
        separator = '/';
        std::string absolute = name;
        if (name[0] != '/' && name[0] != '\\') {
            char cwd[PATH_MAX];
            if (getcwd(cwd, sizeof cwd) == nullptr) {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return 0;
            }
            absolute = qx::win32::Utf8ToAnsi(cwd) + "/" + name;
        }
        full = Join("/", Components(absolute), separator);
    }
    if (trailing && full.back() != separator) {
        full += separator;
    }
    if (lpBuffer == nullptr || nBufferLength < full.size() + 1) {
        return static_cast<DWORD>(full.size() + 1);
    }
    std::memcpy(lpBuffer, full.c_str(), full.size() + 1);
    if (lpFilePart != nullptr) {
        std::string::size_type last = full.find_last_of(separator);
        *lpFilePart = last + 1 < full.size() ? lpBuffer + last + 1 : nullptr;
    }
    return static_cast<DWORD>(full.size());
}
