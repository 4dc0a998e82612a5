// The browser control seen from outside: pages of every kind of address with their relative
// scripts and images, the order of its events and ready states, failures, new windows, and the
// hosting window's external dispatch.
#include "browser_test_support.h"

#include "loopback_http_server.h"

#include <ocidl.h>
#include <oleidl.h>
#include <qx/html/events/page_events.h>
#include <qx/win32/ui_driver.h>
#include <servprov.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using browsertest::BrowserTest;
using browsertest::FileUrl;
using browsertest::RecordingDispatch;

std::string ReadData(const std::string& name) {
    std::ifstream in(browsertest::PagesFolder() + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

qx::html::dom::ElementGeometry Geometry(IWebBrowser2* browser, std::u16string_view id) {
    qx::html::dom::DomPtr dom = BrowserTest::Dom(browser);
    return dom->geometry->Geometry(dom->tree.ElementById(id));
}

TEST_F(BrowserTest, PagesLoadWithTheirRelativeScriptsAndImages) {
    qxtest::LoopbackHttpServer server;
    for (const char* name : {"toolbar.htm", "toolbar.js", "logo.gif"}) {
        qxtest::HttpResponse response = qxtest::Reply(200, ReadData(name));
        response.contentType = std::string(name).ends_with(".htm") ? "text/html" : "application/octet-stream";
        server.Serve(std::string("/pages/") + name, response);
    }
    const std::u16string addresses[] = {
        FileUrl("toolbar.htm"),
        qx::com::Utf8ToUtf16("res://" + std::string(QX_TEST_PAGES_MODULE) + "/102"),
        qx::com::Utf8ToUtf16(server.Url("/pages/toolbar.htm")),
    };
    for (const std::u16string& address : addresses) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(address));
        qx::com::ComPtr<IWebBrowser2> browser = NewBrowser();
        ASSERT_TRUE(Load(browser.Get(), address));
        auto platform = qx::com::ComPtr<IWebBrowserPlatform>::QueryFrom(browser.Get());
        EXPECT_FALSE(platform->NavigationFailed());
        EXPECT_EQ(platform->ScriptErrorCount(), 0);
        EXPECT_EQ(Text(browser.Get(), u"out"), "from toolbar.js");
        EXPECT_EQ(Text(browser.Get(), u"state"), "interactive complete");
        EXPECT_EQ(Geometry(browser.Get(), u"logo").offsetWidth, 20);
        EXPECT_EQ(Geometry(browser.Get(), u"logo").offsetHeight, 10);
        qx::com::Bstr location;
        browser->get_LocationURL(&location);
        EXPECT_EQ(std::u16string(location.Get()), address);
        qx::com::Bstr name;
        browser->get_LocationName(&name);
        EXPECT_EQ(std::u16string(name.Get()), u"Toolbar");
        qx::com::ComPtr<IWebBrowser2> shower;
        ASSERT_EQ(qx::html::browser::BrowserOfDocument(Dom(browser.Get()).get(), &shower), S_OK);
        EXPECT_EQ(shower.Get(), browser.Get());
    }
}

TEST_F(BrowserTest, AddressesThatCannotLoadFailCleanly) {
    const std::string notComponent = browsertest::PagesFolder() + "/toolbar.js";
    const std::u16string addresses[] = {
        qx::com::Utf8ToUtf16("res://" + notComponent + "/102"),
        qx::com::Utf8ToUtf16("res://" + std::string(QX_TEST_PAGES_MODULE) + "/999"),
        qx::com::Utf8ToUtf16("res://" + browsertest::PagesFolder() + "/102"),
        FileUrl("missing.htm"),
    };
    for (const std::u16string& address : addresses) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(address));
        qx::com::ComPtr<IWebBrowser2> browser = NewBrowser();
        std::vector<DISPID> events;
        RecordingDispatch sink([&](DISPID id, const std::vector<std::string>&) { events.push_back(id); },
                               DIID_DWebBrowserEvents2);
        auto points = qx::com::ComPtr<IConnectionPointContainer>::QueryFrom(browser.Get());
        qx::com::ComPtr<IConnectionPoint> point;
        ASSERT_EQ(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        ASSERT_TRUE(Load(browser.Get(), address));
        auto platform = qx::com::ComPtr<IWebBrowserPlatform>::QueryFrom(browser.Get());
        EXPECT_TRUE(platform->NavigationFailed());
        EXPECT_EQ(events, (std::vector<DISPID>{250, 106, 271, 252, 104, 259}));
        // An empty page stands in, at the address that failed.
        EXPECT_NE(Dom(browser.Get()), nullptr);
        point->Unadvise(cookie);
    }
}

