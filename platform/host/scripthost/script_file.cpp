#include "script_file.h"

#include <qx/win32/codepage.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace qx::host {
namespace {

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    if (bytes.size() % 2 != 0)
        units += u'\xFFFD';
    return win32::WideToUtf8(units); // a lone surrogate becomes U+FFFD there
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::string DecodeScriptBytes(std::string_view bytes) {
    if (StartsWith(bytes, "\xFF\xFE"))
        return Utf16ToUtf8(bytes.substr(2), false);
    if (StartsWith(bytes, "\xFE\xFF"))
        return Utf16ToUtf8(bytes.substr(2), true);
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        return win32::WideToUtf8(win32::Utf8ToWide(bytes.substr(3)));
    std::u16string ignored;
    if (win32::Utf8ToWideStrict(bytes, ignored))
        return std::string(bytes);
    return win32::AnsiToUtf8(bytes);
}

std::string ReadScriptFile(const std::string& path, std::string& utf8) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return "it is a folder, not a script file";
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::strerror(errno != 0 ? errno : ENOENT);
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, got);
        if (bytes.size() > kMaxScriptBytes)
            return "it is larger than " + std::to_string(kMaxScriptBytes >> 20) + " MiB";
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(file.get()))
        return std::strerror(errno != 0 ? errno : EIO);
    utf8 = DecodeScriptBytes(bytes);
    return {};
}

} // namespace qx::host
