#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "mime_tokenizer.h"

namespace {

// "kind:text" for every token up to and including the null token.
template <typename Tokenizer>
std::vector<std::string> Tokens(const MimeString& text) {
    Tokenizer t(text);
    std::vector<std::string> out;
    for (int guard = 0; guard < 100; ++guard) {
        out.push_back(std::to_string(t.Type()) + ":" + t.Token().ToStdString());
        if (t.Type() == MIME_TOKEN_NULL)
            break;
        t.Next();
    }
    return out;
}

struct TokenCase {
    const char* text;
    std::vector<std::string> tokens;
};

} // namespace

TEST(MimeTokenizerTest, MimeTokens) {
    const TokenCase cases[] = {
        {"text/html; a=\"x;y\"", {"7:text", "6:/", "7:html", "6:;", "7:a", "6:=", "4:\"x;y\"", "0:"}},
        {"", {"0:"}},
        {" \t\r\n ", {"0:"}},
        {"a (c (d)) b", {"7:a", "3:(c (d))", "7:b", "0:"}},
        {"x=[1.2]?", {"7:x", "6:=", "5:[1.2]", "6:?", "0:"}},
        {"tok.en@h", {"7:tok.en", "6:@", "7:h", "0:"}},
        {"\"abc", {"-1:", "0:"}},
        {"\"ab\\\"c\" d", {"4:\"ab\\\"c\"", "7:d", "0:"}},
        {"\"ends in escape\\", {"-1:", "0:"}},
        {"(unbalanced (x)", {"-1:", "0:"}},
        {"(escape at end\\", {"-1:", "0:"}},
        {"[literal", {"-1:", "0:"}},
        {"\xc7\xd1\xb1\xdb/x", {"7:\xc7\xd1\xb1\xdb", "6:/", "7:x", "0:"}},
        {"a\\b", {"7:a", "6:\\", "7:b", "0:"}},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(Tokens<MimeHeaderTokenizer>(MimeString(c.text)), c.tokens) << c.text;
}

TEST(MimeTokenizerTest, Rfc822Tokens) {
    const TokenCase cases[] = {
        {"Joe Bloggs <joe@example.com> (c (d))",
         {"2:Joe", "2:Bloggs", "1:<", "2:joe", "1:@", "2:example", "1:.", "2:com", "1:>", "3:(c (d))", "0:"}},
        {"a/b=c", {"2:a/b=c", "0:"}},
        {"\"quoted name\" x", {"4:\"quoted name\"", "2:x", "0:"}},
        {"@[10.0.0.1]:a;", {"1:@", "5:[10.0.0.1]", "1::", "2:a", "1:;", "0:"}},
        {"\"abc", {"-1:", "0:"}},
        {"x\x01y", {"2:x", "2:y", "0:"}},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(Tokens<Rfc822Tokenizer>(MimeString(c.text)), c.tokens) << c.text;
}

TEST(MimeTokenizerTest, StripDelimitersRemovesTheOuterPair) {
    Rfc822Tokenizer comment("(c (d))");
    comment.StripDelimiters();
    EXPECT_EQ(comment.Token(), "c (d)");
    MimeHeaderTokenizer quoted("\"euc-kr\"");
    quoted.StripDelimiters();
    EXPECT_EQ(quoted.Token(), "euc-kr");
    Rfc822Tokenizer literal("[1.2.3.4]");
    literal.StripDelimiters();
    EXPECT_EQ(literal.Token(), "1.2.3.4");
    Rfc822Tokenizer atom("atom");
    atom.StripDelimiters();
    EXPECT_EQ(atom.Token(), "atom");
}

TEST(MimeTokenizerTest, RestartReadsFromTheBeginningAgain) {
    MimeHeaderTokenizer t("a/b");
    t.Next();
    t.Next();
    EXPECT_EQ(t.Token(), "b");
    t.Restart();
    EXPECT_EQ(t.Token(), "a");
    EXPECT_EQ(t.Type(), MIME_TOKEN_TOKEN);
}

TEST(MimeTokenizerTest, SpanCutsTheSourceBetweenTwoTokens) {
    Rfc822Tokenizer t("Joe <j@x.org>, next");
    MimeTokenSpan span;
    span.SetFirst(t);
    while (!(t.Type() == MIME_TOKEN_SPECIAL && t.Token() == ","))
        t.Next();
    span.ExtendTo(t);
    EXPECT_EQ(span.Text(), "Joe <j@x.org>");
    t.Next();
    span.SetFirst(t);
    t.Next();
    span.ExtendTo(t);
    EXPECT_EQ(span.Text(), "next");
}

TEST(MimeTokenizerTest, TraceWritesEveryToken) {
    std::ostringstream trace;
    g_pMimeTokenTrace = &trace;
    MimeHeaderTokenizer t("a/b");
    t.Next();
    g_pMimeTokenTrace = nullptr;
    EXPECT_EQ(trace.str(), "token          a\ntspecial       /\n");
}
