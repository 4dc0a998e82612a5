#include <gtest/gtest.h>

#include <string>

#include "mime_date_time.h"
#include "mime_exception.h"
#include "mime_field_body_factory.h"
#include "mime_media_type.h"
#include "mime_message.h"
#include "mime_test_support.h"

namespace {

// "name=body text|" for every field, then "#" and the body text.
std::string Structure(const MimeString& text) {
    MimeMessage message(text, nullptr);
    message.Parse();
    std::string out;
    MimeHeaders& headers = message.Headers();
    for (size_t i = 0; i < headers.NumFields(); ++i)
        out += headers.FieldAt(i).FieldNameStr().ToStdString() + "=" +
               headers.FieldAt(i).FieldBodyStr().ToStdString() + "|";
    return out + "#" + message.Body().AsString().ToStdString();
}

} // namespace

TEST(MimeHeadersTest, ParseTable) {
    const struct {
        const char* text;
        const char* structure;
    } cases[] = {
        {"A: 1\nB: 2\n\nbody", "A=1|B=2|#body"},
        {"A: 1\r\n\r\nbody", "A=1|#body"},
        {"\nbody", "#body"},
        {"\r\nbody", "#body"},
        {"", "#"},
        {"Subject: a\n b\nX: y\n", "Subject=a\n b|X=y|#"},
        {"Name :  value  \n", "Name=value|#"},
        {"no colon here\n\nb", "no colon here=|#b"},
        {"A:\n\n", "A=|#"},
        {"A: x\n\tfolded\n\nb\n\nc", "A=x\n\tfolded|#b\n\nc"},
        {"A: 1", "A=1|#"},
        {"A: 1\nB: 2", "A=1|B=2|#"},
        {": empty name\n\n", "=empty name|#"},
        {"A: one: two\n\n", "A=one: two|#"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Structure(MimeString(c.text)), c.structure) << c.text;
}

TEST(MimeHeadersTest, FieldParseAndCompose) {
    const struct {
        const char* text;
        const char* name;
        const char* body;
        const char* composed;
    } cases[] = {
        {"Name: value\n", "Name", "value", "Name: value\n"},
        {"Name :  value  \n", "Name", "value", "Name: value\n"},
        {"X-Folded: a\n  b\n", "X-Folded", "a\n  b", "X-Folded: a\n  b\n"},
        {"Bare", "Bare", "", "Bare: \n"},
        {"K:\t\tv\r\n", "K", "v", "K: v\n"},
    };
    for (const auto& c : cases) {
        MimeField field(MimeString(c.text), nullptr);
        field.Parse();
        EXPECT_EQ(field.FieldNameStr(), c.name) << c.text;
        EXPECT_EQ(field.FieldBodyStr(), c.body) << c.text;
        field.SetModified();
        field.Compose();
        EXPECT_EQ(field.AsString(), c.composed) << c.text;
    }
}

TEST(MimeHeadersTest, BodyClassFollowsTheFieldName) {
    const struct {
        const char* name;
        MimeFieldBodyKind kind;
    } cases[] = {
        {"To", MIME_BODY_ADDRESS_LIST},
        {"RESENT-BCC", MIME_BODY_ADDRESS_LIST},
        {"from", MIME_BODY_MAILBOX_LIST},
        {"Return-Path", MIME_BODY_MAILBOX},
        {"Date", MIME_BODY_DATE_TIME},
        {"content-id", MIME_BODY_MSG_ID},
        {"Received", MIME_BODY_STAMP},
        {"Content-Type", MIME_BODY_MEDIA_TYPE},
        {"resent-to", MIME_BODY_TEXT},
        {"Content-Transfer-Encoding", MIME_BODY_MECHANISM},
        {"Content-Disposition", MIME_BODY_DISPOSITION_TYPE},
        {"Subject", MIME_BODY_TEXT},
        {"MIME-Version", MIME_BODY_TEXT},
        {"X-Anything", MIME_BODY_TEXT},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MimeFieldBodyKindFor(c.name), c.kind) << c.name;
    MimeHeaders headers;
    EXPECT_EQ(headers.FieldBody("Content-Type").ClassId(), MIME_CLASS_MEDIA_TYPE);
    EXPECT_EQ(headers.FieldBody("date").ClassId(), MIME_CLASS_DATE_TIME);
    EXPECT_EQ(headers.FieldBody("Content-Transfer-Encoding").ClassId(), MIME_CLASS_MECHANISM);
    EXPECT_EQ(headers.FieldBody("Content-Disposition").ClassId(), MIME_CLASS_DISPOSITION_TYPE);
}

TEST(MimeHeadersTest, GetOrCreateAppendsUnderTheCapitalisedName) {
    MimeMessage message(MimeString("subject: old\n\n"), nullptr);
    message.Parse();
    MimeHeaders& headers = message.Headers();
    MimeFieldBody& subject = headers.Subject();
    EXPECT_EQ(subject.AsString(), "old");
    EXPECT_EQ(headers.NumFields(), 1u);
    EXPECT_TRUE(headers.HasSubject());
    EXPECT_FALSE(headers.HasMimeVersion());
    headers.MimeVersion().FromString("1.0");
    headers.ContentLocation().FromString("file://c:/test.htm");
    EXPECT_EQ(headers.NumFields(), 3u);
    EXPECT_EQ(headers.FieldAt(1).FieldNameStr(), "MIME-Version");
    EXPECT_EQ(headers.FieldAt(2).FieldNameStr(), "Content-Location");
    message.Compose();
    EXPECT_EQ(message.AsString(),
              "subject: old\nMIME-Version: 1.0\nContent-Location: file://c:/test.htm\n\n");
}

TEST(MimeHeadersTest, ListOperationsCheckBoundsAndHandOwnershipBack) {
    MimeHeaders headers;
    auto field = std::make_unique<MimeField>();
    field->SetFieldNameStr("A");
    field->SetFieldBodyStr("1");
    headers.AddField(std::move(field));
    auto first = std::make_unique<MimeField>();
    first->SetFieldNameStr("Z");
    first->SetFieldBodyStr("0");
    headers.InsertFieldAt(0, std::move(first));
    EXPECT_THROW(headers.FieldAt(2), MimeBoundsException);
    EXPECT_THROW(headers.InsertFieldAt(3, std::make_unique<MimeField>()), MimeBoundsException);
    EXPECT_THROW(headers.RemoveFieldAt(2), MimeBoundsException);
    try {
        headers.FieldAt(9);
    } catch (const MimeException& e) {
        EXPECT_STREQ(e.what(), "Bounds error");
    }
    headers.Compose();
    EXPECT_EQ(headers.AsString(), "Z: 0\nA: 1\n");
    std::unique_ptr<MimeField> removed = headers.RemoveFieldAt(0);
    EXPECT_EQ(removed->FieldNameStr(), "Z");
    EXPECT_EQ(removed->Parent(), nullptr);
    EXPECT_TRUE(headers.IsModified());
    headers.Compose();
    EXPECT_EQ(headers.AsString(), "A: 1\n");
    EXPECT_EQ(headers.FindField("a"), &headers.FieldAt(0));
    EXPECT_EQ(headers.FindField("b"), nullptr);
    headers.DeleteAllFields();
    EXPECT_EQ(headers.NumFields(), 0u);
}

TEST(MimeHeadersTest, ReplacedFieldBodyIsHandedBack) {
    MimeField field(MimeString("Content-Type: text/plain\n"), nullptr);
    field.Parse();
    auto replacement = std::make_unique<MimeMediaType>();
    replacement->SetType(MIME_TYPE_IMAGE);
    replacement->SetSubtypeStr("png");
    std::unique_ptr<MimeFieldBody> previous = field.SetFieldBody(std::move(replacement));
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->AsString(), "text/plain");
    EXPECT_EQ(previous->Parent(), nullptr);
    field.Compose();
    EXPECT_EQ(field.AsString(), "Content-Type: Image/png\n");
    field.SetFieldBodyStr("text/html; charset=x");
    EXPECT_EQ(field.FieldBody(), nullptr);
    field.Compose();
    EXPECT_EQ(field.AsString(), "Content-Type: text/html; charset=x\n");
}

