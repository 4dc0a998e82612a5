// Byte-exact results of the compactor, of the whole pipeline and of each pass on its own.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "compactor/compactor.h"
#include "compactor/passes.h"

namespace {

using compactor::compact;

struct Case {
    const char* name;
    std::string_view input;
    std::string_view expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class CompactCase : public testing::TestWithParam<Case> {};

TEST_P(CompactCase, GivesExactText) {
    EXPECT_EQ(compact(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    DocumentedCases, CompactCase,
    testing::Values(Case{"OperatorsLoseTheirBlanks", "a = b + c ;", "a=b+c;"},
                    Case{"UnaryPlusKeepsItsBlank", "x = a + +b", "x=a+ +b"},
                    Case{"LinesAfterBracesJoin", "if (a) {\n  b();\n}\nelse {\n}", "if(a){b();}else{}"},
                    Case{"LineAfterIncrementJoins", "x++\ny", "x++y"},
                    Case{"BlockCommentLeavesNoSpace", "a/*x*/b", "ab"},
                    Case{"AdjacentStringsAndLineComment", "s = 'it''s'; // note", "s='it''s';"},
                    Case{"NoCommentInsideString", "t = \"a // b\"", "t=\"a // b\""},
                    Case{"EscapedBackslashBeforeClosingQuote", "u = \"a\\\\\" + v", "u=\"a\\\\\"+v"},
                    // The quote in the regular expression opens a string that the next quote closes, so
                    // the blanks between them stay, and the quote after z opens another.
                    Case{"QuoteInRegularExpressionOpensString", "r = /'/; x = 1 ;\ny = 'z' ;",
                         "r= /'/; x = 1 ;\ny = 'z' ;"},
                    Case{"EmptyText", "", ""},
                    Case{"OnlyWhiteSpaceAndComments", "  /* a */\n\t// b\n\r\n  ", ""}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    FurtherCases, CompactCase,
    testing::Values(
        Case{"UnclosedBlockCommentDropsTheRest", "a; /* b\nc", "a;"},
        Case{"CommentOpenerNeedsFreshStar", "a/*/b*/c", "ac"},
        Case{"LineCommentKeepsItsLineFeed", "a // b\nc", "a\nc"}, Case{"CrLfBecomesLf", "a\r\nb", "a\nb"},
        Case{"LoneTabStays", "var\tx", "var\tx"}, Case{"BlankAndTabBecomeOneBlank", "var \tx", "var x"},
        Case{"WordsKeepTheirBlank", "return  value", "return value"},
        Case{"DecrementsKeepTheirBlank", "a - -b", "a- -b"}, Case{"ShiftsKeepTheirBlank", "a < <b", "a< <b"},
        Case{"PunctuationBesideOperator", "f ( a , b ) ;", "f(a,b);"},
        Case{"NotBesideNot", "x = ! !y", "x=!!y"},
        Case{"BlankAfterClosingQuoteGoes", "x = \"a\" + 'b' ;", "x=\"a\"+'b';"},
        Case{"BlankAfterQuoteBeforeWordGoes", "return \"a\" in b", "return\"a\"in b"},
        Case{"StringInsidesUntouched", "s = \"  a  +  b  \" ;", "s=\"  a  +  b  \";"},
        Case{"EscapedQuoteDoesNotClose", "s = \"a\\\" + b\" ;", "s=\"a\\\" + b\";"},
        Case{"OtherQuoteInsideString", "s = \"it's\" + 'say \"hi\"' ;", "s=\"it's\"+'say \"hi\"';"},
        Case{"LineAfterOperatorJoins", "a =\nb +\nc", "a=b+c"}, Case{"LineAfterWordStays", "a\nb", "a\nb"},
        Case{"LineAfterParenthesisStays", "f()\ng()", "f()\ng()"},
        Case{"LineAfterQuoteStays", "a = 'x'\nb = 1", "a='x'\nb=1"},
        Case{"PlusLinePlusKeepsLine", "a +\n+b", "a+\n+b"},
        Case{"MinusLineMinusKeepsLine", "a -\n-b", "a-\n-b"},
        Case{"SlashLineSlashKeepsLine", "a /\n/b/.x", "a/\n/b/.x"},
        Case{"SlashLineStarKeepsLine", "a /\n*b", "a/\n*b"},
        Case{"CommentBetweenSlashesKeepsLine", "a / // c\n/b/", "a/\n/b/"},
        Case{"StarLineSlashJoins", "a *\n/b", "a*/b"}, Case{"PlusLineMinusJoins", "a +\n-b", "a+-b"},
        Case{"LeadingAndTrailingWhiteSpaceGo", "\n\n  a = 1;  \n\n", "a=1;"},
        Case{"UnclosedStringLosesTrailingBlanks", "s = \"abc  \n", "s=\"abc"},
        Case{"LoneBackslashAtEnd", "a \\", "a \\"},
        Case{"NonAsciiBytesPass", "s = \"\xc3\xa9\" ;", "s=\"\xc3\xa9\";"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Each pass on its own, so that a fault shows where it lies.
struct PassCase {
    const char* name;
    std::string (*pass)(std::string_view);
    std::string_view input;
    std::string_view expected;
};

void PrintTo(const PassCase& c, std::ostream* os) {
    *os << c.name;
}

class PassResult : public testing::TestWithParam<PassCase> {};

TEST_P(PassResult, GivesExactText) {
    EXPECT_EQ(GetParam().pass(GetParam().input), GetParam().expected);
}

using namespace compactor;

INSTANTIATE_TEST_SUITE_P(
    EachPass, PassResult,
    testing::Values(PassCase{"CommentsBlock", removeComments, "a /* x */ b", "a  b"},
                    PassCase{"CommentsLine", removeComments, "a // x\r\nb", "a \nb"},
                    PassCase{"CommentsLineAtEnd", removeComments, "a // x", "a "},
                    PassCase{"CommentsSlashAlone", removeComments, "a / b /", "a / b /"},
                    PassCase{"CommentsEscapedSlash", removeComments, "a\\///b", "a\\/"},
                    PassCase{"CommentsInSingleQuotes", removeComments, "'/*' + '//'", "'/*' + '//'"},
                    PassCase{"DoubleWhitesRun", removeDoubleWhites, "a \t \r\n\n b", "a\nb"},
                    PassCase{"DoubleWhitesBlankRun", removeDoubleWhites, "a \t\f\vb", "a b"},
                    PassCase{"DoubleWhitesSingleKept", removeDoubleWhites, "a\tb\rc", "a\tb\rc"},
                    PassCase{"DoubleWhitesInString", removeDoubleWhites, "\"a  \n b\"  c", "\"a  \n b\" c"},
                    PassCase{"DoubleWhitesEscapedBlank", removeDoubleWhites, "a\\  b", "a\\  b"},
                    PassCase{"SymbWhiteBeforeSymbol", removeSymbWhite, "a =", "a="},
                    PassCase{"SymbWhiteAfterSymbol", removeSymbWhite, "= a", "=a"},
                    PassCase{"SymbWhiteTwoOperators", removeSymbWhite, "= =", "= ="},
                    PassCase{"SymbWhiteOperatorPunctuation", removeSymbWhite, "= ( ; ;", "=(;;"},
                    PassCase{"SymbWhiteTwoWords", removeSymbWhite, "a b", "a b"},
                    PassCase{"SymbWhiteLineFeedStays", removeSymbWhite, "a\n=\nb", "a\n=\nb"},
                    PassCase{"SymbWhiteTabAndCarriageReturn", removeSymbWhite, "a\t=\rb", "a=b"},
                    PassCase{"SymbWhiteAfterQuoteStays", removeSymbWhite, "\"a\" + b", "\"a\" +b"},
                    PassCase{"SymbWhiteBlankAtEnd", removeSymbWhite, "a; ", "a; "},
                    PassCase{"SpaceAfterQuoteDouble", removeSpaceAfterQuote, "\"a\" b", "\"a\"b"},
                    PassCase{"SpaceAfterQuoteSingle", removeSpaceAfterQuote, "'a'\tb", "'a'b"},
                    PassCase{"SpaceAfterQuoteOpeningKept", removeSpaceAfterQuote, "x \" a\"", "x \" a\""},
                    PassCase{"SpaceAfterQuoteLineFeedKept", removeSpaceAfterQuote, "'a'\nb", "'a'\nb"},
                    PassCase{"SpaceAfterQuoteOnlyOne", removeSpaceAfterQuote, "'a'  b", "'a' b"},
                    PassCase{"SpaceAfterQuoteOtherKind", removeSpaceAfterQuote, "\"it' s\"", "\"it' s\""},
                    PassCase{"NewLinesAfterOperators", removeNewLines, "a=\nb;\n}\n{\n", "a=b;}{"},
                    PassCase{"NewLinesOnlyOneDropped", removeNewLines, ";\n\nb", ";\nb"},
                    PassCase{"NewLinesKeptAfterWordsAndBrackets", removeNewLines, "a\n)\n]\n,\n'x'\n",
                             "a\n)\n]\n,\n'x'\n"},
                    PassCase{"NewLinesKeptInString", removeNewLines, "\"a+\nb\"", "\"a+\nb\""},
                    PassCase{"IntroDropsLeading", removeIntro, " \t\r\n a \n", "a \n"},
                    PassCase{"TrailingDropsTrailing", removeTrailing, " a \t\r\n", " a"},
                    PassCase{"TrailingKeepsInnerRuns", removeTrailing, "a   b", "a   b"}),
    [](const testing::TestParamInfo<PassCase>& info) { return std::string(info.param.name); });

TEST(QuoteState, ChangeFollowsTheQuoteKinds) {
    EXPECT_EQ(change(0, 1), 1);
    EXPECT_EQ(change(0, 2), 2);
    EXPECT_EQ(change(1, 1), 0);
    EXPECT_EQ(change(2, 2), 0);
    EXPECT_EQ(change(1, 2), 1);
    EXPECT_EQ(change(2, 1), 2);
}

TEST(CharacterSets, HoldTheirDocumentedMembers) {
    EXPECT_EQ(symbols.size(), 21u);
    EXPECT_EQ(doubleSyms.size(), 12u);
    EXPECT_EQ(singleSyms.size(), 11u);
    EXPECT_EQ(newLineSyms.size(), 14u);
    for (char c : symbols)
        EXPECT_TRUE(doubleSyms.find(c) != std::string_view::npos ||
                    singleSyms.find(c) != std::string_view::npos)
            << c;
    for (char c : std::string_view(" \t\n\r\f\v"))
        EXPECT_TRUE(isSpace(static_cast<unsigned char>(c)));
    EXPECT_FALSE(isSpace(0xA0));
    EXPECT_EQ(comb(' ', '\t'), ' ');
    EXPECT_EQ(comb('\r', '\n'), '\n');
}

} // namespace
