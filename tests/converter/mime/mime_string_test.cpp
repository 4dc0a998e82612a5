#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "mime_component.h"
#include "mime_string.h"

TEST(MimeStringTest, SubstringOfEmptyOrOutOfRangeRegionIsEmptyWithItsOwnBuffer) {
    MimeString text("abc");
    MimeString outside(text, 5, 2);
    MimeString none(text, 1, 0);
    EXPECT_TRUE(outside.empty());
    EXPECT_TRUE(none.empty());
    EXPECT_NE(outside.data(), text.data() + 1);
    EXPECT_EQ(MimeString(MimeString(), 0, 3), "");
}

TEST(MimeStringTest, SubstringSharesTheBufferUntilOneIsWritten) {
    MimeString text("hello world");
    MimeString piece = text.substr(6, 5);
    EXPECT_EQ(piece.data(), text.data() + 6);
    piece.WritableData()[0] = 'W';
    EXPECT_EQ(piece, "World");
    EXPECT_EQ(text, "hello world");
    MimeString copy(text);
    EXPECT_EQ(copy.data(), text.data());
    copy.append("!");
    EXPECT_EQ(text, "hello world");
    EXPECT_EQ(copy, "hello world!");
}

TEST(MimeStringTest, AppendingAStringToItselfWorks) {
    MimeString text("ab");
    text.append(text);
    EXPECT_EQ(text, "abab");
    text.append(text.data(), 3);
    EXPECT_EQ(text, "abababa");
    text.insert(1, text);
    EXPECT_EQ(text, "aababababababa");
}

TEST(MimeStringTest, ByteAtTheLengthReadsAsNul) {
    MimeString text("xy");
    EXPECT_EQ(text[1], 'y');
    EXPECT_EQ(text[2], '\0');
    EXPECT_EQ(text[100], '\0');
}

TEST(MimeStringTest, ComparisonsOfTheOperatorsAreSignedBytesThenLength) {
    EXPECT_TRUE(MimeString("a") < MimeString("ab"));
    EXPECT_TRUE(MimeString("B") < MimeString("a"));
    EXPECT_TRUE(MimeString("\x80") < MimeString("A"));
    EXPECT_TRUE(MimeString("b") >= "a");
    EXPECT_FALSE(MimeString("a") > "a");
}

TEST(MimeStringTest, CompareLooksAtEveryByteIncludingNuls) {
    MimeString a("a\0b", 3);
    MimeString b("a\0c", 3);
    EXPECT_LT(a.compare(b), 0);
    EXPECT_GT(b.compare(a), 0);
    EXPECT_NE(a, b);
    EXPECT_LT(MimeString("a\0", 2).compare(MimeString("a\0\0", 3)), 0);
    EXPECT_EQ(a.compare(0, 2, MimeString("a\0", 2)), 0);
    EXPECT_EQ(MimeString("abc").compare(1, 5, "bc"), 0);
}

TEST(MimeStringTest, TrimOfOnlyWhiteSpaceGivesEmpty) {
    MimeString text("  \t ");
    text.Trim();
    EXPECT_TRUE(text.empty());
    MimeString padded("\r\n x y \v\f");
    padded.Trim();
    EXPECT_EQ(padded, "x y");
}

TEST(MimeStringTest, SearchesClampAndFindEmptyNeedles) {
    MimeString text("abcabc");
    EXPECT_EQ(text.find("bc"), 1u);
    EXPECT_EQ(text.find("bc", 2), 4u);
    EXPECT_EQ(text.find(""), 0u);
    EXPECT_EQ(text.find("", 6), 6u);
    EXPECT_EQ(text.find("", 7), MimeString::npos);
    EXPECT_EQ(text.rfind("abc"), 3u);
    EXPECT_EQ(text.rfind('a', 2), 0u);
    EXPECT_EQ(text.find_first_of("cx"), 2u);
    EXPECT_EQ(text.find_last_of("a"), 3u);
    EXPECT_EQ(text.find_first_not_of("ab"), 2u);
    EXPECT_EQ(text.find_last_not_of("c"), 4u);
    EXPECT_EQ(MimeString("\xff\x01").find('\xff'), 0u);
}

