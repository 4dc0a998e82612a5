#include <errhandlingapi.h>
#include <winbase_version.h>
#include <winerror.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(GetVersionEx, AnswersAsWindowsXp) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 2600u);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 3");

    OSVERSIONINFOEXA ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex)));
    EXPECT_EQ(ex.wServicePackMajor, 3);
    EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);

    EXPECT_EQ(GetVersion() & 0xFFFFu, 0x0105u);
    EXPECT_EQ(GetVersion() & 0x80000000u, 0u);
}

TEST(GetVersionEx, WrongSizeIsRefused) {
    OSVERSIONINFOA info;
    std::memset(&info, 0x5A, sizeof info);
    info.dwOSVersionInfoSize = 12;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(info.dwMajorVersion, 0x5A5A5A5Au);
    EXPECT_FALSE(GetVersionExA(nullptr));
}

} // namespace
