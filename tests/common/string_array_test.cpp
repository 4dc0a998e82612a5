#include "string_array.h"

#include <qx/win32/ui_driver.h>
#include <winuser_msgbox.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
    std::string text, delimiter;
    int matchCase;
    std::vector<std::string> items;
};

std::vector<std::string> Items(const StringArray& array) {
    std::vector<std::string> items;
    for (int i = 0; i < array.Count; ++i)
        items.push_back(array.At(static_cast<unsigned>(i)));
    return items;
}

TEST(StringArray, SplitTable) {
    const SplitCase cases[] = {
        {"a,,b,", ",", 1, {"a", "b"}},
        {"Content-Type", "content", 0, {"-Type"}},
        {"Content-Type", "content", 1, {"Content-Type"}},
        {"", ",", 1, {}},
        {",,,", ",", 1, {}},
        {"a<BR>b<br>c", "<br>", 0, {"a", "b", "c"}},
        {"a--b", "--", 1, {"a", "b"}},
        {"abc", "", 1, {"abc"}}, // no delimiter: the whole text is one piece, no endless loop
        {"\xB0\xA1,\xB3\xAA", ",", 0, {"\xB0\xA1", "\xB3\xAA"}},
    };
    for (const auto& c : cases) {
        StringArray array;
        array.Split(c.text, c.delimiter, c.matchCase);
        EXPECT_EQ(array.Count, static_cast<int>(c.items.size())) << c.text;
        EXPECT_EQ(Items(array), c.items) << c.text;
    }
}

TEST(StringArray, CountStartsAtZeroAndSplitRefills) {
    StringArray array;
    EXPECT_EQ(array.Count, 0);
    array.Split("a b c", " ", 1);
    EXPECT_EQ(array.Count, 3);
    array.Split("x", " ", 1);
    EXPECT_EQ(array.Count, 1);
    EXPECT_EQ(array.At(0), "x");
}

TEST(StringArray, OutOfRangeShowsTheMessageBoxAndGivesEmptyText) {
    qx::win32::MessageBoxRecorder recorder;
    qx::win32::UiDriver* previous = qx::win32::SetUiDriver(&recorder);
    StringArray array;
    array.Split("", ",", 1);
    EXPECT_EQ(array.At(0), "");
    array.Split("a", ",", 1);
    EXPECT_EQ(array.At(static_cast<unsigned>(-1)), ""); // a negative index taken as unsigned
    qx::win32::SetUiDriver(previous);

    auto calls = recorder.Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const auto& call : calls) {
        EXPECT_EQ(call.owner, nullptr);
        EXPECT_FALSE(call.captionGiven);
        EXPECT_EQ(call.type & 0xF, static_cast<UINT>(MB_OK));
        EXPECT_EQ(call.text, "지정한 인덱스가 범위를 초과했습니다.");
    }
}

TEST(StringArray, FromMultiStringAndClear) {
    StringArray array;
    array.FromMultiString("one\0two\0\0ignored\0");
    EXPECT_EQ(Items(array), (std::vector<std::string>{"one", "two"}));
    array.Clear();
    EXPECT_EQ(array.Count, 0);
}

} // namespace
