#include <gtest/gtest.h>

#include <string>

#include "mime_codecs.h"
#include "mime_test_support.h"

namespace {

MimeString Encode64(std::string_view in) {
    MimeString out;
    EXPECT_EQ(EncodeBase64(MimeString(in), out), 0);
    return out;
}

// Korean text in code page 949, with bytes whose low seven bits are blanks, tabs and line feeds.
std::string Cp949Text() {
    // "안녕하세요, 양식 문서입니다." and a few lead/trail pairs such as 0xA0 0x89 and 0x8A 0xA0.
    std::string text = "\xbe\xc8\xb3\xe7\xc7\xcf\xbc\xbc\xbf\xe4, \xbe\xe7\xbd\xc4 \xb9\xae\xbc\xad\xc0\xd4"
                       "\xb4\xcf\xb4\xd9.\n";
    text += "\x81\xa0\x8a\xa0 \xa0\x89\xa0\x8d\n";
    std::string all;
    for (int i = 0; i < 40; ++i)
        all += text;
    all += "\xb3\xa1\xa0";
    return all;
}

} // namespace

TEST(MimeBase64Test, EncodesInLinesOf76) {
    EXPECT_EQ(Encode64("abc"), "YWJj\n");
    EXPECT_EQ(Encode64("ab"), "YWI=\n");
    EXPECT_EQ(Encode64("a"), "YQ==\n");
    EXPECT_EQ(Encode64(""), "\n");
    MimeString of57 = Encode64(std::string(57, 'x'));
    EXPECT_EQ(of57.length(), 78u);
    EXPECT_EQ(of57.substr(76), "\n\n");
    MimeString of58 = Encode64(std::string(58, 'x'));
    EXPECT_EQ(of58.length(), 76u + 1 + 4 + 1);
    EXPECT_EQ(of58[76], '\n');
    EXPECT_EQ(of58.substr(77), "eA==\n");
}

TEST(MimeBase64Test, Decodes) {
    const struct {
        const char* in;
        const char* out;
        int result;
    } cases[] = {
        {"YW\nJj", "abc", 0},    {"YWI=", "ab", 0}, {"Y*WJj", "abc", -1},
        {"YQ==", "a", 0},        {"YQ", "", 0},     {" Y W J j ", "abc", 0},
        {"YWJj=YWJj", "abc", 0}, {"", "", 0},       {"YWJ\r\njYQ==\r\n", "abca", 0},
    };
    for (const auto& c : cases) {
        MimeString out("stale");
        EXPECT_EQ(DecodeBase64(MimeString(c.in), out), c.result) << c.in;
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST(MimeQuotedPrintableTest, Encodes) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"From x", "=46rom x"}, {"a \n", "a=20\n"},       {"a=b", "a=3Db"},
        {".\n.x", "=2E\n=2Ex"}, {"x From y", "x From y"}, {"tab\there", "tab=09here"},
        {"\r\n", "=0D\n"},      {"\xc7\xd1", "=C7=D1"},   {"end ", "end=20"},
        {"From", "From"},
    };
    for (const auto& c : cases) {
        MimeString out;
        EXPECT_EQ(EncodeQuotedPrintable(MimeString(c.in), out), 0) << c.in;
        EXPECT_EQ(out, c.out) << c.in;
    }
    MimeString out;
    EncodeQuotedPrintable(MimeString(std::string(100, 'a')), out);
    EXPECT_EQ(out.ToStdString(), std::string(73, 'a') + "=\n" + std::string(27, 'a'));
}

TEST(MimeQuotedPrintableTest, DecodesKeepingEveryByte) {
    const struct {
        const char* in;
        std::string out;
        int result;
    } cases[] = {
        {"a=3Db=\nc\n", "a=bc\n", 0},
        {"x  \n", "x\n", 0},
        {"\xc7\xd1\xb1\xdb\n", "\xc7\xd1\xb1\xdb\n", 0},
        // 0xA0 and 0x89 look like a blank and a tab without bit 7: they stay.
        {"\xb3\xa1\xa0\n\xa0\x89", "\xb3\xa1\xa0\n\xa0\x89", 0},
        {"=c7=d1", "\xc7\xd1", 0},
        {"a=\r\nb", "ab", 0},
        {"a=4", "a4", -1},
        {"=G1", std::string(1, static_cast<char>((16 * ('G' & 0x7F) + 1) & 0xFF)), -1},
        {"line\r\n", "line\n", 0},
    };
    for (const auto& c : cases) {
        MimeString out("stale");
        EXPECT_EQ(DecodeQuotedPrintable(MimeString(c.in), out), c.result) << c.in;
        EXPECT_EQ(out, MimeString(c.out)) << c.in;
    }
    MimeString nul;
    EXPECT_EQ(DecodeQuotedPrintable(MimeString("a\0b=00", 6), nul), 0);
    EXPECT_EQ(nul, MimeString("a\0b\0", 4));
}

