// Code page 949 against glibc iconv: every double-byte sequence, every BMP character.
#include <gtest/gtest.h>

#include <iconv.h>

#include <string>
#include <thread>
#include <vector>

#include "qx/win32/codepage.h"
#include "stringapiset.h"

namespace {

// iconv's answer for one conversion, or nothing when it refuses the input.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() { iconv_close(cd_); }
    bool Convert(const std::string& in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[64];
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char* dst = buffer;
        size_t room = sizeof buffer;
        if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1)) {
            return false;
        }
        out.assign(buffer, dst);
        return true;
    }

private:
    iconv_t cd_;
};

std::u16string Decode(const std::string& bytes) {
    int n = MultiByteToWideChar(949, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(949, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string Encode(const std::u16string& text, BOOL* usedDefault = nullptr) {
    int n =
        WideCharToMultiByte(949, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(949, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        usedDefault);
    return out;
}

TEST(Cp949, EveryDoubleByteSequenceDecodesAsIconvDecodesIt) {
    Iconv decoder("UTF-16LE", "CP949");
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x41; trail <= 0xFE; ++trail) {
            std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            std::string expected;
            std::u16string actual = Decode(bytes);
            if (decoder.Convert(bytes, expected) && expected.size() == 2) {
                ++mapped;
                char16_t c = static_cast<char16_t>(static_cast<unsigned char>(expected[0]) |
                                                   static_cast<unsigned char>(expected[1]) << 8);
                ASSERT_EQ(actual, std::u16string(1, c)) << std::hex << lead << " " << trail;
                // ...and comes back as the same two bytes.
                ASSERT_EQ(Encode(actual), bytes) << std::hex << lead << " " << trail;
            } else {
                ASSERT_EQ(actual, u"?") << std::hex << lead << " " << trail;
            }
        }
    }
    // KS X 1001 (8,236 with the user-defined area left out) and the 8,822 extended syllables.
    EXPECT_GE(mapped, 17000);
}

TEST(Cp949, ExtendedHangulOfTheUnifiedCode) {
    EXPECT_EQ(Decode("\x8C\x63"), u"\uB620"); // 똠
    EXPECT_EQ(Encode(u"\uB620"), "\x8C\x63");
    EXPECT_EQ(Decode("\x81\x41"), u"\uAC02"); // first extended syllable
    EXPECT_EQ(Decode("\xB0\xA1"), u"\uAC00"); // 가
    EXPECT_EQ(Encode(u"\uD7A3"), "\xC6\x52"); // 힣, an extended syllable too
    EXPECT_EQ(Decode("\xC8\xFE"), u"\uD79D"); // 힝, the last syllable of KS X 1001
}

TEST(Cp949, EveryBmpCharacterEncodesAsIconvEncodesIt) {
    Iconv encoder("CP949", "UTF-16LE");
    for (unsigned c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        std::u16string text(1, static_cast<char16_t>(c));
        std::string in{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        std::string expected;
        BOOL used = TRUE;
        std::string actual = Encode(text, &used);
        if (encoder.Convert(in, expected)) {
            ASSERT_EQ(actual, expected) << std::hex << c;
            ASSERT_FALSE(used) << std::hex << c;
        } else {
            ASSERT_EQ(actual, "?") << std::hex << c;
            ASSERT_TRUE(used) << std::hex << c;
        }
    }
}

TEST(Cp949, MixedTextRoundTrips) {
    const std::u16string text = u"파일 c:\\문서\\똠방각하.htm 123 ABC \uAC00\uD7A3";
    std::string ansi = Encode(text);
    EXPECT_EQ(Decode(ansi), text);
    EXPECT_EQ(qx::win32::AnsiToUtf8(ansi), "파일 c:\\문서\\똠방각하.htm 123 ABC 가힣");
}

TEST(Cp949, ConcurrentConversionsAgree) {
    std::string ansi = Encode(u"가나다라마바사 똠 abc");
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (Encode(Decode(ansi)) != ansi) {
                    ++mismatches;
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
