// The spelling dialog's replacement: whole words only, case-sensitive, left to right; in HTML
// only in text content, the suggestion escaped, the markup untouched.
#include "spelling_replace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ReplaceCase {
    const char* name;
    std::u16string text;
    std::u16string word;
    std::u16string replacement;
    std::u16string plain; // ReplaceWholeWords
    std::u16string html;  // ReplaceWholeWordsInHtml
};

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

TEST(SpellingReplace, WholeWordsInTextAndInTheTextContentOfHtml) {
    const ReplaceCase cases[] = {
        {"both occurrences, not a longer word", u"teh letter, teh end. tehran", u"teh", u"the",
         u"the letter, the end. tehran", u"the letter, the end. tehran"},
        {"case-sensitive", u"Teh teh TEH", u"teh", u"the", u"Teh the TEH", u"Teh the TEH"},
        {"digits and Hangul join a word", u"teh1 teh 갔teh teh갔", u"teh", u"the", u"teh1 the 갔teh teh갔",
         u"teh1 the 갔teh teh갔"},
        {"an apostrophe between letters joins", u"teh's 'teh' don't", u"teh", u"the", u"teh's 'the' don't",
         u"teh's 'the' don't"},
        {"an empty suggestion removes the word", u"a teh b", u"teh", u"", u"a  b", u"a  b"},
        {"an empty word changes nothing", u"a teh b", u"", u"x", u"a teh b", u"a teh b"},
        {"a replacement holding the word is not met again", u"teh teh", u"teh", u"teh teh",
         u"teh teh teh teh", u"teh teh teh teh"},
        {"not in a tag or attribute", u"<p title=\"teh\" class=teh>teh</p>", u"teh", u"the",
         u"<p title=\"the\" class=the>the</p>", u"<p title=\"teh\" class=teh>the</p>"},
        {"a quoted '>' stays inside the tag", u"<p title='a>teh'>teh</p>", u"teh", u"the",
         u"<p title='a>the'>the</p>", u"<p title='a>teh'>the</p>"},
        {"not in a comment, SCRIPT or STYLE", u"<!-- teh --><SCRIPT>teh()</SCRIPT><style>p.teh{}</style>teh",
         u"teh", u"the", u"<!-- the --><SCRIPT>the()</SCRIPT><style>p.the{}</style>the",
         u"<!-- teh --><SCRIPT>teh()</SCRIPT><style>p.teh{}</style>the"},
        {"not in a character reference", u"&teh; &amp;teh teh&nbsp;", u"teh", u"x", u"&x; &amp;x x&nbsp;",
         u"&teh; &amp;x x&nbsp;"},
        {"the suggestion is escaped in HTML", u"<b>teh</b>", u"teh", u"a<b>&c", u"<b>a<b>&c</b>",
         u"<b>a&lt;b&gt;&amp;c</b>"},
        {"a bare '<' before the replacement is escaped", u"1 <\u00e9/b>", u"\u00e9", u"", u"1 </b>",
         u"1 &lt;/b>"},
        {"a bare '&#' before the replacement is escaped", u"&#\u00e9;", u"\u00e9", u"1", u"&#1;",
         u"&amp;#1;"},
        {"an unclosed tag is markup to the end", u"x teh <div teh", u"teh", u"the", u"x the <div the",
         u"x the <div teh"},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8(ReplaceWholeWords(c.text, c.word, c.replacement)), Utf8(c.plain));
        EXPECT_EQ(ReplaceWholeWords(c.text, c.word, c.replacement), c.plain);
        EXPECT_EQ(Utf8(ReplaceWholeWordsInHtml(c.text, c.word, c.replacement)), Utf8(c.html));
        EXPECT_EQ(ReplaceWholeWordsInHtml(c.text, c.word, c.replacement), c.html);
    }
}

TEST(SpellingReplace, SegmentsJoinBackToTheFragment) {
    const std::u16string html = u"a<p x='>'>b&amp;c<!--d--><script>e</script>&f";
    std::u16string joined;
    std::u16string kinds;
    for (const HtmlSegment& segment : SplitHtmlSegments(html)) {
        joined += segment.content;
        kinds += segment.kind == HtmlSegment::Text        ? u'T'
                 : segment.kind == HtmlSegment::Reference ? u'R'
                                                          : u'M';
    }
    EXPECT_EQ(joined, html);
    EXPECT_EQ(kinds, u"TMTRTMMMR");
}

} // namespace
