// The "HTML Format" text: written with its offsets, read by them or by its fragment comments.
#include "qx/html/editing/clipboard_html.h"

#include "qx/com/bstr.h"

#include <cstdio>

namespace qx::html::editing {

namespace {

constexpr std::string_view kStartComment = "<!--StartFragment-->";
constexpr std::string_view kEndComment = "<!--EndFragment-->";

std::string Offset(std::size_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010zu", value);
    return digits;
}

// The value of a header line "Name:digits"; nothing when absent or not a number that fits.
std::optional<std::size_t> HeaderNumber(std::string_view header, std::string_view name) {
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = header.size();
        const std::string_view line = header.substr(at, end - at);
        if (line.size() > name.size() && line.substr(0, name.size()) == name && line[name.size()] == ':') {
            std::size_t value = 0;
            const std::string_view digits = line.substr(name.size() + 1);
            if (digits.empty() || digits.size() > 12)
                return std::nullopt;
            for (char c : digits) {
                if (c < '0' || c > '9')
                    return std::nullopt;
                value = value * 10 + static_cast<std::size_t>(c - '0');
            }
            return value;
        }
        at = end + 1;
    }
    return std::nullopt;
}

} // namespace

std::string MakeClipboardHtml(std::u16string_view fragment) {
    const std::string body = com::Utf16ToUtf8(fragment);
    const std::string before = "<html><body>\r\n" + std::string(kStartComment);
    const std::string after = std::string(kEndComment) + "\r\n</body>\r\n</html>";
    // The header has a fixed length: five lines, each number ten digits.
    const std::string headerShape = "Version:0.9\r\nStartHTML:0000000000\r\nEndHTML:0000000000\r\n"
                                    "StartFragment:0000000000\r\nEndFragment:0000000000\r\n";
    const std::size_t startHtml = headerShape.size();
    const std::size_t startFragment = startHtml + before.size();
    const std::size_t endFragment = startFragment + body.size();
    const std::size_t endHtml = endFragment + after.size();
    return "Version:0.9\r\nStartHTML:" + Offset(startHtml) + "\r\nEndHTML:" + Offset(endHtml) +
           "\r\nStartFragment:" + Offset(startFragment) + "\r\nEndFragment:" + Offset(endFragment) + "\r\n" +
           before + body + after;
}

std::optional<std::u16string> ClipboardHtmlFragment(std::string_view bytes) {
    // A block read from the clipboard may end in NULs.
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    const std::size_t headerEnd = std::min(bytes.find('<'), bytes.size());
    const std::string_view header = bytes.substr(0, headerEnd);
    const std::optional<std::size_t> start = HeaderNumber(header, "StartFragment");
    const std::optional<std::size_t> end = HeaderNumber(header, "EndFragment");
    if (start && end && *start <= *end && *end <= bytes.size() && *start >= headerEnd)
        return com::Utf8ToUtf16(bytes.substr(*start, *end - *start));
    const std::size_t open = bytes.find(kStartComment);
    if (open == std::string_view::npos)
        return std::nullopt;
    const std::size_t from = open + kStartComment.size();
    const std::size_t close = bytes.find(kEndComment, from);
    if (close == std::string_view::npos)
        return std::nullopt;
    return com::Utf8ToUtf16(bytes.substr(from, close - from));
}

} // namespace qx::html::editing
