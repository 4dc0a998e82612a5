#include <gtest/gtest.h>

#include <string>

#include "mime_codecs.h"
#include "mime_date_time.h"
#include "mime_disposition_type.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"
#include "mime_message.h"
#include "mime_test_support.h"

namespace {

LONGLONG FixedNow() {
    return 1057024357;
}

std::unique_ptr<MimeBodyPart> Part(const char* type, const char* subtype, int encoding,
                                   const MimeString& body) {
    auto part = std::make_unique<MimeBodyPart>();
    MimeMediaType& mediaType = part->Headers().ContentType();
    mediaType.SetTypeStr(type);
    mediaType.SetSubtypeStr(subtype);
    part->Headers().ContentTransferEncoding().SetAsEnum(encoding);
    MimeString encoded = body;
    if (encoding == MIME_CTE_BASE64)
        EncodeBase64(body, encoded);
    else if (encoding == MIME_CTE_QUOTED_PRINTABLE)
        EncodeQuotedPrintable(body, encoded);
    part->Body().FromString(encoded);
    return part;
}

std::unique_ptr<MimeParameter> Parameter(const char* attribute, const char* value) {
    auto parameter = std::make_unique<MimeParameter>();
    parameter->SetAttribute(attribute);
    parameter->SetValue(value);
    return parameter;
}

MimeString LibraryMessage() {
    MimeMessage message;
    MimeHeaders& headers = message.Headers();
    headers.MimeVersion().FromString("1.0");
    MimeMediaType& type = headers.ContentType();
    type.SetType(MIME_TYPE_MULTIPART);
    type.SetSubtypeStr("related");
    type.CreateBoundary(0);
    type.AddParameter(Parameter("type", "text/html"));
    headers.From().FromString("Forms <forms@example.com>");
    MimeString subject("A subject that is long enough to need folding when the header line is written, "
                       "\xc7\xd1\xb1\xdb and more words at the end");
    FoldHeaderText(subject, 9);
    headers.Subject().FromString(subject);
    headers.Date().SetValues(2003, 7, 1, 10, 52, 37, 540, "KST");

    std::string html =
        "<html><body>\xbe\xc8\xb3\xe7\xc7\xcf\xbc\xbc\xbf\xe4 " + std::string(300, 'x') + "</body></html>\n";
    auto htmlPart = Part("Text", "HTML", MIME_CTE_BASE64, MimeString(html));
    htmlPart->Headers().ContentType().AddParameter(Parameter("charset", "euc-kr"));
    htmlPart->Headers().ContentLocation().FromString("file://c:/test.htm");
    message.Body().AddBodyPart(std::move(htmlPart));

    std::string text =
        "caf\xe9 = \xc7\xd1\xb1\xdb\n" + std::string(120, 'q') + "\ntrailing blank \n.dot\nFrom here\n";
    auto qpPart = Part("Text", "Plain", MIME_CTE_QUOTED_PRINTABLE, MimeString(text));
    qpPart->Headers().ContentType().AddParameter(Parameter("charset", "euc-kr"));
    message.Body().AddBodyPart(std::move(qpPart));

    message.Body().AddBodyPart(
        Part("text", "plain", MIME_CTE_7BIT, MimeString("plain ascii\nsecond line\n")));

    auto image = Part("Image", "gif", MIME_CTE_BASE64, MimeString(RandomBytes(1000, 21)));
    MimeDispositionType& disposition = image->Headers().ContentDisposition();
    disposition.SetDispositionType(MIME_DISPOSITION_ATTACHMENT);
    disposition.AddParameter(Parameter("filename*", "utf-8''%EA%B7%B8%EB%A6%BC.gif"));
    image->Headers().ContentType().SetName("a \"quoted\" name.gif");
    message.Body().AddBodyPart(std::move(image));

    message.Compose();
    return message.AsString();
}

} // namespace

TEST(MimePythonRoundTripTest, MessagesWrittenByPythonParseToTheSameStructure) {
    for (const char* name : {"related", "nested"}) {
        std::string text;
        std::string pythonDump;
        ASSERT_EQ(PeerWrite(name, &text, &pythonDump), 0) << name;
        ASSERT_FALSE(text.empty());
        MimeMessage message(MimeString(text), nullptr);
        message.Parse();
        EXPECT_EQ(DumpEntity(message), pythonDump) << name;
        // Composed again, the message still reads the same in Python, without defects.
        message.Compose();
        std::string dumpOfComposed;
        EXPECT_EQ(RunPeer("dump", message.AsString().view(), &dumpOfComposed), 0) << dumpOfComposed;
        EXPECT_EQ(dumpOfComposed, pythonDump) << name;
    }
}

TEST(MimePythonRoundTripTest, MessagesComposedByTheLibraryParseInPythonWithoutDefects) {
    SetMimeTimeSource(&FixedNow, nullptr);
    MimeString text = LibraryMessage();
    SetMimeTimeSource(nullptr, nullptr);
    std::string pythonDump;
    EXPECT_EQ(RunPeer("dump", text.view(), &pythonDump), 0) << pythonDump;
    EXPECT_EQ(pythonDump, ParseAndDump(text));
    EXPECT_NE(pythonDump.find("type image/gif"), std::string::npos);
    // With CR LF line breaks, as the packer writes them, too.
    MimeString crlf;
    ToCrLf(text, crlf);
    std::string crlfDump;
    EXPECT_EQ(RunPeer("dump", crlf.view(), &crlfDump), 0) << crlfDump;
    EXPECT_EQ(crlfDump.find("defect"), std::string::npos);
}
