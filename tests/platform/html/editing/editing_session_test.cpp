// Editing sessions: a starting page, then steps (a click, keys or a command), each with the BODY's
// HTML and the selection after it, as the old editing control left them.
#include "session_fixture.h"

#include <vector>

namespace {

struct Step {
    const char* action;
    const char* html;
    const char* selection;
};

struct SessionRow {
    const char* name;
    const char16_t* page;
    std::vector<Step> steps;
};

constexpr const char* kMousePage = "<P id=p>abc def</P><P><IMG id=i width=20 height=20></P><TABLE id=t "
                                   "border=1><TBODY><TR><TD id=c>xy</TD></TR>"
                                   "</TBODY></TABLE>";

const SessionRow kSessions[] = {
    {"typing and deleting characters",
     u"<P>ab</P>",
     {{"caret 1", "<P>ab</P>", "a|b"},
      {"type xy", "<P>axyb</P>", "axy|b"},
      {"key back", "<P>axb</P>", "ax|b"},
      {"key del", "<P>ax</P>", "ax|"},
      {"key back", "<P>a</P>", "a|"}}},
    {"typing replaces the selection",
     u"<P>abcd</P>",
     {{"select 1 3", "<P>abcd</P>", "a[bc]d"}, {"type X", "<P>aXd</P>", "aX|d"}}},
    {"typing across table cells keeps the grid",
     u"<TABLE><TR><TD>1</TD><TD>2</TD></TR><TR><TD>3</TD><TD>4</TD></TR></TABLE>",
     {{"select 0 5",
       "<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR><TR><TD>3</TD><TD>4</TD></TR></TBODY></TABLE>",
       "[1/2/3]/4"},
      {"type x", "<TABLE><TBODY><TR><TD>x</TD><TD></TD></TR><TR><TD></TD><TD>4</TD></TR></TBODY></TABLE>",
       "x|/4"},
      {"key del", "<TABLE><TBODY><TR><TD>x</TD><TD></TD></TR><TR><TD></TD><TD>4</TD></TR></TBODY></TABLE>",
       "x|/4"}}},
    {"spaces that would collapse are typed as NBSP",
     u"<P>a</P>",
     {{"caret 1", "<P>a</P>", "a|"},
      {"type  ", "<P>a&nbsp;</P>", "a |"},
      {"type b", "<P>a b</P>", "a b|"},
      {"type  ", "<P>a b&nbsp;</P>", "a b |"},
      {"type  ", "<P>a b&nbsp;&nbsp;</P>", "a b  |"}}},
    {"Enter splits the paragraph, Backspace joins it again",
     u"<P>abcd</P>",
     {{"caret 2", "<P>abcd</P>", "ab|cd"},
      {"key enter", "<P>ab</P><P>cd</P>", "ab/|cd"},
      {"key back", "<P>abcd</P>", "ab|cd"},
      {"caret 4", "<P>abcd</P>", "abcd|"},
      {"key enter", "<P>abcd</P><P>&nbsp;</P>", "abcd/| "},
      {"type e", "<P>abcd</P><P>e</P>", "abcd/e|"},
      {"shift enter", "<P>abcd</P><P>e<BR></P>", "abcd/e/|"}}},
    {"Enter in text directly in BODY makes paragraphs",
     u"abc",
     {{"caret 1", "abc", "a|bc"},
      {"key enter", "<P>a</P><P>bc</P>", "a/|bc"},
      {"key del", "<P>a</P><P>c</P>", "a/|c"}}},
    // The inline element is split before the table: the text before it is a line of its own.
    {"Enter before a table inside an inline element keeps the tree whole",
     u"<FONT face=Arial>a<TABLE><TR><TD>1</TD></TR></TABLE></FONT>",
     {{"caret 1", "<FONT face=Arial>a<TABLE><TBODY><TR><TD>1</TD></TR></TBODY></TABLE></FONT>", "a|/1"},
      {"key enter",
       "<P><FONT face=Arial>a</FONT></P><P>&nbsp;</P>"
       "<FONT face=Arial><TABLE><TBODY><TR><TD>1</TD></TR></TBODY></TABLE></FONT>",
       "a/| /1"},
      {"type b",
       "<P><FONT face=Arial>a</FONT></P><P>b</P>"
       "<FONT face=Arial><TABLE><TBODY><TR><TD>1</TD></TR></TBODY></TABLE></FONT>",
       "a/b|/1"}}},
    // Text directly in a list is a block of its own; the list renamed for the item takes it along.
    {"a numbered list over a list with loose text renames the list once",
     u"<UL>x<LI>a</LI></UL>",
     {{"exec selectall", "<UL>x<LI>a</LI></UL>", "[x/a]"}, {"exec ol", "<OL>x<LI>a</LI></OL>", "[x/a]"}}},
    {"Delete at a line's end joins the next line; cells are never joined",
     u"<P>ab</P>cd<TABLE><TR><TD>1</TD><TD>2</TD></TR></TABLE>",
     {{"caret 2", "<P>ab</P>cd<TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>", "ab|/cd/1/2"},
      {"key del", "<P>abcd</P><TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>", "ab|cd/1/2"},
      {"caret 6", "<P>abcd</P><TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>", "abcd/1|/2"},
      {"key del", "<P>abcd</P><TABLE><TBODY><TR><TD>1</TD><TD>2</TD></TR></TBODY></TABLE>", "abcd/1|/2"}}},
    {"arrows move the caret, Shift extends",
     u"<P>abc</P><P>de</P>",
     {{"caret 1", "<P>abc</P><P>de</P>", "a|bc/de"},
      {"key right", "<P>abc</P><P>de</P>", "ab|c/de"},
      {"shift right", "<P>abc</P><P>de</P>", "ab[c]/de"},
      {"shift right", "<P>abc</P><P>de</P>", "ab[c/]de"},
      {"shift left", "<P>abc</P><P>de</P>", "ab[c]/de"},
      {"key left", "<P>abc</P><P>de</P>", "ab|c/de"},
      {"key down", "<P>abc</P><P>de</P>", "abc/de|"},
      {"key up", "<P>abc</P><P>de</P>", "ab|c/de"},
      {"key home", "<P>abc</P><P>de</P>", "|abc/de"},
      {"shift end", "<P>abc</P><P>de</P>", "[abc]/de"},
      {"key end", "<P>abc</P><P>de</P>", "abc|/de"}}},
    {"bold on, off and in part",
     u"<P>abcd</P><P><B>wxyz</B></P>",
     {{"select 1 3", "<P>abcd</P><P><B>wxyz</B></P>", "a[bc]d/wxyz"},
      {"exec bold", "<P>a<STRONG>bc</STRONG>d</P><P><B>wxyz</B></P>", "a[bc]d/wxyz"},
      {"exec bold", "<P>abcd</P><P><B>wxyz</B></P>", "a[bc]d/wxyz"},
      {"select 6 8", "<P>abcd</P><P><B>wxyz</B></P>", "abcd/w[xy]z"},
      {"exec bold", "<P>abcd</P><P><B>w</B>xy<B>z</B></P>", "abcd/w[xy]z"}}},
    {"a format spans the formats inside it",
     u"<P>a<I>b</I>c</P>",
     {{"select 0 3", "<P>a<I>b</I>c</P>", "[abc]"},
      {"exec underline", "<P><U>a<I>b</I>c</U></P>", "[abc]"},
      {"exec italic", "<P><EM><U>a<I>b</I>c</U></EM></P>", "[abc]"},
      {"exec removeformat", "<P>abc</P>", "[abc]"}}},
    {"a format at the caret waits for the typing",
     u"<P>ab</P>",
     {{"caret 1", "<P>ab</P>", "a|b"},
      {"exec bold", "<P>ab</P>", "a|b"},
      {"type xy", "<P>a<STRONG>xy</STRONG>b</P>", "axy|b"},
      {"size 5", "<P>a<STRONG>xy</STRONG>b</P>", "axy|b"},
      {"type z", "<P>a<STRONG>xy<FONT size=5>z</FONT></STRONG>b</P>", "axyz|b"}}},
    {"fonts and colours",
     u"<P>abc</P>",
     {{"select 0 3", "<P>abc</P>", "[abc]"},
      {"font Arial", "<P><FONT face=Arial>abc</FONT></P>", "[abc]"},
      {"size 5", "<P><FONT face=Arial size=5>abc</FONT></P>", "[abc]"},
      {"fore #FF0000", "<P><FONT face=Arial size=5 color=#ff0000>abc</FONT></P>", "[abc]"},
      {"select 1 2", "<P><FONT face=Arial size=5 color=#ff0000>abc</FONT></P>", "a[b]c"},
      {"font Gulim", "<P><FONT face=Arial size=5 color=#ff0000>a<FONT face=Gulim>b</FONT>c</FONT></P>",
       "a[b]c"},
      {"back 00ff00",
       "<P><FONT face=Arial size=5 color=#ff0000>a<FONT face=Gulim style=\"BACKGROUND-COLOR: "
       "#00ff00\">b</FONT>"
       "c</FONT></P>",
       "a[b]c"}}},
    {"block formats",
     u"<P>abc</P>def",
     {{"caret 1", "<P>abc</P>def", "a|bc/def"},
      {"block Heading 1", "<H1>abc</H1>def", "a|bc/def"},
      {"caret 5", "<H1>abc</H1>def", "abc/d|ef"},
      {"block Formatted", "<H1>abc</H1><PRE>def</PRE>", "abc/d|ef"},
      {"select 0 7", "<H1>abc</H1><PRE>def</PRE>", "[abc/def]"},
      {"block Normal", "<P>abc</P><P>def</P>", "[abc/def]"},
      {"block Bulleted List", "<UL><LI>abc</LI><LI>def</LI></UL>", "[abc/def]"},
      {"block Address", "<ADDRESS>abc</ADDRESS><ADDRESS>def</ADDRESS>", "[abc/def]"}}},
    {"alignment",
     u"<P>abc</P><P align=right>d</P>",
     {{"caret 1", "<P>abc</P><P align=right>d</P>", "a|bc/d"},
      {"exec center", "<P align=center>abc</P><P align=right>d</P>", "a|bc/d"},
      {"select 0 5", "<P align=center>abc</P><P align=right>d</P>", "[abc/d]"},
      {"exec right", "<P align=right>abc</P><P align=right>d</P>", "[abc/d]"},
      {"exec left", "<P>abc</P><P>d</P>", "[abc/d]"}}},
    {"lists on and off, indent and outdent",
     u"<P>a</P><P>b</P>",
     {{"select 0 3", "<P>a</P><P>b</P>", "[a/b]"},
      {"exec ol", "<OL><LI>a</LI><LI>b</LI></OL>", "[a/b]"},
      {"exec ul", "<UL><LI>a</LI><LI>b</LI></UL>", "[a/b]"},
      {"exec ul", "<P>a</P><P>b</P>", "[a/b]"},
      {"caret 2", "<P>a</P><P>b</P>", "a/|b"},
      {"exec indent", "<P>a</P><BLOCKQUOTE><P>b</P></BLOCKQUOTE>", "a/|b"},
      {"exec outdent", "<P>a</P><P>b</P>", "a/|b"}}},
    {"links and images",
     u"<P>abc</P>",
     {{"select 1 2", "<P>abc</P>", "a[b]c"},
      {"link http://x/", "<P>a<A href=\"http://x/\">b</A>c</P>", "a[b]c"},
      {"exec unlink", "<P>abc</P>", "a[b]c"},
      {"caret 3", "<P>abc</P>", "abc|"},
      {"image a.gif", "<P>abc<IMG src=a.gif></P>", "<IMG>"},
      {"link b.htm", "<P>abc<A href=b.htm><IMG src=a.gif></A></P>", "<IMG>"},
      {"key del", "<P>abc<A href=b.htm></A></P>", "abc|"}}},
    {"insert table puts the caret in its first cell",
     u"<P>ab</P>",
     {{"caret 2", "<P>ab</P>", "ab|"},
      {"table 2 2",
       "<P>ab</P><TABLE border=1><CAPTION>T</CAPTION><TBODY><TR><TD></TD><TD></TD></TR><TR><TD></TD><TD></TD>"
       "</TR></TBODY></TABLE>",
       "ab/T|"},
      {"type q",
       "<P>ab</P><TABLE "
       "border=1><CAPTION>T</CAPTION><TBODY><TR><TD>q</TD><TD></TD></TR><TR><TD></TD><TD></TD>"
       "</TR></TBODY></TABLE>",
       "ab/T/q|"}}},
    {"undo and redo put content and selection back",
     u"<P>ab</P>",
     {{"caret 2", "<P>ab</P>", "ab|"},
      {"type cd", "<P>abcd</P>", "abcd|"},
      {"select 0 2", "<P>abcd</P>", "[ab]cd"},
      {"exec bold", "<P><STRONG>ab</STRONG>cd</P>", "[ab]cd"},
      {"exec undo", "<P>abcd</P>", "[ab]cd"},
      {"exec undo", "<P>ab</P>", "ab|"},
      {"exec undo", "<P>ab</P>", "ab|"},
      {"exec redo", "<P>abcd</P>", "[ab]cd"},
      {"exec redo", "<P><STRONG>ab</STRONG>cd</P>", "[ab]cd"},
      {"type z", "<P><STRONG>z</STRONG>cd</P>", "z|cd"},
      {"exec redo", "<P><STRONG>z</STRONG>cd</P>", "z|cd"}}},
    {"the mouse places the caret, drags a selection, selects elements",
     u"<P id=p>abc def</P><P><IMG id=i width=20 height=20></P><TABLE id=t border=1><TR><TD "
     u"id=c>xy</TD></TR></TABLE>",
     {{"click p 0", kMousePage, "|abc def//xy"},
      {"drag p 0 p 17", kMousePage, "[ab]c def//xy"},
      {"shiftclick p 200", kMousePage, "[abc def]//xy"},
      {"click i", kMousePage, "<IMG>"},
      {"click c", kMousePage, "abc def//x|y"},
      {"ctrlclick c", kMousePage, "<TABLE>"},
      {"dblclick p 2", kMousePage, "[abc ]def//xy"}}},
    {"select all, cut and paste back",
     u"<P>a<B>b</B></P><P>c</P>",
     {{"exec selectall", "<P>a<B>b</B></P><P>c</P>", "[ab/c]"},
      {"exec cut", "<P>&nbsp;</P>", "| "},
      {"exec paste", "<P>a<B>b</B></P><P>c</P>", "ab/c|"}}},
};

class EditingSessions : public testing::TestWithParam<SessionRow> {};

TEST_P(EditingSessions, LeaveTheHtmlAndSelectionOfTheOldControl) {
    const SessionRow& row = GetParam();
    qx::test::EditedPage page(row.page);
    for (const Step& step : row.steps) {
        page.Run(step.action);
        EXPECT_EQ(page.Body(), step.html) << "after " << step.action;
        EXPECT_EQ(page.Selection(), step.selection) << "after " << step.action;
        // A node cut off from both the page and the orphans would never be freed.
        EXPECT_EQ(page.dom->tree.LiveNodeCount(), page.dom->tree.ReachableNodeCount())
            << "after " << step.action;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, EditingSessions, testing::ValuesIn(kSessions), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

} // namespace
