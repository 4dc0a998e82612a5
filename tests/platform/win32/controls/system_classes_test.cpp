// The dialog class and the USER controls are system classes: a program can make one by name
// before it has made any dialog or registered anything, as on Windows. Each case runs in a
// process of its own (one test each), so nothing registered them before.
#include "errhandlingapi.h"
#include "winerror.h"
#include "winuser_window.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class SystemClassTest : public testing::TestWithParam<const char*> {};

TEST_P(SystemClassTest, IsThereForTheFirstWindowOfTheProcess) {
    HWND window =
        CreateWindowExA(0, GetParam(), "", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr) << GetParam() << ": " << GetLastError();
    char name[32] = {};
    EXPECT_EQ(GetClassNameA(window, name, sizeof name), static_cast<int>(std::strlen(GetParam())));
    EXPECT_STRCASEEQ(name, GetParam());
    EXPECT_TRUE(DestroyWindow(window));
}

INSTANTIATE_TEST_SUITE_P(Classes, SystemClassTest,
                         testing::Values("#32770", "EDIT", "button", "STATIC", "ComboBox", "LISTBOX"));

TEST(SystemClassTest, AnUnknownClassIsStillRefused) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

} // namespace