TEST(MimeStringTest, EditingOperationsClampPositionsAndCounts) {
    MimeString text("abcdef");
    text.erase(4, 100);
    EXPECT_EQ(text, "abcd");
    text.replace(1, 2, "XYZ");
    EXPECT_EQ(text, "aXYZd");
    text.insert(100, "!");
    EXPECT_EQ(text, "aXYZd!");
    text.replace(0, 1, 3, '-');
    EXPECT_EQ(text, "---XYZd!");
    text.resize(3);
    EXPECT_EQ(text, "---");
    text.resize(5, '+');
    EXPECT_EQ(text, "---++");
    char buffer[4];
    EXPECT_EQ(text.copy(buffer, 10, 3), 2u);
    EXPECT_EQ(std::string(buffer, 2), "++");
}

TEST(MimeStringTest, CapacityGrowsByPowersOfTwo) {
    MimeString text;
    EXPECT_EQ(text.capacity(), 15u);
    text.assign(16, 'x');
    EXPECT_EQ(text.capacity(), 31u);
    text.reserve(100);
    EXPECT_EQ(text.capacity(), 127u);
}

TEST(MimeStringTest, CaseConversionAndCaseInsensitiveComparison) {
    MimeString text("Content-TYPE\xc7");
    MimeString shared(text);
    text.ConvertToLowerCase();
    EXPECT_EQ(text, "content-type\xc7");
    EXPECT_EQ(shared, "Content-TYPE\xc7");
    shared.ConvertToUpperCase();
    EXPECT_EQ(shared, "CONTENT-TYPE\xc7");
    EXPECT_EQ(MimeCompareNoCase(MimeString("Boundary"), "BOUNDARY"), 0);
    EXPECT_LT(MimeCompareNoCase(MimeString("abc"), "ABCD"), 0);
    EXPECT_EQ(MimeCompareNoCase(MimeString("abcX"), MimeString("ABCy"), 3), 0);
}

TEST(MimeStringTest, ConcatenationStreamsAndCopies) {
    EXPECT_EQ(MimeString("a") + MimeString("b") + "c" + 'd', "abcd");
    EXPECT_EQ('x' + MimeString("y"), "xy");
    EXPECT_EQ("p" + MimeString("q"), "pq");
    std::ostringstream out;
    out << MimeString("a\0b", 3);
    EXPECT_EQ(out.str(), std::string("a\0b", 3));
    std::istringstream in("line one\nline two");
    MimeString line;
    getline(in, line);
    EXPECT_EQ(line, "line one");
    char small[4];
    EXPECT_EQ(MimeCopyToBuffer(MimeString("abcdef"), small, sizeof small), 3u);
    EXPECT_STREQ(small, "abc");
    EXPECT_STREQ(MimeNewCString(MimeString("heap")).get(), "heap");
    MimeString view = MimeString("abcdef").substr(1, 3);
    EXPECT_STREQ(view.c_str(), "bcd");
}

TEST(MimeStringTest, NullTextIsEmpty) {
    const char* none = nullptr;
    MimeString text(none);
    EXPECT_TRUE(text.empty());
    text.append(none);
    EXPECT_TRUE(text.empty());
}

namespace {

class ProbeComponent : public MimeMessageComponent {
public:
    ProbeComponent() : MimeMessageComponent(MIME_CLASS_TEXT, "Probe") {}
    void Parse() override { ClearModified(); }
    void Compose() override { ClearModified(); }
    std::unique_ptr<MimeMessageComponent> Clone() const override {
        return std::make_unique<ProbeComponent>(*this);
    }
};

} // namespace

TEST(MimeComponentTest, ConsecutiveConstructionsGetConsecutiveObjectIds) {
    ProbeComponent first;
    ProbeComponent second;
    EXPECT_EQ(second.ObjectId(), first.ObjectId() + 1);
    EXPECT_EQ(first.Marker(), 0x22222222u);
}

TEST(MimeComponentTest, FromStringMarksTheAncestorsButNotTheComponent) {
    ProbeComponent root;
    ProbeComponent middle;
    ProbeComponent leaf;
    middle.SetParent(&root);
    leaf.SetParent(&middle);
    leaf.FromString("text");
    EXPECT_FALSE(leaf.IsModified());
    EXPECT_TRUE(middle.IsModified());
    EXPECT_TRUE(root.IsModified());
    EXPECT_EQ(leaf.AsString(), "text");
    auto copy = leaf.Clone();
    EXPECT_EQ(copy->Parent(), nullptr);
    EXPECT_EQ(copy->AsString(), "text");
}
