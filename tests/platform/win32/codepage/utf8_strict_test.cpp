// Strict UTF-8 decoding: well-formed text converts, anything else is refused whole. Python's
// strict UTF-8 codec is the reference for random byte strings.
#include "qx/win32/codepage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct StrictCase {
    const char* name;
    std::string bytes;
    bool ok;
    std::u16string expected;
};

TEST(Utf8Strict, WellFormedTextOnly) {
    const StrictCase cases[] = {
        {"empty", "", true, u""},
        {"ascii with NUL", std::string("a\0b", 3), true, std::u16string(u"a\0b", 3)},
        {"two bytes", "\xC2\xA0\xDF\xBF", true, u"\u00A0\u07FF"},
        {"three bytes", "\xE0\xA0\x80\xEA\xB0\x80\xEF\xBF\xBF", true, u"\u0800\uAC00\uFFFF"},
        {"four bytes", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true, u"\U00010000\U0010FFFF"},
        {"overlong two", "\xC0\xAF", false, u""},
        {"overlong three", "\xE0\x9F\xBF", false, u""},
        {"overlong four", "\xF0\x8F\xBF\xBF", false, u""},
        {"encoded surrogate", "\xED\xA0\x80", false, u""},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false, u""},
        {"lead byte F5", "\xF5\x80\x80\x80", false, u""},
        {"stray continuation", "a\x80", false, u""},
        {"cut off at the end", "a\xEA\xB0", false, u""},
        {"cut off before ASCII", "\xEA\xB0z", false, u""},
        {"bad byte after good text", "\xEA\xB0\x80\xFF", false, u""},
    };
    for (const auto& c : cases) {
        std::u16string result = u"left over";
        EXPECT_EQ(qx::win32::Utf8ToWideStrict(c.bytes, result), c.ok) << c.name;
        EXPECT_EQ(result, c.expected) << c.name;
    }
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

TEST(Utf8Strict, AgreesWithPythonOnRandomBytes) {
    // Bytes drawn mostly from the interesting ranges: ASCII, continuations, every kind of lead.
    const unsigned char pool[] = {'a',  0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                  0xDF, 0xE0, 0xE1, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF};
    std::mt19937 random(949);
    std::vector<std::string> samples;
    for (int n = 0; n < 3000; ++n) {
        std::string bytes;
        const int length = static_cast<int>(random() % 7);
        for (int k = 0; k < length; ++k)
            bytes += static_cast<char>(random() % 3 == 0 ? random() % 256 : pool[random() % sizeof pool]);
        samples.push_back(bytes);
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qx-utf8-strict-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream in(folder / "in");
        for (const auto& s : samples)
            in << Hex(s) << '\n';
    }
    {
        std::ofstream script(folder / "peer.py");
        script << "import sys\n"
                  "out = open(sys.argv[2], 'w')\n"
                  "for line in open(sys.argv[1]):\n"
                  "    try:\n"
                  "        out.write(bytes.fromhex(line.strip()).decode('utf-8').encode('utf-16-le').hex() + "
                  "'\\n')\n"
                  "    except UnicodeDecodeError:\n"
                  "        out.write('refused\\n')\n";
    }
    const std::string command = "python3 " + (folder / "peer.py").string() + " " + (folder / "in").string() +
                                " " + (folder / "out").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream out(folder / "out");
    std::size_t refused = 0;
    for (const auto& s : samples) {
        std::string expected;
        ASSERT_TRUE(std::getline(out, expected));
        std::u16string wide;
        const bool ok = qx::win32::Utf8ToWideStrict(s, wide);
        std::string got = "refused";
        if (ok) {
            std::string bytes;
            for (char16_t unit : wide) {
                bytes += static_cast<char>(unit & 0xFF);
                bytes += static_cast<char>(unit >> 8);
            }
            got = Hex(bytes);
        } else {
            ++refused;
        }
        EXPECT_EQ(got, expected) << Hex(s);
    }
    EXPECT_GT(refused, 100u);
    EXPECT_LT(refused, samples.size() - 100);
    std::filesystem::remove_all(folder);
}

} // namespace