TEST_F(BrowserTest, EventsAndReadyStatesComeInOrderOnTheQueue) {
    std::vector<std::string> seen;
    qx::com::ComPtr<IWebBrowser2> browser;
    RecordingDispatch readyHandler([&](DISPID, const std::vector<std::string>&) {
        seen.push_back("readystatechange " + qx::com::Utf16ToUtf8(Dom(browser.Get())->readyState));
    });
    RecordingDispatch windowSink(
        [&](DISPID id, const std::vector<std::string>&) { seen.push_back("window " + std::to_string(id)); },
        DIID_HTMLWindowEvents);
    qx::com::ComPtr<IConnectionPoint> windowPoint;
    DWORD windowCookie = 0;
    RecordingDispatch sink(
        [&](DISPID id, const std::vector<std::string>& arguments) {
            READYSTATE state = READYSTATE_UNINITIALIZED;
            browser->get_ReadyState(&state);
            seen.push_back(std::to_string(id) + " " + std::to_string(state) +
                           (arguments.size() >= 2 ? " " + arguments[1] : std::string()));
            if (id == 252) { // the document exists from here: listen to its ready states
                qx::html::dom::DomPtr dom = Dom(browser.Get());
                VARIANT_BOOL done = VARIANT_FALSE;
                dom->events->Attach(dom->tree.Document(), u"onreadystatechange", &readyHandler, &done);
                // The page's window answers its connection points (HTMLWindowEvents).
                qx::com::ComPtr<IDispatch> document;
                browser->get_Document(&document);
                qx::com::ComPtr<IDispatch> window;
                qx::com::ComPtr<IHTMLDocument2>::QueryFrom(document.Get())->get_parentWindow(&window);
                auto windowPoints = qx::com::ComPtr<IConnectionPointContainer>::QueryFrom(window.Get());
                ASSERT_TRUE(windowPoints);
                ASSERT_EQ(windowPoints->FindConnectionPoint(DIID_HTMLWindowEvents, &windowPoint), S_OK);
                ASSERT_EQ(windowPoint->Advise(&windowSink, &windowCookie), S_OK);
            }
        },
        DIID_DWebBrowserEvents2);
    // The handlers outlive the browser, whose page holds them.
    browser = NewBrowser();
    auto points = qx::com::ComPtr<IConnectionPointContainer>::QueryFrom(browser.Get());
    qx::com::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &point), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

    ASSERT_EQ(browser->Navigate(qx::com::Bstr(u"about:blank").Get(), nullptr, nullptr, nullptr, nullptr),
              S_OK);
    // Nothing completes before the queue is pumped.
    READYSTATE state = READYSTATE_UNINITIALIZED;
    VARIANT_BOOL busy = VARIANT_FALSE;
    browser->get_ReadyState(&state);
    browser->get_Busy(&busy);
    EXPECT_EQ(state, READYSTATE_LOADING);
    EXPECT_EQ(busy, VARIANT_TRUE);
    ASSERT_TRUE(WaitComplete(browser.Get()));
    browser->get_Busy(&busy);
    EXPECT_EQ(busy, VARIANT_FALSE);
    const std::vector<std::string> expected = {
        "250 0 about:blank",
        "106 1",
        "252 1 about:blank",
        "readystatechange interactive",
        "readystatechange complete",
        "window 1003",
        "104 4",
        "259 4 about:blank",
    };
    EXPECT_EQ(seen, expected);
    ASSERT_TRUE(windowPoint);
    windowPoint->Unadvise(windowCookie);
    windowPoint = nullptr;
    point->Unadvise(cookie);
    point = nullptr;
    points = nullptr;
    browser = nullptr;
}

