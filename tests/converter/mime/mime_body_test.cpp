#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mime_codecs.h"
#include "mime_exception.h"
#include "mime_media_type.h"
#include "mime_message.h"
#include "mime_test_support.h"

namespace {

std::string Pieces(const char* text, const char* boundary) {
    MimeMultipartPieces pieces = MimeSplitMultipart(MimeString(text), MimeString(boundary));
    std::string out = pieces.found ? "found" : "none";
    out += "|pre=" + pieces.preamble.ToStdString();
    for (const MimeString& part : pieces.parts)
        out += "|part=" + part.ToStdString();
    return out + "|post=" + pieces.epilogue.ToStdString();
}

std::unique_ptr<MimeBodyPart> TextPart(const char* subtype, const char* body) {
    auto part = std::make_unique<MimeBodyPart>();
    MimeMediaType& type = part->Headers().ContentType();
    type.SetType(MIME_TYPE_TEXT);
    type.SetSubtypeStr(subtype);
    part->Body().FromString(body);
    return part;
}

// A message of the given multipart depth: each level one part holding the next level.
std::string Nested(size_t depth) {
    std::string text;
    for (size_t i = 0; i < depth; ++i)
        text += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(i) + "x\"\n\n--b" +
                std::to_string(i) + "x\n";
    text += "Content-Type: text/plain\n\nleaf\n";
    for (size_t i = depth; i-- > 0;)
        text += "--b" + std::to_string(i) + "x--\n";
    return text;
}

size_t ParsedDepth(MimeEntity& entity) {
    MimeBody& body = entity.Body();
    if (body.NumBodyParts() == 0)
        return 0;
    return 1 + ParsedDepth(body.BodyPartAt(0));
}

} // namespace

TEST(MimeBodyTest, MultipartSplitTable) {
    const struct {
        const char* text;
        const char* boundary;
        const char* pieces;
    } cases[] = {
        {"pre\n--X\nA\n--X\nB\n--X--\npost", "X", "found|pre=pre|part=A|part=B|post=post"},
        {"--X\nA\n--X--\n", "X", "found|pre=|part=A|post="},
        {"a\r\n--X\r\nb\r\n--X--\r\n", "X", "found|pre=a|part=b|post="},
        {"no delimiter at all", "X", "none|pre=|post="},
        {"--X\nA\n--X\nrest without close", "X", "found|pre=|part=A|part=rest without close|post="},
        {"--X\n--X\n--X--", "X", "found|pre=|part=|part=|post="},
        {"--x\nA\n--x--\n", "X", "none|pre=|post="},
        {"text --X inline\n--X\nA", "X", "found|pre=text --X inline|part=A|post="},
        {"--X--\nA", "X", "found|pre=|part=A|post="},
        {"--X\nA\n--X--", "X", "found|pre=|part=A|post="},
        {"--X\nA", "", "none|pre=|post="},
        {"--a\nb\n--a\nc\n", "a\nb", "none|pre=|post="},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Pieces(c.text, c.boundary), c.pieces) << c.text;
}

TEST(MimeBodyTest, MultipartMessageParsesIntoParts) {
    MimeMessage message(
        MimeString("Content-Type: multipart/related; boundary=\"X\"\n\npre\n--X\nContent-Type: "
                   "text/html\n\n<p>\n--X\n\nraw\n--X--\npost"),
        nullptr);
    message.Parse();
    MimeBody& body = message.Body();
    ASSERT_EQ(body.NumBodyParts(), 2u);
    EXPECT_EQ(body.Preamble(), "pre");
    EXPECT_EQ(body.Epilogue(), "post");
    EXPECT_EQ(body.BodyPartAt(0).Body().AsString(), "<p>");
    EXPECT_EQ(body.BodyPartAt(0).Headers().ContentType().SubtypeStr(), "html");
    EXPECT_EQ(body.BodyPartAt(1).Body().AsString(), "raw");
    EXPECT_EQ(body.BodyPartAt(1).Headers().NumFields(), 0u);
    EXPECT_EQ(body.BodyPartAt(0).Parent(), &body);
    EXPECT_THROW(body.BodyPartAt(2), MimeBoundsException);
    message.Compose();
    EXPECT_EQ(message.AsString(),
              "Content-Type: multipart/related; boundary=\"X\"\n\npre\n--X\nContent-Type: "
              "text/html\n\n<p>\n--X\n\nraw\n--X--\npost");
}

