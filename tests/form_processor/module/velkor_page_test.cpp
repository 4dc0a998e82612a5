// The toolbar page (resource 102) as its script runs in the browser, with window.external a
// recording double: the calls it makes at load, at each document completion and display change,
// the toolbars and button states it shows, and its fixed-table functions.
#include "velkor_test_support.h"

#include "recording_window.h"

#include <exdisp.h>
#include <mshtml.h>
#include <qx/com/object.h>
#include <qx/html/browser/hosting_window.h>

#include <map>
#include <memory>

using namespace velkor_test;

namespace {

// window.external of the page: records "Q<id>", "E<id>", "Init", "DC<phase>", "FU" and answers
// from a table ("Q17" -> 1, ...), else with nothing.
class RecordingExternal : public qx::com::ObjectRoot, public IDispatch {
public:
    QX_BEGIN_INTERFACES(RecordingExternal)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_END_INTERFACES()

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        static const std::map<std::u16string, DISPID> known = {{u"ExecCommand", 1},
                                                               {u"QueryStatus", 2},
                                                               {u"InitComplete", 3},
                                                               {u"DocumentComplete", 4},
                                                               {u"FieldUpdate", 5}};
        auto it = known.find(names[0]);
        if (it == known.end())
            return DISP_E_UNKNOWNNAME;
        ids[0] = it->second;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND; // its names are methods
        const UINT count = params ? params->cArgs : 0;
        auto first = [&]() -> LONG {
            Variant value;
            if (count == 0 || FAILED(VariantChangeType(&value, &params->rgvarg[count - 1], 0, VT_I4)))
                return -1;
            return value.lVal;
        };
        std::string call;
        switch (id) {
        case 1:
            call = "E" + std::to_string(first());
            break;
        case 2:
            call = "Q" + std::to_string(first());
            break;
        case 3:
            call = "Init";
            break;
        case 4:
            call = "DC" + std::to_string(first());
            break;
        default:
            call = "FU";
            break;
        }
        calls.push_back(call);
        auto answer = answers.find(call);
        if (result && answer != answers.end())
            VariantCopy(result, &answer->second);
        return S_OK;
    }

    std::vector<std::string> calls;
    std::map<std::string, Variant> answers;
};

class ToolbarPageTest : public VelkorTest {
protected:
    void SetUp() override {
        VelkorTest::SetUp();
        ASSERT_TRUE(AtlAxWinInit());
        ASSERT_EQ(qx::com::CreateObject<RecordingExternal>(external_), S_OK);
        window_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
    }
    void TearDown() override {
        window_.reset();
        Pump();
        VelkorTest::TearDown();
    }

    // Opens the page with StartMode answering `mode`; the load calls are then recorded.
    void Open(LONG mode) {
        external_->answers["Q17"] = Variant(SHORT(mode));
        document_ = nullptr;
        window_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
        const std::u16string url = u"res://" + qx::com::Utf8ToUtf16(kVelkor) + u"/102";
        ComPtr<IUnknown> host;
        ASSERT_EQ(AtlAxCreateControl(url.c_str(), window_->hwnd(), nullptr, &host), S_OK);
        auto hostWindow = ComPtr<IAxWinHostWindow>::QueryFrom(host.Get());
        ASSERT_EQ(hostWindow->SetExternalDispatch(static_cast<IDispatch*>(external_.Get())), S_OK);
        Pump();
        ComPtr<IUnknown> control;
        ASSERT_EQ(AtlAxGetControl(window_->hwnd(), &control), S_OK);
        auto browser = ComPtr<IWebBrowser2>::QueryFrom(control.Get());
        ASSERT_TRUE(WaitComplete(browser.Get()));
        ComPtr<IDispatch> documentDispatch;
        ASSERT_EQ(browser->get_Document(&documentDispatch), S_OK);
        document_ = ComPtr<IHTMLDocument2>::QueryFrom(documentDispatch.Get());
        ASSERT_TRUE(document_);
    }

