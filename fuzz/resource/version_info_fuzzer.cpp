// Version information from an untrusted file: the block walker and VerQueryValueA on a buffer
// laid out as GetFileVersionInfoA lays it out.
#include "qx/resource/version_block.h"
#include "winver.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const char* const kPaths[] = {"\\",
                              "",
                              "\\VarFileInfo\\Translation",
                              "\\StringFileInfo\\041204b0\\FileVersion",
                              "\\StringFileInfo\\041204b0\\CompanyName",
                              "\\StringFileInfo",
                              "\\StringFileInfo\\041204b0",
                              "\\\\VarFileInfo\\\\",
                              "\\a\\b\\c\\d\\e"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::byte> block(reinterpret_cast<const std::byte*>(data), size);
    for (const char* path : kPaths) {
        if (auto value = qx::resource::FindVersionValue(block, path)) {
            if (value->offset > size || value->bytes > size - value->offset) {
                __builtin_trap();
            }
        }
    }
    std::size_t raw = qx::resource::VersionBlockLength(block);
    if (raw < 6) {
        return 0;
    }
    // The caller's buffer: the resource, a marker and the area for ANSI strings.
    std::size_t at = (raw + 3) & ~std::size_t{3};
    std::vector<unsigned char> buffer(at + 8 + raw, 0);
    std::memcpy(buffer.data(), data, raw);
    std::memcpy(buffer.data() + at, "QXVA", 4);
    std::uint32_t area = static_cast<std::uint32_t>(raw);
    std::memcpy(buffer.data() + at + 4, &area, 4);
    for (const char* path : kPaths) {
        LPVOID value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(buffer.data(), path, &value, &length)) {
            auto* p = static_cast<unsigned char*>(value);
            if (p < buffer.data() || p + length > buffer.data() + buffer.size()) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
