#include "mime_address_list.h"
#include "mime_exception.h"
#include "mime_group.h"
#include "mime_mailbox.h"
#include "mime_mailbox_list.h"
#include "python_peer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

std::string Str(const MimeString& s) {
    return s.ToStdString();
}

std::unique_ptr<MimeMailbox> ParsedMailbox(const char* text) {
    auto mailbox = std::make_unique<MimeMailbox>(text, nullptr);
    mailbox->Parse();
    return mailbox;
}

std::unique_ptr<MimeAddressList> ParsedAddressList(const std::string& text) {
    auto list = std::make_unique<MimeAddressList>(MimeString(text.data(), text.size()), nullptr);
    list->Parse();
    return list;
}

std::unique_ptr<MimeMailbox> NewMailbox(const char* fullName, const char* local, const char* domain) {
    auto mailbox = std::make_unique<MimeMailbox>();
    mailbox->SetFullName(fullName);
    mailbox->SetLocalPart(local);
    mailbox->SetDomain(domain);
    return mailbox;
}

// A full name as a reader sees it: the quotes of quoted strings off, escapes
// undone.
std::string Unquoted(const std::string& name) {
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '"') {
            quoted = !quoted;
        } else if (quoted && name[i] == '\\' && i + 1 < name.size()) {
            out += name[++i];
        } else {
            out += name[i];
        }
    }
    return out;
}

// Every mailbox of a list, those inside groups included, as Python's
// getaddresses lists them.
AddressPairs Flattened(const MimeAddressList& list) {
    AddressPairs pairs;
    auto add = [&](const MimeMailbox& m) {
        pairs.emplace_back(Unquoted(Str(m.FullName())), Str(m.LocalPart()) + "@" + Str(m.Domain()));
    };
    for (int i = 0; i < list.AddressCount(); ++i) {
        const MimeAddress& address = list.AddressAt(i);
        if (address.IsGroup()) {
            const MimeMailboxList& members = static_cast<const MimeGroup&>(address).MailboxList();
            for (int j = 0; j < members.MailboxCount(); ++j) {
                add(members.MailboxAt(j));
            }
        } else {
            add(static_cast<const MimeMailbox&>(address));
        }
    }
    return pairs;
}

struct MailboxCase {
    const char* text;
    const char* fullName;
    const char* route;
    const char* localPart;
    const char* domain;
    bool valid;
    const char* composed;
};

const MailboxCase kMailboxCases[] = {
    {"Joe Smith <joe@example.com>", "Joe Smith", "", "joe", "example.com", true,
     "Joe Smith <joe@example.com>"},
    {"joe@example.com (Joe)", "Joe", "", "joe", "example.com", true, "Joe <joe@example.com>"},
    {"joe@example.com", "", "", "joe", "example.com", true, "<joe@example.com>"},
    {"<@r1.x,@r2.y:a@b.c>", "", "@r1.x,@r2.y", "a", "b.c", true, "<@r1.x,@r2.y:a@b.c>"},
    {"Joe (home) <j@x.y>", "Joe", "", "j", "x.y", true, "Joe <j@x.y>"},
    {"<j@x.y> (Comment)", "Comment", "", "j", "x.y", true, "Comment <j@x.y>"},
    {"(first) j@x (second)", "second", "", "j", "x", true, "second <j@x>"},
    {"\"Doe, John\" <john@x.org>", "\"Doe, John\"", "", "john", "x.org", true, "\"Doe, John\" <john@x.org>"},
    {"John Q. Public <jqp@x.com>", "John Q. Public", "", "jqp", "x.com", true, "John Q. Public <jqp@x.com>"},
    {"first.last@sub.example.com", "", "", "first.last", "sub.example.com", true,
     "<first.last@sub.example.com>"},
    {"\"a b\"@x.y", "", "", "\"a b\"", "x.y", true, "<\"a b\"@x.y>"},
    {"Lit <a@[1.2.3.4]>", "Lit", "", "a", "[1.2.3.4]", true, "Lit <a@[1.2.3.4]>"},
    {"Two\r\n Lines <a@b>", "Two Lines", "", "a", "b", true, "Two Lines <a@b>"},
    {".dot@x", "", "", ".dot", "x", true, "<.dot@x>"},
    {"<.dot@x>", "", "", ".dot", "x", true, "<.dot@x>"},
    {"word", "", "", "word", "", false, ""},
    {"<@x>", "", "@x", "", "", false, ""},
    {"", "", "", "", "", false, ""},
    {"Name <unterminated@x", "Name", "", "unterminated", "x", true, "Name <unterminated@x>"},
    {"\"open quote <a@b>", "", "", "", "", false, ""},
};

