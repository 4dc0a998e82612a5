#include "mime_boyer_moore.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace {

MimeString Bytes(std::string_view bytes) {
    return MimeString(bytes.data(), bytes.size());
}

long long Expected(std::string_view text, std::string_view pattern, size_t start) {
    if (start >= text.size()) {
        return -1;
    }
    const size_t pos = text.find(pattern, start);
    return pos == std::string_view::npos ? -1 : static_cast<long long>(pos);
}

struct FindCase {
    const char* text;
    const char* pattern;
    size_t start;
    long long expected;
};

const FindCase kFindCases[] = {
    {"haystack with needle", "needle", 0, 14},
    {"haystack with needle", "needle", 15, -1},
    {"abc", "abcd", 0, -1},
    {"abc", "", 1, 1},
    {"abc", "", 3, -1},
    {"abc", "c", 3, -1},
    {"aaaa", "aa", 1, 1},
    {"abcabcabd", "abd", 0, 6},
    {"\x80\xff\xfe\x81 tail", "\xff\xfe\x81", 0, 1},
};

TEST(BoyerMooreSearchTest, FindsLikeTheTable) {
    for (const FindCase& c : kFindCases) {
        BoyerMooreSearch search(c.pattern);
        EXPECT_EQ(search.FindIn(MimeString(c.text), c.start), c.expected) << c.text << " / " << c.pattern;
    }
}

TEST(BoyerMooreSearchTest, MimeStringPatternKeepsEmbeddedNuls) {
    const std::string_view text("ab\0cd ab\0ce", 11);
    BoyerMooreSearch search(Bytes(std::string_view("ab\0ce", 5)));
    EXPECT_EQ(search.PatternLength(), 5u);
    EXPECT_EQ(search.FindIn(Bytes(text)), 6);

    // A text pattern ends at its first NUL.
    BoyerMooreSearch textPattern("ab\0ce");
    EXPECT_EQ(textPattern.PatternLength(), 2u);
    EXPECT_EQ(textPattern.FindIn(Bytes(text)), 0);
}

TEST(BoyerMooreSearchTest, LongPatternsEndTheirSearch) {
    // With shifts cut to 8 bits a 256-byte pattern gets shift 0 for bytes it does not hold.
    for (size_t length : {255u, 256u, 257u, 300u, 512u}) {
        const std::string pattern(length, 'p');
        std::string text(2000, 'x');
        text.replace(1500, length, pattern);
        BoyerMooreSearch search(Bytes(pattern));
        EXPECT_EQ(search.FindIn(Bytes(text)), 1500) << length;
        EXPECT_EQ(search.FindIn(Bytes(std::string(3000, 'x'))), -1) << length;
    }
}

TEST(BoyerMooreSearchTest, AssignAndCopyPrepareTheNewPattern) {
    BoyerMooreSearch search("first");
    search.Assign(Bytes("second"));
    EXPECT_EQ(search.FindIn(MimeString("the second, not the first")), 4);
    BoyerMooreSearch copy(search);
    search.Assign("first");
    EXPECT_EQ(copy.FindIn(MimeString("the second, not the first")), 4);
    copy = search;
    EXPECT_EQ(copy.FindIn(MimeString("the second, not the first")), 20);
}

// Random texts and patterns over small and full alphabets, against std::string_view::find.
TEST(BoyerMooreSearchTest, AgreesWithStringViewFind) {
    std::mt19937 random(20031);
    for (int alphabet : {2, 256}) {
        std::uniform_int_distribution<int> symbol(0, alphabet - 1);
        auto make = [&](size_t length) {
            std::string s(length, '\0');
            for (char& ch : s) {
                ch = static_cast<char>(alphabet == 2 ? 'a' + symbol(random) : symbol(random));
            }
            return s;
        };
        for (size_t patternLength = 1; patternLength <= 300; ++patternLength) {
            for (int round = 0; round < 4; ++round) {
                std::string text = make(std::uniform_int_distribution<size_t>(0, 700)(random));
                std::string pattern = make(patternLength);
                // Plant the pattern (or its head) in the text now and then so that hits occur.
                if (round % 2 == 0 && text.size() > patternLength) {
                    const size_t at =
                        std::uniform_int_distribution<size_t>(0, text.size() - patternLength)(random);
                    const size_t keep = round == 0 ? patternLength : patternLength - 1;
                    text.replace(at, keep, pattern, 0, keep);
                }
                const size_t start =
                    text.empty() ? 0 : std::uniform_int_distribution<size_t>(0, text.size())(random);
                BoyerMooreSearch search(Bytes(pattern));
                ASSERT_EQ(search.FindIn(Bytes(text), start), Expected(text, pattern, start))
                    << "alphabet " << alphabet << " pattern length " << patternLength << " start " << start;
                ASSERT_EQ(search.FindIn(Bytes(text), 0), Expected(text, pattern, 0));
            }
        }
    }
}

} // namespace
