#include "mime_uuencode.h"
#include "peer_files.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

MimeString Bytes(const std::string& bytes) {
    return MimeString(bytes.data(), bytes.size());
}

std::string Encode(const char* name, WORD mode, const std::string& bytes) {
    UuencodeCodec codec;
    codec.SetFileName(name);
    codec.SetFileMode(mode);
    codec.SetBinaryChars(Bytes(bytes));
    codec.Encode();
    return codec.AsciiChars().ToStdString();
}

struct Decoded {
    int result;
    std::string bytes;
    std::string name;
    WORD mode;
};

Decoded Decode(const std::string& text) {
    UuencodeCodec codec;
    codec.SetAsciiChars(Bytes(text));
    const int result = codec.Decode();
    return {result, codec.BinaryChars().ToStdString(), codec.FileName(), codec.FileMode()};
}

std::string RandomBytes(std::mt19937& random, size_t length) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(length, '\0');
    for (char& ch : s) {
        ch = static_cast<char>(byte(random));
    }
    return s;
}

struct EncodeCase {
    const char* name;
    WORD mode;
    std::string bytes;
    std::string text;
};

TEST(UuencodeCodecTest, EncodesLikeTheTable) {
    const EncodeCase cases[] = {
        {"a.txt", 0644, "Cat", "begin 644 a.txt\n#0V%T\n`\nend\n"},
        {"a.txt", 0644, "", "begin 644 a.txt\n`\nend\n"},
        {"x", 0755, "A", "begin 755 x\n!00``\n`\nend\n"},
        {"x", 0600, std::string(2, '\0'), "begin 600 x\n\"````\n`\nend\n"},
        {"x", 0644, std::string(45, 'a'),
         "begin 644 x\nM86%A86%A86%A86%A86%A86%A86%A86%A86%A86%A86%A86%A86%A86%A86%A\n`\nend\n"},
    };
    for (const EncodeCase& c : cases) {
        EXPECT_EQ(Encode(c.name, c.mode, c.bytes), c.text);
    }
}

TEST(UuencodeCodecTest, DefaultModeIs644AndLongNamesAreCut) {
    UuencodeCodec codec;
    EXPECT_EQ(codec.FileMode(), 0644);
    const std::string longName(300, 'n');
    codec.SetFileName(longName.c_str());
    EXPECT_EQ(std::string(codec.FileName()), std::string(256, 'n'));
}

// Every data line byte-exact against Python's binascii.b2a_uu(..., backtick=True).
TEST(UuencodeCodecTest, LinesMatchPythonBinascii) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    std::mt19937 random(7);
    std::string expected;
    std::string actual;
    std::string lengths;
    for (size_t length : {0u, 1u, 2u, 3u, 44u, 45u, 46u, 89u, 90u, 91u, 134u, 135u, 1000u, 4096u}) {
        const std::string bytes = RandomBytes(random, length);
        const std::string path = folder.File("in" + std::to_string(length));
        WriteBytes(path, bytes);
        lengths += " " + std::to_string(length);
        actual += Encode("f", 0644, bytes);
    }
    const std::string script = folder.File("expect.py");
    WriteBytes(script, "import binascii, sys\n"
                       "out = open(sys.argv[1], 'wb')\n"
                       "for n in sys.argv[3:]:\n"
                       "    data = open(sys.argv[2] + n, 'rb').read()\n"
                       "    out.write(b'begin 644 f\\n')\n"
                       "    for i in range(0, len(data), 45):\n"
                       "        out.write(binascii.b2a_uu(data[i:i + 45], backtick=True))\n"
                       "    out.write(binascii.b2a_uu(b'', backtick=True) + b'end\\n')\n");
    ASSERT_EQ(
        RunCommand("python3 " + script + " " + folder.File("expected") + " " + folder.File("in") + lengths),
        0);
    expected = ReadBytes(folder.File("expected"));
    EXPECT_EQ(actual, expected);
}

