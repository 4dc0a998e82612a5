// The container side with the test control: PARAMs as text, in-place activation into a child
// window at the site's rectangle, verbs, events with their arguments, ambient properties, and a
// close that leaves a control still held elsewhere with nothing of the host.
#include "test_control_fixture.h"

#include <olectl.h>
#include <qx/com/control/control_host.h>
#include <winuser_input.h>
#include <winuser_message.h>
#include <winuser_position.h>
#include <winuser_window.h>

namespace qx::test {
namespace {

using com::control::ControlHost;
using com::control::ControlHostOptions;

struct SeenEvent {
    DISPID id;
    std::u16string name;
    std::vector<com::Variant> args;
};

class ControlHosting : public TestControlFixture {
protected:
    ControlHostOptions Options(std::vector<std::pair<std::u16string, std::u16string>> params = {}) {
        ControlHostOptions options;
        options.parent = Parent();
        options.position = {10, 20, 110, 70};
        options.params = std::move(params);
        options.onEvent = [this](DISPID id, const std::u16string& name, std::vector<com::Variant>& args) {
            events_.push_back({id, name, args});
        };
        return options;
    }
    static com::Variant Get(IDispatch* control, const char16_t* name) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        com::Variant result;
        EXPECT_EQ(control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
                  S_OK);
        return result;
    }
    static std::u16string Text(const com::Variant& v) {
        return v.vt == VT_BSTR ? std::u16string(v.bstrVal, SysStringLen(v.bstrVal)) : u"<not text>";
    }
    std::vector<SeenEvent> events_;
};

TEST_F(ControlHosting, ParamsArriveAsTextAndActivationGivesAChildWindowAtTheSiteRectangle) {
    std::unique_ptr<ControlHost> host;
    ASSERT_EQ(
        ControlHost::Create(CLSID_TestControl, Options({{u"caption", u"Hello"}, {u"Count", u"5"}}), &host),
        S_OK);
    EXPECT_EQ(Text(Get(host->Dispatch(), u"ParamTypes")), u"Caption=8;Count=8;");
    EXPECT_EQ(Text(Get(host->Dispatch(), u"Caption")), u"Hello");
    com::Variant count = Get(host->Dispatch(), u"Count");
    EXPECT_EQ(count.vt, VT_I4);
    EXPECT_EQ(count.lVal, 5);

    EXPECT_TRUE(host->InPlaceActive());
    HWND window = host->ControlWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), Parent());
    EXPECT_TRUE(IsWindowVisible(window));
    RECT r{};
    GetWindowRect(window, &r);
    POINT corner{r.left, r.top};
    MapWindowPoints(nullptr, Parent(), &corner, 1);
    EXPECT_EQ(corner.x, 10);
    EXPECT_EQ(corner.y, 20);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 50);

    ASSERT_EQ(host->Move({30, 40, 230, 140}), S_OK);
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 200);
    com::ComPtr<IOleObject> object = com::ComPtr<IOleObject>::QueryFrom(host->Control());
    SIZEL extent{};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 5292); // 200 px at 96 to the inch in HIMETRIC
    EXPECT_EQ(extent.cy, 2646);
}

