// The editing control as a component: its registration, the version its file carries, its
// safety, and its document: DocumentHTML in and out with completion from the queue, NewDocument,
// and the reload a designMode put starts (also held back by the test hook).
#include "edit_control_fixture.h"

#include <objsafe.h>
#include <qx/html/editing/control/edit_control.h>
#include <winver.h>

#include <vector>

namespace qx::test {
namespace {

// Counts the control's DocumentComplete and DisplayChanged events.
class EventCounter : public IDispatch {
public:
    int completes = 0;
    int displays = 0;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID__DHTMLSafeEvents)) {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        completes += id == 1;
        displays += id == 2;
        return S_OK;
    }
};

class EditControlComponent : public EditControlFixture {
protected:
    void Advise(IDHTMLSafe* control) {
        com::ComPtr<IConnectionPointContainer> points =
            com::ComPtr<IConnectionPointContainer>::QueryFrom(control);
        ASSERT_TRUE(points);
        ASSERT_EQ(points->FindConnectionPoint(DIID__DHTMLSafeEvents, &point_), S_OK);
        ASSERT_EQ(point_->Advise(&counter_, &cookie_), S_OK);
    }
    void TearDown() override {
        if (point_)
            point_->Unadvise(cookie_);
        point_ = nullptr;
        EditControlFixture::TearDown();
    }
    EventCounter counter_;
    com::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

TEST_F(EditControlComponent, RegistersItsClassesAndProgIds) {
    const std::u16string module = com::Utf8ToUtf16(QX_DHTMLED_MODULE);
    const struct {
        const char16_t* key;
        std::u16string expected;
    } rows[] = {
        {u"DHTMLSafe.DHTMLSafe\\CLSID", u"{2D360201-FFF5-11d1-8D03-00A0C959BC0A}"},
        {u"DHTMLSafe.DHTMLSafe\\CurVer", u"DHTMLSafe.DHTMLSafe.1"},
        {u"CLSID\\{2D360201-FFF5-11d1-8D03-00A0C959BC0A}", u"DHTML Edit Control Safe for Scripting"},
        {u"CLSID\\{2D360201-FFF5-11d1-8D03-00A0C959BC0A}\\InprocServer32", module},
        {u"CLSID\\{2D360201-FFF5-11d1-8D03-00A0C959BC0A}\\MiscStatus\\1", u"131473"},
        {u"DEGetBlockFmtNamesParam.DEGetBlockFmtNamesParam\\CLSID",
         u"{8D91090E-B955-11D1-ADC5-006008A5848C}"},
        {u"CLSID\\{8D91090E-B955-11D1-ADC5-006008A5848C}\\InprocServer32", module},
        {u"DEInsertTableParam.DEInsertTableParam\\CLSID", u"{47B0DFC7-B7A3-11D1-ADC5-006008A5848C}"},
        {u"CLSID\\{47B0DFC7-B7A3-11D1-ADC5-006008A5848C}\\InprocServer32", module},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RegistryText(row.key), row.expected) << com::Utf16ToUtf8(row.key);

    using Entry = HRESULT (*)();
    auto unregister = reinterpret_cast<Entry>(GetProcAddress(module_, "DllUnregisterServer"));
    ASSERT_EQ(unregister(), S_OK);
    for (const auto& row : rows)
        EXPECT_EQ(RegistryText(row.key), u"<missing>") << com::Utf16ToUtf8(row.key);
}

TEST_F(EditControlComponent, TheRegisteredFileCarriesVersion6_1_0_8513) {
    const std::string path =
        com::Utf16ToUtf8(RegistryText(u"CLSID\\{2D360201-FFF5-11d1-8D03-00A0C959BC0A}\\InprocServer32"));
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), handle, size, block.data()));
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &fixed, &length));
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    EXPECT_EQ(info->dwFileVersionMS, (6u << 16) | 1u);
    EXPECT_EQ(info->dwFileVersionLS, (0u << 16) | 8513u);
}

