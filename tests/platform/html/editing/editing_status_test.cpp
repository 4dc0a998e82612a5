// What the editing session answers about a selection (command status, the current formats), what
// it puts on the clipboard and takes from it, the events it fires, and its refusals.
#include "session_fixture.h"

#include <qx/html/editing/clipboard_html.h>
#include <qx/html/events/page_events.h>

#include "winbase_global.h"
#include "winuser_clipboard.h"

#include <cstring>
#include <optional>

namespace {

using qx::html::editing::CommandStatus;
using qx::html::editing::EditCommand;

constexpr EditCommand kAllCommands[] = {
    EditCommand::Bold,          EditCommand::Italic,       EditCommand::Underline,
    EditCommand::Copy,          EditCommand::Cut,          EditCommand::Paste,
    EditCommand::Delete,        EditCommand::SelectAll,    EditCommand::RemoveFormat,
    EditCommand::FontName,      EditCommand::FontSize,     EditCommand::ForeColor,
    EditCommand::BackColor,     EditCommand::BlockFormat,  EditCommand::JustifyLeft,
    EditCommand::JustifyCenter, EditCommand::JustifyRight, EditCommand::Indent,
    EditCommand::Outdent,       EditCommand::OrderedList,  EditCommand::UnorderedList,
    EditCommand::Hyperlink,     EditCommand::Unlink,       EditCommand::Image,
    EditCommand::InsertTable,   EditCommand::Undo,         EditCommand::Redo};

void ClearClipboard() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
}

struct StatusRow {
    const char* name;
    const char16_t* page;
    const char* action;
    // B I U copy cut paste delete all removeformat; font name size fore back block; left centre right;
    // indent outdent ol ul; link unlink image table; undo redo
    const char* statuses;
};

const StatusRow kStatusRows[] = {
    {"caret in plain text", u"<P>abc</P>", "caret 1",
     "3 3 3 1 1 1 1 3 1 3 3 3 3 3 7 3 3 3 1 3 3 3 1 3 3 1 1"},
    {"bold text selected", u"<P><B>abc</B></P>", "select 0 3",
     "7 3 3 3 3 1 3 3 3 3 3 3 3 3 7 3 3 3 1 3 3 3 1 3 3 1 1"},
    {"half bold: enabled, sizes mixed", u"<P><FONT size=5><B>ab</B></FONT>cd</P>", "select 0 4",
     "3 3 3 3 3 1 3 3 3 3 11 3 3 3 7 3 3 3 1 3 3 3 1 3 3 1 1"},
    {"centred list item in a link", u"<OL><LI align=center><A href=x><I>ab</I></A></LI></OL>", "caret 1",
     "3 7 3 1 1 1 1 3 1 3 3 3 3 3 3 7 3 3 3 7 3 3 3 3 3 1 1"},
    {"an image chosen", u"<P><IMG id=i></P>", "click i",
     "1 1 1 3 3 1 3 3 1 1 1 1 1 1 1 1 1 1 1 1 1 3 1 3 3 1 1"},
    {"after a change: undo", u"<P>ab</P>", "caret 1;type x",
     "3 3 3 1 1 1 1 3 1 3 3 3 3 3 7 3 3 3 1 3 3 3 1 3 3 3 1"},
    {"after an undo: redo", u"<P>ab</P>", "caret 1;type x;exec undo",
     "3 3 3 1 1 1 1 3 1 3 3 3 3 3 7 3 3 3 1 3 3 3 1 3 3 1 3"},
};

class SelectionStatus : public testing::TestWithParam<StatusRow> {};

TEST_P(SelectionStatus, AnswersPerCommand) {
    const StatusRow& row = GetParam();
    ClearClipboard();
    qx::test::EditedPage page(row.page);
    std::istringstream actions(row.action);
    for (std::string action; std::getline(actions, action, ';');)
        page.Run(action);
    std::string statuses;
    for (EditCommand command : kAllCommands)
        statuses +=
            (statuses.empty() ? "" : " ") + std::to_string(static_cast<long>(page.session->Status(command)));
    EXPECT_EQ(statuses, row.statuses);
}

