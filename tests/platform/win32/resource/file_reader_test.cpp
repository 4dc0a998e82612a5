#include "qx/module/elf_section.h"
#include "qx/module/loader.h"
#include "qx/resource/blob_format.h"
#include "qx/resource/file_resources.h"
#include "qx/resource/resource_set.h"
#include "winerror.h"
#include "winmodule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

using qx::module::ElfSectionError;
using qx::module::ReadElfSection;
using qx::resource::ResourceId;
using qx::resource::ResourceSet;

std::vector<std::byte> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::memcpy(bytes.data(), chars.data(), chars.size());
    return bytes;
}

constexpr std::size_t kMax = qx::resource::format::kMaxBlobSize;

void Put(std::vector<std::byte>& file, std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        file[at + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    }
}

// Where the resource section's bytes sit in the file.
std::size_t SectionOffset(const std::vector<std::byte>& file, const std::vector<std::byte>& section) {
    auto it = std::search(file.begin(), file.end(), section.begin(), section.begin() + 64);
    return static_cast<std::size_t>(it - file.begin());
}

TEST(FileReader, FindsTheSameBlobAsTheLoadedModule) {
    auto file = ReadAll(QX_TEST_MODULE_A);
    auto section = ReadElfSection(file, "qxrsrc", kMax);
    ASSERT_EQ(section.error, ElfSectionError::None);
    HMODULE module = LoadLibraryA(QX_TEST_MODULE_A);
    ASSERT_NE(module, nullptr);
    auto loaded = qx::module::ModuleResources(module);
    ASSERT_TRUE(loaded.has_value());
    ASSERT_FALSE(loaded->empty());
    ASSERT_GE(section.bytes.size(), loaded->size());
    EXPECT_TRUE(std::equal(loaded->begin(), loaded->end(), section.bytes.begin()));
    FreeLibrary(module);

    DWORD error = 0;
    auto resources = qx::resource::FileResources::Open(QX_TEST_MODULE_B, &error);
    ASSERT_TRUE(resources.has_value()) << error;
    auto tlb = resources->Read(*ResourceId::FromAnsi("TYPELIB"), ResourceId::FromNumber(1), 0, &error);
    ASSERT_TRUE(tlb.has_value());
    EXPECT_EQ(std::memcmp(tlb->data(), "MSFT", 4), 0);
    EXPECT_FALSE(resources->Read(*ResourceId::FromAnsi("TYPELIB"), ResourceId::FromNumber(2), 0, &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(FileReader, DamagedHeadersFailCleanly) {
    const auto intact = ReadAll(QX_TEST_MODULE_A);
    ASSERT_GT(intact.size(), 4096u);
    const std::uint64_t shoff = [&] {
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) {
            v = (v << 8) | static_cast<std::uint8_t>(intact[40 + i]);
        }
        return v;
    }();
    struct Case {
        const char* label;
        std::size_t at;
        std::uint64_t value;
        int bytes;
    } cases[] = {
        {"not ELF", 0, 0x7F454C45, 4},
        {"unknown class", 4, 9, 1},
        {"big-endian", 5, 2, 1},
        {"section table far away", 40, 0xFFFFFFFFFFFF0000ull, 8},
        {"section table past the end", 40, intact.size() - 10, 8},
        {"entries too small", 58, 8, 2},
        {"too many sections", 60, 0xFFFF, 2},
        {"name table out of range", 62, 0xFFF0, 2},
        {"extended count of nothing", 60, 0, 2},
    };
    for (const auto& c : cases) {
        auto file = intact;
        Put(file, c.at, c.value, c.bytes);
        auto result = ReadElfSection(file, "qxrsrc", kMax);
        EXPECT_NE(result.error, ElfSectionError::None) << c.label;
        EXPECT_TRUE(result.bytes.empty()) << c.label;
    }
    // A damaged entry of the section table: the resource section's offset and size lie.
    auto section = ReadElfSection(intact, "qxrsrc", kMax).bytes;
    for (std::uint64_t index = 1; index < 64; ++index) {
        auto file = intact;
        std::size_t entry = shoff + index * 64;
        if (entry + 64 > file.size()) {
            break;
        }
        Put(file, entry + 24, 0xFFFFFFFFFFull, 8);
        Put(file, entry + 32, 0x7FFFFFFFFFFFull, 8);
        auto result = ReadElfSection(file, "qxrsrc", kMax);
        EXPECT_TRUE(result.error != ElfSectionError::None || result.bytes == section) << index;
    }
}

TEST(FileReader, TruncatedFilesFailCleanly) {
    const auto intact = ReadAll(QX_TEST_MODULE_A);
    for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{52}, std::size_t{63},
                               std::size_t{64}, intact.size() / 2, intact.size() - 1}) {
        std::span<const std::byte> cut(intact.data(), length);
        auto result = ReadElfSection(cut, "qxrsrc", kMax);
        EXPECT_NE(result.error, ElfSectionError::None) << length;
    }
    EXPECT_EQ(ReadElfSection(intact, "qxrsrc", 16).error, ElfSectionError::TooLarge);
    EXPECT_EQ(ReadElfSection(intact, "nosuchsection", kMax).error, ElfSectionError::NotFound);
}

