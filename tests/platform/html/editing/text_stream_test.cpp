// The text stream and live places from C++: which units a page gives, where places fall, and how
// places follow text edits.
#include <gtest/gtest.h>
#include <qx/html/dom/html_parser.h>
#include <qx/html/editing/document_text.h>
#include <qx/win32/codepage.h>

#include <memory>
#include <string>

namespace {

using qx::html::dom::DomDocument;
using qx::html::dom::Node;
using qx::html::editing::TextPoint;
using qx::html::editing::TextStream;
using qx::html::editing::UnitKind;

// Characters as they read; "|" a line break, "/" a block break, "*" an object.
std::string Units(const TextStream& stream) {
    std::u16string out;
    for (std::size_t i = 0; i < stream.Size(); ++i) {
        const UnitKind kind = stream.At(i).kind;
        out += kind == UnitKind::Char         ? stream.At(i).ch
               : kind == UnitKind::LineBreak  ? u'|'
               : kind == UnitKind::BlockBreak ? u'/'
                                              : u'*';
    }
    return qx::win32::WideToUtf8(out);
}

std::shared_ptr<DomDocument> Parse(const char16_t* html) {
    auto dom = std::make_shared<DomDocument>();
    EXPECT_EQ(qx::html::dom::ParseHtmlDocument(dom->tree, html), qx::html::dom::ParseError::None);
    return dom;
}

TEST(TextStream, UnitsOfAPage) {
    const struct {
        const char16_t* html;
        const char* units;
    } kCases[] = {
        {u"<p>a <b> b</b></p>  <p>c</p>", "a b/c"},
        {u"a <br> b", "a|b"},
        {u"a <img> b<input type=hidden><input>", "a * b*"},
        {u"<table><tr><td>1</td><td></td><td>2</td></tr></table>", "1/2"},
        {u"<pre> a\n b</pre>x", " a| b/x"},
        {u"x <script>y</script><!--c--> z<style>s</style>", "x z"},
        {u"<div><p></p></div><div>&nbsp;</div>", " "},
        {u"", ""},
    };
    for (const auto& c : kCases) {
        auto dom = Parse(c.html);
        TextStream stream;
        stream.Build(dom->tree.Body());
        EXPECT_EQ(Units(stream), c.units) << qx::win32::WideToUtf8(c.html);
    }
}

TEST(TextStream, PlacesFallInGaps) {
    auto dom = Parse(u"<p>ab</p><p>cd</p>");
    Node* body = dom->tree.Body();
    Node* p1 = body->firstChild;
    Node* p2 = p1->next;
    TextStream stream;
    stream.Build(body);
    ASSERT_EQ(Units(stream), "ab/cd");
    EXPECT_EQ(stream.GapOf({body, 0}), 0u);
    EXPECT_EQ(stream.GapOf({p1->firstChild, 1}), 1u);
    EXPECT_EQ(stream.GapOf({p1, 1}), 2u); // the end of the first block: before the break
    EXPECT_EQ(stream.GapOf({body, 1}), 3u);
    EXPECT_EQ(stream.GapOf({p2, 0}), 3u);
    EXPECT_EQ(stream.GapOf({body, 2}), 5u);
    EXPECT_EQ(stream.Caret(2).node, p1->firstChild); // a caret keeps to the line it ends
    EXPECT_EQ(stream.Caret(2).offset, 2u);
    EXPECT_EQ(stream.Caret(3).node, p2->firstChild); // and starts the next one after a break
    EXPECT_EQ(stream.Caret(3).offset, 0u);
    EXPECT_EQ(stream.Right(5).node, body);
    EXPECT_EQ(stream.Text(1, 4), std::u16string(u"b\r\nc"));
}

TEST(LiveRange, FollowsTextEditsAndRemovals) {
    auto dom = Parse(u"<p>abcdef</p><p>x</p>");
    qx::html::editing::DocumentText text(*dom);
    Node* p = dom->tree.Body()->firstChild;
    Node* t = p->firstChild;
    qx::html::editing::LiveRange range(text);
    range.start = {t, 2};
    range.end = {t, 5};
    text.ReplaceText(t, 0, 1, u"XY"); // before both ends: both move by one
    EXPECT_EQ(range.start.offset, 3u);
    EXPECT_EQ(range.end.offset, 6u);
    text.ReplaceText(t, 4, 5, u""); // over the end: it goes to where the cut was
    EXPECT_EQ(range.end.offset, 4u);
    Node* rest = text.SplitText(t, 3);
    EXPECT_EQ(range.start.node, t);
    EXPECT_EQ(range.end.node, rest);
    EXPECT_EQ(range.end.offset, 1u);
    dom->tree.Remove(p); // both ends were inside: they go to where P stood
    EXPECT_EQ(range.start.node, dom->tree.Body());
    EXPECT_EQ(range.start.offset, 0u);
    EXPECT_EQ(range.end.node, dom->tree.Body());
    EXPECT_EQ(text.Stream().Text(0, text.Stream().Size()), u"x");
}

} // namespace
