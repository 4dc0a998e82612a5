// Drawing on a window's overlay plane: raster operations, lines, rectangles, clipping, painting,
// dead device contexts and the PBM image of a drawing.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <thread>

#include "qx/win32/overlay.h"
#include "qx/win32/window_internals.h"
#include "recording_window.h"
#include "wingdi.h"
#include "winuser_paint.h"

namespace {

using qx::test::RecordingWindow;
using qx::win32::ReadOverlay;

// The pixels with ink, as "x,y" in row order.
std::vector<std::string> Inked(HWND hwnd) {
    qx::win32::OverlayImage image = ReadOverlay(hwnd);
    std::vector<std::string> inked;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.at(x, y)) {
                inked.push_back(std::to_string(x) + "," + std::to_string(y));
            }
        }
    }
    return inked;
}

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window_.hwnd(), nullptr);
        SIZE size{};
        ASSERT_TRUE(qx::win32::GetWindowClientSize(window_.hwnd(), &size));
        ASSERT_EQ(size.cx, 40);
        ASSERT_EQ(size.cy, 30);
        dc_ = GetDC(window_.hwnd());
        ASSERT_NE(dc_, nullptr);
    }
    void TearDown() override { ReleaseDC(window_.hwnd(), dc_); }
    void Guides() {
        SetROP2(dc_, R2_NOT);
        SelectObject(dc_, GetStockObject(WHITE_PEN));
        SelectObject(dc_, GetStockObject(HOLLOW_BRUSH));
    }
    RecordingWindow window_;
    HDC dc_ = nullptr;
};

struct LineCase {
    const char* name;
    POINT from;
    POINT to;
    std::size_t inked; // pixels of one pass
};

