// The form control in a window: the toolbar page and the hidden print host, the page bridge as
// window.external, keyboard translation before InitComplete, the working notice, and what is left
// once the control is gone.
#include "velkor_test_support.h"

#include "recording_window.h"

#include <exdisp.h>
#include <mshtml.h>
#include <qx/com/control/control_host.h>
#include <qx/html/browser/hosting_window.h>
#include <qx/win32/dialog_view.h>

#include <chrono>
#include <memory>
#include <thread>

using namespace velkor_test;
using qx::com::control::ControlHost;
using qx::com::control::ControlHostOptions;

namespace {

class VelkorWindowTest : public VelkorTest {
protected:
    void SetUp() override {
        VelkorTest::SetUp();
        ASSERT_TRUE(AtlAxWinInit());
        parent_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
    }
    void TearDown() override {
        if (host_)
            host_->Close();
        host_.reset();
        parent_.reset();
        Pump();
        VelkorTest::TearDown();
    }

    void Activate(std::vector<std::pair<std::u16string, std::u16string>> params = {}) {
        ControlHostOptions options;
        options.parent = parent_->hwnd();
        options.position = {0, 0, 600, 500};
        options.params = std::move(params);
        options.onEvent = [this](DISPID id, const std::u16string&, std::vector<Variant>&) {
            events_.push_back(id);
        };
        ASSERT_EQ(ControlHost::Create(CLSID_Velkor, std::move(options), &host_), S_OK);
        control_ = ComPtr<IVelkor>::QueryFrom(host_->Control());
        ASSERT_TRUE(control_);
        ASSERT_TRUE(WaitComplete(PageBrowser().Get()));
    }

    HWND ControlWindow() const { return host_->ControlWindow(); }

    ComPtr<IWebBrowser2> PageBrowser() const {
        ComPtr<IUnknown> control;
        AtlAxGetControl(ControlWindow(), &control);
        return ComPtr<IWebBrowser2>::QueryFrom(control.Get());
    }

    ComPtr<IDispatch> External() const {
        ComPtr<IDispatch> documentDispatch;
        PageBrowser()->get_Document(&documentDispatch);
        auto document = ComPtr<IHTMLDocument2>::QueryFrom(documentDispatch.Get());
        ComPtr<IDispatch> windowDispatch;
        if (!document || FAILED(document->get_parentWindow(&windowDispatch)))
            return nullptr;
        auto window = ComPtr<IHTMLWindow2>::QueryFrom(windowDispatch.Get());
        ComPtr<IDispatch> external;
        window->get_external(&external);
        return external;
    }

    std::unique_ptr<qx::test::RecordingWindow> parent_;
    std::unique_ptr<ControlHost> host_;
    ComPtr<IVelkor> control_;
    std::vector<DISPID> events_;
};

TEST_F(VelkorWindowTest, WindowHoldsTheToolbarPageAndAHiddenPrintHost) {
    Activate();
    ASSERT_NE(ControlWindow(), nullptr);
    ComPtr<IWebBrowser2> page = PageBrowser();
    ASSERT_TRUE(page);
    Bstr location;
    ASSERT_EQ(page->get_LocationURL(&location), S_OK);
    EXPECT_EQ(location.ToUtf8(), "res://" + kVelkor + "/102");

    HWND printHost = nullptr;
    for (HWND child = GetWindow(ControlWindow(), GW_CHILD); child && !printHost;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof(name));
        if (std::string(name) == "STATIC")
            printHost = child;
    }
    ASSERT_NE(printHost, nullptr);
    EXPECT_FALSE(IsWindowVisible(printHost));
    RECT box{};
    GetWindowRect(printHost, &box);
    POINT origin{box.left, box.top};
    ScreenToClient(ControlWindow(), &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 100);
    EXPECT_EQ(box.right - box.left, 500);
    EXPECT_EQ(box.bottom - box.top, 400);
    ComPtr<IUnknown> printControl;
    ASSERT_EQ(AtlAxGetControl(printHost, &printControl), S_OK);
    auto printBrowser = ComPtr<IWebBrowser2>::QueryFrom(printControl.Get());
    ASSERT_TRUE(printBrowser);
    ASSERT_EQ(printBrowser->get_LocationURL(&location), S_OK);
    EXPECT_EQ(location.View(), u"about:blank");

