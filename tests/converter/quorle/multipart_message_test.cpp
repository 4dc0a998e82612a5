#include "multipart_message.h"

#include <gtest/gtest.h>

#include "mime_body.h"
#include "mime_media_type.h"

namespace {

std::string Composed(MessageWrapper& message) {
    return message.AsString().ToStdString();
}

TEST(MessageWrapper, AutomaticFieldsAndAbsentFields) {
    MessageWrapper wrapper;
    wrapper.SetAutomaticFields();
    wrapper.SetSubject("x");
    EXPECT_EQ(Composed(wrapper), "MIME-Version: 1.0\nSubject: x\n\n");
    EXPECT_EQ(wrapper.DateStr().ToStdString(), "");
    EXPECT_EQ(wrapper.Date(), -1);
    EXPECT_EQ(wrapper.To().ToStdString(), "");
    EXPECT_EQ(wrapper.Message()->Headers().NumFields(), 2u);
    wrapper.SetType(3);
    EXPECT_EQ(wrapper.TypeStr().ToStdString(), "Multipart");
    wrapper.SetSubtypeStr("related");
    EXPECT_EQ(wrapper.Subtype(), 24);
    wrapper.SetCte(6);
    EXPECT_EQ(wrapper.CteStr().ToStdString(), "base64");
}

TEST(MultipartMessage, PartsFromRecords) {
    MultipartMessage message;
    message.SetAutomaticFields();
    const std::string boundary = message.Message()->Headers().ContentType().Boundary().ToStdString();
    EXPECT_EQ(boundary.size(), 39u);
    EXPECT_EQ(boundary.substr(0, 11), "Boundary-=_");

    MultipartPartInfo initial;
    message.AddPart(initial);
    std::string text = Composed(message);
    EXPECT_NE(text.find("--" + boundary +
                        "\nContent-Type: Text/Plain\nContent-Transfer-Encoding: 7bit\n\n\n--" + boundary +
                        "--\n"),
              std::string::npos);

    MultipartPartInfo noSubtype;
    noSubtype.SetSubtypeStr("");
    noSubtype.SetContentLocation("x.gif");
    message.AddPart(noSubtype);
    EXPECT_NE(Composed(message).find("\nContent-Transfer-Encoding: 7bit\nContent-Location: x.gif\n"),
              std::string::npos);

    message.SetPart(4, initial);
    EXPECT_EQ(message.PartCount(), 5);
    MultipartPartInfo read;
    read.SetContentLocation("kept");
    message.GetPart(0, read);
    EXPECT_EQ(read.TypeStr().ToStdString(), "Text");
    EXPECT_EQ(read.CteStr().ToStdString(), "7bit");
    message.GetPart(9, read);
    EXPECT_EQ(read.TypeStr().ToStdString(), "");
    EXPECT_EQ(read.Body().ToStdString(), "");
    EXPECT_EQ(read.ContentLocation().ToStdString(), "kept");
    message.SetPart(-1, initial);
    EXPECT_EQ(message.PartCount(), 5);
}

TEST(MultipartPartInfo, Numbers) {
    MultipartPartInfo info;
    EXPECT_EQ(info.Type(), 2);
    EXPECT_EQ(info.Cte(), 2);
    info.SetType(6);
    info.SetSubtype(99);
    EXPECT_EQ(info.TypeStr().ToStdString(), "Image");
    EXPECT_EQ(info.SubtypeStr().ToStdString(), "Unknown");
    info.SetCte(9);
    EXPECT_EQ(info.CteStr().ToStdString(), "7bit");
    info.SetCteStr("");
    EXPECT_EQ(info.ContentTransferEncoding(), 1);
    info.SetTypeStr("");
    EXPECT_EQ(info.Type(), 0);
    info.SetTypeStr("x-foo");
    EXPECT_EQ(info.Type(), 1);
}

} // namespace