TEST(MimeMailboxTest, ParsesAndComposesLikeTheTable) {
    for (const MailboxCase& c : kMailboxCases) {
        std::unique_ptr<MimeMailbox> mailbox = ParsedMailbox(c.text);
        EXPECT_EQ(Str(mailbox->FullName()), c.fullName) << c.text;
        EXPECT_EQ(Str(mailbox->Route()), c.route) << c.text;
        EXPECT_EQ(Str(mailbox->LocalPart()), c.localPart) << c.text;
        EXPECT_EQ(Str(mailbox->Domain()), c.domain) << c.text;
        EXPECT_EQ(mailbox->IsValid(), c.valid) << c.text;
        EXPECT_FALSE(mailbox->IsModified()) << c.text;
        mailbox->SetModified();
        mailbox->Compose();
        EXPECT_EQ(Str(mailbox->AsString()), c.composed) << c.text;
        EXPECT_EQ(mailbox->IsValid(), c.valid) << c.text;
    }
}

// The single mailboxes of the table that Python's parseaddr reads alike.
TEST(MimeMailboxTest, AgreesWithPythonParseAddr) {
    std::vector<std::string> texts;
    for (const MailboxCase& c : kMailboxCases) {
        const std::string text = c.text;
        // Python drops comments in the angle form and joins several, where this library takes
        // the last one as the name.
        const size_t comments = static_cast<size_t>(std::count(text.begin(), text.end(), '('));
        const bool angleWithComment = comments > 1 || (comments == 1 && text.find('<') != std::string::npos);
        if (c.valid && c.route[0] == '\0' && !angleWithComment &&
            text.find("unterminated") == std::string::npos) {
            texts.push_back(text);
        }
    }
    ASSERT_GE(texts.size(), 9u);
    const std::vector<AddressPairs> python = PythonParseAddr(texts);
    ASSERT_EQ(python.size(), texts.size()) << "python3 did not run";
    for (size_t i = 0; i < texts.size(); ++i) {
        std::unique_ptr<MimeMailbox> mailbox = ParsedMailbox(texts[i].c_str());
        const AddressPairs ours = {
            {Unquoted(Str(mailbox->FullName())), Str(mailbox->LocalPart()) + "@" + Str(mailbox->Domain())}};
        EXPECT_EQ(ours, python[i]) << texts[i];
    }
}

TEST(MimeMailboxTest, ClassIdsAndKinds) {
    MimeMailbox mailbox;
    MimeGroup group;
    EXPECT_EQ(mailbox.ClassId(), 15);
    EXPECT_STREQ(mailbox.ClassName(), "MimeMailbox");
    EXPECT_TRUE(mailbox.IsMailbox());
    EXPECT_FALSE(mailbox.IsGroup());
    EXPECT_EQ(group.ClassId(), 13);
    EXPECT_STREQ(group.ClassName(), "MimeGroup");
    EXPECT_TRUE(group.IsGroup());
    EXPECT_EQ(MimeAddressList().ClassId(), 2);
    EXPECT_EQ(MimeMailboxList().ClassId(), 16);
}

