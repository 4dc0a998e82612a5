#include "mime_address_list.h"
#include "mime_field.h"
#include "mime_mailbox.h"
#include "mime_mailbox_list.h"
#include "mime_msg_id.h"
#include "mime_stamp.h"
#include "mime_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MimeTextTest, IsWrittenExactlyAsGiven) {
    MimeField field;
    field.SetFieldNameStr("Subject");
    auto text = std::make_unique<MimeText>();
    text->FromString("HTML to Mime-HTML");
    field.SetFieldBody(std::move(text));
    field.Compose();
    EXPECT_EQ(field.AsString().ToStdString(), "Subject: HTML to Mime-HTML\n");

    MimeText raw("=?euc-kr?B?x9GxyQ==?=  a very long subject line that is not folded by the text body at all",
                 nullptr);
    raw.Parse();
    EXPECT_FALSE(raw.IsModified());
    raw.SetModified();
    raw.Compose();
    EXPECT_FALSE(raw.IsModified());
    EXPECT_EQ(raw.AsString().ToStdString(),
              "=?euc-kr?B?x9GxyQ==?=  a very long subject line that is not folded by the text body at all");
    EXPECT_EQ(raw.ClassId(), 21);
    EXPECT_STREQ(raw.ClassName(), "MimeText");
}

struct FieldClassCase {
    const char* field;
    int classId;
};

// Each field gets the body class of its name; this library's classes take part through the
// field-body factory.
TEST(MimeTextTest, FieldsGetTheirBodyClasses) {
    const FieldClassCase cases[] = {
        {"Subject: hello\n", 21},        {"Content-Location: file:///c:/a.gif\n", 21},
        {"MIME-Version: 1.0\n", 21},     {"Resent-To: a@b\n", 21},
        {"To: a@b, c@d\n", 2},           {"cc: a@b\n", 2},
        {"From: Joe <j@x>\n", 16},       {"Sender: j@x\n", 15},
        {"Return-Path: <j@x>\n", 15},    {"Message-Id: <a@b>\n", 19},
        {"content-id: <part1@x>\n", 19}, {"Received: from a by b; Tue, 1 Jul 2003 10:52:37 +0900\n", 20},
    };
    for (const FieldClassCase& c : cases) {
        MimeField field(c.field, nullptr);
        field.Parse();
        ASSERT_NE(field.FieldBody(), nullptr) << c.field;
        EXPECT_EQ(field.FieldBody()->ClassId(), c.classId) << c.field;
        EXPECT_FALSE(field.IsModified()) << c.field;
        field.SetModified();
        field.Compose();
        EXPECT_EQ(field.AsString().ToStdString(), c.field) << "a parsed body keeps its text";
    }
}

TEST(MimeTextTest, ParsedAddressFieldsComposeTheirChanges) {
    MimeField to("To: a@b, Joe <c@d>\n", nullptr);
    to.Parse();
    auto& list = static_cast<MimeAddressList&>(*to.FieldBody());
    ASSERT_EQ(list.AddressCount(), 2);
    static_cast<MimeMailbox&>(list.AddressAt(1)).SetFullName("Doe, Joe");
    to.Compose();
    EXPECT_EQ(to.AsString().ToStdString(), "To: a@b,\n \"Doe, Joe\" <c@d>\n");

    MimeField id("Message-Id: <a@b>\n", nullptr);
    id.Parse();
    static_cast<MimeMsgId&>(*id.FieldBody()).SetDomain("example.com");
    id.Compose();
    EXPECT_EQ(id.AsString().ToStdString(), "Message-Id: <a@example.com>\n");
}

} // namespace
