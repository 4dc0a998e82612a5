#include <gtest/gtest.h>

#include <string>

#include "mime_disposition_type.h"
#include "mime_exception.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"
#include "mime_time.h"

namespace {

std::string Dump(MimeMediaType& type) {
    std::string out = std::to_string(type.Type()) + ":" + type.TypeStr().ToStdString() + "/" +
                      std::to_string(type.Subtype()) + ":" + type.SubtypeStr().ToStdString();
    for (size_t i = 0; i < type.NumParameters(); ++i)
        out += "|" + type.ParameterAt(i).Attribute().ToStdString() + "=" +
               type.ParameterAt(i).Value().ToStdString();
    return out;
}

LONGLONG FixedNow() {
    return 1057024357;
}

} // namespace

TEST(MimeMediaTypeTest, ParseTable) {
    const struct {
        const char* text;
        const char* dump;
        const char* composed; // folded
    } cases[] = {
        {"text/html; charset=\"euc-kr\"", "2:text/5:html|charset=euc-kr", "text/html;\n  charset=\"euc-kr\""},
        {"multipart/related;\n  boundary=\"B\"", "3:multipart/24:related|boundary=B",
         "multipart/related;\n  boundary=\"B\""},
        {"TEXT/Plain", "2:TEXT/2:Plain", "TEXT/Plain"},
        {"image/png; name=a.png; x=\"q\\\"uote\"", "6:image/1:png|name=a.png|x=q\"uote",
         "image/png;\n  name=a.png;\n  x=\"q\\\"uote\""},
        {"text", "2:text/0:", ""},
        {"", "0:/0:", ""},
        {"text/plain; charset", "2:text/2:plain", "text/plain"},
        {"text/plain;; a=1 ;b=\"2\"", "2:text/2:plain|a=1|b=2", "text/plain;\n  a=1;\n  b=\"2\""},
        {"text/plain; a=\"unterminated", "2:text/2:plain", "text/plain"},
        {"application/x-thing (comment) ; q = v", "5:application/1:x-thing|q=v",
         "application/x-thing;\n  q = v"},
        {"message/rfc822", "4:message/10:rfc822", "message/rfc822"},
        {"text/plain; filename*=utf-8''%EA%B7%B8.txt", "2:text/2:plain|filename*=utf-8''%EA%B7%B8.txt",
         "text/plain;\n  filename*=utf-8''%EA%B7%B8.txt"},
        {"/html", "1:html/0:", ""},
    };
    for (const auto& c : cases) {
        MimeMediaType type(MimeString(c.text), nullptr);
        type.Parse();
        EXPECT_EQ(Dump(type), c.dump) << c.text;
        type.SetModified();
        type.Compose();
        EXPECT_EQ(type.AsString(), c.composed) << c.text;
        // What was composed parses back to the same structure.
        MimeMediaType again(type.AsString(), nullptr);
        again.Parse();
        if (!type.AsString().empty()) {
            EXPECT_EQ(Dump(again), Dump(type)) << c.text;
        }
    }
}

TEST(MimeMediaTypeTest, BoundaryAndName) {
    MimeMediaType type(MimeString("multipart/related;\n  boundary=\"B\"; NAME=\"n.htm\""), nullptr);
    type.Parse();
    EXPECT_EQ(type.Boundary(), "B");
    EXPECT_EQ(type.Name(), "n.htm");
    type.SetBoundary("C");
    EXPECT_EQ(type.Boundary(), "C");
    EXPECT_EQ(type.NumParameters(), 2u);
    MimeMediaType plain(MimeString("text/plain"), nullptr);
    plain.Parse();
    EXPECT_EQ(plain.Boundary(), "");
    plain.SetName("x.txt");
    EXPECT_EQ(plain.ParameterAt(0).Attribute(), "name");
    EXPECT_EQ(plain.ParameterAt(0).Parent(), &plain);
    plain.SetFolding(false);
    plain.Compose();
    EXPECT_EQ(plain.AsString(), "text/plain; name=\"x.txt\"");
}

