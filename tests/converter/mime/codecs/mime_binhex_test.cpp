#include "mime_binhex.h"
#include "mime_binhex_crc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
const char kFirstLine[] = "(This file must be converted with BinHex 4.0)\n";

MimeString Bytes(const std::string& bytes) {
    return MimeString(bytes.data(), bytes.size());
}

struct MacFile {
    std::string name;
    std::string type = "TEXT";
    std::string creator = "ttxt";
    BYTE flag1 = 0;
    BYTE flag2 = 0;
    std::string data;
    std::string resource;
};

BinHexCodec Encoded(const MacFile& file) {
    BinHexCodec codec;
    codec.SetFileName(file.name.c_str());
    codec.SetFileType(reinterpret_cast<const BYTE*>(file.type.data()));
    codec.SetFileCreator(reinterpret_cast<const BYTE*>(file.creator.data()));
    codec.SetFlag1(file.flag1);
    codec.SetFlag2(file.flag2);
    codec.SetDataFork(Bytes(file.data));
    codec.SetResourceFork(Bytes(file.resource));
    codec.Encode();
    return codec;
}

int DecodeText(const std::string& text, BinHexCodec& codec) {
    codec.SetBinHexChars(Bytes(text));
    return codec.Decode();
}

// The characters between the colons, back to the bytes of the run-length coded stream.
std::string SixBitDecode(const std::string& text) {
    const size_t open = text.find(':');
    const size_t close = text.find(':', open + 1);
    unsigned bits = 0;
    int count = 0;
    std::string out;
    for (size_t i = open + 1; i < close; ++i) {
        const char* at = std::strchr(kAlphabet, text[i]);
        if (text[i] == '\n' || at == nullptr) {
            continue;
        }
        bits = (bits << 6) | static_cast<unsigned>(at - kAlphabet);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

// A stream written by hand: 6-bit coded (with 0x90 escaped) and framed like a BinHex file.
std::string Frame(const std::string& stream) {
    std::string escaped;
    for (char ch : stream) {
        escaped += ch;
        if (static_cast<unsigned char>(ch) == 0x90) {
            escaped += '\0';
        }
    }
    std::string chars;
    for (size_t i = 0; i < escaped.size(); i += 3) {
        const size_t n = std::min<size_t>(3, escaped.size() - i);
        unsigned b0 = static_cast<unsigned char>(escaped[i]);
        unsigned b1 = n > 1 ? static_cast<unsigned char>(escaped[i + 1]) : 0;
        unsigned b2 = n > 2 ? static_cast<unsigned char>(escaped[i + 2]) : 0;
        const char group[4] = {kAlphabet[b0 >> 2], kAlphabet[((b0 << 4) | (b1 >> 4)) & 0x3F],
                               kAlphabet[((b1 << 2) | (b2 >> 6)) & 0x3F], kAlphabet[b2 & 0x3F]};
        chars.append(group, n + 1);
    }
    return std::string(kFirstLine) + ":" + chars + ":\n";
}

std::string Crc(const std::string& bytes) {
    const WORD crc = BinHexCrc(0, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    return std::string{static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
}

std::string Long(DWORD value) {
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                       static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Header(const std::string& name, DWORD dataLength, DWORD resourceLength) {
    std::string header(1, static_cast<char>(name.size()));
    header += name;
    header +=
        std::string(1, '\0') + "TEXTttxt" + std::string(2, '\0') + Long(dataLength) + Long(resourceLength);
    return header + Crc(header);
}

std::string RandomBytes(std::mt19937& random, size_t length) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(length, '\0');
    for (char& ch : s) {
        ch = static_cast<char>(byte(random));
    }
    return s;
}

void ExpectSameFile(const BinHexCodec& codec, const MacFile& file) {
    EXPECT_EQ(std::string(codec.FileName()), file.name.substr(0, 63));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(codec.FileType()), 4), file.type);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(codec.FileCreator()), 4), file.creator);
    EXPECT_EQ(codec.Flag1(), file.flag1);
    EXPECT_EQ(codec.Flag2(), file.flag2);
    EXPECT_EQ(codec.DataFork().ToStdString(), file.data);
    EXPECT_EQ(codec.ResourceFork().ToStdString(), file.resource);
}

TEST(BinHexCrcTest, IsTheXmodemCrc) {
    EXPECT_EQ(BinHexCrc(0, reinterpret_cast<const BYTE*>("123456789"), 9), 0x31C3);
    EXPECT_EQ(BinHexCrc(0, nullptr, 0), 0);
}

