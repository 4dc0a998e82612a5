// The form control in a window: the toolbar page and the hidden print host, the page bridge as
// window.external, keyboard translation before InitComplete, and what is left once the control is
// gone.
#include "velkor_window_support.h"

using namespace velkor_test;

namespace {

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
