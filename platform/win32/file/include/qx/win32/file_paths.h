// How ANSI paths of the system become file system paths.
//
// "/" and "\" both separate. A path with a drive letter lies under the drive root: "c:/x" and
// "C:\x" are <root>/c/x. The root is the one set here, else $QX_DRIVE_ROOT, else
// $XDG_DATA_HOME/qxforms/drives, else ~/.local/share/qxforms/drives; a drive's folder is made
// (mode 0700) the first time a path on it is used. The text is converted from the ANSI code
// page to UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "wintypes.h"

namespace qx::win32 {

// Sets the drive root (tests); an empty text goes back to the environment's.
void SetDriveRoot(std::string root);
// The drive root in use, without a trailing "/".
std::string DriveRoot();

// The file system path (UTF-8) of an ANSI path; empty for an empty or null path, for one that
// holds bytes (or, in UTF-16, lone surrogates) that are no characters, and for one with a
// character that no file name may hold (control characters and < > " | ? *).
std::string OsPathFromAnsi(LPCSTR path);
// The same for a UTF-16 path and for a path already in UTF-8.
std::string OsPathFromWide(LPCWSTR path);
std::string OsPathFromUtf8(std::string_view path);

// The per-user temporary folder (UTF-8, ending in "/"): $QX_TEMP_DIR, else
// $TMPDIR/qxforms-<uid>/ (or /tmp/qxforms-<uid>/). It is made with mode 0700 when missing and
// refused when it is not a folder owned by this user (the shared one also when it is a
// symbolic link). Empty on failure, with `error` set to the Win32 error.
std::string TemporaryFolder(DWORD* error = nullptr);

} // namespace qx::win32
