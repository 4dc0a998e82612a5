// The fixed and flexible table members of the form control with the editing control registered:
// flexible tables grow by copies of a row group and shrink by rows, fixed tables are changed by
// the toolbar page's functions, and CurTableElement names the table at the caret.
#include "velkor_test_support.h"

#include "recording_window.h"

#include <mshtml.h>
#include <qx/com/control/control_host.h>
#include <qx/html/browser/hosting_window.h>

#include <functional>
#include <memory>

using namespace velkor_test;
using qx::com::control::ControlHost;
using qx::com::control::ControlHostOptions;

namespace {

constexpr char16_t kRows[] =
    u"<html><body dovrel><table id=t border=1>"
    u"<tr id=A><td>a</td></tr>"
    u"<tr id=B height=20 bgColor=#00FF00><td id=b1 free=x colspan=2 align=right vAlign=top bgColor=#FF0000 "
    u"width=30>b1</td><td id=b2 rowspan=2>b2</td></tr>"
    u"<tr id=C><td id=c1 free>c1</td></tr>"
    u"<tr id=D><td>d</td></tr></table>"
    u"<table id=one><tr><td>only</td></tr></table>"
    u"<table id=outer><tr><td id=o>o<table id=inner><tr><td id=i>in</td></tr></table></td></tr></table>"
    u"<p id=out>out</p></body></html>";

class VelkorTableTest : public VelkorTest {
protected:
    void SetUp() override {
        VelkorTest::SetUp();
        LoadedComponent editor(QX_DHTMLED_COMPONENT);
        ASSERT_TRUE(editor.Loaded());
        ASSERT_EQ(editor.Call("DllRegisterServer"), S_OK);
        ASSERT_TRUE(AtlAxWinInit());
        parent_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
        ControlHostOptions options;
        options.parent = parent_->hwnd();
        options.position = {0, 0, 600, 500};
        options.params = {{u"StartMode", u"1"}};
        ASSERT_EQ(ControlHost::Create(CLSID_Velkor, std::move(options), &host_), S_OK);
        control_ = ComPtr<IVelkor>::QueryFrom(host_->Control());
        ASSERT_TRUE(control_);
        ComPtr<IUnknown> page;
        ASSERT_EQ(AtlAxGetControl(host_->ControlWindow(), &page), S_OK);
        browser_ = ComPtr<IWebBrowser2>::QueryFrom(page.Get());
        ASSERT_TRUE(WaitComplete(browser_.Get()));
        Settle();
        Put(kRows);
    }
    void TearDown() override {
        if (host_)
            host_->Close();
        host_.reset();
        parent_.reset();
        Pump();
        VelkorTest::TearDown();
    }
    static void Settle() {
        for (int i = 0; i < 40; ++i) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ComPtr<IDispatch> Editor() {
        ComPtr<IDispatch> editor;
        EXPECT_EQ(control_->get_Editor(&editor), S_OK);
        return editor;
    }
    static HRESULT Property(IDispatch* target, const char16_t* name, WORD flags, VARIANT* value) {
        LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        if (FAILED(hr))
            return hr;
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{value, &put, 1, 1};
        DISPPARAMS none{};
        return target->Invoke(id, IID_NULL, 0, flags, flags == DISPATCH_PROPERTYPUT ? &params : &none,
                              flags == DISPATCH_PROPERTYPUT ? nullptr : value, nullptr, nullptr);
    }
    void Put(const char16_t* html) {
        Variant text(html);
        ASSERT_EQ(Property(Editor().Get(), u"DocumentHTML", DISPATCH_PROPERTYPUT, &text), S_OK);
        Settle();
    }
    ComPtr<IHTMLDocument2> Dom() {
        Variant dom;
        EXPECT_EQ(Property(Editor().Get(), u"DOM", DISPATCH_PROPERTYGET, &dom), S_OK);
        return ComPtr<IHTMLDocument2>::QueryFrom(dom.vt == VT_DISPATCH ? dom.pdispVal : nullptr);
    }
    ComPtr<IHTMLElement> ById(const char16_t* id) {
        ComPtr<IDispatch> all, item;
        Dom()->get_all(&all);
        if (auto collection = ComPtr<IHTMLElementCollection>::QueryFrom(all.Get()))
            collection->item(Variant(id), Variant::Missing(), &item);
        return ComPtr<IHTMLElement>::QueryFrom(item.Get());
    }
    // The ids of the table's rows, "-" for a row without one.
    std::u16string RowIds(const char16_t* table) {
        std::u16string ids;
        auto element = ComPtr<IHTMLTable>::QueryFrom(ById(table).Get());
        ComPtr<IDispatch> rows;
        element->get_rows(&rows);
        auto collection = ComPtr<IHTMLElementCollection>::QueryFrom(rows.Get());
        LONG length = 0;
        collection->get_length(&length);
        for (LONG i = 0; i < length; ++i) {
            ComPtr<IDispatch> row;
            collection->item(Variant(i), Variant::Missing(), &row);
            Bstr id;
            ComPtr<IHTMLElement>::QueryFrom(row.Get())->get_id(&id);
            ids += id.Empty() ? u"-" : id.View();
            ids += u",";
        }
        return ids;
    }
    std::u16string OuterHtml(IDispatch* element) {
        Bstr html;
        ComPtr<IHTMLElement>::QueryFrom(element)->get_outerHTML(&html);
        return std::u16string(html.View());
    }
    // Runs script in the toolbar page and reads a global back as text.
    std::u16string PageScript(const char16_t* code, const char16_t* global) {
        ComPtr<IDispatch> documentObject;
        browser_->get_Document(&documentObject);
        auto document = ComPtr<IHTMLDocument2>::QueryFrom(documentObject.Get());
        ComPtr<IDispatch> windowObject;
        document->get_parentWindow(&windowObject);
        auto window = ComPtr<IHTMLWindow2>::QueryFrom(windowObject.Get());
        Variant result;
        EXPECT_EQ(window->execScript(Bstr(code), Bstr(u"JScript"), &result), S_OK);
        if (!global)
            return u"";
        ComPtr<IDispatch> script;
        document->get_Script(&script);
        Variant value;
        if (FAILED(Property(script.Get(), global, DISPATCH_PROPERTYGET, &value)) ||
            FAILED(value.ChangeType(VT_BSTR)))
            return u"<none>";
        return std::u16string(value.bstrVal, SysStringLen(value.bstrVal));
    }

    std::unique_ptr<qx::test::RecordingWindow> parent_;
    std::unique_ptr<ControlHost> host_;
    ComPtr<IVelkor> control_;
    ComPtr<IWebBrowser2> browser_;
};

TEST_F(VelkorTableTest, FlexibleAddRowCopiesTheGroupBeforeOrAfterIt) {
    struct Case {
        LONG index, after, count;
        const char16_t* rows;
    };
    const Case cases[] = {
        {2, 1, 2, u"A,B,C,-,-,D,"}, {2, 0, 2, u"A,-,-,B,C,D,"},      {2, 1, 0, u"A,B,-,C,D,"},
        {4, 1, 1, u"A,B,C,D,-,"},   {0, 1, 1, u"A,B,C,D,"},          {5, 1, 1, u"A,B,C,D,"},
        {2, 1, -1, u"A,B,C,D,"},    {3, 1, 2147483647, u"A,B,C,D,"}, {3, 0, 2147483647, u"A,B,-,-,C,D,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " " << c.after << " " << c.count);
        Put(kRows);
        ASSERT_EQ(control_->put_specialTableObject(ComPtr<IDispatch>::QueryFrom(ById(u"t").Get()).Get()),
                  S_OK);
        ComPtr<IDispatch> made;
        ASSERT_EQ(control_->tableFlexibleAddRow(c.index, c.after, c.count, &made), S_OK);
        EXPECT_EQ(RowIds(u"t"), c.rows);
        if (std::u16string(c.rows) == u"A,B,C,D,") {
            EXPECT_FALSE(made);
        }
    }
    // B' is handed out, shaped like B: spans, alignment and "free" as "", nothing else.
    Put(kRows);
    control_->put_specialTableObject(ComPtr<IDispatch>::QueryFrom(ById(u"t").Get()).Get());
    ComPtr<IDispatch> made;
    ASSERT_EQ(control_->tableFlexibleAddRow(2, 0, 2, &made), S_OK);
    ASSERT_TRUE(made);
    EXPECT_EQ(OuterHtml(made.Get()), u"<TR><TD colSpan=2 rowSpan=1 free=\"\" align=right vAlign=top></TD><TD "
                                     u"colSpan=1 rowSpan=2></TD></TR>");
}

TEST_F(VelkorTableTest, FlexibleRemoveRowRemovesRowsOrTheWholeTable) {
    struct Case {
        const char16_t* table;
        LONG index, count;
        const char16_t* rows; // null: the table left the document
    };
    const Case cases[] = {
        {u"t", 2, 2, u"A,D,"},     {u"t", 3, 9, u"A,B,"},      {u"t", 5, 1, u"A,B,C,D,"},
        {u"t", 0, 1, u"A,B,C,D,"}, {u"t", 2, -1, u"A,B,C,D,"}, {u"one", 1, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " " << c.count);
        Put(kRows);
        control_->put_specialTableObject(ComPtr<IDispatch>::QueryFrom(ById(c.table).Get()).Get());
        ASSERT_EQ(control_->tableFlexibleRemoveRow(c.index, c.count), S_OK);
        if (c.rows) {
            EXPECT_EQ(RowIds(c.table), c.rows);
        } else {
            EXPECT_FALSE(ById(c.table)) << "the table left body.all";
        }
    }
}

TEST_F(VelkorTableTest, FixedTableMembersCallThePageFunctionsWithTheirArguments) {
    PageScript(
        u"var calls = '';"
        u"function note(name, a) { var s = name + '('; for (var i = 0; i < a.length; i++) {"
        u"  var v = a[i]; s += (v === null ? 'null' : typeof v === 'number' || typeof v === 'string' ? "
        u"  typeof v + ':' + v : 'table:' + v.id) + (i + 1 < a.length ? ',' : ''); } calls += s + ')'; }"
        u"addCol = function () { note('addCol', arguments); };"
        u"deleteCol = function () { note('deleteCol', arguments); };"
        u"addRow = function () { note('addRow', arguments); };"
        u"deleteRow = function () { note('deleteRow', arguments); };",
        nullptr);
    ASSERT_EQ(control_->tableFixedAddCol(3, 1), S_OK);
    EXPECT_EQ(PageScript(u"", u"calls"), u"addCol(null,number:3,string:,number:1)");

    control_->put_specialTableObject(ComPtr<IDispatch>::QueryFrom(ById(u"t").Get()).Get());
    control_->put_specialTableBorderStyle(Bstr(u"border:1px solid"));
    PageScript(u"calls = '';", nullptr);
    ASSERT_EQ(control_->tableFixedAddCol(3, 1), S_OK);
    ASSERT_EQ(control_->tableFixedRemoveCol(2), S_OK);
    ASSERT_EQ(control_->tableFixedAddRow(1, 0), S_OK);
    ASSERT_EQ(control_->tableFixedRemoveRow(4), S_OK);
    EXPECT_EQ(PageScript(u"", u"calls"), u"addCol(table:t,number:3,string:border:1px solid,number:1)"
                                         u"deleteCol(table:t,number:2,string:border:1px solid,number:0)"
                                         u"addRow(table:t,number:1,string:border:1px solid,number:0)"
                                         u"deleteRow(table:t,number:4,string:border:1px solid,number:0)");
}

// An object whose every member runs a callback: the table argument the page function touches.
class CallbackObject : public IDispatch {
public:
    explicit CallbackObject(std::function<void()> onCall) : onCall_(std::move(onCall)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch)
            return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i)
            ids[i] = 1;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (result)
            VariantInit(result);
        ++calls;
        onCall_();
        return S_OK;
    }
    virtual ~CallbackObject() = default;
    int calls = 0;

private:
    std::function<void()> onCall_;
    ULONG refs_ = 1;
};

TEST_F(VelkorTableTest, APageFunctionThatResetsTheBorderStyleKeepsItsArgument) {
    auto* table = new CallbackObject([this] { control_->put_specialTableBorderStyle(Bstr(u"changed")); });
    control_->put_specialTableObject(table);
    control_->put_specialTableBorderStyle(Bstr(u"dotted"));
    PageScript(u"var seen = ''; addRow = function (t, i, border, after) {"
               u"  try { var x = t.poke; } catch (e) {} seen = border; }",
               nullptr);
    ASSERT_EQ(control_->tableFixedAddRow(1, 1), S_OK);
    EXPECT_GE(table->calls, 1) << "the function reached the object";
    EXPECT_EQ(PageScript(u"", u"seen"), u"dotted");
    Bstr now;
    control_->get_specialTableBorderStyle(&now);
    EXPECT_EQ(now.View(), u"changed");
    control_->put_specialTableObject(nullptr);
    table->Release();
}

TEST_F(VelkorTableTest, TheRealToolbarPageAddsAColumnAfterCellOne) {
    Put(u"<html><body dovrel><table id=g><tr><td free>1</td><td>2</td><td>3</td></tr>"
        u"<tr><td>4</td><td>5</td><td>6</td></tr></table></body></html>");
    control_->put_specialTableObject(ComPtr<IDispatch>::QueryFrom(ById(u"g").Get()).Get());
    ASSERT_EQ(control_->tableFixedAddCol(2, 1), S_OK);
    Bstr text;
    ById(u"g")->get_innerText(&text);
    auto table = ComPtr<IHTMLTable>::QueryFrom(ById(u"g").Get());
    ComPtr<IDispatch> rows;
    table->get_rows(&rows);
    auto collection = ComPtr<IHTMLElementCollection>::QueryFrom(rows.Get());
    for (LONG r = 0; r < 2; ++r) {
        ComPtr<IDispatch> row;
        collection->item(Variant(r), Variant::Missing(), &row);
        ComPtr<IDispatch> cells;
        ComPtr<IHTMLTableRow>::QueryFrom(row.Get())->get_cells(&cells);
        LONG count = 0;
        ComPtr<IHTMLElementCollection>::QueryFrom(cells.Get())->get_length(&count);
        EXPECT_EQ(count, 4);
        ComPtr<IDispatch> third;
        ComPtr<IHTMLElementCollection>::QueryFrom(cells.Get())
            ->item(Variant(LONG{2}), Variant::Missing(), &third);
        Bstr inner;
        ComPtr<IHTMLElement>::QueryFrom(third.Get())->get_innerText(&inner);
        EXPECT_EQ(inner.View(), u"\u00A0") << "the new cell follows cell 2";
    }
}

TEST_F(VelkorTableTest, CurTableElementNamesTheInnermostTableAtTheCaret) {
    struct Case {
        const char16_t* caretIn;
        const char16_t* table;
    };
    const Case cases[] = {{u"i", u"inner"}, {u"o", u"outer"}, {u"out", nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.caretIn));
        ASSERT_EQ(control_->SetTDFocus(ComPtr<IDispatch>::QueryFrom(ById(c.caretIn).Get()).Get()), S_OK);
        ComPtr<IDispatch> table;
        ASSERT_EQ(control_->get_CurTableElement(&table), S_OK);
        ComPtr<IUnknown> expected = ComPtr<IUnknown>::QueryFrom(c.table ? ById(c.table).Get() : nullptr);
        EXPECT_EQ(ComPtr<IUnknown>::QueryFrom(table.Get()).Get(), expected.Get());
        EXPECT_EQ(control_->get_CurTableElement(nullptr), c.table ? E_POINTER : S_OK);
    }
}

} // namespace