TEST(MimeBodyTest, BodyWithoutContentTypeHasNoParts) {
    MimeMessage message(MimeString("X: y\n\n--X\nA\n--X--\n"), nullptr);
    message.Parse();
    EXPECT_EQ(message.Body().NumBodyParts(), 0u);
    MimeBody orphan(MimeString("--X\nA\n--X--\n"), nullptr);
    orphan.Parse();
    EXPECT_EQ(orphan.NumBodyParts(), 0u);
}

TEST(MimeBodyTest, ComposesPartsBetweenDelimiters) {
    MimeMessage message;
    MimeMediaType& type = message.Headers().ContentType();
    type.SetType(MIME_TYPE_MULTIPART);
    type.SetSubtypeStr("mixed");
    type.SetBoundary("X");
    // Parts whose texts are already composed.
    auto p1 = std::make_unique<MimeBodyPart>(MimeString("P1"), nullptr);
    auto p2 = std::make_unique<MimeBodyPart>(MimeString("P2"), nullptr);
    message.Body().AddBodyPart(std::move(p1));
    message.Body().AddBodyPart(std::move(p2));
    message.Body().Compose();
    EXPECT_EQ(message.Body().AsString(), "\n--X\nP1\n--X\nP2\n--X--\n");
}

TEST(MimeBodyTest, ChangesInsideAddedPartsAreComposedAgain) {
    MimeMessage message;
    MimeMediaType& type = message.Headers().ContentType();
    type.SetType(MIME_TYPE_MULTIPART);
    type.SetSubtypeStr("related");
    type.SetBoundary("B");
    type.SetFolding(false);
    message.Body().AddBodyPart(TextPart("plain", "one"));
    message.Body().InsertBodyPartAt(0, TextPart("html", "zero"));
    message.Compose();
    EXPECT_EQ(message.AsString(), "Content-Type: Multipart/related; boundary=\"B\"\n\n\n--B\nContent-Type: "
                                  "Text/html\n\nzero\n--B\nContent-Type: Text/plain\n\none\n--B--\n");
    EXPECT_FALSE(message.IsModified());
    message.Body().BodyPartAt(1).Body().FromString("changed");
    EXPECT_TRUE(message.IsModified());
    message.Compose();
    EXPECT_NE(message.AsString().find("\n\nchanged\n--B--\n"), MimeString::npos);
    std::unique_ptr<MimeBodyPart> removed = message.Body().RemoveBodyPartAt(0);
    EXPECT_EQ(removed->Parent(), nullptr);
    EXPECT_THROW(message.Body().InsertBodyPartAt(5, TextPart("x", "y")), MimeBoundsException);
    message.Compose();
    EXPECT_EQ(message.AsString().find("zero"), MimeString::npos);
    message.Body().DeleteAllBodyParts();
    EXPECT_EQ(message.Body().NumBodyParts(), 0u);
}

