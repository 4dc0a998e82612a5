// The path a file dialog returns, worked out from the driver's answer (UTF-8 throughout).
#pragma once

#include <string>
#include <string_view>

namespace qx::win32 {

// The offset of the file name: just past the last "\" or "/" (0 when there is none).
std::size_t FileNameOffset(std::string_view path);

// The answer made absolute against the dialog's folder when it is relative (a drive-letter or
// rooted path stays as it is); the folder's own separator joins them.
std::string ResolveAgainstFolder(std::string_view answer, std::string_view folder);

// The path with "." and the first three characters of the default extension appended when its
// file name has no extension.
std::string WithDefaultExtension(std::string path, std::string_view defaultExtension);

// The folder part of a path ("" when it has none).
std::string FolderOf(std::string_view path);

enum class PathState { Invalid, FolderMissing, FileMissing, IsFolder, Exists };

// What lies at the path in the platform's file system.
PathState ProbePath(std::string_view path);

} // namespace qx::win32
