// Mapping modes, MulDiv and the font families.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "qx/win32/overlay.h"
#include "wingdi.h"

namespace {

struct MulDivCase {
    int number, numerator, denominator, result;
};

class MulDivCases : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivCases, RoundHalvesAwayFromZero) {
    const MulDivCase& c = GetParam();
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MulDivCases,
    ::testing::Values(MulDivCase{10, 3, 2, 15}, MulDivCase{3, 1, 2, 2}, MulDivCase{-3, 1, 2, -2},
                      MulDivCase{5, 1, 3, 2}, MulDivCase{-5, 3, -2, 8}, MulDivCase{7, 1, -2, -4},
                      MulDivCase{16, 720, 96, 120}, MulDivCase{5, 1, 0, -1}, MulDivCase{INT_MAX, 2, 1, -1},
                      MulDivCase{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, MulDivCase{INT_MIN, 1, 1, INT_MIN}));

struct MapCase {
    int mode;
    SIZE window;
    SIZE viewport;
};

class MapModes : public ::testing::TestWithParam<MapCase> {};

TEST_P(MapModes, SetTheExtents) {
    const MapCase& c = GetParam();
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetMapMode(dc), MM_TEXT);
    EXPECT_EQ(SetMapMode(dc, c.mode), MM_TEXT);
    EXPECT_EQ(GetMapMode(dc), c.mode);
    SIZE window{}, viewport{};
    ASSERT_TRUE(GetWindowExtEx(dc, &window));
    ASSERT_TRUE(GetViewportExtEx(dc, &viewport));
    EXPECT_EQ(window.cx, c.window.cx);
    EXPECT_EQ(window.cy, c.window.cy);
    EXPECT_EQ(viewport.cx, c.viewport.cx);
    EXPECT_EQ(viewport.cy, c.viewport.cy);
    EXPECT_EQ(SetMapMode(dc, 0), 0);
    ReleaseDC(nullptr, dc);
}

INSTANTIATE_TEST_SUITE_P(Cases, MapModes,
                         ::testing::Values(MapCase{MM_TEXT, {1, 1}, {1, 1}},
                                           MapCase{MM_LOMETRIC, {3387, 2709}, {1280, -1024}},
                                           MapCase{MM_HIMETRIC, {33867, 27093}, {1280, -1024}},
                                           MapCase{MM_LOENGLISH, {1333, 1067}, {1280, -1024}},
                                           MapCase{MM_TWIPS, {19200, 15360}, {1280, -1024}},
                                           MapCase{MM_ISOTROPIC, {3387, 2709}, {1280, -1024}},
                                           MapCase{MM_ANISOTROPIC, {1, 1}, {1, 1}}));

int CALLBACK Collect(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM lParam) {
    auto* names = reinterpret_cast<std::vector<std::string>*>(lParam);
    names->push_back(font->lfFaceName);
    EXPECT_EQ(type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
    EXPECT_EQ(metrics->tmCharSet, font->lfCharSet);
    return names->size() < 3 ? 1 : 0; // stops after three
}

class FontFamilies : public ::testing::Test {
protected:
    void SetUp() override {
        qx::win32::SetFontFamiliesForTesting(std::vector<std::string>{"Arial", "굴림", "\u0E01Thai",
                                                                      "A family name far too long for a face",
                                                                      "Tahoma", "돋움", "Verdana"});
        dc_ = GetDC(nullptr);
    }
    void TearDown() override {
        ReleaseDC(nullptr, dc_);
        qx::win32::SetFontFamiliesForTesting(std::nullopt);
    }
    HDC dc_ = nullptr;
};

TEST_F(FontFamilies, AreListedInTheCodePageUntilTheCallbackStops) {
    std::vector<std::string> names;
    EXPECT_EQ(EnumFontFamiliesA(dc_, nullptr, Collect, reinterpret_cast<LPARAM>(&names)), 0);
    // Names with no code page form or too long for a face name are left out.
    EXPECT_EQ(names, (std::vector<std::string>{"Arial", "\xB1\xBC\xB8\xB2", "Tahoma"}));

    names.clear();
    EXPECT_EQ(EnumFontFamiliesA(dc_, "tahoma", Collect, reinterpret_cast<LPARAM>(&names)), 1);
    EXPECT_EQ(names, std::vector<std::string>{"Tahoma"});

    names.clear();
    LOGFONTA hangul{};
    hangul.lfCharSet = HANGUL_CHARSET;
    EXPECT_EQ(EnumFontFamiliesExA(dc_, &hangul, Collect, reinterpret_cast<LPARAM>(&names), 0), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"\xB1\xBC\xB8\xB2", "\xB5\xB8\xBF\xF2"}));

    names.clear();
    EXPECT_EQ(EnumFontFamiliesA(dc_, "Missing", Collect, reinterpret_cast<LPARAM>(&names)), 1);
    EXPECT_TRUE(names.empty());
}

TEST(FontFamiliesInstalled, ComeFromFontconfigOrTheFixedList) {
    qx::win32::SetFontFamiliesForTesting(std::nullopt);
    HDC dc = GetDC(nullptr);
    std::vector<std::string> names;
    EnumFontFamiliesA(
        dc, nullptr,
        [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM lParam) {
            reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(font->lfFaceName);
            return 1;
        },
        reinterpret_cast<LPARAM>(&names));
    ReleaseDC(nullptr, dc);
    EXPECT_FALSE(names.empty());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

} // namespace