TEST(MimeMediaTypeTest, ComposesFoldedAndUnfolded) {
    MimeMediaType type;
    type.SetType(MIME_TYPE_MULTIPART);
    type.SetSubtypeStr("related");
    type.SetBoundary("B");
    type.Compose();
    EXPECT_EQ(type.AsString(), "Multipart/related;\n  boundary=\"B\"");
    type.SetFolding(false);
    type.SetModified();
    type.Compose();
    EXPECT_EQ(type.AsString(), "Multipart/related; boundary=\"B\"");
    MimeMediaType incomplete;
    incomplete.SetType(MIME_TYPE_MULTIPART);
    incomplete.Compose();
    EXPECT_EQ(incomplete.AsString(), "");
    EXPECT_TRUE(incomplete.IsModified());
}

TEST(MimeMediaTypeTest, CreateBoundaryHas39CharactersFromTheSeededGenerator) {
    SetMimeTimeSource(&FixedNow, nullptr);
    MimeMediaType type;
    type.CreateBoundary(0);
    std::string boundary = type.Boundary().ToStdString();
    EXPECT_EQ(boundary.size(), 39u);
    EXPECT_EQ(boundary.substr(0, 11), "Boundary-=_");
    DWORD state = static_cast<DWORD>(FixedNow());
    for (size_t i = 11; i < 39; ++i) {
        DWORD r = NextRandom(&state) % 52;
        EXPECT_EQ(boundary[i], static_cast<char>(r < 26 ? 'A' + r : 'a' + r - 26));
    }
    type.CreateBoundary(12);
    EXPECT_EQ(type.Boundary().substr(0, 13), "Boundary-12=_");
    EXPECT_EQ(type.Boundary().length(), 39u);
    type.CreateBoundary(345);
    EXPECT_EQ(type.Boundary().substr(0, 14), "Boundary-345=_");
    EXPECT_EQ(type.NumParameters(), 1u);
    SetMimeTimeSource(nullptr, nullptr);
}

TEST(MimeMediaTypeTest, ParameterListBounds) {
    MimeMediaType type(MimeString("text/plain; a=1"), nullptr);
    type.Parse();
    EXPECT_THROW(type.ParameterAt(1), MimeBoundsException);
    EXPECT_THROW(type.RemoveParameterAt(1), MimeBoundsException);
    EXPECT_THROW(type.InsertParameterAt(2, std::make_unique<MimeParameter>()), MimeBoundsException);
    auto first = std::make_unique<MimeParameter>();
    first->SetAttribute("z");
    first->SetValue("0");
    type.InsertParameterAt(0, std::move(first));
    std::unique_ptr<MimeParameter> removed = type.RemoveParameterAt(1);
    EXPECT_EQ(removed->Attribute(), "a");
    EXPECT_EQ(removed->Parent(), nullptr);
    type.SetFolding(false);
    type.Compose();
    EXPECT_EQ(type.AsString(), "text/plain; z=\"0\"");
    type.DeleteAllParameters();
    EXPECT_EQ(type.NumParameters(), 0u);
}

TEST(MimeParameterTest, ParseTable) {
    const struct {
        const char* text;
        const char* attribute;
        const char* value;
        const char* composed;
    } cases[] = {
        {"charset=\"euc-kr\"", "charset", "euc-kr", "charset=\"euc-kr\""},
        {"boundary='abc'", "boundary", "abc", "boundary=\"abc\""},
        {"boundary=''", "boundary", "''", "boundary=\"''\""},
        {"name='abc'", "name", "'abc'", "name=\"'abc'\""},
        {"a=\"x\\\\y\\\"z\"", "a", "x\\y\"z", "a=\"x\\\\y\\\"z\""},
        {"a", "a", "", "a=\"\""},
        {"=v", "v", "", "v=\"\""},
        {"", "", "", "=\"\""},
        {"filename*=utf-8''%EA%B7%B8.gif", "filename*", "utf-8''%EA%B7%B8.gif",
         "filename*=utf-8''%EA%B7%B8.gif"},
        {"title*=\"a b\"", "title*", "a b", "title*=\"a b\""},
        {"a = b", "a", "b", "a=\"b\""},
    };
    for (const auto& c : cases) {
        MimeParameter parameter(MimeString(c.text), nullptr);
        parameter.Parse();
        EXPECT_EQ(parameter.Attribute(), c.attribute) << c.text;
        EXPECT_EQ(parameter.Value(), c.value) << c.text;
        parameter.SetModified();
        parameter.Compose();
        EXPECT_EQ(parameter.AsString(), c.composed) << c.text;
    }
}

