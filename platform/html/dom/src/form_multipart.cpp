#include "form_multipart.h"

#include "qx/win32/codepage.h"

#include <cstdint>

namespace qx::html::dom {
namespace {

// A quoted name may not hold a line break or a quote: they are sent as %0D, %0A and %22, as
// browsers send them.
std::string QuotedName(std::u16string_view name) {
    std::string out;
    for (char c : win32::WideToUtf8(name)) {
        if (c == '"')
            out += "%22";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out.push_back(c);
    }
    return out;
}

// The old browser's boundary shape: dashes and hexadecimal digits; the digits are a hash of the
// content (no clock, so a submission is reproducible), changed until no field holds it.
std::string BoundaryFor(const std::vector<std::pair<std::string, std::string>>& parts) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const auto& [name, value] : parts)
        for (unsigned char c : name + '\0' + value + '\0')
            hash = (hash ^ c) * 1099511628211ull;
    static constexpr char kHex[] = "0123456789abcdef";
    for (;;) {
        std::string boundary = "---------------------------7d";
        for (int shift = 44; shift >= 0; shift -= 4)
            boundary.push_back(kHex[(hash >> shift) & 15]);
        bool clash = false;
        for (const auto& [name, value] : parts)
            clash = clash || name.find(boundary) != std::string::npos ||
                    value.find(boundary) != std::string::npos;
        if (!clash)
            return boundary;
        hash = hash * 6364136223846793005ull + 1442695040888963407ull;
    }
}

} // namespace

MultipartBody EncodeMultipart(const std::vector<FormField>& fields) {
    std::vector<std::pair<std::string, std::string>> parts;
    parts.reserve(fields.size());
    for (const auto& [name, value] : fields)
        parts.emplace_back(QuotedName(name), win32::WideToUtf8(value));
    MultipartBody body;
    body.boundary = BoundaryFor(parts);
    for (const auto& [name, value] : parts)
        body.bytes += "--" + body.boundary + "\r\nContent-Disposition: form-data; name=\"" + name +
                      "\"\r\n\r\n" + value + "\r\n";
    body.bytes += "--" + body.boundary + "--\r\n";
    return body;
}

} // namespace qx::html::dom