// Names with specials are written as one quoted string, so the text reads back
// as one address with the same name, by this library and by Python alike.
TEST(MimeMailboxTest, NamesWithSpecialsComposeAsQuotedStrings) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"Doe, John", "\"Doe, John\""},
        {"a:b;c", "\"a:b;c\""},
        {"x <y>", "\"x <y>\""},
        {"at@sign", "\"at@sign\""},
        {"quote \" inside", "\"quote \\\" inside\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"(paren)", "\"(paren)\""},
        {"Joe Smith", "Joe Smith"},
        {"J. Smith", "J. Smith"},
        {"\"Already, quoted\"", "\"Already, quoted\""},
        {"line\nbreak, too", "\"line break, too\""},
    };
    MimeAddressList list;
    list.SetFolding(false);
    for (const auto& [name, written] : names) {
        std::unique_ptr<MimeMailbox> mailbox = NewMailbox(name.c_str(), "u", "x.y");
        mailbox->Compose();
        EXPECT_EQ(Str(mailbox->AsString()), written + " <u@x.y>") << name;
        list.AddAddress(NewMailbox(name.c_str(), "u", "x.y"));
    }
    list.Compose();
    const std::string text = Str(list.AsString());

    std::unique_ptr<MimeAddressList> reparsed = ParsedAddressList(text);
    ASSERT_EQ(reparsed->AddressCount(), static_cast<int>(names.size()));
    const std::vector<AddressPairs> python = PythonGetAddresses({text});
    ASSERT_EQ(python.size(), 1u);
    ASSERT_EQ(python[0].size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        std::string expected = names[i].first[0] == '"' ? Unquoted(names[i].first) : names[i].first;
        if (expected.find('\n') != std::string::npos) {
            expected.replace(expected.find('\n'), 1, " ");
        }
        const auto& mailbox = static_cast<const MimeMailbox&>(reparsed->AddressAt(static_cast<int>(i)));
        EXPECT_EQ(Unquoted(Str(mailbox.FullName())), expected);
        EXPECT_EQ(python[0][i].first, expected);
        EXPECT_EQ(python[0][i].second, "u@x.y");
    }
}

TEST(MimeMailboxTest, SettersMarkTheParentChain) {
    MimeAddressList list;
    list.AddAddress(NewMailbox("A", "a", "x"));
    list.Compose();
    EXPECT_FALSE(list.IsModified());
    static_cast<MimeMailbox&>(list.AddressAt(0)).SetDomain("y");
    EXPECT_TRUE(list.IsModified());
    list.Compose();
    EXPECT_EQ(Str(list.AsString()), "A <a@y>");
}

// Address lists that both this library and Python's email.utils understand.
const char* const kPythonAddressLists[] = {
    "Joe Smith <joe@example.com>",
    "joe@example.com (Joe Smith)",
    "joe@example.com",
    "\"Doe, John\" <john@x.org>",
    "a@b.c, d@e.f",
    "Joe <j@x.y>, \"Q, R\" <q@y.z>, plain@z.w",
    "John Q. Public <jqp@x.com>",
    "grp: a@b.c, Joe <d@e.f>;",
    "grp: a@b.c, d@e.f;, last@x.y",
    "first, \"Second Group\": a@b.c;, x@y.z",
    "\"a b\"@x.y",
    "x.y.z@a.b.c",
    "Name <a@[1.2.3.4]>",
    "  spaced  <  s@x.y  >  ",
    "\"J\\\" K\" <j@x.y>",
    "a@b,\n c@d,\n  e@f",
    "\"a\" b <c@d.e>",
};

TEST(MimeAddressListTest, AgreesWithPythonGetAddresses) {
    std::vector<std::string> texts(std::begin(kPythonAddressLists), std::end(kPythonAddressLists));
    const std::vector<AddressPairs> python = PythonGetAddresses(texts);
    ASSERT_EQ(python.size(), texts.size()) << "python3 did not run";
    for (size_t i = 0; i < texts.size(); ++i) {
        AddressPairs expected = python[i];
        // Python keeps an entry for the word before a group ("first" above); this
        // library drops a mailbox without a domain.
        std::erase_if(expected, [](const auto& pair) { return pair.second.find('@') == std::string::npos; });
        EXPECT_EQ(Flattened(*ParsedAddressList(texts[i])), expected) << texts[i];
    }
}

// The composed text of every list above reads back the same in Python.
TEST(MimeAddressListTest, ComposedListsReadBackTheSameInPython) {
    std::vector<std::string> composed;
    std::vector<AddressPairs> ours;
    for (const char* text : kPythonAddressLists) {
        std::unique_ptr<MimeAddressList> list = ParsedAddressList(text);
        for (int i = 0; i < list->AddressCount(); ++i) {
            list->AddressAt(i).SetModified();
        }
        list->Compose();
        composed.push_back(Str(list->AsString()));
        ours.push_back(Flattened(*list));
    }
    const std::vector<AddressPairs> python = PythonGetAddresses(composed);
    ASSERT_EQ(python.size(), composed.size());
    for (size_t i = 0; i < composed.size(); ++i) {
        EXPECT_EQ(python[i], ours[i]) << composed[i];
        EXPECT_EQ(Flattened(*ParsedAddressList(composed[i])), ours[i]) << composed[i];
    }
}

