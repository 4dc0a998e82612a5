// The element commands on documents of the editing control: the current element, the caret's
// cell, the document lock, the memo mark, the rule at the caret, row heights and the cell list.
#include "element_queries.h"
#include "engine_fixture.h"

namespace qx::test {
namespace {

using com::ComPtr;
using com::Variant;

constexpr char16_t kForm[] =
    u"<html><body free><p id=out>outside</p>"
    u"<table id=t1><tr id=r0><td id=a free>aaa</td><td id=b free>bbb</td></tr>"
    u"<tr id=r1><td id=c colspan=2>ccc<input id=field value=v><select id=pick><option>1</select></td></tr>"
    u"</table></body></html>";

class ElementCommandsTest : public EngineFixture {
protected:
    bool Same(IUnknown* a, const char16_t* id) {
        ComPtr<IUnknown> left = ComPtr<IUnknown>::QueryFrom(a);
        ComPtr<IUnknown> right = ComPtr<IUnknown>::QueryFrom(id ? ById(id).Get() : nullptr);
        return left.Get() == right.Get();
    }
};

TEST_F(ElementCommandsTest, UpdateCurrentElementReportsEachChangeWithThePreviousElement) {
    struct Step {
        const char16_t* caretIn; // an element id, or a field to focus
        int changed;
        const char16_t* previous;
    };
    const Step steps[] = {
        {u"a", 1, nullptr},   {u"a", 0, nullptr}, {u"b", 1, u"a"},   {u"out", 1, u"b"},
        {u"out", 0, nullptr}, {u"c", 1, nullptr}, {u"out", 1, u"c"},
    };
    Load(kForm);
    for (const Step& step : steps) {
        SCOPED_TRACE(com::Utf16ToUtf8(step.caretIn));
        CaretIn(step.caretIn);
        ComPtr<IHTMLElement> previous;
        EXPECT_EQ(engine_.UpdateCurrentElement(previous), step.changed);
        EXPECT_TRUE(Same(previous.Get(), step.previous));
    }
    CTableEditor detached(owner_);
    ComPtr<IHTMLElement> previous;
    EXPECT_EQ(detached.UpdateCurrentElement(previous), 0) << "no document";
}

TEST_F(ElementCommandsTest, SelectCellAtCaretSetsTheCurrentCellAndTable) {
    Load(u"<html><body><table id=outer><tr><td id=o>x<table id=inner><tr><td id=i>in</td></tr></table>"
         u"</td></tr></table><p id=out>out</p></body></html>");
    struct Case {
        const char16_t* caretIn;
        int found;
        const char16_t* cell;
        const char16_t* table;
    };
    const Case cases[] = {
        {u"i", 1, u"i", u"inner"}, {u"out", 0, nullptr, nullptr}, {u"o", 1, u"o", u"outer"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(com::Utf16ToUtf8(c.caretIn));
        CaretIn(c.caretIn);
        EXPECT_EQ(engine_.SelectCellAtCaret(), c.found);
        EXPECT_TRUE(Same(engine_.startCell.Get(), c.cell));
        EXPECT_TRUE(Same(engine_.startTable.Get(), c.table));
    }
}

TEST_F(ElementCommandsTest, LockDocumentLeavesNothingEditable) {
    Load(kForm);
    CaretIn(u"a");
    EXPECT_TRUE(engine_.IsSelectionEditable());
    engine_.LockDocument();
    for (const char16_t* id : {u"a", u"b"})
        EXPECT_EQ(Attribute(id, u"free"), u"<none>");
    EXPECT_EQ(Body().find(u"free"), std::u16string::npos);
    for (const char16_t* id : {u"a", u"out", u"c"}) {
        CaretIn(id);
        EXPECT_FALSE(engine_.IsSelectionEditable()) << com::Utf16ToUtf8(id);
    }
}

TEST_F(ElementCommandsTest, MarkMemoWrapsTheSelectedTextAsText) {
    struct Case {
        const char16_t* html;
        const char16_t* expectedPaste;
    };
    const Case cases[] = {
        {u"<html><body><p id=p>abc</p></body></html>",
         u"<FONT style=\"background-Color: yellow\" memo=1234567890>abc</FONT>"},
        {u"<html><body><p id=p>x&lt;y</p></body></html>",
         u"<FONT style=\"background-Color: yellow\" memo=1234567890>x&lt;y</FONT>"},
        {u"<html><body><p id=p>&lt;img src=x onerror=\"go()\"&gt; &amp;</p></body></html>",
         u"<FONT style=\"background-Color: yellow\" memo=1234567890>&lt;img src=x "
         u"onerror=&quot;go()&quot;&gt; "
         u"&amp;</FONT>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(com::Utf16ToUtf8(c.html));
        // What the document becomes when the expected mark is pasted over the same selection.
        Load(c.html);
        Select(u"p");
        ComPtr<IDispatch> selection;
        Document()->get_selection(&selection);
        Variant range, html(c.expectedPaste);
        CallMethodByName(selection.Get(), u"createRange", nullptr, 0, &range);
        CallMethodByName(range.pdispVal, u"pasteHTML", &html, 1, nullptr);
        const std::u16string expected = DocumentHtml(control_.Get());

        Load(c.html);
        Select(u"p");
        engine_.MarkMemo();
        EXPECT_EQ(DocumentHtml(control_.Get()), expected);
        EXPECT_EQ(Body().find(u"<IMG"), std::u16string::npos);
    }
    // A caret selects no text: nothing is marked.
    Load(cases[0].html);
    CaretIn(u"p");
    const std::u16string before = DocumentHtml(control_.Get());
    engine_.MarkMemo();
    EXPECT_EQ(DocumentHtml(control_.Get()), before);
}

TEST_F(ElementCommandsTest, InsertRuleAtCaretAppendsARuleToTheCaretsElement) {
    Load(kForm);
    CaretIn(u"b");
    engine_.InsertRuleAtCaret();
    ComPtr<IHTMLDOMNode> cell = ComPtr<IHTMLDOMNode>::QueryFrom(ById(u"b").Get());
    ComPtr<IDispatch> last;
    ASSERT_EQ(cell->get_lastChild(&last), S_OK);
    EXPECT_TRUE(TagIs(ComPtr<IHTMLElement>::QueryFrom(last.Get()).Get(), u"HR"));
}

TEST_F(ElementCommandsTest, ResetRowHeightsEmptiesTheRowsUpThroughEnclosingCells) {
    Load(u"<html><body><table><tr id=outerRow height=40><td id=o height=40>x"
         u"<table><tr id=innerRow height=30><td id=i height=30>in</td><td id=j height=31>j</td></tr>"
         u"<tr id=other height=9><td id=k height=9>k</td></tr></table></td>"
         u"<td id=p height=40>p</td></tr></table></body></html>");
    engine_.ResetRowHeights(ById(u"i").Get());
    for (const char16_t* id : {u"outerRow", u"o", u"innerRow", u"i", u"j", u"p"})
        EXPECT_EQ(Attribute(id, u"height"), u"<none>") << com::Utf16ToUtf8(id);
    EXPECT_EQ(Attribute(u"other", u"height"), u"9");
    EXPECT_EQ(Attribute(u"k", u"height"), u"9");
}

TEST_F(ElementCommandsTest, ListTableCellsNumbersCellsRowByRow) {
    Load(kForm);
    std::map<long, Variant> cells = ListTableCells(ById(u"t1").Get());
    ASSERT_EQ(cells.size(), 3u);
    const char16_t* ids[] = {u"a", u"b", u"c"};
    for (long i = 0; i < 3; ++i) {
        ASSERT_EQ(cells[i].vt, VT_DISPATCH);
        EXPECT_TRUE(Same(cells[i].pdispVal, ids[i]));
    }
    EXPECT_TRUE(ListTableCells(ById(u"a").Get()).empty());
    EXPECT_TRUE(ListTableCells(nullptr).empty());
}

TEST_F(ElementCommandsTest, ModesExcludeEachOther) {
    engine_.ToggleSplitMode();
    EXPECT_TRUE(engine_.splitMode);
    engine_.ToggleMergeMode();
    EXPECT_TRUE(engine_.mergeMode);
    EXPECT_FALSE(engine_.splitMode);
    engine_.ToggleMergeMode();
    EXPECT_FALSE(engine_.mergeMode);
    engine_.ToggleSplitMode();
    engine_.ClearModes();
    EXPECT_FALSE(engine_.splitMode || engine_.mergeMode);
}

} // namespace
} // namespace qx::test
