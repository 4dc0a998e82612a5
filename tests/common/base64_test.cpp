#include "base64.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Decode(const std::string& text) {
    std::vector<unsigned char> out(Base64Decoder::MaxDecodedSize(text.size()));
    size_t n = Base64Decoder().Decode(text, out.data(), out.size());
    return std::string(out.begin(), out.begin() + static_cast<long>(n));
}

// The base64 that coreutils writes for the bytes (one line, no wrapping).
std::string CoreutilsBase64(const std::string& bytes) {
    auto dir = std::filesystem::temp_directory_path() / ("b64-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto in = dir / "in.bin";
    auto out = dir / "out.txt";
    std::ofstream(in, std::ios::binary) << bytes;
    std::string command = "base64 -w0 '" + in.string() + "' > '" + out.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream result(out, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(result)), std::istreambuf_iterator<char>());
    std::filesystem::remove_all(dir);
    return text;
}

std::string RandomBytes(std::mt19937& rng, size_t n) {
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng() & 0xFF);
    return s;
}

struct EncodeCase {
    std::string input;
    std::string expected;
};

TEST(Base64Encoder, KnownValues) {
    const EncodeCase cases[] = {
        {"", ""},        {std::string(1, '\0'), "AA=="}, {"ab", "YWI="},
        {"abc", "YWJj"}, {"\xff\xfe\xfd", "//79"},       {"Hello, world", "SGVsbG8sIHdvcmxk"},
    };
    Base64Encoder encoder;
    for (const auto& c : cases)
        EXPECT_EQ(encoder.Encode(c.input.data(), c.input.size()), c.expected);
    // Each encode replaces the result.
    encoder.Encode("abc", 3);
    EXPECT_EQ(encoder.Encode("", 0), "");
}

struct DecodeCase {
    std::string text;
    std::string expected;
};

TEST(Base64Decoder, KnownValuesAndRecovery) {
    const DecodeCase cases[] = {
        {"", ""},
        {"YWI=", "ab"},
        {"YQ==", "a"},
        {"YWJj\r\nYQ==", "abca"},
        {"YWJjYQ", "abc"},             // leftover characters that make no group are dropped
        {"Y W\tJ\nj", "abc"},          // blanks and breaks between characters are skipped
        {"YWI=YWJj", "ab"},            // a padded group ends decoding
        {"=YWJj", ""},                 // padding in the first place ends it at once
        {"YWJj=QQQ", "abc"},           // ... also after whole groups
        {"Y===", std::string(1, '`')}, // padding in the second place: one byte, v0 << 2
        {"YW=j", "a"},                 // padding in the third place: one byte, then the end
        {"!!YWJj**", "abc"},           // bytes outside the alphabet are skipped
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.text), c.expected) << c.text;
}

TEST(Base64Decoder, NeverWritesPastTheGivenBuffer) {
    const std::string text = "YWJjZGVmZ2hp"; // "abcdefghi"
    for (size_t size = 0; size <= 9; ++size) {
        std::vector<unsigned char> out(size + 1, 0xAA);
        size_t n = Base64Decoder().Decode(text, out.data(), size);
        EXPECT_EQ(n, size);
        EXPECT_EQ(out[size], 0xAA) << "wrote past " << size;
        EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(n)), std::string("abcdefghi", n));
    }
}

TEST(Base64Decoder, CharValues) {
    EXPECT_EQ(Base64Decoder::CharValue('A'), 0);
    EXPECT_EQ(Base64Decoder::CharValue('z'), 51);
    EXPECT_EQ(Base64Decoder::CharValue('9'), 61);
    EXPECT_EQ(Base64Decoder::CharValue('+'), 62);
    EXPECT_EQ(Base64Decoder::CharValue('/'), 63);
    EXPECT_EQ(Base64Decoder::CharValue('='), -1);
    EXPECT_EQ(Base64Decoder::CharValue('\n'), -2);
    EXPECT_EQ(Base64Decoder::CharValue(0xB0), -2);
}

TEST(Base64Encoder, AgreesWithCoreutilsOnEveryLengthUpTo300) {
    std::mt19937 rng(1234);
    for (size_t length = 0; length <= 300; ++length) {
        std::string bytes = RandomBytes(rng, length);
        Base64Encoder encoder;
        const std::string& ours = encoder.Encode(bytes.data(), bytes.size());
        EXPECT_EQ(ours, CoreutilsBase64(bytes)) << "length " << length;
        EXPECT_EQ(Decode(ours), bytes) << "length " << length;
    }
}

TEST(Base64Encoder, AgreesWithCoreutilsOnAMultiMegabyteBuffer) {
    std::mt19937 rng(99);
    std::string bytes = RandomBytes(rng, 3 * 1024 * 1024 + 7);
    Base64Encoder encoder;
    std::string ours = encoder.Encode(bytes.data(), bytes.size());
    EXPECT_EQ(ours, CoreutilsBase64(bytes));
    EXPECT_EQ(Decode(ours), bytes);
}

} // namespace
