// The form control made by COM: the installation checks and their boxes, the property bag, the
// names and DISPIDs of IVelkor, the members that need no window, and event delivery.
#include "velkor_test_support.h"

#include <objsafe.h>
#include <ocidl.h>
#include <qx/com/control/control_host.h>

#include <map>

using namespace velkor_test;

namespace {

const std::string kBoxCaption = "알림";
const std::string kEditorOlder = "현재 dhtml editor가 옛버젼이 설치된것으로 확인 되었습니다.\n\n이버젼을 "
                                 "가지고 문서로딩에 문제가 있습니다.\n"
                                 "IE 종료하고 새버젼을 설치후 재실행해 주십시요";
const std::string kEditorMissing =
    "현재 dhtml editor가 설치 안되어 있거나 문제가 있는 것으로 확인 되었습니다. "
    "\n\nIE 종료하고 editor 설치후 재실행해 주십시요\n";
const std::string kConverterOlder = "'voHTMLForamt'이 v.1.0.1.1 이상이어야 합니다.";

TEST_F(VelkorTest, EditingControlVersionsDecideCreation) {
    struct Case {
        std::string editorFile;    // "" : the key is removed
        std::string converterFile; // "" : the registered converter
        HRESULT hr;
        std::string box; // "" : no box
    };
    const std::string longValue(256, 'a'); // no terminator fits in the buffer
    const Case cases[] = {
        {VersionFile("6.1.0.8513"), "", S_OK, ""},
        {VersionFile("6.1.0.9999"), "", S_OK, ""},
        {VersionFile("7.0.0.0"), "", S_OK, ""},
        {VersionFile("6.1.0.8512"), "", E_FAIL, kEditorOlder},
        {"", "", E_FAIL, kEditorMissing},
        {"/nonexistent/editor.so", "", E_FAIL, kEditorMissing},
        {VersionFile("none"), "", E_FAIL, kEditorMissing},
        {longValue, "", E_FAIL, kEditorMissing},
        {VersionFile("6.1.0.8513"), VersionFile("1.0.1.0"), E_FAIL, kConverterOlder},
        {VersionFile("6.1.0.8512"), VersionFile("1.0.1.0"), E_FAIL, kEditorOlder},
    };
    const std::u16string converterPath = DefaultValue(kConverterServerKey);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.editorFile + " / " + c.converterFile);
        if (c.editorFile.empty())
            RegDeleteKeyW(HKEY_CLASSES_ROOT, kEditorServerKey);
        else
            SetEditorFile(c.editorFile);
        SetDefault(kConverterServerKey,
                   c.converterFile.empty() ? converterPath : qx::com::Utf8ToUtf16(c.converterFile));
        boxes_.Clear();
        ComPtr<IVelkor> control;
        EXPECT_EQ(Create(control), c.hr);
        const auto calls = boxes_.Calls();
        if (c.box.empty()) {
            EXPECT_TRUE(calls.empty());
            continue;
        }
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].text, c.box);
        EXPECT_EQ(calls[0].caption, kBoxCaption);
        EXPECT_EQ(calls[0].type, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(calls[0].owner, GetDesktopWindow());
        EXPECT_FALSE(calls[0].wide);
    }
}

TEST_F(VelkorTest, UnregisteredConverterFailsWithItsError) {
    for (const char16_t* key : {u"Quorle.Convert\\CLSID", u"Quorle.Convert\\CurVer", u"Quorle.Convert"})
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
    CLSID ignored{};
    const HRESULT expected = CLSIDFromProgID(u"Quorle.Convert", &ignored);
    ComPtr<IVelkor> control;
    EXPECT_EQ(Create(control), expected);
    const auto calls = boxes_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "Quorle component is not registered");
    EXPECT_EQ(calls[0].caption, "Error");
    EXPECT_EQ(calls[0].type, static_cast<UINT>(MB_OK));
}

// A property bag holding fixed values, recording what is written into it.
class FixedBag : public IPropertyBag {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        auto it = values.find(name);
        if (it == values.end())
            return E_INVALIDARG;
        return VariantCopy(value, &it->second);
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        written[name] = *value;
        return S_OK;
    }
    std::map<std::u16string, Variant> values, written;
};

