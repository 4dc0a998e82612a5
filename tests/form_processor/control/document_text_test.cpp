// The texts of the document road: load URLs built from chosen paths, line breaks before the
// converter, and sources as they are saved.
#include "document_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct TextCase {
    std::string in;
    std::string out;
};

TEST(DocumentText, FileUrlEscapesOnlyWhatThePlatformWouldReadOtherwise) {
    const TextCase cases[] = {
        {"/srv/forms/x.mht", "file:///srv/forms/x.mht"},
        {"/srv/forms/a#1 %41.mht", "file:///srv/forms/a%231 %2541.mht"},
        {"/q?x.mht", "file:///q%3Fx.mht"},
        {"c:\\forms\\a b.mht", "file://c:\\forms\\a b.mht"},
        {"/a%25b", "file:///a%2525b"},
        {"", "file://"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(FileUrlForPath(c.in), c.out) << c.in;
}

TEST(DocumentText, LoneLineFeedsBecomeCarriageReturnLineFeed) {
    const TextCase cases[] = {
        {"a\nb\r\nc", "a\r\nb\r\nc"}, {"\nx", "\r\nx"}, {"\r\n", "\r\n"}, {"\n\n", "\r\n\r\n"},
        {"\r\r\n\n", "\r\r\n\r\n"},   {"x\r", "x\r"},   {"", ""},         {"a\0\nb"s, "a\0\r\nb"s},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(NormaliseLineBreaks(c.in), c.out) << c.in;
}

TEST(DocumentText, SourcesGainTheThirdSlashAndLoseBackslashes) {
    const TextCase cases[] = {
        {"file://C:\\a\\b.gif", "file:///C:/a/b.gif"},
        {"FILE:///x", "FILE:///x"},
        {"File://host/x", "file:///host/x"},
        {"http://h/a\\b", "http://h/a/b"},
        {"file://", "file:///"},
        {"file:/", "file:/"},
        {"files://x", "files://x"},
        {"a\\b\\", "a/b/"},
        {"", ""},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(NormaliseSource(c.in), c.out) << c.in;
}

} // namespace
