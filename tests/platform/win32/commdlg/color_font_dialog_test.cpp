// ChooseColor and ChooseFont: what the driver is shown and what the caller gets back.
#include <gtest/gtest.h>

#include <cstring>

#include "commdlg.h"
#include "qx/win32/ui_driver.h"
#include "winuser_msgbox.h"

namespace {

using qx::win32::ColorDialogChoice;
using qx::win32::FontDialogFont;

class ColorFontTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = qx::win32::SetUiDriver(&recorder_); }
    void TearDown() override { qx::win32::SetUiDriver(previous_); }
    qx::win32::UiRecorder recorder_;
    qx::win32::UiDriver* previous_ = nullptr;
};

struct ColorCase {
    const char* name;
    DWORD flags;
    bool answer;
    BOOL result;
    COLORREF initialSeen;
    COLORREF after;
};

class ChooseColorCases : public ColorFontTest, public ::testing::WithParamInterface<ColorCase> {};

TEST_P(ChooseColorCases, AnswerTheCaller) {
    const ColorCase& c = GetParam();
    COLORREF custom[16];
    for (int i = 0; i < 16; ++i) {
        custom[i] = RGB(i, i, i);
    }
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = reinterpret_cast<HWND>(0x10);
    cc.rgbResult = RGB(10, 20, 30);
    cc.lpCustColors = custom;
    cc.Flags = c.flags;
    if (c.answer) {
        ColorDialogChoice choice;
        choice.color = 0xFF00FF00u; // the high byte is no part of a colour
        choice.custom.fill(RGB(1, 2, 3));
        recorder_.QueueColor(choice);
    }
    EXPECT_EQ(ChooseColorA(&cc), c.result);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    auto requests = recorder_.ColorRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].initial, c.initialSeen);
    EXPECT_EQ(requests[0].custom[5], RGB(5, 5, 5));
    EXPECT_EQ(requests[0].owner, cc.hwndOwner);
    EXPECT_EQ(cc.rgbResult, c.after);
    EXPECT_EQ(custom[5], c.answer ? RGB(1, 2, 3) : RGB(5, 5, 5));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChooseColorCases,
    ::testing::Values(ColorCase{"Chosen", CC_RGBINIT, true, TRUE, RGB(10, 20, 30), 0x0000FF00u},
                      ColorCase{"WithoutInitStartsBlack", CC_FULLOPEN, true, TRUE, 0, 0x0000FF00u},
                      ColorCase{"CancelKeepsAll", CC_RGBINIT, false, FALSE, RGB(10, 20, 30),
                                RGB(10, 20, 30)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ColorFontTest, ColorErrorsComeBeforeTheDriver) {
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    EXPECT_FALSE(ChooseColorA(&cc)); // no custom colours
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
    COLORREF custom[16] = {};
    cc.lpCustColors = custom;
    cc.Flags = CC_ENABLEHOOK;
    EXPECT_FALSE(ChooseColorA(&cc));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_NOHOOK));
    cc.lStructSize = 8;
    EXPECT_FALSE(ChooseColorA(&cc));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
    EXPECT_TRUE(recorder_.ColorRequests().empty());
}

TEST_F(ColorFontTest, AFontIsChosenFromTheLogFontAndWrittenBack) {
    LOGFONTA font{};
    font.lfHeight = -16; // 12 points at 96 pixels per inch
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = HANGUL_CHARSET;
    std::strcpy(font.lfFaceName, "\xB1\xBC\xB8\xB2"); // 굴림
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.lpLogFont = &font;
    cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_SCREENFONTS;
    cf.rgbColors = RGB(0, 0, 255);
    FontDialogFont choice;
    choice.faceName = "돋움";
    choice.pointSize = 90;
    choice.weight = FW_BOLD;
    choice.italic = true;
    choice.underline = true;
    choice.color = RGB(255, 0, 0);
    recorder_.QueueFont(choice);
    ASSERT_TRUE(ChooseFontA(&cf));

    auto requests = recorder_.FontRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].initial.faceName, "굴림");
    EXPECT_EQ(requests[0].initial.pointSize, 120);
    EXPECT_EQ(requests[0].initial.color, RGB(0, 0, 255));

    EXPECT_STREQ(font.lfFaceName, "\xB5\xB8\xBF\xF2");
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_EQ(font.lfCharSet, HANGUL_CHARSET);
    EXPECT_EQ(cf.iPointSize, 90);
    EXPECT_EQ(cf.rgbColors, RGB(255, 0, 0));
    EXPECT_EQ(cf.nFontType, BOLD_FONTTYPE | ITALIC_FONTTYPE | SCREEN_FONTTYPE);
}

TEST_F(ColorFontTest, ASizeOutsideTheLimitsIsRefusedAndAskedAgain) {
    LOGFONTA font{};
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.lpLogFont = &font;
    cf.Flags = CF_LIMITSIZE;
    cf.nSizeMin = 8;
    cf.nSizeMax = 20;
    FontDialogFont big;
    big.faceName = "Sans";
    big.pointSize = 360;
    big.underline = true; // no effects without CF_EFFECTS
    FontDialogFont fine = big;
    fine.pointSize = 100;
    recorder_.QueueFont(big);
    recorder_.QueueFont(fine);
    ASSERT_TRUE(ChooseFontA(&cf));
    EXPECT_EQ(recorder_.FontRequests().size(), 2u);
    auto boxes = recorder_.Calls();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Size must be between 8 and 20 points.");
    EXPECT_EQ(cf.iPointSize, 100);
    EXPECT_EQ(font.lfHeight, -13); // 10 points: 13.33 pixels
    EXPECT_EQ(font.lfUnderline, 0);
    EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(cf.nFontType, REGULAR_FONTTYPE | SCREEN_FONTTYPE);

    cf.nSizeMax = 4;
    EXPECT_FALSE(ChooseFontA(&cf));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CFERR_MAXLESSTHANMIN));
}

TEST_F(ColorFontTest, WithoutADriverBothAreCancelled) {
    qx::win32::SetUiDriver(nullptr);
    COLORREF custom[16] = {};
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.lpCustColors = custom;
    LOGFONTA font{};
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.lpLogFont = &font;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ChooseColorA(&cc));
    EXPECT_FALSE(ChooseFontA(&cf));
    EXPECT_EQ(
        ::testing::internal::GetCapturedStderr(),
        "ChooseColor \"Color\" -> Cancel (no UI driver)\nChooseFont \"Font\" -> Cancel (no UI driver)\n");
}

} // namespace