TEST_F(VelkorTest, PropertyBagTakesOnlyTextStartModes) {
    struct Case {
        Variant value;
        SHORT mode;
    };
    const Case cases[] = {
        {Variant(u"0"), 0},     {Variant(u"2"), 2},    {Variant(u"x"), 1},
        {Variant(u"99999"), 1}, {Variant(LONG{0}), 1},
    };
    for (const Case& c : cases) {
        ComPtr<IVelkor> control;
        ASSERT_EQ(Create(control), S_OK);
        auto persist = ComPtr<IPersistPropertyBag>::QueryFrom(control.Get());
        FixedBag bag;
        bag.values[u"StartMode"] = c.value;
        EXPECT_EQ(persist->Load(&bag, nullptr), S_OK);
        SHORT mode = -1;
        ASSERT_EQ(control->get_StartMode(&mode), S_OK);
        EXPECT_EQ(mode, c.mode);
        ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
        ASSERT_EQ(bag.written.size(), 1u);
        EXPECT_EQ(bag.written[u"StartMode"].vt, VT_I4);
        EXPECT_EQ(bag.written[u"StartMode"].lVal, c.mode);
    }
}

TEST_F(VelkorTest, ObjectSafetyAcceptsOnlyTheScriptingOptions) {
    ComPtr<IVelkor> control;
    ASSERT_EQ(Create(control), S_OK);
    auto safety = ComPtr<IObjectSafety>::QueryFrom(control.Get());
    ASSERT_TRUE(safety);
    DWORD supported = 0, enabled = 0;
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3), S_OK);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IClassFactory, 1, 1), E_NOINTERFACE);
}

