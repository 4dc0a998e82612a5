#include "resource_test_support.h"
#include "test_texts.h"
#include "winerror.h"
#include "winver.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iconv.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using qxtest::Cp949;

std::vector<unsigned char> VersionBuffer(const std::string& path) {
    DWORD handle = 77;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, buffer.data())) {
        buffer.clear();
    }
    return buffer;
}

std::string QueryString(std::vector<unsigned char>& buffer, const char* sub) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer.data(), sub, &value, &length)) {
        return "<none>";
    }
    EXPECT_EQ(length, std::strlen(static_cast<const char*>(value)) + 1) << sub;
    return static_cast<const char*>(value);
}

// One component file seen three ways: loaded, never loaded, and registered as a static module.
class VersionInfoTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        loaded_ = LoadLibraryA(QX_TEST_MODULE_A);
        qx::module::RegisterStaticModule(
            {"/opt/qx-test/libresources.so", QX_PACKED_RESOURCES(resource_tests), {}});
        static_ = LoadLibraryA("/opt/qx-test/libresources.so");
    }
    void TearDown() override {
        FreeLibrary(loaded_);
        FreeLibrary(static_);
    }
    HMODULE loaded_ = nullptr;
    HMODULE static_ = nullptr;
};

TEST_P(VersionInfoTest, FixedInfoHasTheDocumentedFields) {
    auto buffer = VersionBuffer(GetParam());
    ASSERT_FALSE(buffer.empty());
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(buffer.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, value, sizeof(info));
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwStrucVersion, 0x00010000u);
    // 1.0.1.1, compared part by part as a caller checking a minimum version does.
    EXPECT_EQ(HIWORD(info.dwFileVersionMS), 1);
    EXPECT_EQ(LOWORD(info.dwFileVersionMS), 0);
    EXPECT_EQ(HIWORD(info.dwFileVersionLS), 1);
    EXPECT_EQ(LOWORD(info.dwFileVersionLS), 1);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwProductVersionLS, 0u);
    EXPECT_EQ(info.dwFileFlagsMask, VS_FFI_FILEFLAGSMASK);
    EXPECT_EQ(info.dwFileFlags, 0u);
    EXPECT_EQ(info.dwFileOS, VOS_NT_WINDOWS32);
    EXPECT_EQ(info.dwFileType, VFT_DLL);
    EXPECT_EQ(info.dwFileSubtype, VFT2_UNKNOWN);
}

TEST_P(VersionInfoTest, TranslationAndStrings) {
    auto buffer = VersionBuffer(GetParam());
    ASSERT_FALSE(buffer.empty());
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD pair[2];
    std::memcpy(pair, value, 4);
    EXPECT_EQ(pair[0], 0x0412);
    EXPECT_EQ(pair[1], 0x04B0);

    EXPECT_EQ(QueryString(buffer, "\\StringFileInfo\\041204b0\\FileVersion"), "1, 0, 1, 1");
    EXPECT_EQ(QueryString(buffer, "\\StringFileInfo\\041204b0\\ProductVersion"), "1, 0, 0, 0");
    EXPECT_EQ(QueryString(buffer, "\\stringfileinfo\\041204B0\\companyname"), "Tessel");
    EXPECT_EQ(QueryString(buffer, "\\StringFileInfo\\041204b0\\FileDescription"), Cp949("시험 모듈"));
    // Asking twice gives the same place in the buffer.
    LPVOID first = nullptr;
    LPVOID second = nullptr;
    VerQueryValueA(buffer.data(), "\\StringFileInfo\\041204b0\\FileVersion", &first, &length);
    VerQueryValueA(buffer.data(), "\\StringFileInfo\\041204b0\\FileVersion", &second, &length);
    EXPECT_EQ(first, second);
    EXPECT_GE(static_cast<unsigned char*>(first), buffer.data());
    EXPECT_LT(static_cast<unsigned char*>(first), buffer.data() + buffer.size());

    for (const char* missing :
         {"\\StringFileInfo\\041204b0\\Nothing", "\\StringFileInfo\\040904b0\\FileVersion",
          "\\VarFileInfo\\Nothing", "\\Nothing"}) {
        value = &length;
        EXPECT_FALSE(VerQueryValueA(buffer.data(), missing, &value, &length)) << missing;
        EXPECT_EQ(value, nullptr);
        EXPECT_EQ(length, 0u);
    }
}

TEST_P(VersionInfoTest, ShortBufferStaysInsideIt) {
    DWORD size = GetFileVersionInfoSizeA(GetParam().c_str(), nullptr);
    ASSERT_GT(size, 120u);
    std::vector<unsigned char> buffer(120, 0xEE);
    ASSERT_TRUE(GetFileVersionInfoA(GetParam().c_str(), 0, 120, buffer.data()));
    LPVOID value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueA(buffer.data(), "\\", &value, &length)) << "the fixed part fits";
    EXPECT_FALSE(VerQueryValueA(buffer.data(), "\\StringFileInfo\\041204b0\\FileVersion", &value, &length));
    std::vector<unsigned char> tiny(8);
    SetLastError(0);
    EXPECT_FALSE(GetFileVersionInfoA(GetParam().c_str(), 0, 8, tiny.data()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

INSTANTIATE_TEST_SUITE_P(Files, VersionInfoTest,
                         ::testing::Values(std::string(QX_TEST_MODULE_A), std::string(QX_TEST_MODULE_B),
                                           std::string("/opt/qx-test/libresources.so")),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.index == 0 ? "Loaded" : info.index == 1 ? "NotLoaded" : "Static";
                         });

TEST(VersionInfo, FilesWithoutVersionInformation) {
    auto dir = std::filesystem::temp_directory_path() / ("qx-version-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::FILE* f = std::fopen((dir / "text.so").c_str(), "w");
    std::fputs("no ELF here, just text that is long enough to look like a header maybe", f);
    std::fclose(f);
    std::string noSection = "/usr/bin/true";
    struct Case {
        std::string path;
        DWORD error;
    } cases[] = {
        {(dir / "missing.so").string(), ERROR_FILE_NOT_FOUND},
        {(dir / "text.so").string(), ERROR_BAD_FORMAT},
        {dir.string(), ERROR_BAD_FORMAT},
        {noSection, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        DWORD handle = 5;
        EXPECT_EQ(GetFileVersionInfoSizeA(c.path.c_str(), &handle), 0u) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
        EXPECT_EQ(handle, 0u);
        char buffer[256];
        EXPECT_FALSE(GetFileVersionInfoA(c.path.c_str(), 0, sizeof(buffer), buffer)) << c.path;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