    // Evaluates an expression of the page's script.
    Variant Eval(const std::u16string& expression) {
        ComPtr<IDispatch> script;
        EXPECT_EQ(document_->get_Script(&script), S_OK);
        LPOLESTR name = const_cast<LPOLESTR>(u"eval");
        DISPID id = 0;
        EXPECT_EQ(script->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        Variant argument(expression);
        DISPPARAMS params{&argument, nullptr, 1, 0};
        Variant result;
        EXPECT_EQ(script->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK)
            << qx::com::Utf16ToUtf8(expression);
        return result;
    }
    std::string Text(const std::u16string& expression) {
        Variant value = Eval(expression);
        return value.vt == VT_BSTR ? Bstr(value.bstrVal).ToUtf8() : "<" + std::to_string(value.vt) + ">";
    }
    std::vector<std::string> TakeCalls() { return std::exchange(external_->calls, {}); }

    std::string VisibleToolbars() {
        return Text(u"(function(){var s='';for(var i=0;i<TOOLBARS.length;i++)"
                    u"if(document.getElementById(TOOLBARS[i]).style.display=='block')s+=TOOLBARS[i]+' ';"
                    u"return s;})()");
    }

    qx::com::ObjectPtr<RecordingExternal> external_;
    std::unique_ptr<qx::test::RecordingWindow> window_;
    ComPtr<IHTMLDocument2> document_;
};

using Calls = std::vector<std::string>;

TEST_F(ToolbarPageTest, LoadAsksTheModeAndShowsItsToolbars) {
    struct Case {
        LONG mode;
        std::string toolbars;
    };
    const Case cases[] = {
        {0, ""},
        {1, "tbFormat tbExpand tbStandard tbPosition "},
        {2, "tbFormat tbExpand tbStandard tbPosition tbTable "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Open(c.mode);
        EXPECT_EQ(TakeCalls(), (Calls{"Q25", "Q17"}));
        EXPECT_EQ(VisibleToolbars(), c.toolbars);
    }
}

TEST_F(ToolbarPageTest, CompletionsInEditUse) {
    Open(1);
    TakeCalls();
    Eval(u"onEditorDocumentComplete()");
    EXPECT_EQ(TakeCalls(), (Calls{"Init", "Q25", "DC0", "Q17", "DC1", "E11"}));
    EXPECT_EQ(Text(u"String(editor().SourceCodePreservation)"), "false");
    Eval(u"onEditorDocumentComplete()");
    EXPECT_EQ(TakeCalls(), (Calls{"Init", "DC1"}));
}

// The editor may complete its blank document before the page's load: the control still hears of
// the load first.
TEST_F(ToolbarPageTest, ACompletionBeforeTheLoadWaitsForIt) {
    Open(1);
    TakeCalls();
    Eval(u"pageLoaded = false, onEditorDocumentComplete()");
    EXPECT_EQ(TakeCalls(), Calls{});
    Eval(u"onPageLoad()");
    EXPECT_EQ(TakeCalls(), (Calls{"Q25", "Q17", "Init", "Q25", "DC0", "Q17", "DC1", "E11"}));
}

TEST_F(ToolbarPageTest, CompletionsInBrowseUse) {
    Open(0);
    external_->answers["E14"] = Variant(SHORT{1});
    TakeCalls();
    Eval(u"onEditorDocumentComplete()");
    EXPECT_EQ(TakeCalls(), (Calls{"Init", "Q25", "DC0", "Q17", "E14", "E8"}));
    // The reload after the switch is a document of its own.
    Eval(u"onEditorDocumentComplete()");
    EXPECT_EQ(TakeCalls(), (Calls{"Init", "DC1", "E11"}));
    // The page's own toggle asks for no document-ready step.
    Eval(u"toggleEditMode()");
    EXPECT_EQ(TakeCalls(), (Calls{"E14", "E8"}));
    Eval(u"onEditorDocumentComplete()");
    EXPECT_EQ(TakeCalls(), (Calls{"Init"}));
}

TEST_F(ToolbarPageTest, FontListComesFromTheControlUnlessEmpty) {
    Open(1);
    const std::u16string count = u"document.getElementById('fontName').options.length";
    const LONG before = Eval(count).lVal;
    Eval(u"fillFontList('')");
    EXPECT_EQ(Eval(count).lVal, before);
    Eval(u"fillFontList(['굴림', '바탕'])");
    EXPECT_EQ(Eval(count).lVal, 2);
    EXPECT_EQ(Text(u"document.getElementById('fontName').options[1].value"), "바탕");
}

TEST_F(ToolbarPageTest, DisplayChangeSetsButtonStates) {
    struct Case {
        Variant answer;
        const char* plain;  // split, merge, insert table
        const char* lock;   // cell lock
        const char* layout; // table layout
    };
    const Case cases[] = {
        {Variant(SHORT{0}), "grey", "down", "grey"}, {Variant(SHORT{1}), "grey", "down", "down"},
        {Variant(SHORT{3}), "up", "up", "up"},       {Variant(SHORT{7}), "down", "down", "grey"},
        {Variant(SHORT{11}), "up", "down", "grey"},  {Variant(), "grey", "down", "grey"},
    };
    Open(2);
    for (const Case& c : cases) {
        for (const char* q : {"Q2", "Q3", "Q15", "Q19", "Q5"})
            external_->answers[q] = c.answer;
        TakeCalls();
        Eval(u"onEditorDisplayChanged()");
        EXPECT_EQ(TakeCalls(), (Calls{"Q3", "Q2", "Q15", "Q19", "Q5", "E13"}));
        const std::string plain = std::string("tbButton ") + c.plain;
        EXPECT_EQ(Text(u"document.getElementById('btnSplit').className"), plain);
        EXPECT_EQ(Text(u"document.getElementById('btnMerge').className"), plain);
        EXPECT_EQ(Text(u"document.getElementById('btnInsertTable').className"), plain);
        EXPECT_EQ(Text(u"document.getElementById('btnCellLock').className"),
                  std::string("tbButton ") + c.lock);
        EXPECT_EQ(Text(u"document.getElementById('btnTableLayout').className"),
                  std::string("tbButton ") + c.layout);
    }
}

TEST_F(ToolbarPageTest, VisibleToolbarSwitchesTheEditorOnlyWhenModesDisagree) {
    struct Case {
        LONG flag;
        Variant editMode;
        Calls calls;
        std::string toolbars;
    };
    const Case cases[] = {
        {1, Variant(SHORT{0}), {"E14", "E8"}, "tbFormat tbExpand tbStandard tbPosition "},
        {1, Variant(SHORT{1}), {"E14"}, "tbFormat tbExpand tbStandard tbPosition "},
        {0, Variant(SHORT{1}), {"E14", "E8"}, ""},
        {2, Variant(SHORT{0}), {"E14", "E8"}, "tbFormat tbExpand tbStandard tbPosition tbTable "},
        {2, Variant(SHORT{2}), {"E14"}, "tbFormat tbExpand tbStandard tbPosition tbTable "},
        {0, Variant(SHORT{2}), {"E14"}, ""},
    };
    Open(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        external_->answers["E14"] = c.editMode;
        TakeCalls();
        Eval(u"VisibleToolbar(" + qx::com::Utf8ToUtf16(std::to_string(c.flag)) + u")");
        EXPECT_EQ(TakeCalls(), c.calls);
        EXPECT_EQ(VisibleToolbars(), c.toolbars);
    }
}

TEST_F(ToolbarPageTest, FormattingAndMenusAskTheControlFirst) {
    Open(1);
    external_->answers["E12"] = Variant(false);
    TakeCalls();
    Eval(u"formatCommand(DECMD_BOLD)");
    EXPECT_EQ(TakeCalls(), (Calls{"E12"}));

    for (bool edit : {false, true}) {
        external_->answers["E14"] = Variant(edit);
        Eval(u"onEditorContextMenu()");
        EXPECT_EQ(TakeCalls(), edit ? (Calls{"E14", "E18"}) : (Calls{"E14"}));
    }
}

TEST_F(ToolbarPageTest, FixedTableFunctions) {
    Open(1);
    const std::u16string make =
        u"(function(){var d=document.createElement('DIV');document.body.appendChild(d);"
        u"d.innerHTML='<table id=t><tr><td free>a</td><td>b</td><td>c</td></tr>"
        u"<tr><td colspan=2>d</td><td>e</td></tr><tr><td>f</td><td>g</td><td>h</td></tr></table>';"
        u"return 1;})()";
    struct Case {
        std::u16string call;
        std::string shape; // cells per row, "|" between rows
    };
    const Case cases[] = {
        {u"addCol(t,2,'border:1px solid black',0)", "4|3|4"},
        {u"addCol(t,0,'',0)", "3|2|3"},
        {u"addCol(t,9,'',0)", "3|2|3"},
        {u"deleteCol(t,1,'',0)", "2|1|2"},
        {u"addRow(t,2,'',1)", "3|2|2|3"},
        {u"deleteRow(t,1,'',0)", "2|3"},
        {u"deleteRow(t,0,'',0)", "3|2|3"},
    };
    const std::u16string shape =
        u"(function(){var s=[];for(var r=0;r<t.rows.length;r++)s.push(t.rows[r].cells.length);return "
        u"s.join('|');})()";
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.call));
        Eval(u"var "
             u"old=document.getElementById('t');if(old)old.parentNode.parentNode.removeChild(old.parentNode)"
             u";");
        Eval(make);
        Eval(u"var t=document.getElementById('t');" + c.call);
        EXPECT_EQ(Text(shape), c.shape);
    }
    // The inserted column copies the style, the space and the neighbour's "free".
    Eval(u"var old=document.getElementById('t');old.parentNode.parentNode.removeChild(old.parentNode);");
    Eval(make);
    Eval(u"var t=document.getElementById('t');addCol(t,1,'border:1px solid black',1)");
    EXPECT_EQ(Text(u"String(t.rows[0].cells[1].getAttribute('free'))"), "");
    EXPECT_EQ(Text(u"String(t.rows[2].cells[1].getAttribute('free'))"), "null");
    EXPECT_EQ(Text(u"t.rows[0].cells[1].innerHTML"), "&nbsp;");
    EXPECT_NE(Text(u"t.rows[0].cells[1].style.cssText").find("solid"), std::string::npos);
    // The last column and the only row stay.
    Eval(u"var old=document.getElementById('t');old.parentNode.parentNode.removeChild(old.parentNode);");
    Eval(u"var d=document.createElement('DIV');document.body.appendChild(d);"
         u"d.innerHTML='<table id=t><tr><td>a</td></tr></table>';var t=document.getElementById('t');"
         u"deleteCol(t,1,'',0);deleteRow(t,1,'',0);");
    EXPECT_EQ(Text(shape), "1");
    // addRow copies colSpans.
    Eval(u"var old=document.getElementById('t');old.parentNode.parentNode.removeChild(old.parentNode);");
    Eval(make);
    Eval(u"var t=document.getElementById('t');addRow(t,2,'',0)");
    EXPECT_EQ(Eval(u"t.rows[1].cells[0].colSpan").lVal, 2);
}

} // namespace