    // Before InitComplete every key counts as translated and the page never sees it.
    auto active = ComPtr<IOleInPlaceActiveObject>::QueryFrom(control_.Get());
    MSG key{ControlWindow(), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_EQ(active->TranslateAccelerator(&key), S_OK);
}

TEST_F(VelkorWindowTest, BridgeAnswersItsFiveNames) {
    Activate({{u"StartMode", u"2"}});
    ComPtr<IDispatch> external = External();
    ASSERT_TRUE(external);

    struct NameCase {
        const char16_t* name;
        HRESULT hr;
        DISPID id;
    };
    const NameCase names[] = {{u"execcommand", S_OK, 1},  {u"QUERYSTATUS", S_OK, 2},
                              {u"InitComplete", S_OK, 3}, {u"DocumentComplete", S_OK, 4},
                              {u"FieldUpdate", S_OK, 5},  {u"Print", DISP_E_UNKNOWNNAME, -7}};
    for (const NameCase& c : names) {
        LPOLESTR name[2] = {const_cast<LPOLESTR>(c.name), const_cast<LPOLESTR>(u"InitComplete")};
        DISPID ids[2] = {-7, -7};
        EXPECT_EQ(external->GetIDsOfNames(IID_NULL, name, 2, 0, ids), c.hr);
        EXPECT_EQ(ids[0], c.id);
        EXPECT_EQ(ids[1], -7) << "only the first name is looked up";
    }
    LPOLESTR none[1] = {nullptr};
    DISPID id = 0;
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, none, 1, 0, &id), E_POINTER);

    struct InvokeCase {
        DISPID id;
        std::vector<Variant> args; // first first
        HRESULT hr;
        Variant result;
    };
    const InvokeCase calls[] = {
        {1, {Variant(LONG{26})}, S_OK, Variant(u"font-family:굴림체;font-size:10pt")},
        {1, {Variant(u"26")}, S_OK, Variant()},
        {1, {Variant(LONG{26}), Variant(LONG{5})}, S_OK, Variant(u"font-family:굴림체;font-size:10pt")},
        {1, {Variant(LONG{27})}, S_OK, Variant()},
        {2, {Variant(LONG{17})}, S_OK, Variant(SHORT{2})},
        {2, {Variant(LONG{0x10011})}, S_OK, Variant(SHORT{2})},
        {2, {Variant(LONG{3})}, S_OK, Variant()},
        {4, {}, S_OK, Variant()},
        {5, {}, S_OK, Variant()},
        {6, {}, DISP_E_MEMBERNOTFOUND, Variant()},
    };
    for (const InvokeCase& c : calls) {
        SCOPED_TRACE(c.id);
        std::vector<Variant> reversed(c.args.rbegin(), c.args.rend());
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                          static_cast<UINT>(reversed.size()), 0};
        Variant result;
        EXPECT_EQ(external->Invoke(c.id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
                  c.hr);
        ASSERT_EQ(result.vt, c.result.vt);
        if (c.result.vt == VT_BSTR) {
            EXPECT_EQ(Bstr(result.bstrVal), Bstr(c.result.bstrVal));
        } else if (c.result.vt == VT_I2) {
            EXPECT_EQ(result.iVal, c.result.iVal);
        }
    }
    // Missing parameters count as none.
    EXPECT_EQ(external->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK);
    DISPPARAMS broken{nullptr, nullptr, 2, 0};
    EXPECT_EQ(external->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &broken, nullptr, nullptr, nullptr), S_OK);

    // QueryStatus(25) tells the page's host through the QueryMode event.
    events_.clear();
    Variant mode(LONG{25});
    DISPPARAMS one{&mode, nullptr, 1, 0};
    EXPECT_EQ(external->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(events_, std::vector<DISPID>{10});
}

