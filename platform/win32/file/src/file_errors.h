// Win32 error codes for the file system's errno values.
#pragma once

#include <string>

#include "wintypes.h"

namespace qx::win32 {

DWORD Win32ErrorFromErrno(int error);
// ERROR_PATH_NOT_FOUND when the folder of `osPath` is missing, else ERROR_FILE_NOT_FOUND.
DWORD MissingPathError(const std::string& osPath);
// Sets the last error from errno (with the missing-path distinction for ENOENT).
void SetLastErrorFromErrno(int error, const std::string& osPath);

// The file system path of an ANSI path; false (last error set) for an empty path or one with
// bytes that are no characters of the ANSI code page.
bool ResolveAnsiPath(LPCSTR path, std::string& out);

} // namespace qx::win32