INSTANTIATE_TEST_SUITE_P(Rows, SelectionStatus, testing::ValuesIn(kStatusRows), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

struct FormatRow {
    const char16_t* page;
    const char* action;
    const char* fontName; // "-" when the selection has no single value
    long fontSize;        // 0: none
    const char* foreColour;
    const char* backColour;
    const char* blockFormat;
};

std::string Shown(const std::optional<std::u16string>& value) {
    return value ? qx::win32::WideToUtf8(*value) : "-";
}

TEST(SelectionFormats, ReadFromTheSelection) {
    const FormatRow rows[] = {
        {u"<P>abc</P>", "caret 1", "", 3, "#000000", "", "Normal"},
        {u"<H2><FONT face=Gulim size=+2 color=RED>ab</FONT></H2>", "select 0 2", "Gulim", 5, "red", "",
         "Heading 2"},
        {u"<FONT color=#00FF00 style='background-color: #112233'>a</FONT>b", "select 0 1", "", 3, "#00ff00",
         "#112233", "Normal"},
        {u"<P><FONT face=A>a</FONT>b</P><PRE>c</PRE>", "select 0 4", "-", 3, "#000000", "", "-"},
        {u"<UL><LI>a</LI></UL><DL><DT>b</DT></DL>", "select 0 3", "", 3, "#000000", "", "-"},
        {u"<UL><LI>a</LI></UL>", "caret 0", "", 3, "#000000", "", "Bulleted List"},
        {u"<P><IMG id=i></P>", "click i", "-", 0, "-", "-", "-"},
    };
    for (const FormatRow& row : rows) {
        qx::test::EditedPage page(row.page);
        page.Run(row.action);
        auto& s = *page.session;
        EXPECT_EQ(Shown(s.FontName()), row.fontName) << page.Body();
        EXPECT_EQ(s.FontSize().value_or(0), row.fontSize) << page.Body();
        EXPECT_EQ(Shown(s.ForeColor()), row.foreColour) << page.Body();
        EXPECT_EQ(Shown(s.BackColor()), row.backColour) << page.Body();
        EXPECT_EQ(Shown(s.BlockFormat()), row.blockFormat) << page.Body();
    }
    const auto& names = qx::html::editing::EditingSession::BlockFormatNames();
    ASSERT_EQ(names.size(), 16u);
    EXPECT_EQ(names.front(), u"Normal");
    EXPECT_EQ(names[7], u"Heading 6");
    EXPECT_EQ(names.back(), u"Paragraph");
}

TEST(SelectionCommands, RefuseWhatTheyCannotDo) {
    qx::test::EditedPage page(u"<P>abc</P>");
    auto& s = *page.session;
    constexpr HRESULT kDisabled = static_cast<HRESULT>(0x80040101);
    page.Run("caret 1");
    EXPECT_EQ(s.Exec(EditCommand::FontName), E_INVALIDARG);
    EXPECT_EQ(s.Exec(EditCommand::InsertTable), E_INVALIDARG);
    EXPECT_EQ(s.Exec(EditCommand::Undo), kDisabled);
    EXPECT_EQ(s.Exec(EditCommand::Copy), kDisabled);
    EXPECT_EQ(s.SetFontSize(8), E_INVALIDARG);
    EXPECT_EQ(s.SetBlockFormat(u"Heading 7"), E_INVALIDARG);
    EXPECT_EQ(s.CreateLink(u""), E_INVALIDARG);
    qx::html::editing::TableSpec huge;
    huge.rows = 1000;
    huge.columns = 1000;
    EXPECT_EQ(s.InsertTable(huge), E_INVALIDARG);
    huge.rows = 0;
    EXPECT_EQ(s.InsertTable(huge), E_INVALIDARG);
    EXPECT_EQ(page.Body(), "<P>abc</P>");
    EXPECT_FALSE(s.CanUndo());
    EXPECT_EQ(s.SetBlockFormat(u"heading 3"), S_OK); // names in any case
    EXPECT_EQ(page.Body(), "<H3>abc</H3>");
}

// ---- the clipboard

struct ClipboardHtmlRow {
    std::string bytes;
    std::optional<std::u16string> fragment;
};

TEST(ClipboardHtml, FragmentsByOffsetsOrComments) {
    const std::string made = qx::html::editing::MakeClipboardHtml(u"<B>\uAC00</B>");
    EXPECT_EQ(made,
              "Version:0.9\r\nStartHTML:0000000105\r\nEndHTML:0000000185\r\nStartFragment:0000000139\r\n"
              "EndFragment:0000000149\r\n<html><body>\r\n<!--StartFragment--><B>\xEA\xB0\x80</B>"
              "<!--EndFragment-->\r\n</body>\r\n</html>");
    const ClipboardHtmlRow rows[] = {
        {made, u"<B>\uAC00</B>"},
        {made + std::string(4, '\0'), u"<B>\uAC00</B>"},
        // offsets past the end or backwards: the comments decide
        {"StartFragment:0000000900\r\nEndFragment:0000000001\r\n<!--StartFragment-->x<!--EndFragment-->",
         u"x"},
        {"StartFragment:99999999999999999999\r\n<!--StartFragment-->y<!--EndFragment-->", u"y"},
        {"Version:0.9\r\n<p>no fragment</p>", std::nullopt},
        {"<!--StartFragment-->unclosed", std::nullopt},
        {"", std::nullopt},
    };
    for (const ClipboardHtmlRow& row : rows)
        EXPECT_EQ(qx::html::editing::ClipboardHtmlFragment(row.bytes), row.fragment) << row.bytes;
}

std::string ClipboardBytes(UINT format) {
    EXPECT_TRUE(OpenClipboard(nullptr));
    std::string bytes;
    if (HANDLE block = GetClipboardData(format)) {
        bytes.assign(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return bytes;
}

TEST(SessionClipboard, CopyWritesTextAndHtmlPastePrefersHtml) {
    ClearClipboard();
    qx::test::EditedPage from(u"<P>a<B>bc</B></P><P>d</P>");
    from.Run("select 1 5");
    from.Run("exec copy");
    EXPECT_EQ(from.lastResult, S_OK);
    const std::string text = ClipboardBytes(CF_UNICODETEXT);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size() / 2),
              std::u16string(u"bc\r\nd\0", 6));
    const UINT html = RegisterClipboardFormatW(u"HTML Format");
    EXPECT_EQ(qx::html::editing::ClipboardHtmlFragment(ClipboardBytes(html)), u"<P><B>bc</B></P><P>d</P>");

    qx::test::EditedPage to(u"<TABLE><TR><TD id=c>x</TD></TR></TABLE>");
    to.Run("caret 1");
    to.Run("exec paste");
    EXPECT_EQ(to.Body(), "<TABLE><TBODY><TR><TD id=c>x<P><B>bc</B></P><P>d</P></TD></TR></TBODY></TABLE>");
    to.Run("exec undo");
    EXPECT_EQ(to.Body(), "<TABLE><TBODY><TR><TD id=c>x</TD></TR></TBODY></TABLE>");

    // Text alone (from another program): line breaks come as BR.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const char16_t plain[] = u"p\r\nq<";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof plain);
    std::memcpy(GlobalLock(block), plain, sizeof plain);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    to.Run("caret 1");
    to.Run("exec paste");
    EXPECT_EQ(to.Body(), "<TABLE><TBODY><TR><TD id=c>xp<BR>q&lt;</TD></TR></TBODY></TABLE>");
    EXPECT_EQ(to.Selection(), "xp/q<|");
}

TEST(SessionClipboard, CutOfAChosenElementAndPasteElsewhere) {
    ClearClipboard();
    qx::test::EditedPage page(u"<P>a<IMG id=i src=\"x.gif\">b</P>");
    page.Run("click i");
    page.Run("exec cut");
    EXPECT_EQ(page.Body(), "<P>ab</P>");
    EXPECT_EQ(page.Selection(), "a|b");
    page.Run("caret 2");
    page.Run("exec paste");
    EXPECT_EQ(page.Body(), "<P>ab<IMG id=i src=\"x.gif\"></P>");
}

// ---- events

// An event handler that cancels (answers false) and counts its calls.
class CancellingHandler final : public IDispatch {
public:
    int calls = 0;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; } // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        ++calls;
        if (result) {
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_FALSE;
        }
        return S_OK;
    }
};