TEST(FileReader, DamagedBlobsAreRejected) {
    const auto file = ReadAll(QX_TEST_MODULE_A);
    const auto section = ReadElfSection(file, "qxrsrc", kMax).bytes;
    ASSERT_TRUE(ResourceSet::Parse(section).has_value());
    struct Case {
        const char* label;
        std::size_t at;
        std::uint32_t value;
        int bytes;
    } cases[] = {
        {"magic", 0, 0x12345678, 4},
        {"version", 4, 2, 4},
        {"total size past the end", 8, 0x7FFFFFF0, 4},
        {"total size below the header", 8, 16, 4},
        {"entry count", 12, 0x10000000, 4},
        {"entry table offset", 16, 0xFFFFFFF0, 4},
        {"first type word names nothing", 32, 0x80FFFFFF, 4},
        {"first name id zero", 36, 0, 4},
        {"first data offset", 44, 0xFFFFFF00, 4},
        {"first data size", 48, 0xFFFFFF00, 4},
    };
    for (const auto& c : cases) {
        auto bytes = section;
        Put(bytes, c.at, c.value, c.bytes);
        EXPECT_FALSE(ResourceSet::Parse(bytes).has_value()) << c.label;
        // The same damage inside the file: the reader reports a bad format, nothing more.
        auto damaged = file;
        std::size_t at = SectionOffset(damaged, section);
        ASSERT_LT(at, damaged.size());
        std::copy(bytes.begin(), bytes.end(), damaged.begin() + at);
        auto again = ReadElfSection(damaged, "qxrsrc", kMax);
        ASSERT_EQ(again.error, ElfSectionError::None) << c.label;
        EXPECT_FALSE(ResourceSet::Parse(again.bytes).has_value()) << c.label;
    }
}

TEST(FileReader, RandomDamageNeverEscapesTheBounds) {
    const auto file = ReadAll(QX_TEST_MODULE_A);
    const auto section = ReadElfSection(file, "qxrsrc", kMax).bytes;
    std::mt19937 random(1042);
    for (int round = 0; round < 400; ++round) {
        auto bytes = section;
        for (int k = 0; k < 4; ++k) {
            bytes[random() % std::min<std::size_t>(bytes.size(), 256)] = static_cast<std::byte>(random());
        }
        if (auto set = ResourceSet::Parse(bytes)) {
            for (const auto& e : set->Entries()) {
                EXPECT_GE(e.data.data(), bytes.data());
                EXPECT_LE(e.data.data() + e.data.size(), bytes.data() + bytes.size());
            }
        }
        auto header = std::vector<std::byte>(file.begin(), file.begin() + 4096);
        for (int k = 0; k < 6; ++k) {
            header[random() % 64] = static_cast<std::byte>(random());
        }
        ReadElfSection(header, "qxrsrc", kMax);
    }
}

} // namespace
