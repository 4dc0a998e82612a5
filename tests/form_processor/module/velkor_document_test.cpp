// The form control with the DHTML editing control registered: the toolbar page finds the editor
// (InitComplete), a form put into the editor completes with DocumentComplete and FieldsAvailable,
// its fields are read and written through Fields, and the document is prepared.
#include "velkor_window_support.h"

#include <mshtml.h>
#include <qx/win32/input_driver.h>
#include <winuser_input.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace velkor_test;

namespace {

constexpr char16_t kForm[] =
    u"<html><body dovrel><table><tr><td id=doctitle class=FIELD>주문서</td></tr>"
    u"<tr><td id=customer class=FIELD free LOCKED=TRUE>x</td></tr>"
    u"<tr><td id=amount class=FIELD free>1</td><td id=amount class=FIELD free>2</td></tr>"
    u"<tr><td class=field>not a field</td><td id=docsetfocus class=FIELD "
    u"free>memo</td></tr></table></body></html>";

// Reads, or calls, a member of a script object by name; empty when it cannot.
Variant Member(IDispatch* target, const char16_t* name, WORD flags, std::vector<Variant> args = {}) {
    Variant result;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    if (!target || FAILED(target->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        return result;
    std::vector<Variant> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(reversed.size()), 0};
    target->Invoke(id, IID_NULL, 0, flags, &params, &result, nullptr, nullptr);
    return result;
}

bool SameObject(IUnknown* a, IUnknown* b) {
    ComPtr<IUnknown> first = ComPtr<IUnknown>::QueryFrom(a), second = ComPtr<IUnknown>::QueryFrom(b);
    return first.Get() == second.Get();
}

class VelkorDocumentTest : public VelkorWindowTest {
protected:
    void SetUp() override {
        VelkorWindowTest::SetUp();
        LoadedComponent editor(QX_DHTMLED_COMPONENT);
        ASSERT_TRUE(editor.Loaded());
        ASSERT_EQ(editor.Call("DllRegisterServer"), S_OK);
    }

    void Activate(const char16_t* startMode) {
        VelkorWindowTest::Activate({{u"StartMode", startMode}});
        Settle();
    }

    // Lets the editor's completions and the posted steps run.
    static void Settle() {
        for (int i = 0; i < 40; ++i) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void PutForm(const char16_t* html) {
        ComPtr<IDispatch> editor;
        ASSERT_EQ(control_->get_Editor(&editor), S_OK);
        LPOLESTR name = const_cast<LPOLESTR>(u"DocumentHTML");
        DISPID id = 0;
        ASSERT_EQ(editor->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        Variant text(html);
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{&text, &put, 1, 1};
        ASSERT_EQ(editor->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
                  S_OK);
        Settle();
    }

    ComPtr<IqxFormFields> Fields() {
        ComPtr<IDispatch> fields;
        EXPECT_EQ(control_->get_Fields(&fields), S_OK);
        return ComPtr<IqxFormFields>::QueryFrom(fields.Get());
    }

    ComPtr<IHTMLDocument2> EditedDocument() {
        ComPtr<IDispatch> editor;
        if (FAILED(control_->get_Editor(&editor)))
            return nullptr;
        Variant dom = Member(editor.Get(), u"DOM", DISPATCH_PROPERTYGET);
        return ComPtr<IHTMLDocument2>::QueryFrom(dom.vt == VT_DISPATCH ? dom.pdispVal : nullptr);
    }

    ComPtr<IDispatch> ById(const char16_t* id) {
        Variant element = Member(EditedDocument().Get(), u"getElementById", DISPATCH_METHOD, {Variant(id)});
        return ComPtr<IDispatch>(element.vt == VT_DISPATCH ? element.pdispVal : nullptr);
    }

    HWND EditorWindow() {
        HWND window = nullptr;
        if (auto oleWindow = ComPtr<IOleWindow>::QueryFrom(EditedDocument().Get()))
            oleWindow->GetWindow(&window);
        return window;
    }

    std::u16string SelectionType() {
        ComPtr<IDispatch> selection;
        EditedDocument()->get_selection(&selection);
        Variant type = Member(selection.Get(), u"type", DISPATCH_PROPERTYGET);
        return type.vt == VT_BSTR ? std::u16string(Bstr(type.bstrVal).View()) : u"?";
    }
};

TEST_F(VelkorDocumentTest, StartUpFindsTheEditorAndAFormFillsTheFields) {
    Activate(u"1");
    ComPtr<IDispatch> editor;
    ASSERT_EQ(control_->get_Editor(&editor), S_OK) << "InitComplete found the editing control";
    ASSERT_FALSE(events_.empty());
    EXPECT_EQ(events_.front(), 10) << "the page asks the mode first";

    events_.clear();
    PutForm(kForm);
    // InitComplete, then the document-ready step's two events.
    EXPECT_EQ(events_, (std::vector<DISPID>{3, 1, 2}));

    ComPtr<IqxFormFields> fields = Fields();
    LONG count = 0;
    ASSERT_EQ(fields->get_Count(&count), S_OK);
    EXPECT_EQ(count, 5);
    ComPtr<IDispatch> item;
    ASSERT_EQ(fields->get_Item(Variant(u"amount"), &item), S_OK);
    auto multi = ComPtr<IqxMultiField>::QueryFrom(item.Get());
    ASSERT_TRUE(multi);
    ASSERT_EQ(multi->put_Value(Variant(u"7")), S_OK);
    ASSERT_EQ(fields->get_Item(Variant(u"customer"), &item), S_OK);
    auto customer = ComPtr<IqxFormField>::QueryFrom(item.Get());
    ASSERT_TRUE(customer);
    LONG locked = -1;
    ASSERT_EQ(customer->get_Locked(&locked), S_OK);
    EXPECT_EQ(locked, FALSE);
    ASSERT_EQ(customer->put_Locked(-1), S_OK);
    ASSERT_EQ(customer->get_Locked(&locked), S_OK);
    EXPECT_EQ(locked, TRUE);

    // The document was prepared: the forced charset and BODY's font size.
    LPOLESTR name = const_cast<LPOLESTR>(u"DOM");
    DISPID id = 0;
    ASSERT_EQ(editor->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    DISPPARAMS none{};
    Variant dom;
    ASSERT_EQ(editor->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &dom, nullptr, nullptr), S_OK);
    auto document = ComPtr<IHTMLDocument2>::QueryFrom(dom.pdispVal);
    ASSERT_TRUE(document);
    Bstr charset;
    document->get_charset(&charset);
    EXPECT_EQ(charset.View(), u"ks_c_5601-1987");
}

TEST_F(VelkorDocumentTest, MarkerTestByStartMode) {
    struct Case {
        const char16_t* startMode;
        const char16_t* html;
        bool invalid;
    };
    const Case cases[] = {
        {u"1", u"<html><body dovrel=''><p>text</p></body></html>", false},
        {u"1", u"<html><body><p>text</p></body></html>", true},
        {u"2", u"<html><body><p>text</p></body></html>", false},
        {u"1", u"<html><body></body></html>", false},
        // Only spaces and one element: blank. A P would add its line break to the text.
        {u"1", u"<html><body><span>   </span></body></html>", false},
        {u"1", u"<html><body><span>   </span><b></b></body></html>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.html));
        Activate(c.startMode);
        events_.clear();
        PutForm(c.html);
        const bool invalid = std::find(events_.begin(), events_.end(), 4) != events_.end();
        EXPECT_EQ(invalid, c.invalid);
        host_->Close();
        host_.reset();
        control_ = nullptr;
        Pump();
    }
}

TEST_F(VelkorDocumentTest, FileNewCompletesWithoutTheReadyEvents) {
    Activate(u"1");
    PutForm(kForm);
    events_.clear();
    ASSERT_EQ(control_->FileNew(), S_OK);
    Settle();
    EXPECT_EQ(std::count(events_.begin(), events_.end(), 1), 0);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), 2), 0);
    events_.clear();
    PutForm(kForm);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), 1), 1);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), 2), 1);
}