TEST(SessionEvents, SelectStartAndDragStartAreFiredAndHonoured) {
    qx::test::EditedPage page(u"<P id=p>abc</P><P id=q>de</P><P><IMG id=i width=10 height=10></P>");
    auto events = qx::html::events::PageEvents::Of(page.dom);
    CancellingHandler refuse;
    VARIANT_BOOL done = VARIANT_FALSE;
    ASSERT_EQ(events->Attach(page.ById("p"), u"onselectstart", &refuse, &done), S_OK);
    page.Run("caret 6");
    const int before = page.displayChanges;
    page.Run("click p 0");
    EXPECT_EQ(refuse.calls, 1);
    EXPECT_EQ(page.Selection(), "abc/de|/"); // refused: the selection stays
    EXPECT_EQ(page.displayChanges, before);
    page.Run("click q 0");
    EXPECT_EQ(page.Selection(), "abc/|de/");
    EXPECT_GT(page.displayChanges, before);

    CancellingHandler drag;
    ASSERT_EQ(events->Attach(page.ById("i"), u"ondragstart", &drag, &done), S_OK);
    page.Run("click i");
    EXPECT_EQ(page.Selection(), "<IMG>");
    EXPECT_EQ(drag.calls, 0);
    page.Run("click i");
    EXPECT_EQ(drag.calls, 1);
    EXPECT_EQ(page.Selection(), "<IMG>");
    EXPECT_EQ(refuse.calls, 1); // presses outside p never reach its handler
    events->Clear();
    page.dom->events.reset();
}

} // namespace