TEST_F(EditControlComponent, IsSafeForScriptingAndInitialisationOnly) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    com::ComPtr<IObjectSafety> safety = com::ComPtr<IObjectSafety>::QueryFrom(control.Get());
    ASSERT_TRUE(safety);
    const DWORD both = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
    const struct {
        const IID* iid;
        DWORD mask;
        HRESULT expected;
    } rows[] = {
        {&IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER, S_OK},
        {&IID_IPersistPropertyBag, INTERFACESAFE_FOR_UNTRUSTED_DATA, S_OK},
        {&IID_IDHTMLSafe, both, S_OK},
        {&IID_IDispatch, both | 0x10, E_FAIL},
        {&IID_IHTMLDocument2, INTERFACESAFE_FOR_UNTRUSTED_DATA, E_NOINTERFACE},
    };
    for (const auto& row : rows)
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*row.iid, row.mask, row.mask), row.expected);
    DWORD supported = 0, enabled = 0;
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, both);
    EXPECT_EQ(enabled, both);
}

TEST_F(EditControlComponent, DocumentHtmlCompletesFromTheQueueAndReadsBackSerialised) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    Advise(control.Get());
    Pump(); // the blank document the control starts with
    EXPECT_EQ(counter_.completes, 1);
    const struct {
        const char16_t* html;
        const char16_t* expected;
    } rows[] = {
        {u"<p>one</p>", u"<HTML><HEAD></HEAD><BODY><P>one</P></BODY></HTML>"},
        {u"<html><body bgcolor=white><table id=t><tr><td free>a</td></tr></table></body></html>",
         u"<HTML><HEAD></HEAD><BODY bgcolor=white><TABLE id=t><TBODY><TR><TD free>a</TD></TR></TBODY></TABLE>"
         u"</BODY></HTML>"},
        {u"", u"<HTML><HEAD></HEAD><BODY></BODY></HTML>"},
    };
    for (const auto& row : rows) {
        const int before = counter_.completes;
        ASSERT_EQ(control->put_DocumentHTML(com::Bstr(row.html)), S_OK);
        VARIANT_BOOL busy = VARIANT_FALSE;
        control->get_Busy(&busy);
        EXPECT_EQ(busy, VARIANT_TRUE);
        EXPECT_EQ(counter_.completes, before) << "completion waits for the queue";
        Pump();
        control->get_Busy(&busy);
        EXPECT_EQ(busy, VARIANT_FALSE);
        EXPECT_EQ(counter_.completes, before + 1);
        EXPECT_EQ(DocumentHtml(control.Get()), row.expected);
        com::Bstr state;
        Dom(control.Get())->get_readyState(&state);
        EXPECT_EQ(Text(state), u"complete");
    }
}

TEST_F(EditControlComponent, ANewerDocumentDropsTheOlderCompletion) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    Advise(control.Get());
    control->put_DocumentHTML(com::Bstr(u"<p>first</p>"));
    control->put_DocumentHTML(com::Bstr(u"<p>second</p>"));
    ASSERT_EQ(control->NewDocument(), S_OK);
    Pump();
    EXPECT_EQ(counter_.completes, 1);
    EXPECT_EQ(BodyHtml(control.Get()), u"");
}

TEST_F(EditControlComponent, ADesignModePutReloadsTheDocument) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    Advise(control.Get());
    control->put_DocumentHTML(com::Bstr(u"<p>kept <b>text</b></p>"));
    Pump();
    const int before = counter_.completes;
    com::ComPtr<IHTMLDocument2> dom = Dom(control.Get());
    for (const char16_t* mode : {u"Off", u"On", u"Inherit"}) {
        ASSERT_EQ(dom->put_designMode(com::Bstr(mode)), S_OK);
        EXPECT_EQ(BodyHtml(control.Get()), u"<no body>") << "until the queue runs";
        VARIANT_BOOL busy = VARIANT_FALSE;
        control->get_Busy(&busy);
        EXPECT_EQ(busy, VARIANT_TRUE);
        Pump();
        EXPECT_EQ(BodyHtml(control.Get()), u"<P>kept <B>text</B></P>");
        com::Bstr read;
        dom->get_designMode(&read);
        EXPECT_EQ(Text(read), mode);
    }
    EXPECT_EQ(counter_.completes, before + 3);
    EXPECT_EQ(Dom(control.Get()).Get(), dom.Get()) << "the same document reloads";
}