TEST(MimeHeadersTest, ChangeInsideAFieldBodyRecomposesTheMessage) {
    MimeMessage message(MimeString("Content-Type: text/plain\nX: y\n\nhello"), nullptr);
    message.Parse();
    message.Compose();
    EXPECT_EQ(message.AsString(), "Content-Type: text/plain\nX: y\n\nhello");
    message.Headers().ContentType().SetSubtypeStr("html");
    EXPECT_TRUE(message.IsModified());
    message.Compose();
    EXPECT_EQ(message.AsString(), "Content-Type: text/html\nX: y\n\nhello");
}

TEST(MimeHeadersTest, TypedGetterReplacesABodyOfAnotherClassKeepingItsText) {
    MimeHeaders headers;
    auto field = std::make_unique<MimeField>();
    field->SetFieldNameStr("Date");
    field->SetFieldBodyStr("Tue, 01 Jul 2003 10:52:37 +0900");
    headers.AddField(std::move(field));
    MimeDateTime& date = headers.Date();
    EXPECT_EQ(date.Year(), 2003);
    EXPECT_EQ(date.Zone(), 540);
}

TEST(MimeHeadersTest, CopiesAreDeep) {
    MimeMessage message(MimeString("A: 1\nContent-Type: text/plain\n\nx"), nullptr);
    message.Parse();
    MimeMessage copy(message);
    copy.Headers().FieldAt(0).SetFieldBodyStr("2");
    copy.Compose();
    message.Compose();
    EXPECT_EQ(copy.AsString(), "A: 2\nContent-Type: text/plain\n\nx");
    EXPECT_EQ(message.AsString(), "A: 1\nContent-Type: text/plain\n\nx");
    EXPECT_EQ(copy.Headers().Parent(), &copy);
    EXPECT_EQ(copy.Headers().FieldAt(1).FieldBody()->Parent(), &copy.Headers().FieldAt(1));
    MimeMessage assigned;
    assigned = message;
    assigned.Compose();
    EXPECT_EQ(assigned.AsString(), message.AsString());
    EXPECT_EQ(assigned.Body().Parent(), &assigned);
}