TEST(BinHexCodecTest, RoundTripsNamesFlagsAndBothForks) {
    std::mt19937 random(5);
    std::vector<MacFile> files = {
        {"empty forks", "APPL", "MACS", 0x01, 0x20, "", ""},
        {"a", "TEXT", "ttxt", 0, 0, "data only", ""},
        {"r", "rsrc", "RSED", 0xFF, 0xFF, "", "resource only"},
        {std::string(63, 'x'), "BINA", "????", 0x81, 0x00, RandomBytes(random, 1000),
         RandomBytes(random, 333)},
        {"\x90 runs", "\x90\x90\x90\x90", std::string("\x90\x00\x90\x01", 4), 0x90, 0x90,
         std::string(700, '\x90'), std::string(3, '\x90') + "ab" + std::string(2, '\x90')},
        {"runs", "TEXT", "ttxt", 0, 0, std::string(300, 'A') + "BB" + std::string(256, 'C'),
         std::string(255, '\0')},
        {"", "TEXT", "ttxt", 0, 0, "nameless", ""},
    };
    for (size_t length : {1u, 2u, 3u, 4u, 47u, 48u, 49u}) {
        files.push_back(
            {"len" + std::to_string(length), "TEXT", "ttxt", 0, 0, RandomBytes(random, length), ""});
    }
    for (const MacFile& file : files) {
        BinHexCodec decoded;
        ASSERT_EQ(DecodeText(Encoded(file).BinHexChars().ToStdString(), decoded), 0) << file.name;
        ExpectSameFile(decoded, file);
    }
}

TEST(BinHexCodecTest, LongNamesAreCutTo63) {
    MacFile file{std::string(80, 'n'), "TEXT", "ttxt", 0, 0, "x", ""};
    BinHexCodec codec = Encoded(file);
    EXPECT_EQ(std::string(codec.FileName()), std::string(63, 'n'));
    BinHexCodec decoded;
    ASSERT_EQ(DecodeText(codec.BinHexChars().ToStdString(), decoded), 0);
    EXPECT_EQ(std::string(decoded.FileName()), std::string(63, 'n'));
}

TEST(BinHexCodecTest, WritesTheFramingAndSixtyFourColumnLines) {
    std::mt19937 random(9);
    const std::string text =
        Encoded({"lines", "TEXT", "ttxt", 0, 0, RandomBytes(random, 500), ""}).BinHexChars().ToStdString();
    ASSERT_EQ(text.rfind(kFirstLine, 0), 0u);
    std::istringstream lines(text.substr(sizeof(kFirstLine) - 1));
    std::vector<std::string> body;
    for (std::string line; std::getline(lines, line);) {
        body.push_back(line);
    }
    ASSERT_GE(body.size(), 3u);
    EXPECT_EQ(body.front()[0], ':');
    for (size_t i = 0; i + 1 < body.size(); ++i) {
        EXPECT_EQ(body[i].size(), 64u) << i;
    }
    EXPECT_LE(body.back().size(), 64u);
    EXPECT_EQ(body.back().back(), ':');
    EXPECT_EQ(text.back(), '\n');
}

TEST(BinHexCodecTest, RunLengthCodesRunsAndTheMarkerByte) {
    const std::string stream300 = SixBitDecode(
        Encoded({"a", "TEXT", "ttxt", 0, 0, std::string(300, 'A'), ""}).BinHexChars().ToStdString());
    EXPECT_NE(stream300.find("A\x90\xff"
                             "A\x90\x2d"),
              std::string::npos);

    const std::string streamMarker =
        SixBitDecode(Encoded({"a", "TEXT", "ttxt", 0, 0, "x\x90y", ""}).BinHexChars().ToStdString());
    EXPECT_NE(streamMarker.find(std::string("x\x90\x00y", 4)), std::string::npos);

    const std::string streamTwo =
        SixBitDecode(Encoded({"a", "TEXT", "ttxt", 0, 0, "xqqy", ""}).BinHexChars().ToStdString());
    EXPECT_NE(streamTwo.find("xqqy"), std::string::npos);
}