TEST(MimeBodyTest, EnclosedMessage) {
    MimeMessage message(MimeString("Content-Type: message/rfc822\n\nSubject: inner\n\ninner body"), nullptr);
    message.Parse();
    ASSERT_NE(message.Body().Message(), nullptr);
    MimeMessage& inner = *message.Body().Message();
    EXPECT_EQ(inner.Headers().FieldAt(0).FieldBodyStr(), "inner");
    EXPECT_EQ(inner.Body().AsString(), "inner body");
    inner.Headers().Subject().FromString("changed");
    message.Compose();
    EXPECT_EQ(message.AsString(), "Content-Type: message/rfc822\n\nSubject: changed\n\ninner body");
    auto replacement = std::make_unique<MimeMessage>(MimeString("A: b\n\nc"), nullptr);
    replacement->Parse();
    std::unique_ptr<MimeMessage> previous = message.Body().SetMessage(std::move(replacement));
    EXPECT_EQ(previous->Parent(), nullptr);
    message.Compose();
    EXPECT_EQ(message.AsString(), "Content-Type: message/rfc822\n\nA: b\n\nc");
}

TEST(MimeBodyTest, NestingDeeperThanTheLimitStaysText) {
    MimeMessage shallow(MimeString(Nested(kMimeMaxNesting - 1)), nullptr);
    shallow.Parse();
    EXPECT_EQ(ParsedDepth(shallow), kMimeMaxNesting - 1);
    MimeMessage deep(MimeString(Nested(kMimeMaxNesting + 40)), nullptr);
    deep.Parse();
    EXPECT_EQ(ParsedDepth(deep), kMimeMaxNesting);
    deep.Compose();
    MimeMessage again(deep.AsString(), nullptr);
    again.Parse();
    EXPECT_EQ(ParsedDepth(again), kMimeMaxNesting);
    EXPECT_NE(deep.AsString().find("leaf"), MimeString::npos);
    std::string rfc822;
    for (int i = 0; i < 500; ++i)
        rfc822 += "Content-Type: message/rfc822\n\n";
    MimeMessage enclosed(MimeString(rfc822), nullptr);
    enclosed.Parse();
    enclosed.Compose();
    EXPECT_EQ(enclosed.AsString().length(), rfc822.size());
}

TEST(MimeBodyTest, PreambleAndEpilogueSetters) {
    MimeMessage message(MimeString("Content-Type: multipart/mixed; boundary=X\n\n--X\n\nA\n--X--\n"),
                        nullptr);
    message.Parse();
    message.Body().SetPreamble("hello");
    message.Body().SetEpilogue("bye");
    message.Compose();
    EXPECT_EQ(message.AsString(), "Content-Type: multipart/mixed; boundary=X\n\nhello\n--X\n\nA\n--X--\nbye");
}

TEST(MimeEntityTest, SplitTable) {
    const struct {
        const char* text;
        size_t headerLength;
        size_t bodyStart;
    } cases[] = {
        {"", 0, 0},
        {"\nbody", 0, 1},
        {"\r\nbody", 0, 2},
        {"A: 1\n\nb", 5, 6},
        {"A: 1\r\n\r\nb", 6, 8},
        {"A: 1\n", 5, 5},
        {"A: 1\nB: 2\n\n", 10, 11},
        {"A: 1\r\n\nb", 6, 7},
    };
    for (const auto& c : cases) {
        size_t headerLength = 99;
        size_t bodyStart = 99;
        MimeSplitEntity(MimeString(c.text), &headerLength, &bodyStart);
        EXPECT_EQ(headerLength, c.headerLength) << c.text;
        EXPECT_EQ(bodyStart, c.bodyStart) << c.text;
    }
}

TEST(MimeEntityTest, ComposedEntityIsHeadersEmptyLineBody) {
    MimeBodyPart part;
    part.Headers().FieldBody("X-A").FromString("1");
    part.Body().FromString("body text");
    part.Compose();
    EXPECT_EQ(part.AsString(), "X-A: 1\n\nbody text");
    EXPECT_EQ(part.ClassId(), MIME_CLASS_BODY_PART);
    EXPECT_STREQ(part.ClassName(), "MimeBodyPart");
    auto clone = part.Clone();
    EXPECT_EQ(clone->ClassId(), MIME_CLASS_BODY_PART);
    EXPECT_EQ(clone->AsString(), "X-A: 1\n\nbody text");
}