TEST_F(VelkorTest, EveryMemberHasItsDispid) {
    const char16_t* names[] = {u"Editor",
                               u"Fields",
                               u"ReservedFields",
                               u"RequiredFields",
                               u"SignFields",
                               u"Mode",
                               u"DocumentHTML",
                               u"LoadURL",
                               u"StartMode",
                               u"ExecCommand",
                               u"QueryStatus",
                               u"ShowToolbar",
                               u"CurTDElement",
                               u"Sleep",
                               u"MHTMLSave",
                               u"FileOpenDlg",
                               u"FileSaveDlg",
                               u"PrintDocument",
                               u"FileNew",
                               u"InnerHTML",
                               u"tableFixedAddCol",
                               u"tableFixedRemoveCol",
                               u"tableFixedAddRow",
                               u"tableFixedRemoveRow",
                               u"specialTableBorderStyle",
                               u"specialTableObject",
                               u"PrintPreViewDocument",
                               u"CurSelElement",
                               u"SetTDFocus",
                               u"SetKeyIgnore",
                               u"tableFlexibleAddRow",
                               u"tableFlexibleRemoveRow",
                               u"CurTableElement",
                               u"ShowWorkingDlg",
                               u"Option",
                               u"SpellingCheck",
                               u"SetCheckFieldForAdmin",
                               u"Version",
                               u"Refresh",
                               u"XMLConvert",
                               u"RebuidLastPrintTable"};
    static_assert(std::size(names) == 41);
    ComPtr<IVelkor> control;
    ASSERT_EQ(Create(control), S_OK);
    for (DISPID expected = 1; expected <= 41; ++expected) {
        LPOLESTR name = const_cast<LPOLESTR>(names[expected - 1]);
        DISPID id = 0;
        ASSERT_EQ(control->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, expected) << qx::com::Utf16ToUtf8(names[expected - 1]);
    }
    for (UINT count : {2u, 3u}) {
        Variant args[3] = {Variant(LONG{1}), Variant(LONG{0}), Variant(LONG{1})};
        DISPPARAMS params{args, nullptr, count, 0};
        Variant result;
        EXPECT_EQ(control->Invoke(31, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
                  S_OK);
    }
}

TEST_F(VelkorTest, MembersWithoutAWindow) {
    ComPtr<IVelkor> control;
    ASSERT_EQ(Create(control), S_OK);
    Bstr version;
    ASSERT_EQ(control->get_Version(&version), S_OK);
    EXPECT_EQ(version.View(), u"1,0,0,1");
    EXPECT_EQ(control->Sleep(-5), S_OK);
    EXPECT_EQ(control->Sleep(0), S_OK);

    // Before any page or document the commands answer as the bridge does without one.
    FORMPROCESSOR_CMDF status = FPF_LATCHED;
    ASSERT_EQ(control->QueryStatus(FPID_INIT_EDIT_MODE, Variant(), &status), S_OK);
    EXPECT_EQ(status, static_cast<FORMPROCESSOR_CMDF>(1));
    ASSERT_EQ(control->QueryStatus(FPID_SPLIT, Variant(), &status), S_OK);
    EXPECT_EQ(status, FPF_NOTSUPPORTED);
    EXPECT_EQ(control->ExecCommand(FPID_GetTableStyle, Variant()), S_OK);

    // Option keeps its value; Mode changes nothing.
    ASSERT_EQ(control->put_Option(3), S_OK);
    LONG option = 0;
    ASSERT_EQ(control->get_Option(&option), S_OK);
    EXPECT_EQ(option, 3);
    SHORT mode = 42;
    ASSERT_EQ(control->put_Mode(7), S_OK);
    ASSERT_EQ(control->get_Mode(&mode), S_OK);
    EXPECT_EQ(mode, 42);

    // Without a page document ShowToolbar leaves StartMode alone.
    ASSERT_EQ(control->ShowToolbar(0), S_OK);
    ASSERT_EQ(control->get_StartMode(&mode), S_OK);
    EXPECT_EQ(mode, 1);

    ComPtr<IDispatch> editor;
    EXPECT_EQ(control->get_Editor(&editor), E_FAIL);
    EXPECT_EQ(control->get_Editor(nullptr), E_POINTER);
    ComPtr<IDispatch> fields;
    ASSERT_EQ(control->get_Fields(&fields), S_OK);
    auto collection = ComPtr<IqxFormFields>::QueryFrom(fields.Get());
    ASSERT_TRUE(collection);
    ComPtr<IDispatch> item;
    // Before any scan there is no document to name several elements.
    EXPECT_EQ(collection->get_Item(Variant(u"amount"), &item), S_OK);
    EXPECT_EQ(item.Get(), nullptr);
    EXPECT_EQ(control->Refresh(), S_OK);
    EXPECT_EQ(control->FileNew(), S_OK);
    EXPECT_EQ(control->SetCheckFieldForAdmin(-1, Variant::Missing()), S_OK);
}

TEST_F(VelkorTest, EventsReachEverySinkInAdviseOrder) {
    ComPtr<IVelkor> control;
    ASSERT_EQ(Create(control), S_OK);
    RecordingSink first, second;
    first.failWith = E_FAIL;
    DWORD firstCookie = 0, secondCookie = 0;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(Advise(control.Get(), &first, &firstCookie, point), S_OK);
    ASSERT_EQ(Advise(control.Get(), &second, &secondCookie, point), S_OK);
    std::vector<int> order;
    first.onCall = [&](DISPID) { order.push_back(1); };
    second.onCall = [&](DISPID) { order.push_back(2); };
    FORMPROCESSOR_CMDF status;
    ASSERT_EQ(control->QueryStatus(FPID_QUERY_MODE, Variant(), &status), S_OK);
    EXPECT_EQ(status, FPF_NOTSUPPORTED);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(second.Ids(), std::vector<DISPID>{10});
    point->Unadvise(firstCookie);
    point->Unadvise(secondCookie);
}

TEST_F(VelkorTest, SinksMayUnadviseDuringAFire) {
    struct Case {
        const char* name;
        bool firstDropsItself;
        bool firstDropsSecond;
        std::vector<DISPID> firstSees, secondSees; // after two fires
    };
    const Case cases[] = {
        {"drops itself", true, false, {10}, {10, 10}},
        {"drops the other", false, true, {10, 10}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IVelkor> control;
        ASSERT_EQ(Create(control), S_OK);
        RecordingSink first, second;
        DWORD firstCookie = 0, secondCookie = 0;
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(Advise(control.Get(), &first, &firstCookie, point), S_OK);
        ASSERT_EQ(Advise(control.Get(), &second, &secondCookie, point), S_OK);
        first.onCall = [&](DISPID) {
            if (c.firstDropsItself)
                point->Unadvise(firstCookie);
            if (c.firstDropsSecond)
                point->Unadvise(secondCookie);
        };
        FORMPROCESSOR_CMDF status;
        control->QueryStatus(FPID_QUERY_MODE, Variant(), &status);
        control->QueryStatus(FPID_QUERY_MODE, Variant(), &status);
        EXPECT_EQ(first.Ids(), c.firstSees);
        EXPECT_EQ(second.Ids(), c.secondSees);
        point->Unadvise(firstCookie);
        point->Unadvise(secondCookie);
    }
}

} // namespace