TEST(BinHexCodecTest, DecodesAHandWrittenStream) {
    const std::string stream = Header("hand", 3, 0) + "abc" + Crc("abc") + Crc("");
    BinHexCodec codec;
    ASSERT_EQ(DecodeText("Mail text\n" + Frame(stream) + "trailer\n", codec), 0);
    EXPECT_STREQ(codec.FileName(), "hand");
    EXPECT_EQ(codec.DataFork().ToStdString(), "abc");
    EXPECT_TRUE(codec.ResourceFork().empty());
}

struct FailureCase {
    const char* what;
    std::string text;
};

TEST(BinHexCodecTest, RejectsBrokenInput) {
    const std::string good = Header("f", 3, 2) + "abc" + Crc("abc") + "rs" + Crc("rs");
    std::string badCrcText = Frame(good);
    badCrcText[badCrcText.size() - 8] = badCrcText[badCrcText.size() - 8] == 'a' ? 'b' : 'a';
    std::string nameTooLong = Header(std::string(64, 'n'), 0, 0) + Crc("") + Crc("");

    const FailureCase cases[] = {
        {"no first line", ":" + Frame(good).substr(sizeof(kFirstLine))},
        {"no colon", std::string(kFirstLine) + "abc"},
        {"character outside the alphabet", std::string(kFirstLine) + ":!!7!!:\n"},
        {"changed character", badCrcText},
        {"truncated stream", Frame(good.substr(0, good.size() - 3))},
        {"header only", Frame(good.substr(0, 10))},
        {"empty stream", std::string(kFirstLine) + "::\n"},
        {"name of 64 bytes", Frame(nameTooLong)},
        {"huge data fork", Frame(Header("f", 0xFFFFFFF0u, 0) + Crc("") + Crc(""))},
        {"huge resource fork", Frame(Header("f", 0, 0xFFFFFFF0u) + Crc("") + Crc(""))},
        {"resource fork one byte short", Frame(Header("f", 0, 3) + Crc("") + "ab" + Crc("ab"))},
    };
    for (const FailureCase& c : cases) {
        BinHexCodec codec;
        EXPECT_EQ(DecodeText(c.text, codec), -1) << c.what;
    }
}

TEST(BinHexCodecTest, RejectsBadRunMarkers) {
    // Characters for: 0x90 first of all; 0x90 with the count 1; 0x90 as the very last byte.
    const char* markerFirst = "\x90\x05";
    const char* markerOne = "a\x90\x01";
    const char* markerLast = "a\x90";
    for (const std::string& raw :
         {std::string(markerFirst, 2), std::string(markerOne, 3), std::string(markerLast, 2)}) {
        std::string chars;
        for (size_t i = 0; i < raw.size(); i += 3) {
            const size_t n = std::min<size_t>(3, raw.size() - i);
            unsigned b0 = static_cast<unsigned char>(raw[i]);
            unsigned b1 = n > 1 ? static_cast<unsigned char>(raw[i + 1]) : 0;
            unsigned b2 = n > 2 ? static_cast<unsigned char>(raw[i + 2]) : 0;
            const char group[4] = {kAlphabet[b0 >> 2], kAlphabet[((b0 << 4) | (b1 >> 4)) & 0x3F],
                                   kAlphabet[((b1 << 2) | (b2 >> 6)) & 0x3F], kAlphabet[b2 & 0x3F]};
            chars.append(group, n + 1);
        }
        BinHexCodec codec;
        EXPECT_EQ(DecodeText(std::string(kFirstLine) + ":" + chars + ":\n", codec), -1);
    }
}

TEST(BinHexCodecTest, KeepsWhatWasReadBeforeAFailure) {
    const std::string stream = Header("kept", 3, 0) + "abc" + Crc("") + Crc("");
    BinHexCodec codec;
    EXPECT_EQ(DecodeText(Frame(stream), codec), -1);
    EXPECT_STREQ(codec.FileName(), "kept");
    EXPECT_EQ(codec.DataFork().ToStdString(), "abc");
}

TEST(BinHexCodecTest, InitializeClearsEverything) {
    BinHexCodec codec = Encoded({"n", "TEXT", "ttxt", 1, 2, "d", "r"});
    codec.Initialize();
    EXPECT_STREQ(codec.FileName(), "");
    EXPECT_EQ(codec.Flag1(), 0);
    EXPECT_EQ(codec.Flag2(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(codec.FileType()), 4), std::string(4, '\0'));
    EXPECT_TRUE(codec.DataFork().empty());
    EXPECT_TRUE(codec.ResourceFork().empty());
    EXPECT_TRUE(codec.BinHexChars().empty());
}

} // namespace