TEST_F(BrowserTest, LocationAndFormsNavigateTheBrowserThatShowsThePage) {
    char pattern[] = "/tmp/qx-navigate-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const struct {
        const char* page;
        const char16_t* shown; // the address the browser ends at; null: the page itself
        const char* out;
    } rows[] = {
        {"<body><script>location.replace('about:blank')</script>", u"about:blank", nullptr},
        {"<body><form id=f action='about:blank'><input name=a value=1></form><script>f.submit()</script>",
         u"about:blank?a=1", nullptr},
        {"<body><form id=f action='about:blank' method=post><input name=a value=1></form>"
         "<script>f.submit()</script>",
         u"about:blank", nullptr},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        const std::string path = dir + "/page" + std::to_string(n++) + ".htm";
        std::ofstream(path) << row.page;
        const std::u16string address = qx::com::Utf8ToUtf16("file://" + path);
        qx::com::ComPtr<IWebBrowser2> browser = NewBrowser();
        ASSERT_TRUE(Load(browser.Get(), address));
        qx::com::Bstr location;
        browser->get_LocationURL(&location);
        EXPECT_EQ(std::u16string(location.Get()), row.shown ? std::u16string(row.shown) : address);
        if (row.out) {
            EXPECT_EQ(Text(browser.Get(), u"out"), row.out);
        }
    }
    std::filesystem::remove_all(dir);
}

TEST_F(BrowserTest, ANewerNavigationDropsTheOlderOne) {
    qx::com::ComPtr<IWebBrowser2> browser = NewBrowser();
    browser->Navigate(qx::com::Bstr(FileUrl("toolbar.htm")).Get(), nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(Load(browser.Get(), u"about:blank"));
    qx::win32::input::PumpUntilIdle(0);
    qx::com::Bstr location;
    browser->get_LocationURL(&location);
    EXPECT_EQ(std::u16string(location.Get()), u"about:blank");
    EXPECT_EQ(Text(browser.Get(), u"out"), "<none>");
}

TEST_F(BrowserTest, ANewWindowIsAskedOfTheUiDriver) {
    qx::win32::UiRecorder recorder;
    qx::win32::UiDriver* previous = qx::win32::SetUiDriver(&recorder);
    qx::com::ComPtr<IWebBrowser2> browser = NewBrowser();
    ASSERT_TRUE(Load(browser.Get(), u"about:blank"));
    qx::com::Variant flags{LONG(navOpenInNewWindow)}, empty;
    EXPECT_EQ(browser->Navigate(qx::com::Bstr(u"http://example.invalid/link.htm").Get(), &flags, &empty,
                                &empty, &empty),
              S_OK);
    qx::win32::SetUiDriver(previous);
    const auto requests = recorder.BrowserWindowRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].url, "http://example.invalid/link.htm");
    qx::com::Bstr location;
    browser->get_LocationURL(&location);
    EXPECT_EQ(std::u16string(location.Get()), u"about:blank");
}

TEST_F(BrowserTest, TheHostingWindowMakesControlsByProgIdOrClass) {
    struct Case {
        const char16_t* name;
        HRESULT result;
    };
    const Case cases[] = {
        {u"Shell.Explorer", S_OK},
        {u"{8856F961-340A-11D0-A96B-00C04FD705A2}", S_OK},
        {u"{0E0C1C55-0000-4000-8000-00000000AB01}", REGDB_E_CLASSNOTREG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.name));
        HWND window = CreateWindowExW(0, u"STATIC", u"", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr,
                                      nullptr, nullptr);
        qx::com::ComPtr<IUnknown> container, control;
        EXPECT_EQ(AtlAxCreateControlEx(c.name, window, nullptr, &container, &control, IID_NULL, nullptr),
                  c.result);
        qx::com::ComPtr<IUnknown> host;
        EXPECT_EQ(AtlAxGetHost(window, &host), SUCCEEDED(c.result) ? S_OK : E_FAIL);
        if (SUCCEEDED(c.result)) {
            auto browser = qx::com::ComPtr<IWebBrowser2>::QueryFrom(control.Get());
            ASSERT_TRUE(browser);
            // Made by name, it shows nothing until navigated.
            READYSTATE state = READYSTATE_COMPLETE;
            browser->get_ReadyState(&state);
            EXPECT_EQ(state, READYSTATE_UNINITIALIZED);
        }
        DestroyWindow(window);
    }
}