// uudecode from sharutils restores what the codec wrote, with its name and mode.
TEST(UuencodeCodecTest, SharutilsUudecodeRestoresTheOutput) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    std::mt19937 random(11);
    for (size_t length : {0u, 1u, 45u, 100u, 5000u}) {
        const std::string bytes = RandomBytes(random, length);
        const std::string restored = folder.File("restored" + std::to_string(length));
        WriteBytes(folder.File("text"), Encode("restored.bin", 0640, bytes));
        ASSERT_EQ(RunCommand("uudecode -o " + restored + " " + folder.File("text")), 0) << length;
        EXPECT_EQ(ReadBytes(restored), bytes) << length;
        EXPECT_EQ(std::filesystem::status(restored).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms(0640));
    }
}

// And the codec reads what sharutils' uuencode writes.
TEST(UuencodeCodecTest, DecodesSharutilsUuencode) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    std::mt19937 random(13);
    const std::string bytes = RandomBytes(random, 3000);
    WriteBytes(folder.File("data"), bytes);
    ASSERT_EQ(RunCommand("uuencode " + folder.File("data") + " peer.dat > " + folder.File("text")), 0);
    const Decoded decoded = Decode(ReadBytes(folder.File("text")));
    EXPECT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.bytes, bytes);
    EXPECT_EQ(decoded.name, "peer.dat");
}

TEST(UuencodeCodecTest, RoundTripsRandomFiles) {
    std::mt19937 random(17);
    for (size_t length = 0; length < 200; ++length) {
        const std::string bytes = RandomBytes(random, length);
        const Decoded decoded = Decode(Encode("r.bin", 0751, bytes));
        ASSERT_EQ(decoded.result, 0) << length;
        EXPECT_EQ(decoded.bytes, bytes) << length;
        EXPECT_EQ(decoded.name, "r.bin");
        EXPECT_EQ(decoded.mode, 0751);
    }
}

struct DecodeCase {
    const char* what;
    std::string text;
    int result;
    std::string bytes;
};

TEST(UuencodeCodecTest, DecodesLikeTheTable) {
    const DecodeCase cases[] = {
        {"plain", "begin 644 a.txt\n#0V%T\n`\nend\n", 0, "Cat"},
        {"CR LF line ends", "begin 644 a.txt\r\n#0V%T\r\n`\r\nend\r\n", 0, "Cat"},
        {"CR line ends", "begin 644 a.txt\r#0V%T\r`\rend\r", 0, "Cat"},
        {"after a preamble", "Some mail text\nbegin 644 a.txt\n#0V%T\n`\nend\n", 0, "Cat"},
        {"space for a count of 0", "begin 644 a.txt\n#0V%T\n \nend\n", 0, "Cat"},
        {"spaces for zero bits", "begin 644 a.txt\n\"    \n`\nend\n", 0, std::string(2, '\0')},
        {"count beyond the line", "begin 644 a.txt\nM0V%T\n`\nend\n", 0, "Cat"},
        {"count beyond a short group", "begin 644 a.txt\n$0V%T00\n`\nend\n", 0, "CatA"},
        {"no begin", "#0V%T\n`\nend\n", -1, ""},
        {"begin inside a line", "x begin 644 a.txt\n#0V%T\n`\nend\n", -1, ""},
        {"no end", "begin 644 a.txt\n#0V%T\n`\n", -1, "Cat"},
        {"no zero line", "begin 644 a.txt\n#0V%T\n", -1, "Cat"},
        {"something else after the data", "begin 644 a.txt\n#0V%T\n`\nfin\n", -1, "Cat"},
        {"begin alone", "begin ", -1, ""},
    };
    for (const DecodeCase& c : cases) {
        const Decoded decoded = Decode(c.text);
        EXPECT_EQ(decoded.result, c.result) << c.what;
        EXPECT_EQ(decoded.bytes, c.bytes) << c.what;
    }
}

TEST(UuencodeCodecTest, DecodeReadsNameAndMode) {
    Decoded decoded = Decode("begin 755 my.bin\n`\nend\n");
    EXPECT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.name, "my.bin");
    EXPECT_EQ(decoded.mode, 0755);

    decoded = Decode("begin  600\tname with space\n`\nend\n");
    EXPECT_EQ(decoded.name, "name");
    EXPECT_EQ(decoded.mode, 0600);

    decoded = Decode("begin 644 " + std::string(400, 'n') + "\n`\nend\n");
    EXPECT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.name, std::string(255, 'n'));
}

} // namespace
