// The book's text layer and what a card of another writer gives: folding, escapes, the limits
// of a book file, and the fields read from TEL, ADR, URL and the rest.
#include "contact_card.h"
#include "vcard_text.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace qx::wab;

TEST(VCardText, FoldingKeepsEveryLineWithin75OctetsAndUtf8Whole) {
    const std::string korean75 =
        "N:" + std::string("가나다라마바사아자차카타파하거너더러머버서어저처") + "a"; // 2+72+1
    const struct {
        std::string line;
        std::string folded;
    } cases[] = {
        {"", "\r\n"},
        {std::string(75, 'a'), std::string(75, 'a') + "\r\n"},
        {std::string(76, 'a'), std::string(75, 'a') + "\r\n a\r\n"},
        {std::string(75 + 74 + 1, 'b'), std::string(75, 'b') + "\r\n " + std::string(74, 'b') + "\r\n b\r\n"},
        // A fold that would split the 3-byte "가" falls before it.
        {std::string(74, 'c') + "가", std::string(74, 'c') + "\r\n 가\r\n"},
        {korean75, korean75 + "\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FoldLine(c.line), c.folded) << c.line;
}

TEST(VCardText, EscapesGoBothWays) {
    const struct {
        std::string text;
        std::string escaped;
    } cases[] = {
        {"plain", "plain"},
        {"a,b;c\\d", "a\\,b\\;c\\\\d"},
        {"two\nlines", "two\\nlines"},
        {"끝\\", "끝\\\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeText(c.text), c.escaped);
        EXPECT_EQ(UnescapeText(c.escaped), c.text);
    }
    // What other writers put: upper-case N, an escaped colon, an unknown escape kept as it is.
    EXPECT_EQ(UnescapeText("a\\Nb\\:c\\xd\\"), "a\nb:c\\xd\\");
    EXPECT_EQ(SplitUnescaped("a\\;b;c;;", ';'), (std::vector<std::string>{"a\\;b", "c", "", ""}));
}

TEST(VCardText, OnlyVCardFilesAreBooks) {
    const std::string card = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:A\r\nEND:VCARD\r\n";
    const struct {
        const char* what;
        std::string file;
        int cards; // -1: refused
    } cases[] = {
        {"empty", "", 0},
        {"one card", card, 1},
        {"byte order mark, bare LF, blank lines",
         "\xEF\xBB\xBF"
         "BEGIN:VCARD\nFN:A\n\n\nEND:VCARD\n\nbegin:vcard\nend:vcard",
         2},
        {"folded with a tab", "BEGIN:VCARD\r\nFN:A\r\n\tB\r\nEND:VCARD\r\n", 1},
        {"nested card", "BEGIN:VCARD\r\nBEGIN:VCARD\r\nFN:in\r\nEND:VCARD\r\nEND:VCARD\r\n", 1},
        {"text outside a card", "hello\r\n" + card, -1},
        {"no END", "BEGIN:VCARD\r\nFN:A\r\n", -1},
        {"END first", "END:VCARD\r\n", -1},
        {"not a vCard", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", -1},
        {"ill-formed UTF-8", "BEGIN:VCARD\r\nFN:\xB1\xE8\r\nEND:VCARD\r\n", -1},
        {"a line over 1 MiB", "BEGIN:VCARD\r\nNOTE:" + std::string(kMaxLineBytes, 'x') + "\r\nEND:VCARD\r\n",
         -1},
        {"too deep",
         std::string("BEGIN:VCARD\r\n") +
             [] {
                 std::string s;
                 for (int i = 0; i < kMaxNesting; ++i)
                     s += "BEGIN:X\r\n";
                 for (int i = 0; i <= kMaxNesting; ++i)
                     s += "END:X\r\n";
                 return s;
             }(),
         -1},
    };
    for (const auto& c : cases) {
        auto cards = SplitCards(c.file);
        EXPECT_EQ(cards ? static_cast<int>(cards->size()) : -1, c.cards) << c.what;
    }
    // Each card keeps its bytes as read.
    auto two = SplitCards("\n" + card + "\n" + card);
    ASSERT_TRUE(two);
    EXPECT_EQ((*two)[1].raw, card);
}

// The string properties (by id) a card gives.
std::map<ULONG, std::string> Fields(const std::string& lines) {
    auto cards = SplitCards("BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n");
    EXPECT_TRUE(cards && cards->size() == 1);
    std::map<ULONG, std::string> out;
    if (cards && cards->size() == 1) {
        for (const Property& p : CardFromLines((*cards)[0]).properties)
            out[PROP_ID(p.tag)] =
                PROP_TYPE(p.tag) == PT_STRING8 ? p.text : "(type " + std::to_string(PROP_TYPE(p.tag)) + ")";
    }
    return out;
}

TEST(CardReading, OtherWritersLinesFindTheirFields) {
    const struct {
        std::string lines;
        std::map<ULONG, std::string> fields;
    } cases[] = {
        {"TEL;TYPE=fax,work:1\r\nTEL;TYPE=FAX:2\r\nTEL;TYPE=cell:3\r\nTEL;TYPE=pager:4\r\nTEL;TYPE=work:"
         "5\r\nTEL:6\r\n",
         {{0x3A24, "1"}, {0x3A25, "2"}, {0x3A1C, "3"}, {0x3A21, "4"}, {0x3A08, "5"}, {0x3A09, "6"}}},
        {"tel;type=WORK;type=VOICE:7\r\nTEL;FAX;WORK:8\r\nitem1.TEL;TYPE=\"work,fax\":9\r\n",
         {{0x3A08, "7"}, {0x3A24, "8"}}},
        {"ADR;TYPE=home:;;s;c;r;p;k\r\nADR;TYPE=postal:;;s2;c2;;;\r\n",
         {{0x3A5D, "s"},
          {0x3A59, "c"},
          {0x3A5C, "r"},
          {0x3A5B, "p"},
          {0x3A5A, "k"},
          {0x3A29, "s2"},
          {0x3A27, "c2"}}},
        {"URL;TYPE=work:w\r\nURL:u\r\n", {{0x3A50, "u"}}},
        {"EMAIL:first\r\nEMAIL;PREF=2:second\r\nEMAIL;PREF=1:third\r\n", {{0x3003, "third"}}},
        {"EMAIL:first\r\nEMAIL;TYPE=INTERNET,pref:preferred\r\n", {{0x3003, "preferred"}}},
        {"N:Family;Given;Middle;Prefix;Suffix\r\nFN:Full\\, Name\r\nORG:Org\\;Inc;Dept;Unit\r\n",
         {{0x3A11, "Family"},
          {0x3A06, "Given"},
          {0x3A44, "Middle"},
          {0x3A45, "Prefix"},
          {0x3001, "Full, Name"},
          {0x3A16, "Org;Inc"},
          {0x3A18, "Dept"}}},
        {"RELATED;TYPE=friend:x\r\nRELATED;TYPE=spouse;VALUE=text:y\r\nNOTE:a\\nb\r\n",
         {{0x3A48, "y"}, {0x3004, "a\nb"}}},
        {"X-MAPI-3A1C0003:42\r\nX-MAPI-3A19001E:office\r\nX-MAPI-3A210003:not a "
         "number\r\nX-MAPI-0FFF0102:AAAA\r\n",
         {{0x3A1C, "(type 3)"}, {0x3A19, "office"}}},
        {"TEL;TYPE=cell:standard\r\nX-MAPI-3A1C0003:42\r\n", {{0x3A1C, "standard"}}},
        {"EMAIL:\r\nTITLE:\r\n", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(c.lines), c.fields) << c.lines;
}

TEST(CardReading, KindAndUidOfACard) {
    const struct {
        std::string lines;
        ULONG objectType;
        bool uidFromFile;
    } cases[] = {
        {"KIND:group\r\nMEMBER:urn:uuid:1\r\n", MAPI_DISTLIST, false},
        {"KIND:org\r\nUID:urn:uuid:x\r\n", MAPI_MAILUSER, true},
        {"UID:\r\n", MAPI_MAILUSER, false},
    };
    for (const auto& c : cases) {
        auto cards = SplitCards("BEGIN:VCARD\r\n" + c.lines + "END:VCARD\r\n");
        ASSERT_TRUE(cards);
        Card card = CardFromLines((*cards)[0]);
        EXPECT_EQ(card.objectType, c.objectType) << c.lines;
        EXPECT_EQ(card.uidFromFile, c.uidFromFile) << c.lines;
        EXPECT_TRUE(card.uid.starts_with("urn:uuid:")) << "a card without a UID gets one for the session";
    }
}

} // namespace