namespace {

std::unique_ptr<MimeFieldBody> EverythingIsAMediaType(const MimeString&, const MimeString& text,
                                                      MimeMessageComponent* parent) {
    return std::make_unique<MimeMediaType>(text, parent);
}

int g_createdMessages = 0;

std::unique_ptr<MimeMessage> CountingMessageHook(const MimeString& text, MimeMessageComponent* parent) {
    ++g_createdMessages;
    return std::make_unique<MimeMessage>(text, parent);
}

} // namespace

TEST(MimeFieldBodyFactoryTest, KindWithoutACreatorKeepsItsTextVerbatim) {
    MimeFieldBodyCreator text = RegisteredMimeFieldBodyCreator(MIME_BODY_TEXT);
    MimeFieldBodyCreator addresses = RegisteredMimeFieldBodyCreator(MIME_BODY_ADDRESS_LIST);
    RegisterMimeFieldBodyCreator(MIME_BODY_TEXT, nullptr);
    RegisterMimeFieldBodyCreator(MIME_BODY_ADDRESS_LIST, nullptr);
    MimeField field(MimeString("To: Joe  <joe@example.com>,\n  ann@example.com\n"), nullptr);
    field.Parse();
    ASSERT_NE(field.FieldBody(), nullptr);
    EXPECT_EQ(field.FieldBody()->ClassId(), MIME_CLASS_FIELD_BODY);
    field.FieldBody()->SetModified();
    field.Compose();
    EXPECT_EQ(field.AsString(), "To: Joe  <joe@example.com>,\n  ann@example.com\n");
    RegisterMimeFieldBodyCreator(MIME_BODY_TEXT, text);
    RegisterMimeFieldBodyCreator(MIME_BODY_ADDRESS_LIST, addresses);
}

TEST(MimeFieldBodyFactoryTest, RuleHookReplacesTheRule) {
    SetMimeFieldBodyRuleHook(&EverythingIsAMediaType);
    MimeField field(MimeString("Subject: text/plain\n"), nullptr);
    field.Parse();
    SetMimeFieldBodyRuleHook(nullptr);
    ASSERT_NE(field.FieldBody(), nullptr);
    EXPECT_EQ(field.FieldBody()->ClassId(), MIME_CLASS_MEDIA_TYPE);
    MimeField plain(MimeString("Content-Type: text/plain\n"), nullptr);
    plain.Parse();
    EXPECT_EQ(plain.FieldBody()->ClassId(), MIME_CLASS_MEDIA_TYPE);
}

TEST(MimeFieldBodyFactoryTest, CreationHookIsUsedWhereTheLibraryCreatesObjects) {
    MimeCreation<MimeMessage>::SetHook(&CountingMessageHook);
    g_createdMessages = 0;
    MimeMessage outer(MimeString("Content-Type: message/rfc822\n\nContent-Type: message/rfc822\n\nX: y\n\n"),
                      nullptr);
    outer.Parse();
    MimeCreation<MimeMessage>::SetHook(nullptr);
    EXPECT_EQ(g_createdMessages, 2);
}

TEST(MimeHeadersTest, FieldWithoutBodyGetsOneFromItsText) {
    MimeHeaders headers;
    auto field = std::make_unique<MimeField>();
    field->SetFieldNameStr("Content-Type");
    field->SetFieldBodyStr("image/gif; name=a.gif");
    headers.AddField(std::move(field));
    MimeFieldBody& body = headers.FieldBody("content-type");
    EXPECT_EQ(body.ClassId(), MIME_CLASS_MEDIA_TYPE);
    EXPECT_EQ(headers.ContentType().Name(), "a.gif");
    headers.Compose();
    EXPECT_EQ(headers.AsString(), "Content-Type: image/gif; name=a.gif\n");
}
