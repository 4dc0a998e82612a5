#include "file_dialog_path.h"

#include <sys/stat.h>

#include <cctype>

#include "qx/win32/file_paths.h"

namespace qx::win32 {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsAbsolute(std::string_view path) {
    if (!path.empty() && IsSeparator(path[0])) {
        return true;
    }
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// The first `count` characters of UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size() && seen < count; ++seen) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
            ++at;
        }
    }
    return text.substr(0, at);
}

} // namespace

std::size_t FileNameOffset(std::string_view path) {
    std::size_t at = path.find_last_of("\\/");
    return at == std::string_view::npos ? 0 : at + 1;
}

std::string ResolveAgainstFolder(std::string_view answer, std::string_view folder) {
    if (IsAbsolute(answer) || folder.empty()) {
        return std::string(answer);
    }
    bool backslashes = folder.find('\\') != std::string_view::npos ||
                       (folder.size() >= 2 && folder[1] == ':' && folder.find('/') == std::string_view::npos);
    std::string joined(folder);
    if (!IsSeparator(joined.back())) {
        joined += backslashes ? '\\' : '/';
    }
    return joined.append(answer);
}

std::string WithDefaultExtension(std::string path, std::string_view defaultExtension) {
    std::string_view extension = FirstCharacters(defaultExtension, 3);
    if (extension.empty() || path.find('.', FileNameOffset(path)) != std::string::npos) {
        return path;
    }
    return path.append(".").append(extension);
}

std::string FolderOf(std::string_view path) {
    std::size_t offset = FileNameOffset(path);
    if (offset == 0) {
        return {};
    }
    // The root keeps its separator: "c:\" and "/".
    bool root = offset == 1 || (offset == 3 && path[1] == ':');
    return std::string(path.substr(0, root ? offset : offset - 1));
}

PathState ProbePath(std::string_view path) {
    std::size_t nameAt = FileNameOffset(path);
    if (nameAt >= path.size()) {
        return PathState::Invalid;
    }
    std::string osPath = OsPathFromUtf8(path);
    if (osPath.empty()) {
        return PathState::Invalid;
    }
    struct stat info {};
    if (::stat(osPath.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode) ? PathState::IsFolder : PathState::Exists;
    }
    std::string folder = FolderOf(path);
    if (folder.empty()) {
        return PathState::FileMissing;
    }
    std::string osFolder = OsPathFromUtf8(folder);
    if (osFolder.empty() || ::stat(osFolder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return PathState::FolderMissing;
    }
    return PathState::FileMissing;
}

} // namespace qx::win32