TEST_F(ControlHosting, VerbsActivateUiAndHide) {
    std::unique_ptr<ControlHost> host;
    ASSERT_EQ(ControlHost::Create(CLSID_TestControl, Options(), &host), S_OK);
    EXPECT_EQ(host->SiteLog(), std::vector<std::string>{"OnInPlaceActivate"});
    EXPECT_FALSE(host->UiActive());

    ASSERT_EQ(host->DoVerb(OLEIVERB_UIACTIVATE), S_OK);
    EXPECT_TRUE(host->UiActive());
    ASSERT_NE(host->ActiveObject(), nullptr);
    EXPECT_EQ(GetFocus(), host->ControlWindow());
    MSG message{host->ControlWindow(), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_EQ(host->ActiveObject()->TranslateAccelerator(&message), S_FALSE);

    ASSERT_EQ(host->DoVerb(OLEIVERB_HIDE), S_OK);
    EXPECT_FALSE(host->UiActive());
    EXPECT_FALSE(IsWindowVisible(host->ControlWindow()));
    ASSERT_EQ(host->DoVerb(OLEIVERB_SHOW), S_OK);
    EXPECT_TRUE(IsWindowVisible(host->ControlWindow()));
    // The shown window is painted through the control's drawing.
    MSG queued{};
    while (PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&queued);
    EXPECT_GE(Get(host->Dispatch(), u"DrawCount").lVal, 1);
    EXPECT_EQ(host->DoVerb(OLEIVERB_OPEN), E_NOTIMPL);
    EXPECT_EQ(host->DoVerb(7), OLEOBJ_S_INVALIDVERB);

    // A control asking for another size is put back where the page has it.
    com::ComPtr<IDispatch> control(host->Dispatch());
    DISPID grow = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"Grow")};
    ASSERT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &grow), S_OK);
    com::Variant args[2] = {com::Variant(LONG(40)), com::Variant(LONG(50))};
    DISPPARAMS params{args, nullptr, 2, 0};
    ASSERT_EQ(control->Invoke(grow, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(host->SiteLog().back(), "OnPosRectChange");
    RECT r{};
    GetWindowRect(host->ControlWindow(), &r);
    EXPECT_EQ(r.right - r.left, 100);
}

TEST_F(ControlHosting, EventsReachTheHostWithTheirNameAndArgumentsInOrder) {
    std::unique_ptr<ControlHost> host;
    ASSERT_EQ(ControlHost::Create(CLSID_TestControl, Options(), &host), S_OK);
    EXPECT_EQ(host->EventInterfaceName(), u"_DTestControlEvents");
    com::ComPtr<ITestControl> control = com::ComPtr<ITestControl>::QueryFrom(host->Control());
    ASSERT_EQ(control->Fire(com::Bstr(u"first").Get(), 7), S_OK);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].id, 1);
    EXPECT_EQ(events_[0].name, u"Changed");
    ASSERT_EQ(events_[0].args.size(), 2u);
    EXPECT_EQ(Text(events_[0].args[0]), u"first");
    EXPECT_EQ(events_[0].args[1].lVal, 7);

    // Frozen events are not fired.
    com::ComPtr<IOleControl> oleControl = com::ComPtr<IOleControl>::QueryFrom(host->Control());
    oleControl->FreezeEvents(TRUE);
    control->Fire(com::Bstr(u"frozen").Get(), 1);
    oleControl->FreezeEvents(FALSE);
    control->Fire(com::Bstr(u"thawed").Get(), 2);
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_EQ(Text(events_[1].args[0]), u"thawed");
}

TEST_F(ControlHosting, ACloseLeavesAControlHeldElsewhereWithNothingOfTheHost) {
    std::unique_ptr<ControlHost> host;
    ASSERT_EQ(ControlHost::Create(CLSID_TestControl, Options(), &host), S_OK);
    ASSERT_EQ(host->DoVerb(OLEIVERB_UIACTIVATE), S_OK);
    com::ComPtr<ITestControl> kept = com::ComPtr<ITestControl>::QueryFrom(host->Control());
    HWND window = host->ControlWindow();
    com::ComPtr<IOleClientSite> site;
    com::ComPtr<IOleObject> object = com::ComPtr<IOleObject>::QueryFrom(kept.Get());
    object->GetClientSite(&site);
    ASSERT_NE(site.Get(), nullptr);

    host.reset();
    EXPECT_FALSE(IsWindow(window));
    IOleClientSite* none = nullptr;
    EXPECT_EQ(object->GetClientSite(&none), S_OK);
    EXPECT_EQ(none, nullptr);
    // The control goes on working, its events reach nobody, and the old site answers nothing.
    EXPECT_EQ(kept->Fire(com::Bstr(u"late").Get(), 1), S_OK);
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(site->ShowObject(), E_UNEXPECTED);
    com::ComPtr<IOleInPlaceSite> inPlace = com::ComPtr<IOleInPlaceSite>::QueryFrom(site.Get());
    EXPECT_EQ(inPlace->CanInPlaceActivate(), S_FALSE);
    HWND parent = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&parent), E_FAIL);
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr), E_UNEXPECTED);
}

// A container whose destruction closes its control, as a page does when its window goes: the
// control window is destroyed after the container's WM_DESTROY, when the control is already gone.
std::unique_ptr<ControlHost>* closedOnDestroy = nullptr;
WNDPROC containerProcedure = nullptr;