constexpr char16_t kCells[] = u"<html><body dovrel><table><tr><td id=free free>free text here</td>"
                              u"<td id=locked>locked text here</td></tr></table>"
                              u"<p id=para>plain</p></body></html>";

TEST_F(VelkorDocumentTest, CurrentCellFollowsTheCaret) {
    Activate(u"1");
    PutForm(kCells);
    struct Case {
        const char16_t* focus;
        const char16_t* cell; // null: no cell
    };
    const Case cases[] = {{u"free", u"free"}, {u"locked", u"locked"}, {u"para", nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.focus));
        ASSERT_EQ(control_->SetTDFocus(ById(c.focus).Get()), S_OK);
        ComPtr<IDispatch> cell;
        ASSERT_EQ(control_->get_CurTDElement(&cell), S_OK);
        if (c.cell)
            EXPECT_TRUE(SameObject(cell.Get(), ById(c.cell).Get()));
        else
            EXPECT_FALSE(cell);
    }
}

TEST_F(VelkorDocumentTest, InnerHtmlReplacesTheSelectedText) {
    Activate(u"1");
    PutForm(kCells);
    // A text selection: the paragraph's text is replaced.
    ComPtr<IHTMLBodyElement> body;
    {
        ComPtr<IDispatch> bodyDispatch;
        EditedDocument()->get_body(&bodyDispatch);
        body = ComPtr<IHTMLBodyElement>::QueryFrom(bodyDispatch.Get());
    }
    ASSERT_TRUE(body);
    ComPtr<IDispatch> range;
    ASSERT_EQ(body->createTextRange(&range), S_OK);
    Member(range.Get(), u"moveToElementText", DISPATCH_METHOD, {Variant(ById(u"para").Get())});
    Member(range.Get(), u"select", DISPATCH_METHOD);
    ASSERT_EQ(SelectionType(), u"Text");
    ASSERT_EQ(control_->InnerHTML(Bstr(u"<b>x</b>")), S_OK);
    Variant text = Member(ById(u"para").Get(), u"innerText", DISPATCH_PROPERTYGET);
    ASSERT_EQ(text.vt, VT_BSTR);
    EXPECT_EQ(Bstr(text.bstrVal).View(), u"x");
}