struct ListCase {
    const char* text;
    int count;
    const char* folded;
    const char* unfolded;
};

TEST(MimeAddressListTest, ComposesWithBothSeparators) {
    const ListCase cases[] = {
        {"a@b, c@d", 2, "<a@b>,\n <c@d>", "<a@b>, <c@d>"},
        {"word, a@b, , c@d,", 2, "<a@b>,\n <c@d>", "<a@b>, <c@d>"},
        {"grp: a@b, c@d;", 1, "grp:<a@b>,\n  <c@d>;", "grp:<a@b>, <c@d>;"},
        {"Joe <j@x>, grp:;", 2, "Joe <j@x>,\n grp:;", "Joe <j@x>, grp:;"},
        {"<@r,@s:a@b>, c@d", 2, "<@r,@s:a@b>,\n <c@d>", "<@r,@s:a@b>, <c@d>"},
        {"", 0, "", ""},
        {"\"unterminated, x@y", 0, "", ""},
    };
    for (const ListCase& c : cases) {
        for (bool folding : {true, false}) {
            std::unique_ptr<MimeAddressList> list = ParsedAddressList(c.text);
            ASSERT_EQ(list->AddressCount(), c.count) << c.text;
            list->SetFolding(folding);
            for (int i = 0; i < list->AddressCount(); ++i) {
                MimeAddress& address = list->AddressAt(i);
                address.SetModified();
                if (address.IsGroup()) {
                    static_cast<MimeGroup&>(address).MailboxList().SetFolding(folding);
                    static_cast<MimeGroup&>(address).MailboxList().SetModified();
                    for (int j = 0; j < static_cast<MimeGroup&>(address).MailboxList().MailboxCount(); ++j) {
                        static_cast<MimeGroup&>(address).MailboxList().MailboxAt(j).SetModified();
                    }
                }
            }
            list->SetModified();
            list->Compose();
            EXPECT_EQ(Str(list->AsString()), folding ? c.folded : c.unfolded) << c.text;
        }
    }
}

TEST(MimeAddressListTest, UnchangedAddressesKeepTheirText) {
    std::unique_ptr<MimeAddressList> list = ParsedAddressList("Joe   Smith <j@x>,c@d");
    list->SetModified();
    list->Compose();
    EXPECT_EQ(Str(list->AsString()), "Joe   Smith <j@x>,\n c@d");
}

// An unterminated quoted string or comment is left out of the address text, so that a composed
// list does not swallow what follows it.
TEST(MimeAddressListTest, UnterminatedTailsAreLeftOut) {
    std::unique_ptr<MimeAddressList> list = ParsedAddressList("g: a@b (open, c@d");
    ASSERT_EQ(list->AddressCount(), 1);
    list->AddAddress(NewMailbox("", "e", "f"));
    list->Compose();
    EXPECT_EQ(Str(list->AsString()), "g:a@b;,\n <e@f>");
    std::unique_ptr<MimeAddressList> reparsed = ParsedAddressList(Str(list->AsString()));
    ASSERT_EQ(reparsed->AddressCount(), 2);
    EXPECT_TRUE(reparsed->AddressAt(1).IsMailbox());

    list = ParsedAddressList("x@y \"open, z@w");
    ASSERT_EQ(list->AddressCount(), 1);
    list->AddAddress(NewMailbox("", "e", "f"));
    list->Compose();
    EXPECT_EQ(Str(list->AsString()), "x@y,\n <e@f>");
}

TEST(MimeGroupTest, ParsesNameAndMembers) {
    std::unique_ptr<MimeAddressList> list = ParsedAddressList("The \"Best\" Group: a@b, Joe <j@x>; , z@w");
    ASSERT_EQ(list->AddressCount(), 2);
    ASSERT_TRUE(list->AddressAt(0).IsGroup());
    const auto& group = static_cast<const MimeGroup&>(list->AddressAt(0));
    EXPECT_EQ(Str(group.GroupName()), "The \"Best\" Group");
    ASSERT_EQ(group.MailboxList().MailboxCount(), 2);
    EXPECT_EQ(Str(group.MailboxList().MailboxAt(1).FullName()), "Joe");
    EXPECT_EQ(group.MailboxList().Parent(), &group);
    EXPECT_TRUE(list->AddressAt(1).IsMailbox());
}

