#include "mime_msg_id.h"

#include <gtest/gtest.h>

namespace {

struct MsgIdCase {
    const char* text;
    const char* localPart;
    const char* domain;
    const char* composed;
};

const MsgIdCase kMsgIdCases[] = {
    {"<local.part.1@host.example.com>", "local.part.1", "host.example.com",
     "<local.part.1@host.example.com>"},
    {"junk before <a.b@c.d> and after", "a.b", "c.d", "<a.b@c.d>"},
    {"<\"quoted id\"@x.y>", "\"quoted id\"", "x.y", "<\"quoted id\"@x.y>"},
    {"<id@[10.0.0.1]>", "id", "[10.0.0.1]", "<id@[10.0.0.1]>"},
    {"< spaced . id @ host . net >", "spaced.id", "host.net", "<spaced.id@host.net>"},
    {"<id (comment) @host>", "id", "host", "<id@host>"},
    {"<unterminated@host", "unterminated", "host", "<unterminated@host>"},
    {"<no-domain>", "no-domain", "", "<no-domain@>"},
    {"no brackets@host", "", "", "<@>"},
    {"", "", "", "<@>"},
    {"<\"open@host>", "", "", "<@>"},
};

TEST(MimeMsgIdTest, ParsesAndComposesLikeTheTable) {
    for (const MsgIdCase& c : kMsgIdCases) {
        MimeMsgId id(c.text, nullptr);
        id.Parse();
        EXPECT_EQ(id.LocalPart().ToStdString(), c.localPart) << c.text;
        EXPECT_EQ(id.Domain().ToStdString(), c.domain) << c.text;
        EXPECT_FALSE(id.IsModified());
        id.Compose();
        EXPECT_EQ(id.AsString().ToStdString(), c.text) << "unchanged ids keep their text";
        id.SetModified();
        id.Compose();
        EXPECT_EQ(id.AsString().ToStdString(), c.composed) << c.text;
    }
}

TEST(MimeMsgIdTest, SettersMarkModified) {
    MimeMsgId id;
    EXPECT_EQ(id.ClassId(), 19);
    EXPECT_STREQ(id.ClassName(), "MimeMsgId");
    id.SetLocalPart("part");
    EXPECT_TRUE(id.IsModified());
    id.SetDomain("example.org");
    id.Compose();
    EXPECT_FALSE(id.IsModified());
    EXPECT_EQ(id.AsString().ToStdString(), "<part@example.org>");
    std::unique_ptr<MimeMessageComponent> clone = id.Clone();
    EXPECT_EQ(static_cast<MimeMsgId&>(*clone).Domain().ToStdString(), "example.org");
}

} // namespace