TEST_F(VelkorDocumentTest, ElementKeyEventCarriesKeyShiftAndCtrl) {
    Activate(u"1");
    PutForm(kCells);
    RecordingSink sink;
    DWORD cookie = 0;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(Advise(control_.Get(), &sink, &cookie, point), S_OK);
    ASSERT_EQ(control_->SetTDFocus(ById(u"free").Get()), S_OK);
    qx::win32::input::Key(VK_SHIFT, true);
    auto active = ComPtr<IOleInPlaceActiveObject>::QueryFrom(control_.Get());
    MSG key{EditorWindow(), WM_KEYDOWN, 65, 0, 0, {}};
    active->TranslateAccelerator(&key);
    qx::win32::input::Key(VK_SHIFT, false);
    qx::win32::input::ResetInputState();
    point->Unadvise(cookie);
    ASSERT_EQ(sink.Ids(), std::vector<DISPID>{9});
    const std::vector<Variant>& args = sink.calls[0].args;
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[2].vt, VT_I4);
    EXPECT_EQ(args[2].lVal, 65);
    EXPECT_EQ(args[1].lVal, 1);
    EXPECT_EQ(args[0].lVal, 0);
}

// A change event from an option list reaches the control's host as ControlNotifyEvent and goes no
// further up; a text field's change tells nobody.
TEST_F(VelkorDocumentTest, OptionListChangeNotifiesTheHost) {
    Activate(u"1");
    PutForm(
        u"<html><body dovrel><table><tr><td id=choice free><select id=pick><option>a<option>b</select></td>"
        u"<td id=text free><input id=name type=text></td></tr></table></body></html>");
    RecordingSink hostSink, cellSink;
    DWORD hostCookie = 0, cellCookie = 0;
    ComPtr<IConnectionPoint> hostPoint, cellPoint;
    ASSERT_EQ(Advise(control_.Get(), &hostSink, &hostCookie, hostPoint), S_OK);
    auto cell = ComPtr<IConnectionPointContainer>::QueryFrom(ById(u"choice").Get());
    ASSERT_TRUE(cell);
    ASSERT_EQ(cell->FindConnectionPoint(IID_IDispatch, &cellPoint), S_OK);
    ASSERT_EQ(cellPoint->Advise(static_cast<IDispatch*>(&cellSink), &cellCookie), S_OK);

    Member(ById(u"pick").Get(), u"fireEvent", DISPATCH_METHOD, {Variant(u"onchange")});
    ASSERT_EQ(hostSink.Ids(), std::vector<DISPID>{6});
    ASSERT_EQ(hostSink.calls[0].args.size(), 1u);
    EXPECT_TRUE(SameObject(hostSink.calls[0].args[0].pdispVal, ById(u"pick").Get()));
    const std::vector<DISPID> cellIds = cellSink.Ids();
    EXPECT_EQ(std::count(cellIds.begin(), cellIds.end(), 1001), 0) << "the change stops at the list";

    hostSink.calls.clear();
    Member(ById(u"name").Get(), u"fireEvent", DISPATCH_METHOD, {Variant(u"onchange")});
    EXPECT_TRUE(hostSink.calls.empty());
    cellPoint->Unadvise(cellCookie);
    hostPoint->Unadvise(hostCookie);
}

} // namespace