TEST(MimeLineBreakTest, Converts) {
    MimeString in("a\rb\nc\r\nd");
    MimeString out;
    ToCrLf(in, out);
    EXPECT_EQ(out, "a\r\nb\r\nc\r\nd");
    ToLf(in, out);
    EXPECT_EQ(out, "a\nb\nc\nd");
    CrLfToLf(in, out);
    EXPECT_EQ(out, "a\nb\nc\nd");
    ToCr(in, out);
    EXPECT_EQ(out, "a\rb\rc\rd");
}

TEST(MimeHeaderFoldingTest, FoldsAndUnfolds) {
    MimeString text("a b");
    FoldHeaderText(text, 10);
    EXPECT_EQ(text, "a b");
    MimeString words;
    for (int i = 0; i < 20; ++i)
        words.append("word").append(std::to_string(i).c_str()).append(" \t");
    FoldHeaderText(words, 10);
    size_t start = 0;
    while (start < words.length()) {
        size_t end = words.find('\n', start);
        size_t length = (end == MimeString::npos ? words.length() : end) - start;
        EXPECT_LE(length + 10, 75u);
        if (start != 0) {
            EXPECT_EQ(words[start], ' ');
        }
        start = end == MimeString::npos ? words.length() : end + 1;
    }
    EXPECT_NE(words.find("\n "), MimeString::npos);
    MimeString folded("from a\n by b\r\n\twith c");
    UnfoldHeaderText(folded);
    EXPECT_EQ(folded, "from a by b with c");
}

TEST(MimeCodecPeerTest, Base64MatchesPython) {
    std::string cp949 = Cp949Text();
    const std::string inputs[] = {RandomBytes(1, 1),    RandomBytes(2, 2),    RandomBytes(56, 3),
                                  RandomBytes(57, 4),   RandomBytes(58, 5),   RandomBytes(4096, 6),
                                  RandomBytes(5700, 7), RandomBytes(9999, 8), cp949};
    for (const std::string& data : inputs) {
        std::string python;
        ASSERT_EQ(RunPeer("b64encode", data, &python), 0);
        // Python ends a text whose input fills its last line without the extra line feed.
        if (data.size() % 57 == 0)
            python += "\n";
        EXPECT_EQ(Encode64(data).ToStdString(), python) << data.size();
        MimeString decoded;
        EXPECT_EQ(DecodeBase64(MimeString(python), decoded), 0);
        EXPECT_EQ(decoded.ToStdString(), data);
        std::string back;
        ASSERT_EQ(RunPeer("b64decode", Encode64(data).view(), &back), 0);
        EXPECT_EQ(back, data);
    }
}

TEST(MimeCodecPeerTest, QuotedPrintableMatchesPython) {
    std::string text = "plain line\nwith trailing blank \nand tab\t\n" + std::string(200, 'z') + "\n=end\n";
    const std::string inputs[] = {RandomBytes(3000, 11), RandomBytes(77, 12), Cp949Text(), text};
    for (const std::string& data : inputs) {
        MimeString ours;
        ASSERT_EQ(EncodeQuotedPrintable(MimeString(data), ours), 0);
        std::string decodedByPython;
        ASSERT_EQ(RunPeer("qpdecode", ours.view(), &decodedByPython), 0);
        EXPECT_EQ(Hex(decodedByPython), Hex(data));
        std::string python;
        ASSERT_EQ(RunPeer("qpencode", data, &python), 0);
        MimeString decoded;
        EXPECT_EQ(DecodeQuotedPrintable(MimeString(python), decoded), 0);
        EXPECT_EQ(Hex(decoded), Hex(data));
        // Both decoders give the same bytes for the same text.
        std::string pythonOfPython;
        ASSERT_EQ(RunPeer("qpdecode", python, &pythonOfPython), 0);
        EXPECT_EQ(Hex(pythonOfPython), Hex(decoded));
        // Every encoded line stays within 76 columns.
        size_t start = 0;
        while (start < ours.length()) {
            size_t end = ours.find('\n', start);
            if (end == MimeString::npos)
                end = ours.length();
            EXPECT_LE(end - start, 76u);
            start = end + 1;
        }
    }
}