TEST(MimeGroupTest, WithoutANameIsInvalid) {
    MimeGroup group(":a@b;", nullptr);
    group.Parse();
    EXPECT_FALSE(group.IsValid());
    group.SetGroupName("");
    group.Compose();
    EXPECT_EQ(Str(group.AsString()), "");
    group.SetGroupName("named");
    group.Compose();
    EXPECT_TRUE(group.IsValid());
    EXPECT_EQ(Str(group.AsString()), "named:a@b;");
}

TEST(MimeMailboxListTest, ColonsDoNotMakeGroups) {
    MimeMailboxList list("grp: a@b, c@d;", nullptr);
    list.Parse();
    ASSERT_EQ(list.MailboxCount(), 2);
    EXPECT_EQ(Str(list.MailboxAt(1).LocalPart()), "c");
    EXPECT_EQ(Str(list.MailboxAt(1).Domain()), "d");
    list.SetModified();
    list.Compose();
    EXPECT_EQ(Str(list.AsString()), "grp: a@b,\n  c@d;");
}

TEST(MimeAddressListTest, ListOperationsCheckTheirBounds) {
    MimeAddressList list;
    EXPECT_THROW(list.AddressAt(0), MimeBoundsException);
    EXPECT_THROW(list.InsertAddress(1, NewMailbox("", "a", "b")), MimeBoundsException);
    EXPECT_THROW(list.InsertAddress(-1, NewMailbox("", "a", "b")), MimeBoundsException);
    list.InsertAddress(0, NewMailbox("", "b", "x"));
    list.InsertAddress(0, NewMailbox("", "a", "x"));
    list.AddAddress(NewMailbox("", "c", "x"));
    ASSERT_EQ(list.AddressCount(), 3);
    EXPECT_THROW(list.RemoveAddress(3), MimeBoundsException);
    EXPECT_THROW(list.AddressAt(-1), MimeBoundsException);
    std::unique_ptr<MimeAddress> removed = list.RemoveAddress(1);
    EXPECT_EQ(removed->Parent(), nullptr);
    list.SetFolding(false);
    list.Compose();
    EXPECT_EQ(Str(list.AsString()), "<a@x>, <c@x>");
    list.DeleteAllAddresses();
    EXPECT_EQ(list.AddressCount(), 0);
    EXPECT_TRUE(list.IsModified());

    MimeMailboxList mailboxes;
    EXPECT_THROW(mailboxes.MailboxAt(0), MimeBoundsException);
    EXPECT_THROW(mailboxes.RemoveMailbox(0), MimeBoundsException);
    EXPECT_THROW(mailboxes.InsertMailbox(1, NewMailbox("", "a", "b")), MimeBoundsException);
}

TEST(MimeAddressListTest, CopiesAreDeep) {
    std::unique_ptr<MimeAddressList> list = ParsedAddressList("g: a@b;, c@d");
    MimeAddressList copy(*list);
    std::unique_ptr<MimeMessageComponent> clone = list->Clone();
    list->DeleteAllAddresses();
    ASSERT_EQ(copy.AddressCount(), 2);
    EXPECT_EQ(copy.AddressAt(0).Parent(), &copy);
    const auto& group = static_cast<const MimeGroup&>(copy.AddressAt(0));
    EXPECT_EQ(group.MailboxList().Parent(), &group);
    EXPECT_EQ(static_cast<MimeAddressList&>(*clone).AddressCount(), 2);
}

TEST(MimeAddressListTest, ManyAddressesGrowTheList) {
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text += "u" + std::to_string(i) + "@x, ";
    }
    std::unique_ptr<MimeAddressList> list = ParsedAddressList(text);
    ASSERT_EQ(list->AddressCount(), 100);
    EXPECT_EQ(Str(static_cast<const MimeMailbox&>(list->AddressAt(99)).LocalPart()), "u99");
}

} // namespace
