// An embedded browser shows its page in a document window over its client area: mouse and key
// messages become the page's events, and the layout's viewport is that window's client size,
// following the control's size. A browser that is not embedded keeps the default viewport.
#include "browser_test_support.h"

#include <oleidl.h>
#include <qx/html/events/page_window.h>
#include <qx/win32/input_driver.h>
#include <winuser_input.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <fstream>

namespace {

using browsertest::BrowserTest;
using qx::com::ComPtr;

constexpr char kPage[] =
    "<html><body style='margin:0'><div id=box style='height:50px' "
    "onclick='hits.innerText = Number(hits.innerText) + 1'>x</div><p id=hits>0</p><p id=keys></p>"
    "<script>document.body.onkeydown = function () { keys.innerText += '[' + event.keyCode + ']'; };</script>"
    "</body></html>";

class DocumentWindow : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        page_ =
            std::filesystem::temp_directory_path() / ("qx-docwindow-" + std::to_string(::getpid()) + ".htm");
        std::ofstream(page_) << kPage;
    }
    void TearDown() override {
        std::filesystem::remove(page_);
        BrowserTest::TearDown();
    }
    std::u16string Address() const { return qx::com::Utf8ToUtf16("file://" + page_.string()); }
    static LONG BoxWidth(IWebBrowser2* browser) {
        qx::html::dom::DomPtr dom = Dom(browser);
        return dom->geometry->Geometry(dom->tree.ElementById(u"box")).offsetWidth;
    }

    std::filesystem::path page_;
};

TEST_F(DocumentWindow, AnEmbeddedBrowsersPageTakesInputAndItsSizeFromItsWindow) {
    HWND frame =
        CreateWindowExW(0, u"STATIC", u"", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    ComPtr<IUnknown> container, control;
    ASSERT_EQ(
        AtlAxCreateControlEx(Address().c_str(), frame, nullptr, &container, &control, IID_NULL, nullptr),
        S_OK);
    auto browser = ComPtr<IWebBrowser2>::QueryFrom(control.Get());
    ASSERT_TRUE(WaitComplete(browser.Get()));

    HWND browserWindow = nullptr;
    ComPtr<IOleWindow>::QueryFrom(control.Get())->GetWindow(&browserWindow);
    HWND document = GetWindow(browserWindow, GW_CHILD);
    ASSERT_NE(document, nullptr);
    char16_t name[64] = {};
    GetClassNameW(document, name, 64);
    EXPECT_EQ(std::u16string(name), qx::html::events::kPageWindowClass);
    RECT client{};
    GetClientRect(document, &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(BoxWidth(browser.Get()), 400);

    // A click on the box and keys at the page become its events.
    qx::win32::input::Press(document, 10, 10);
    qx::win32::input::Release(document, 10, 10);
    SetFocus(document);
    qx::win32::input::Key('A', true);
    qx::win32::input::Key('A', false);
    qx::win32::input::PumpUntilIdle(0);
    EXPECT_EQ(Text(browser.Get(), u"hits"), "1");
    EXPECT_EQ(Text(browser.Get(), u"keys"), "[65]");

    // Resizing the hosting window resizes the control, its document window and the viewport.
    const struct { int width, height; } sizes[] = {{500, 200}, {300, 250}};
    for (const auto& size : sizes) {
        MoveWindow(frame, 0, 0, size.width, size.height, TRUE);
        GetClientRect(document, &client);
        EXPECT_EQ(client.right, size.width);
        EXPECT_EQ(client.bottom, size.height);
        EXPECT_EQ(BoxWidth(browser.Get()), size.width);
    }

    // The next page is made in a document window of its own, at the size of the moment.
    ASSERT_TRUE(Load(browser.Get(), Address()));
    EXPECT_EQ(BoxWidth(browser.Get()), 300);
    HWND next = GetWindow(browserWindow, GW_CHILD);
    ASSERT_NE(next, nullptr);
    qx::win32::input::Press(next, 5, 5);
    qx::win32::input::Release(next, 5, 5);
    EXPECT_EQ(Text(browser.Get(), u"hits"), "1");
    DestroyWindow(frame);
}

TEST_F(DocumentWindow, ABrowserWithoutASiteLaysItsPageOutAtTheDefaultSize) {
    ComPtr<IWebBrowser2> browser = NewBrowser();
    ASSERT_TRUE(Load(browser.Get(), Address()));
    EXPECT_EQ(BoxWidth(browser.Get()), 1024);
    HWND browserWindow = nullptr;
    ComPtr<IOleWindow>::QueryFrom(browser.Get())->GetWindow(&browserWindow);
    EXPECT_EQ(GetWindow(browserWindow, GW_CHILD), nullptr);
}

} // namespace
