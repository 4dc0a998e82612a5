#include "page_host.h"

#include "answers_driver.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/html/browser/hosting_window.h>
#include <qx/html/browser/web_browser.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/dom/html_parser.h>
#include <qx/html/dom/serializer.h>
#include <qx/win32/input_driver.h>
#include <qx/win32/virtual_clock.h>
#include <qx/xml/xml_dom.h>
#include <winuser_message.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

namespace qx::host {
namespace {

bool IsUrl(const std::string& page) {
    return page.find("://") != std::string::npos || page.rfind("about:", 0) == 0;
}

// The address of the page: a URL as it stands, a path as an absolute file: URL; empty (with the
// reason on standard error) for a file that cannot be read.
std::u16string PageAddress(const std::string& page) {
    if (IsUrl(page))
        return com::Utf8ToUtf16(page);
    if (!std::ifstream(page, std::ios::binary)) {
        std::fprintf(stderr, "pagehost: cannot read \"%s\"\n", page.c_str());
        return {};
    }
    std::error_code ec;
    return com::Utf8ToUtf16("file://" + std::filesystem::absolute(page, ec).lexically_normal().string());
}

bool Save(IWebBrowser2* browser, const std::string& path) {
    com::ComPtr<IDispatch> document;
    com::ComPtr<IHtmlNodeAccess> access;
    if (SUCCEEDED(browser->get_Document(&document)) && document)
        access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
    if (!access) {
        std::fprintf(stderr, "pagehost: no document to save\n");
        return false;
    }
    const html::dom::DomPtr& dom = access->AccessDocument();
    const std::string bytes =
        html::dom::EncodeDocumentText(html::dom::DocumentHtml(dom->tree), dom->tree.charset);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) {
        std::fprintf(stderr, "pagehost: cannot write \"%s\"\n", path.c_str());
        return false;
    }
    return true;
}

bool Complete(IWebBrowser2* browser) {
    READYSTATE state = READYSTATE_UNINITIALIZED;
    return SUCCEEDED(browser->get_ReadyState(&state)) && state == READYSTATE_COMPLETE;
}

// Runs the page's queue until it has completed and nothing is left, in page time up to the limit;
// a page still loading waits in real time up to the same limit. False when it never completed.
bool RunPage(IWebBrowser2* browser, unsigned seconds) {
    const DWORD limit = static_cast<DWORD>(seconds) * 1000u;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        win32::input::PumpUntilIdle(limit);
        if (Complete(browser)) {
            // What the completion started (timers, posted messages) runs too.
            win32::input::PumpUntilIdle(limit);
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int Run(const PageHostOptions& options, const std::u16string& address) {
    if (!AtlAxWinInit()) {
        std::fprintf(stderr, "pagehost: the browser cannot start\n");
        return kPageCannotLoad;
    }
    HWND frame = CreateWindowExW(0, u"STATIC", u"pagehost", WS_OVERLAPPEDWINDOW, 0, 0, 1024, 768, nullptr,
                                 nullptr, nullptr, nullptr);
    if (frame) {
        // The page is laid out in the frame's client area: 1024 x 768, whatever the frame's borders.
        RECT outer{}, client{};
        GetWindowRect(frame, &outer);
        GetClientRect(frame, &client);
        SetWindowPos(frame, nullptr, 0, 0, 1024 + (outer.right - outer.left) - client.right,
                     768 + (outer.bottom - outer.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
    com::ComPtr<IUnknown> host;
    com::ComPtr<IUnknown> control;
    if (!frame ||
        FAILED(AtlAxCreateControlEx(u"Shell.Explorer", frame, nullptr, &host, &control, IID_NULL, nullptr))) {
        if (frame)
            DestroyWindow(frame);
        std::fprintf(stderr, "pagehost: the browser cannot start\n");
        return kPageCannotLoad;
    }
    com::ComPtr<IWebBrowser2> browser = com::ComPtr<IWebBrowser2>::QueryFrom(control.Get());
    com::ComPtr<IWebBrowserPlatform> platform = com::ComPtr<IWebBrowserPlatform>::QueryFrom(control.Get());
    ShowWindow(frame, SW_SHOW);
    int status = kPageOk;
    browser->Navigate(com::Bstr(address).Get(), nullptr, nullptr, nullptr, nullptr);
    const unsigned seconds = options.seconds.value_or(kIdleLimitSeconds);
    if (!RunPage(browser.Get(), seconds)) {
        std::fprintf(stderr, "pagehost: \"%s\" did not complete within %u seconds\n", options.page.c_str(),
                     seconds);
        status = kPageIncomplete;
    } else if (platform->NavigationFailed()) {
        std::fprintf(stderr, "pagehost: cannot load \"%s\"\n", options.page.c_str());
        status = kPageCannotLoad;
    }
    if (status == kPageOk && platform->ScriptErrorCount() > 0)
        status = kPageScriptError;
    if (status != kPageCannotLoad && !options.savePath.empty() && !Save(browser.Get(), options.savePath))
        status = kPageCannotLoad;
    browser = nullptr;
    platform = nullptr;
    control = nullptr;
    host = nullptr;
    DestroyWindow(frame);
    return status;
}

} // namespace

int RunPageHost(const PageHostOptions& options) {
    const std::u16string address = PageAddress(options.page);
    if (address.empty())
        return kPageCannotLoad;
    // The answers script runs in an engine of its own, on this thread, before the page does.
    std::unique_ptr<AnswersDriver> answers;
    if (!options.answersPath.empty()) {
        int status = kPageOk;
        answers = AnswersDriver::Load(options.answersPath, std::cerr, status, "pagehost");
        if (!answers)
            return kPageCannotLoad;
    }
    DriverInstallation installed(answers.get());
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // The platform's XML parser is creatable by its ProgIDs whatever the registry holds, as in
    // scripthost: pages and the controls on them make it by name.
    const bool xml = SUCCEEDED(init) && SUCCEEDED(qx::xml::RegisterXmlDomClass());
    win32::InstallVirtualClock(0);
    const int status = Run(options, address);
    win32::RemoveVirtualClock();
    if (xml)
        qx::xml::RevokeXmlDomClass();
    if (SUCCEEDED(init))
        CoUninitialize();
    return status;
}

} // namespace qx::host