class GuideLines : public DrawingTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(GuideLines, DrawnTwiceLeaveThePlaneClear) {
    const LineCase& c = GetParam();
    Guides();
    MoveToEx(dc_, c.from.x, c.from.y, nullptr);
    ASSERT_TRUE(LineTo(dc_, c.to.x, c.to.y));
    EXPECT_EQ(Inked(window_.hwnd()).size(), c.inked);
    MoveToEx(dc_, c.from.x, c.from.y, nullptr);
    LineTo(dc_, c.to.x, c.to.y);
    EXPECT_TRUE(ReadOverlay(window_.hwnd()).isClear());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideLines,
    ::testing::Values(LineCase{"Horizontal", {2, 3}, {12, 3}, 10}, LineCase{"Vertical", {5, 0}, {5, 29}, 29},
                      LineCase{"Diagonal", {0, 0}, {20, 20}, 20}, LineCase{"Steep", {3, 1}, {7, 25}, 24},
                      LineCase{"Backwards", {30, 20}, {10, 15}, 20},
                      LineCase{"EnteringFromOutside", {-10, 5}, {10, 5}, 10},
                      LineCase{"LeavingThePlane", {35, 25}, {60, 25}, 5},
                      LineCase{"AllOutside", {-5, -5}, {-1, 50}, 0},
                      LineCase{"HugeCoordinates", {INT_MIN / 2, 10}, {INT_MAX / 2, 10}, 40},
                      LineCase{"ZeroLength", {4, 4}, {4, 4}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawingTest, ALineIncludesItsStartAndNotItsEnd) {
    MoveToEx(dc_, 1, 1, nullptr);
    LineTo(dc_, 5, 1);
    LineTo(dc_, 5, 3); // goes on from the last end
    EXPECT_EQ(Inked(window_.hwnd()), (std::vector<std::string>{"1,1", "2,1", "3,1", "4,1", "5,1", "5,2"}));
    POINT at{};
    GetCurrentPositionEx(dc_, &at);
    EXPECT_EQ(at.x, 5);
    EXPECT_EQ(at.y, 3);
}

struct RectCase {
    const char* name;
    RECT box;
    std::size_t outline;
};

class GuideRectangles : public DrawingTest, public ::testing::WithParamInterface<RectCase> {};

TEST_P(GuideRectangles, CoverEachOutlinePixelOnce) {
    const RectCase& c = GetParam();
    Guides();
    ASSERT_TRUE(Rectangle(dc_, c.box.left, c.box.top, c.box.right, c.box.bottom));
    EXPECT_EQ(Inked(window_.hwnd()).size(), c.outline);
    Rectangle(dc_, c.box.left, c.box.top, c.box.right, c.box.bottom);
    EXPECT_TRUE(ReadOverlay(window_.hwnd()).isClear());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideRectangles,
    ::testing::Values(RectCase{"Box", {2, 2, 12, 8}, 2 * 10 + 2 * 4}, RectCase{"OnePixel", {3, 3, 4, 4}, 1},
                      RectCase{"OneRow", {1, 5, 9, 6}, 8}, RectCase{"OneColumn", {6, 1, 7, 11}, 10},
                      RectCase{"TwoByTwo", {0, 0, 2, 2}, 4},
                      RectCase{"Reversed", {12, 8, 2, 2}, 2 * 10 + 2 * 4}, RectCase{"Empty", {5, 5, 5, 9}, 0},
                      RectCase{"Clipped", {30, 20, 50, 40}, 10 + 9},
                      RectCase{"Huge", {-100000, -100000, 100000, 100000}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrawingTest, ASolidBrushFillsInsideThePen) {
    SelectObject(dc_, GetStockObject(BLACK_BRUSH));
    ASSERT_TRUE(Rectangle(dc_, 2, 2, 6, 5));
    std::vector<std::string> filled;
    for (int y = 2; y <= 4; ++y) {
        for (int x = 2; x <= 5; ++x) {
            filled.push_back(std::to_string(x) + "," + std::to_string(y));
        }
    }
    EXPECT_EQ(Inked(window_.hwnd()), filled);

    // Without a pen the fill stops one pixel short on the right and at the bottom; a white
    // brush clears.
    SelectObject(dc_, GetStockObject(NULL_PEN));
    SelectObject(dc_, GetStockObject(WHITE_BRUSH));
    Rectangle(dc_, 2, 2, 5, 5);
    EXPECT_EQ(Inked(window_.hwnd()),
              (std::vector<std::string>{"4,2", "5,2", "4,3", "5,3", "2,4", "3,4", "4,4", "5,4"}));
}

struct RopCase {
    int rop;
    bool whitePen;
    bool before;
    bool after;
};

class RasterOperations : public DrawingTest, public ::testing::WithParamInterface<RopCase> {};

TEST_P(RasterOperations, CombinePenAndPixel) {
    const RopCase& c = GetParam();
    if (c.before) {
        MoveToEx(dc_, 0, 0, nullptr);
        LineTo(dc_, 1, 0);
    }
    SetROP2(dc_, c.rop);
    SelectObject(dc_, GetStockObject(c.whitePen ? WHITE_PEN : BLACK_PEN));
    MoveToEx(dc_, 0, 0, nullptr);
    LineTo(dc_, 1, 0);
    EXPECT_EQ(ReadOverlay(window_.hwnd()).at(0, 0), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RasterOperations,
    ::testing::Values(RopCase{R2_COPYPEN, false, false, true}, RopCase{R2_COPYPEN, true, true, false},
                      RopCase{R2_NOT, true, false, true}, RopCase{R2_NOT, false, true, false},
                      RopCase{R2_BLACK, true, false, true}, RopCase{R2_WHITE, false, true, false},
                      RopCase{R2_NOP, false, false, false}, RopCase{R2_NOP, true, true, true},
                      RopCase{R2_XORPEN, true, true, false}, RopCase{R2_XORPEN, false, true, true},
                      RopCase{R2_MERGEPEN, true, true, false}, RopCase{R2_MASKPEN, false, false, true},
                      RopCase{R2_NOTCOPYPEN, true, false, true}, RopCase{R2_NOTXORPEN, true, false, false},
                      RopCase{R2_NOTXORPEN, false, false, true},
                      RopCase{R2_MERGENOTPEN, true, false, false}));

TEST_F(DrawingTest, AReleasedDcFailsAndIsCounted) {
    int before = qx::win32::DeadDcUseCount();
    ASSERT_EQ(ReleaseDC(window_.hwnd(), dc_), 1);
    EXPECT_FALSE(LineTo(dc_, 10, 10));
    EXPECT_FALSE(Rectangle(dc_, 0, 0, 5, 5));
    EXPECT_EQ(SetROP2(dc_, R2_NOT), 0);
    EXPECT_EQ(SelectObject(dc_, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_EQ(ReleaseDC(window_.hwnd(), dc_), 0);
    EXPECT_EQ(qx::win32::DeadDcUseCount(), before + 5);
    EXPECT_TRUE(ReadOverlay(window_.hwnd()).isClear());
    dc_ = GetDC(window_.hwnd()); // for TearDown
}

TEST_F(DrawingTest, InvalidationsAreCountedAndThePaintClearsThePlane) {
    MoveToEx(dc_, 0, 0, nullptr);
    LineTo(dc_, 10, 0);
    int before = qx::win32::InvalidationCount(window_.hwnd());
    InvalidateRect(window_.hwnd(), nullptr, TRUE);
    RECT part{0, 0, 4, 4};
    InvalidateRect(window_.hwnd(), &part, FALSE);
    EXPECT_EQ(qx::win32::InvalidationCount(window_.hwnd()), before + 2);
    EXPECT_FALSE(ReadOverlay(window_.hwnd()).isClear());

    PAINTSTRUCT ps{};
    HDC paint = BeginPaint(window_.hwnd(), &ps);
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(ps.rcPaint.right, 40);
    EXPECT_TRUE(ReadOverlay(window_.hwnd()).isClear());
    EXPECT_EQ(window_.Seen({WM_ERASEBKGND}).size(), 1u);
    Rectangle(paint, 0, 0, 3, 3);
    EXPECT_TRUE(EndPaint(window_.hwnd(), &ps));
    EXPECT_EQ(Inked(window_.hwnd()).size(), 8u);
    EXPECT_FALSE(LineTo(paint, 1, 1)); // EndPaint released it
}

TEST_F(DrawingTest, ThePbmOfADrawingMatchesItsFixture) {
    RecordingWindow small(16, 8);
    HDC dc = GetDC(small.hwnd());
    Rectangle(dc, 1, 1, 7, 6); // black outline, white inside
    MoveToEx(dc, 8, 0, nullptr);
    LineTo(dc, 15, 7);
    SetROP2(dc, R2_NOT);
    SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, 0, 3, 16, 4); // a guide across both
    ReleaseDC(small.hwnd(), dc);

    std::ifstream fixture(QX_TEST_DATA_DIR "/gdi/drawing.pbm", std::ios::binary);
    ASSERT_TRUE(fixture.is_open());
    std::stringstream expected;
    expected << fixture.rdbuf();
    qx::win32::OverlayImage image = ReadOverlay(small.hwnd());
    EXPECT_EQ(image.ToPbm(), expected.str());

    std::string written = ::testing::TempDir() + "qx-drawing.pbm";
    ASSERT_TRUE(image.WritePbm(written));
    std::ifstream back(written, std::ios::binary);
    std::stringstream text;
    text << back.rdbuf();
    EXPECT_EQ(text.str(), expected.str());
    std::remove(written.c_str());
}

TEST_F(DrawingTest, GuidesFromSeveralThreadsAtOnceStillCancelOut) {
    std::vector<std::thread> painters;
    for (int t = 0; t < 4; ++t) {
        painters.emplace_back([hwnd = window_.hwnd(), t] {
            HDC dc = GetDC(hwnd);
            SetROP2(dc, R2_NOT);
            for (int i = 0; i < 50; ++i) {
                MoveToEx(dc, t, 0, nullptr);
                LineTo(dc, 39 - t, 29);
                Rectangle(dc, t, t, 40 - t, 30 - t);
            }
            ReleaseDC(hwnd, dc);
        });
    }
    for (std::thread& painter : painters) {
        painter.join();
    }
    EXPECT_TRUE(ReadOverlay(window_.hwnd()).isClear());
}

TEST_F(DrawingTest, ObjectsSelectAndDeleteAsWindowsDoes) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(10, 10, 10));
    EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc_, pen);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc_, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(pen)); // still selected
    EXPECT_EQ(SelectObject(dc_, oldPen), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), 0u);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN))); // stock objects stay
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetStockObject(42), nullptr);
    EXPECT_EQ(CreatePen(99, 1, 0), nullptr);
    EXPECT_EQ(WindowFromDC(dc_), window_.hwnd());
}

TEST(DrawingWithoutAWindow, TheScreenDcHasCapabilitiesButNothingToDrawOn) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1280);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 1024);
    EXPECT_TRUE(LineTo(screen, 10, 10));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x1234)), nullptr);
    EXPECT_EQ(ReadOverlay(reinterpret_cast<HWND>(0x1234)).width(), 0);
}

} // namespace
