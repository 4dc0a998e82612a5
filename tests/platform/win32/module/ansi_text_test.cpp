// The module layer's path texts: UTF-8 file names from the system decode strictly, so that no
// overlong or broken form passes for another character.
#include "qx/module/ansi_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ModulePathText, Utf8DecodesOnlyShortestForms) {
    struct Row {
        const char* name;
        std::string utf8;
        std::u16string wide;
    };
    const Row rows[] = {
        {"ascii", "/opt/a.so", u"/opt/a.so"},
        {"two bytes", "\xC3\xA9", u"\u00E9"},
        {"three bytes", "\xED\x95\x9C", u"\uD55C"},
        {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"overlong slash",
         "a\xC0\xAF"
         "b",
         u"a\uFFFD\uFFFD"
         "b"},
        {"overlong dot", "\xE0\x80\xAE", u"\uFFFD\uFFFD\uFFFD"},
        {"overlong four", "\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond the last plane", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"cut short", "x\xE2\x82", u"x\uFFFD\uFFFD"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(qx::module::Utf8ToUtf16(r.utf8), r.wide) << r.name;
}

} // namespace