TEST_F(VelkorWindowTest, ExternalOutlivesTheControlHarmlessly) {
    Activate();
    ComPtr<IDispatch> external = External();
    ASSERT_TRUE(external);
    host_->Close();
    host_.reset();
    control_ = nullptr;
    Pump();
    Variant style(LONG{26});
    DISPPARAMS one{&style, nullptr, 1, 0};
    Variant result;
    for (DISPID id = 1; id <= 5; ++id)
        EXPECT_EQ(external->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &one, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_EMPTY);
    EXPECT_EQ(external->Invoke(6, IID_NULL, 0, DISPATCH_METHOD, &one, &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

// Finds the notice: a top-level window with the static control 265.
HWND FindNotice() {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (IsWindow(window) && GetDlgItem(window, 265))
            return window;
    }
    return nullptr;
}

std::string NoticeText(HWND notice) {
    char text[256] = {};
    GetDlgItemTextA(notice, 265, text, sizeof(text));
    return text;
}

TEST_F(VelkorWindowTest, WorkingNoticeShowsOnceAndHides) {
    Activate();
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"처리 중"), -1), S_OK);
    HWND notice = FindNotice();
    ASSERT_NE(notice, nullptr) << "the show returns once the notice is up";
    EXPECT_TRUE(IsWindowVisible(notice));
    const std::string shown = NoticeText(notice);
    // The control's text is ANSI (code page 949) in the dialog.
    EXPECT_EQ(shown.size(), std::string("\xC3\xB3\xB8\xAE \xC1\xDF").size());

    // A second show keeps the dialog and its first text.
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"다른 글"), -1), S_OK);
    EXPECT_EQ(FindNotice(), notice);
    EXPECT_EQ(NoticeText(notice), shown);

    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u""), 0), S_OK);
    EXPECT_EQ(FindNotice(), nullptr);
    // A hide without a show only moves the focus.
    EXPECT_EQ(control_->ShowWorkingDlg(Bstr(u""), 0), S_OK);

    // An empty text empties the default.
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u""), -1), S_OK);
    notice = FindNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(NoticeText(notice), "");
    ASSERT_EQ(control_->ShowWorkingDlg(nullptr, 0), S_OK);
}

TEST_F(VelkorWindowTest, DocumentReadyWaitsForTheNotice) {
    Activate();
    RecordingSink sink;
    DWORD cookie = 0;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(Advise(control_.Get(), &sink, &cookie, point), S_OK);
    PostMessageW(ControlWindow(), 0x7E9, 0, 0);
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"x"), -1), S_OK);
    EXPECT_TRUE(sink.calls.empty()) << "held back during the wait";
    Pump();
    EXPECT_EQ(sink.Ids(), std::vector<DISPID>{1}) << "DocumentComplete once, after the return";
    ASSERT_EQ(control_->ShowWorkingDlg(nullptr, 0), S_OK);
    point->Unadvise(cookie);
}

TEST_F(VelkorWindowTest, DestroyingTheControlEndsTheNotice) {
    Activate();
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"x"), -1), S_OK);
    ASSERT_NE(FindNotice(), nullptr);
    const auto start = std::chrono::steady_clock::now();
    host_->Close();
    host_.reset();
    control_ = nullptr;
    Pump();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    EXPECT_EQ(FindNotice(), nullptr);
}

class RefusingDriver : public qx::win32::MessageBoxRecorder {
public:
    bool FailDialogCreation(const qx::win32::DialogRequest& request) override {
        refused += request.templateId == 239 ? 1 : 0;
        return request.templateId == 239;
    }
    int refused = 0;
};

TEST_F(VelkorWindowTest, RefusedNoticeNeverHangs) {
    RefusingDriver driver;
    qx::win32::SetUiDriver(&driver);
    Activate();
    EXPECT_EQ(control_->ShowWorkingDlg(Bstr(u"x"), -1), S_OK);
    EXPECT_EQ(driver.refused, 1);
    EXPECT_EQ(control_->ShowWorkingDlg(nullptr, 0), S_OK);
    EXPECT_EQ(FindNotice(), nullptr);
    host_->Close();
    host_.reset();
    qx::win32::SetUiDriver(&boxes_);
}

TEST_F(VelkorWindowTest, DestructionRestoresAndReleasesEverything) {
    Activate();
    host_->Close();
    host_.reset();
    control_ = nullptr;
    Pump();
    CoFreeUnusedLibraries();
    LoadedComponent velkor(kVelkor);
    EXPECT_EQ(velkor.Call("DllCanUnloadNow"), S_OK);
}

} // namespace
