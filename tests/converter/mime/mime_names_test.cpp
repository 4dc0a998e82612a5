#include <gtest/gtest.h>

#include "mime_names.h"

TEST(MimeNamesTest, TypeNames) {
    const struct {
        const char* text;
        int number;
        const char* written;
    } cases[] = {
        {"", 0, ""},
        {"text", 2, "Text"},
        {"MULTIPART", 3, "Multipart"},
        {"Message", 4, "Message"},
        {"application", 5, "Application"},
        {"image", 6, "Image"},
        {"audio", 7, "Audio"},
        {"video", 8, "Video"},
        {"model", 9, "Model"},
        {"x-foo", 1, "Unknown"},
        {"t", 1, "Unknown"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TypeStrToEnum(c.text), c.number) << c.text;
        MimeString out("old");
        TypeEnumToStr(c.number, out);
        EXPECT_EQ(out, c.written) << c.text;
    }
    MimeString out;
    TypeEnumToStr(99, out);
    EXPECT_EQ(out, "Unknown");
}

TEST(MimeNamesTest, SubtypeNames) {
    const struct {
        const char* text;
        int number;
        const char* written;
    } cases[] = {
        {"plain", 2, "Plain"},
        {"html", 5, "HTML"},
        {"related", 24, "related"},
        {"JPG", 15, "jpeg"},
        {"jpeg", 15, "jpeg"},
        {"gif", 16, "gif"},
        {"octet-stream", 14, "Octet-stream"},
        {"rfc822", 10, "Rfc822"},
        {"png", 1, "Unknown"},
        {"external-body", 12, "External-body"},
        {"applefile", 26, "applefile"},
        {"", 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SubtypeStrToEnum(c.text), c.number) << c.text;
        MimeString out;
        SubtypeEnumToStr(c.number, out);
        EXPECT_EQ(out, c.written) << c.text;
    }
}

TEST(MimeNamesTest, TransferEncodingNames) {
    EXPECT_EQ(CteStrToEnum("Base64"), 6);
    EXPECT_EQ(CteStrToEnum("QUOTED-PRINTABLE"), 5);
    EXPECT_EQ(CteStrToEnum("7bit"), 2);
    EXPECT_EQ(CteStrToEnum(""), 1);
    EXPECT_EQ(CteStrToEnum("x-uue"), 1);
    MimeString out("kept");
    CteEnumToStr(1, out);
    EXPECT_EQ(out, "kept");
    CteEnumToStr(0, out);
    EXPECT_EQ(out, "kept");
    CteEnumToStr(42, out);
    EXPECT_EQ(out, "kept");
    CteEnumToStr(4, out);
    EXPECT_EQ(out, "binary");
}