LRESULT CALLBACK ClosingContainer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && closedOnDestroy)
        closedOnDestroy->reset();
    return CallWindowProcW(containerProcedure, window, message, wParam, lParam);
}

TEST_F(ControlHosting, AControlReleasedInItsContainersDestructionLeavesItsWindowBehind) {
    HWND container = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, Parent(),
                                     nullptr, nullptr, nullptr);
    ASSERT_NE(container, nullptr);
    ControlHostOptions options = Options();
    options.parent = container;
    std::unique_ptr<ControlHost> host;
    ASSERT_EQ(ControlHost::Create(CLSID_TestControl, std::move(options), &host), S_OK);
    ASSERT_EQ(host->DoVerb(OLEIVERB_UIACTIVATE), S_OK);
    HWND window = host->ControlWindow();
    ASSERT_TRUE(IsWindow(window));
    closedOnDestroy = &host;
    containerProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(container, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClosingContainer)));
    DestroyWindow(container);
    closedOnDestroy = nullptr;
    EXPECT_FALSE(host);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ControlHosting, TheSiteAnswersAmbientPropertiesByDispid) {
    ControlHostOptions options = Options();
    options.ambients[DISPID_AMBIENT_USERMODE] = com::Variant(false);
    std::unique_ptr<ControlHost> host;
    ASSERT_EQ(ControlHost::Create(CLSID_TestControl, std::move(options), &host), S_OK);
    com::ComPtr<IOleClientSite> site;
    com::ComPtr<IOleObject>::QueryFrom(host->Control())->GetClientSite(&site);
    com::ComPtr<IDispatch> ambient = com::ComPtr<IDispatch>::QueryFrom(site.Get());
    ASSERT_NE(ambient.Get(), nullptr);
    const struct {
        DISPID id;
        VARTYPE vt;
        LONG value;
    } cases[] = {{DISPID_AMBIENT_USERMODE, VT_BOOL, 0},
                 {DISPID_AMBIENT_UIDEAD, VT_BOOL, 0},
                 {DISPID_AMBIENT_AUTOCLIP, VT_BOOL, -1},
                 {DISPID_AMBIENT_LOCALEID, VT_I4, 0x0412},
                 {DISPID_AMBIENT_CODEPAGE, VT_I4, 949}};
    for (const auto& c : cases) {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        com::Variant value;
        ASSERT_EQ(ambient->Invoke(c.id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr),
                  S_OK)
            << c.id;
        EXPECT_EQ(value.vt, c.vt) << c.id;
        EXPECT_EQ(c.vt == VT_BOOL ? value.boolVal : value.lVal, c.value) << c.id;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    com::Variant value;
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_PALETTE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value,
                              nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(ControlHosting, TheParamBagReadsTextAsTheTypeAskedForAndRefusesMissingNames) {
    com::ComPtr<IPropertyBag> bag;
    ASSERT_EQ(com::control::CreateParamPropertyBag({{u"StartMode", u"0"}, {u"Name", u"x"}}, &bag), S_OK);
    com::Variant value;
    ASSERT_EQ(bag->Read(u"startmode", &value, nullptr), S_OK);
    EXPECT_EQ(value.vt, VT_BSTR);
    com::Variant number;
    number.vt = VT_I2;
    ASSERT_EQ(bag->Read(u"StartMode", &number, nullptr), S_OK);
    EXPECT_EQ(number.vt, VT_I2);
    EXPECT_EQ(number.iVal, 0);
    com::Variant wrong;
    wrong.vt = VT_I4;
    EXPECT_EQ(bag->Read(u"Name", &wrong, nullptr), DISP_E_TYPEMISMATCH);
    com::Variant missing;
    EXPECT_EQ(bag->Read(u"Other", &missing, nullptr), E_INVALIDARG);
    com::Variant written(LONG(12));
    ASSERT_EQ(bag->Write(u"Other", &written), S_OK);
    ASSERT_EQ(bag->Read(u"other", &missing, nullptr), S_OK);
    EXPECT_EQ(Text(missing), u"12");
}

} // namespace
} // namespace qx::test