TEST_F(EditControlComponent, AReplacedDocumentsDesignModeNoLongerReloads) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    Advise(control.Get());
    control->put_DocumentHTML(com::Bstr(u"<p>old</p>"));
    Pump();
    com::ComPtr<IHTMLDocument2> old = Dom(control.Get());
    control->put_DocumentHTML(com::Bstr(u"<p>new</p>"));
    Pump();
    const int before = counter_.completes;
    ASSERT_EQ(old->put_designMode(com::Bstr(u"Off")), S_OK);
    Pump();
    EXPECT_EQ(BodyHtml(control.Get()), u"<P>new</P>");
    EXPECT_EQ(counter_.completes, before);
    HWND view = nullptr;
    EXPECT_EQ(com::ComPtr<IOleWindow>::QueryFrom(old.Get())->GetWindow(&view), E_FAIL) << "no longer shown";
    EXPECT_EQ(ViewOf(control.Get()) != nullptr, true);
}

TEST_F(EditControlComponent, AHeldReloadWaitsForItsRelease) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    Advise(control.Get());
    control->put_DocumentHTML(com::Bstr(u"<p>x</p>"));
    Pump();
    const int before = counter_.completes;
    html::editing::control::HoldDesignModeReloads(true);
    Dom(control.Get())->put_designMode(com::Bstr(u"Off"));
    Pump();
    EXPECT_EQ(BodyHtml(control.Get()), u"<no body>");
    EXPECT_NE(DocumentHtml(control.Get()).find(u"<P>x</P>"), std::u16string::npos)
        << "the text waits with the reload";
    EXPECT_EQ(counter_.completes, before);
    html::editing::control::HoldDesignModeReloads(false);
    EXPECT_EQ(BodyHtml(control.Get()), u"<no body>") << "released reloads still go through the queue";
    Pump();
    EXPECT_EQ(BodyHtml(control.Get()), u"<P>x</P>");
    EXPECT_EQ(counter_.completes, before + 1);
}

TEST_F(EditControlComponent, DisplayChangedFollowsEachChangeAndStatusFollowsTheSelection) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    Advise(control.Get());
    control->put_DocumentHTML(com::Bstr(u"<p>ab</p>"));
    Pump();
    const auto status = [&control](LONG command) {
        LONG answer = -1;
        EXPECT_EQ(control->QueryStatus(command, &answer), S_OK);
        return answer;
    };
    EXPECT_EQ(status(DECMD_COPY), DECMDF_DISABLED) << "nothing selected";
    EXPECT_EQ(status(DECMD_UNDO), DECMDF_DISABLED);
    const struct {
        LONG command;
        LONG queried;
        LONG expected;
    } rows[] = {
        {DECMD_SELECTALL, DECMD_COPY, DECMDF_ENABLED},
        {DECMD_BOLD, DECMD_BOLD, DECMDF_LATCHED},
        {DECMD_BOLD, DECMD_BOLD, DECMDF_ENABLED},
        {DECMD_UNDO, DECMD_REDO, DECMDF_ENABLED},
    };
    for (const auto& row : rows) {
        const int before = counter_.displays;
        com::Variant none, result;
        ASSERT_EQ(control->ExecCommand(row.command, 0, none, &result), S_OK) << row.command;
        EXPECT_GT(counter_.displays, before) << row.command;
        EXPECT_EQ(status(row.queried), row.expected) << row.command;
    }
}

TEST_F(EditControlComponent, FilterSourceCodeGivesTheTextBackAndSourceCodePreservationIsKept) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    com::Bstr filtered;
    ASSERT_EQ(control->FilterSourceCode(com::Bstr(u"<P class=FIELD>a</P>"), &filtered), S_OK);
    EXPECT_EQ(Text(filtered), u"<P class=FIELD>a</P>");
    VARIANT_BOOL keep = VARIANT_FALSE;
    control->get_SourceCodePreservation(&keep);
    EXPECT_EQ(keep, VARIANT_TRUE);
    control->put_SourceCodePreservation(VARIANT_FALSE);
    control->get_SourceCodePreservation(&keep);
    EXPECT_EQ(keep, VARIANT_FALSE);
}

TEST_F(EditControlComponent, ATextPastTheParsersLimitsFailsAndKeepsTheDocument) {
    com::ComPtr<IDHTMLSafe> control = CreateControl();
    control->put_DocumentHTML(com::Bstr(u"<p>kept</p>"));
    Pump();
    std::u16string deep;
    for (int i = 0; i < 2000; ++i)
        deep += u"<div>";
    EXPECT_TRUE(FAILED(control->put_DocumentHTML(com::Bstr(deep))));
    EXPECT_EQ(BodyHtml(control.Get()), u"<P>kept</P>");
}

} // namespace
} // namespace qx::test
