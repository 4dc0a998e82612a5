#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debugapi.h"
#include "qx/win32/debug_output.h"

namespace {

TEST(DebugOutput, GoesToTheHookAsUtf8) {
    std::vector<std::string> seen;
    qx::win32::SetDebugOutputHook([&](const std::string& text) { seen.push_back(text); });
    OutputDebugStringA("trace \xB0\xA1\n");
    OutputDebugStringW(u"wide \uAC00");
    OutputDebugStringA(nullptr);
    qx::win32::SetDebugOutputHook({});
    EXPECT_EQ(seen, (std::vector<std::string>{"trace 가\n", "wide 가"}));
}

TEST(DebugOutput, GoesToStandardErrorWithoutAHook) {
    ::testing::internal::CaptureStderr();
    OutputDebugStringA("plain text");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "plain text");
}

} // namespace
