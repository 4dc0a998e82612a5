// Buttons: what a click does to each kind, radio groups, and the checks a program sets.
#include "control_test_support.h"

#include "winuser_dialog.h"

namespace {

using namespace qx::win32::testing;

class ButtonTest : public ControlTest {};

TEST_F(ButtonTest, EachKindAnswersAClick) {
    struct Case {
        DWORD style;
        std::vector<int> checksAfterClicks; // BM_GETCHECK after each of three clicks
    };
    const Case cases[] = {
        {BS_PUSHBUTTON, {0, 0, 0}},   {BS_DEFPUSHBUTTON, {0, 0, 0}},
        {BS_CHECKBOX, {0, 0, 0}}, // a plain check box leaves its state to the program
        {BS_AUTOCHECKBOX, {1, 0, 1}}, {BS_3STATE, {0, 0, 0}},
        {BS_AUTO3STATE, {1, 2, 0}},   {BS_AUTORADIOBUTTON, {1, 1, 1}},
    };
    for (const auto& c : cases) {
        HWND button = Make("BUTTON", c.style, 20);
        Codes();
        std::vector<int> checks;
        for (int i = 0; i < 3; ++i) {
            SendMessageA(button, BM_CLICK, 0, 0);
            checks.push_back(static_cast<int>(SendMessageA(button, BM_GETCHECK, 0, 0)));
        }
        EXPECT_EQ(checks, c.checksAfterClicks) << c.style;
        EXPECT_EQ(Codes(), (std::vector<int>{BN_CLICKED, BN_CLICKED, BN_CLICKED})) << c.style;
        DestroyWindow(button);
    }
}

TEST_F(ButtonTest, ProgramSetChecksAndDisabledButtons) {
    struct Case {
        DWORD style;
        WPARAM set;
        LRESULT got;
    };
    const Case cases[] = {
        {BS_PUSHBUTTON, BST_CHECKED, BST_UNCHECKED},   {BS_CHECKBOX, BST_CHECKED, BST_CHECKED},
        {BS_CHECKBOX, BST_INDETERMINATE, BST_CHECKED}, {BS_3STATE, BST_INDETERMINATE, BST_INDETERMINATE},
        {BS_RADIOBUTTON, BST_CHECKED, BST_CHECKED},    {BS_GROUPBOX, BST_CHECKED, BST_UNCHECKED},
    };
    for (const auto& c : cases) {
        HWND button = Make("BUTTON", c.style);
        SendMessageA(button, BM_SETCHECK, c.set, 0);
        EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), c.got) << c.style << " " << c.set;
        DestroyWindow(button);
    }
    HWND disabled = Make("BUTTON", BS_AUTOCHECKBOX | WS_DISABLED);
    Codes();
    SendMessageA(disabled, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(disabled, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Codes(), std::vector<int>{});
}

TEST_F(ButtonTest, AutomaticRadioButtonsKeepOneCheckedPerGroup) {
    HWND a = Make("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 1);
    HWND b = Make("BUTTON", BS_AUTORADIOBUTTON, 2);
    HWND c = Make("BUTTON", BS_AUTORADIOBUTTON, 3);
    HWND other = Make("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 4);
    SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
    struct Step {
        HWND click;
        std::vector<LRESULT> checks; // a b c other
    };
    const Step steps[] = {
        {a, {1, 0, 0, 1}},
        {c, {0, 0, 1, 1}},
        {b, {0, 1, 0, 1}},
    };
    for (const auto& s : steps) {
        SendMessageA(s.click, BM_CLICK, 0, 0);
        std::vector<LRESULT> checks;
        for (HWND h : {a, b, c, other}) {
            checks.push_back(SendMessageA(h, BM_GETCHECK, 0, 0));
        }
        EXPECT_EQ(checks, s.checks);
    }
    // CheckRadioButton sets a range by id, whatever the groups.
    EXPECT_TRUE(CheckRadioButton(parent_, 1, 4, 1));
    std::vector<UINT> checked;
    for (int id = 1; id <= 4; ++id) {
        checked.push_back(IsDlgButtonChecked(parent_, id));
    }
    EXPECT_EQ(checked, (std::vector<UINT>{1, 0, 0, 0}));
    EXPECT_FALSE(CheckRadioButton(parent_, 4, 1, 1));
}

} // namespace
