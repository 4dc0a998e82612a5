// A component file from an untrusted place: its ELF section table, the resource section and the
// packed blobs in it. Every lookup the resource functions make must stay inside the input.
#include "qx/module/elf_section.h"
#include "qx/resource/blob_format.h"
#include "qx/resource/resource_set.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

void Walk(std::span<const std::byte> section) {
    auto set = qx::resource::ResourceSet::Parse(section);
    if (!set) {
        return;
    }
    volatile unsigned sum = 0;
    for (const auto& e : set->Entries()) {
        for (std::byte b : e.data) {
            sum = sum + static_cast<unsigned>(b);
        }
        DWORD error = 0;
        set->Find(e.type, e.name, 0, &error);
        set->Find(e.type, e.name, e.language, &error);
        set->Names(e.type);
        set->FindRecord(e.record);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::byte> input(reinterpret_cast<const std::byte*>(data), size);
    auto section = qx::module::ReadElfSection(input, qx::resource::format::kSectionName, 1u << 24);
    if (section.error == qx::module::ElfSectionError::None) {
        Walk(section.bytes);
    }
    // The same bytes taken as a resource section on their own, copied so that the bounds are exact.
    std::vector<std::byte> copy(input.begin(), input.end());
    Walk(copy);
    return 0;
}