TEST_F(BrowserTest, TheHostingWindowGivesEveryPageItsExternalDispatch) {
    HWND window =
        CreateWindowExW(0, u"STATIC", u"", WS_OVERLAPPED, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    std::vector<std::string> calls;
    RecordingDispatch external([&](DISPID, const std::vector<std::string>& arguments) {
        calls.push_back(arguments.empty() ? std::string() : arguments[0]);
    });
    qx::com::ComPtr<IUnknown> container;
    const std::u16string page = FileUrl("external.htm");
    ASSERT_EQ(AtlAxCreateControl(page.c_str(), window, nullptr, &container), S_OK);
    auto host = qx::com::ComPtr<IAxWinHostWindow>::QueryFrom(container.Get());
    ASSERT_EQ(host->SetExternalDispatch(&external), S_OK);
    qx::com::ComPtr<IUnknown> control;
    ASSERT_EQ(AtlAxGetControl(window, &control), S_OK);
    auto browser = qx::com::ComPtr<IWebBrowser2>::QueryFrom(control.Get());
    ASSERT_TRUE(browser);
    ASSERT_TRUE(WaitComplete(browser.Get()));
    // A second page of the same browser gets it too.
    ASSERT_TRUE(Load(browser.Get(), page));
    EXPECT_EQ(calls, (std::vector<std::string>{"script object", "loaded", "script object", "loaded"}));

    // The browser sits in the window over its client area.
    HWND browserWindow = nullptr;
    qx::com::ComPtr<IOleWindow>::QueryFrom(control.Get())->GetWindow(&browserWindow);
    EXPECT_EQ(GetParent(browserWindow), window);
    RECT area{};
    GetWindowRect(browserWindow, &area);
    EXPECT_EQ(area.right - area.left, 640);
    LONG width = 0, left = 0;
    EXPECT_EQ(browser->put_Width(320), S_OK);
    EXPECT_EQ(browser->put_Left(7), S_OK);
    browser->get_Width(&width);
    browser->get_Left(&left);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(left, 7);

    // A control in the page finds the browser through its site's container.
    auto object = qx::com::ComPtr<IOleObject>::QueryFrom(control.Get());
    qx::com::ComPtr<IOleClientSite> site;
    ASSERT_EQ(object->GetClientSite(&site), S_OK);
    qx::com::ComPtr<IOleContainer> siteContainer;
    ASSERT_EQ(site->GetContainer(&siteContainer), S_OK);
    auto services = qx::com::ComPtr<IServiceProvider>::QueryFrom(siteContainer.Get());
    qx::com::ComPtr<IWebBrowser2> served;
    ASSERT_EQ(
        services->QueryService(SID_SInternetExplorer, IID_IWebBrowser2, reinterpret_cast<void**>(&served)),
        S_OK);
    EXPECT_EQ(served.Get(), browser.Get());
    site = nullptr;
    siteContainer = nullptr;
    services = nullptr;
    served = nullptr;

    const qx::html::dom::DomDocument* shown = Dom(browser.Get()).get();

    // The window's end closes the control: it keeps nothing of the host, and lets go of the
    // external dispatch.
    DestroyWindow(window);
    qx::com::ComPtr<IOleClientSite> after;
    object->GetClientSite(&after);
    EXPECT_EQ(after.Get(), nullptr);
    EXPECT_EQ(AtlAxGetHost(window, container.ReleaseAndGetAddressOf()), E_FAIL);
    object = nullptr;
    browser = nullptr;
    control = nullptr;
    container = nullptr;
    host = nullptr;
    EXPECT_EQ(external.References(), 1u);
    // The browser is gone, and with it what it showed.
    qx::com::ComPtr<IWebBrowser2> none;
    EXPECT_EQ(qx::html::browser::BrowserOfDocument(shown, &none), E_FAIL);
}

} // namespace