TEST(MimeParameterTest, EscapedValuesSurviveRepeatedRoundTrips) {
    MimeParameter parameter;
    parameter.SetAttribute("filename");
    parameter.SetValue("a \"quoted\" \\ name");
    for (int i = 0; i < 3; ++i) {
        parameter.Compose();
        MimeParameter again(parameter.AsString(), nullptr);
        again.Parse();
        EXPECT_EQ(again.Value(), "a \"quoted\" \\ name");
        parameter.SetValue(again.Value());
    }
}

TEST(MimeMechanismTest, ParseTable) {
    const struct {
        const char* text;
        int number;
    } cases[] = {
        {"BASE64", 6},           {"8bitx", 1}, {"", 0}, {"7bit", 2}, {"8BIT", 3}, {"Binary", 4},
        {"quoted-printable", 5},
    };
    for (const auto& c : cases) {
        MimeMechanism mechanism(MimeString(c.text), nullptr);
        mechanism.Parse();
        EXPECT_EQ(mechanism.AsEnum(), c.number) << c.text;
        mechanism.Compose();
        EXPECT_EQ(mechanism.AsString(), c.text);
    }
    MimeMechanism mechanism;
    mechanism.SetAsEnum(MIME_CTE_BASE64);
    mechanism.Compose();
    EXPECT_EQ(mechanism.AsString(), "base64");
    mechanism.SetAsEnum(1);
    EXPECT_EQ(mechanism.AsString(), "base64");
    EXPECT_EQ(mechanism.AsEnum(), 1);
}

TEST(MimeDispositionTest, ParseTable) {
    const struct {
        const char* text;
        int number;
        const char* dispositionText;
        const char* filename;
        const char* composed;
    } cases[] = {
        {"Attachment; filename=a.gif", 3, "Attachment", "a.gif", "Attachment;\n  filename=a.gif"},
        {"inline", 2, "inline", "", "inline"},
        {"", 0, "", "", ""},
        {"form-data; name=\"f\"; FILENAME=\"x y.txt\"", 1, "form-data", "x y.txt",
         "form-data;\n  name=\"f\";\n  FILENAME=\"x y.txt\""},
        {"; filename=x", 1, "filename", "", "filename"},
    };
    for (const auto& c : cases) {
        MimeDispositionType disposition(MimeString(c.text), nullptr);
        disposition.Parse();
        EXPECT_EQ(disposition.DispositionType(), c.number) << c.text;
        EXPECT_EQ(disposition.DispositionTypeStr(), c.dispositionText) << c.text;
        EXPECT_EQ(disposition.Filename(), c.filename) << c.text;
        disposition.SetModified();
        disposition.Compose();
        EXPECT_EQ(disposition.AsString(), c.composed) << c.text;
    }
}

TEST(MimeDispositionTest, FilenameIsClearedByANewParse) {
    MimeDispositionType disposition(MimeString("attachment; filename=old.gif"), nullptr);
    disposition.Parse();
    EXPECT_EQ(disposition.Filename(), "old.gif");
    disposition.FromString("attachment");
    disposition.Parse();
    EXPECT_EQ(disposition.Filename(), "");
}

TEST(MimeDispositionTest, SettersCompose) {
    MimeDispositionType disposition;
    disposition.SetDispositionType(MIME_DISPOSITION_ATTACHMENT);
    disposition.SetFilename("a b.gif");
    disposition.SetFolding(false);
    disposition.Compose();
    EXPECT_EQ(disposition.AsString(), "attachment; Filename=\"a b.gif\"");
    disposition.SetFilename("c.gif");
    disposition.Compose();
    EXPECT_EQ(disposition.AsString(), "attachment; Filename=\"c.gif\"");
    disposition.SetDispositionType(7);
    EXPECT_EQ(disposition.DispositionTypeStr(), "attachment");
    disposition.SetDispositionTypeStr("inline");
    EXPECT_EQ(disposition.DispositionType(), MIME_DISPOSITION_INLINE);
}
