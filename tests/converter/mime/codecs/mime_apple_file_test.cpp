#include "mime_apple_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

MimeString Bytes(const std::string& bytes) {
    return MimeString(bytes.data(), bytes.size());
}

std::string Long(DWORD value) {
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                       static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Header(DWORD magic, DWORD version, unsigned count) {
    return Long(magic) + Long(version) + std::string(16, '\0') +
           std::string{static_cast<char>(count >> 8), static_cast<char>(count)};
}

std::string Descriptor(DWORD id, DWORD offset, DWORD length) {
    return Long(id) + Long(offset) + Long(length);
}

LONG Unpack(AppleFileCodec& codec, const std::string& packed) {
    codec.SetPackedForm(Bytes(packed));
    return codec.Unpack();
}

TEST(AppleFileCodecTest, PacksAppleSingleByteExact) {
    AppleFileCodec codec;
    codec.SetFileName(MimeString("ab"));
    codec.SetDates(1, 2, 3, AppleFileCodec::kUnknownDate);
    codec.SetResourceFork(MimeString("R"));
    codec.SetDataFork(MimeString("DD"));
    codec.Pack();
    const std::string expected = Header(0x00051600, 0x00020000, 4) + Descriptor(3, 74, 2) +
                                 Descriptor(8, 76, 16) + Descriptor(2, 92, 1) + Descriptor(1, 93, 2) + "ab" +
                                 Long(1) + Long(2) + Long(3) + Long(0x80000000) + "R" + "DD";
    EXPECT_EQ(codec.PackedForm().ToStdString(), expected);
    EXPECT_EQ(codec.EntryCount(), 4u);
}

TEST(AppleFileCodecTest, AppleDoubleLeavesTheDataForkOut) {
    AppleFileCodec codec;
    codec.SetKind(AppleFileCodec::kAppleDouble);
    codec.SetFileName(MimeString("ab"));
    codec.SetResourceFork(MimeString("R"));
    codec.SetDataFork(MimeString("DD"));
    codec.Pack();
    const std::string expected =
        Header(0x00051607, 0x00020000, 2) + Descriptor(3, 50, 2) + Descriptor(2, 52, 1) + "ab" + "R";
    EXPECT_EQ(codec.PackedForm().ToStdString(), expected);
    EXPECT_EQ(codec.EntryCount(), 2u);
}

TEST(AppleFileCodecTest, KindTakesOnlyZeroAndOne) {
    AppleFileCodec codec;
    EXPECT_EQ(codec.Kind(), AppleFileCodec::kAppleSingle);
    codec.SetKind(1);
    codec.SetKind(2);
    codec.SetKind(-1);
    EXPECT_EQ(codec.Kind(), AppleFileCodec::kAppleDouble);
}

struct RoundTrip {
    LONG kind;
    bool name, dates, resource, data;
};

TEST(AppleFileCodecTest, RoundTripsNamesDatesAndForks) {
    const RoundTrip cases[] = {
        {0, true, true, true, true},   {0, false, false, false, false}, {0, true, false, false, true},
        {0, false, true, true, false}, {1, true, true, true, false},    {1, false, false, true, false},
    };
    const std::string resource = std::string("\0\1\2 resource", 12) + std::string(5000, '\xee');
    const std::string data = std::string(70000, 'd') + std::string(1, '\0');
    for (const RoundTrip& c : cases) {
        AppleFileCodec packer;
        packer.SetKind(c.kind);
        if (c.name) {
            packer.SetFileName(MimeString("Read Me \xb3"));
        }
        if (c.dates) {
            packer.SetDates(-946684800, 0, 0x7FFFFFFF, AppleFileCodec::kUnknownDate);
        }
        if (c.resource) {
            packer.SetResourceFork(Bytes(resource));
        }
        if (c.data) {
            packer.SetDataFork(Bytes(data));
        }
        packer.Pack();

        AppleFileCodec unpacker;
        ASSERT_EQ(Unpack(unpacker, packer.PackedForm().ToStdString()), 0);
        EXPECT_EQ(unpacker.Status(), 0);
        EXPECT_EQ(unpacker.Kind(), c.kind);
        EXPECT_EQ(unpacker.HasFileName(), c.name);
        EXPECT_EQ(unpacker.HasFileDates(), c.dates);
        EXPECT_EQ(unpacker.HasResourceFork(), c.resource);
        EXPECT_EQ(unpacker.HasDataFork(), c.data);
        EXPECT_EQ(unpacker.FileName().ToStdString(), c.name ? "Read Me \xb3" : "");
        EXPECT_EQ(unpacker.ResourceFork().ToStdString(), c.resource ? resource : "");
        EXPECT_EQ(unpacker.DataFork().ToStdString(), c.data ? data : "");
        EXPECT_EQ(unpacker.CreationDate(), c.dates ? -946684800 : AppleFileCodec::kUnknownDate);
        EXPECT_EQ(unpacker.ModificationDate(), c.dates ? 0 : AppleFileCodec::kUnknownDate);
        EXPECT_EQ(unpacker.BackupDate(), c.dates ? 0x7FFFFFFF : AppleFileCodec::kUnknownDate);
        EXPECT_EQ(unpacker.AccessDate(), AppleFileCodec::kUnknownDate);
    }
}

struct UnpackCase {
    const char* what;
    std::string packed;
    LONG status;
};

TEST(AppleFileCodecTest, UnpackReportsEachFormatError) {
    const std::string single = Header(0x00051600, 0x00020000, 1);
    const UnpackCase cases[] = {
        {"20 bytes", std::string(20, '\0'), 1},
        {"25 bytes", single.substr(0, 25), 1},
        {"wrong magic", Long(0x00051601) + single.substr(4), 2},
        {"version 1", Header(0x00051600, 0x00010000, 0), 3},
        {"no entries", Header(0x00051600, 0x00020000, 0), 0},
        {"descriptor table cut", single + std::string(11, '\0'), 4},
        {"offset inside the table", single + Descriptor(3, 30, 1) + "x", 4},
        {"offset inside the header", single + Descriptor(3, 0, 1) + "x", 4},
        {"data past the end", single + Descriptor(3, 38, 2) + "x", 4},
        {"offset past the end", single + Descriptor(3, 40, 0) + "x", 4},
        {"offset and length that wrap", single + Descriptor(2, 38, 0xFFFFFFFFu) + "x", 4},
        {"huge offset that wraps", single + Descriptor(2, 0xFFFFFFF0u, 0x20) + "x", 4},
        {"dates entry too short", single + Descriptor(8, 38, 8) + std::string(8, '\0'), 4},
        {"empty entry at the end", single + Descriptor(2, 39, 0) + "x", 0},
        {"unknown entry ids are ignored", single + Descriptor(9, 38, 1) + "x", 0},
        {"many entries claimed", Header(0x00051600, 0x00020000, 0xFFFF) + Descriptor(3, 38, 0), 4},
    };
    for (const UnpackCase& c : cases) {
        AppleFileCodec codec;
        EXPECT_EQ(Unpack(codec, c.packed), c.status) << c.what;
        EXPECT_EQ(codec.Status(), c.status) << c.what;
    }
}

TEST(AppleFileCodecTest, UnpackOfADoubleHeaderSelectsAppleDouble) {
    AppleFileCodec codec;
    ASSERT_EQ(Unpack(codec, Header(0x00051607, 0x00020000, 1) + Descriptor(2, 38, 3) + "rsc"), 0);
    EXPECT_EQ(codec.Kind(), AppleFileCodec::kAppleDouble);
    EXPECT_EQ(codec.ResourceFork().ToStdString(), "rsc");
    EXPECT_FALSE(codec.HasDataFork());
}

TEST(AppleFileCodecTest, SettersSetFlagsAndThePackedFormClearsThem) {
    AppleFileCodec codec;
    EXPECT_FALSE(codec.HasFileName() || codec.HasFileDates() || codec.HasResourceFork() ||
                 codec.HasDataFork());
    codec.SetFileName(MimeString("n"));
    codec.SetModificationDate(5);
    codec.SetResourceFork(MimeString("r"));
    codec.SetDataFork(MimeString("d"));
    EXPECT_TRUE(codec.HasFileName() && codec.HasFileDates() && codec.HasResourceFork() &&
                codec.HasDataFork());
    EXPECT_EQ(codec.CreationDate(), AppleFileCodec::kUnknownDate);
    codec.SetPackedForm(MimeString("x"));
    EXPECT_FALSE(codec.HasFileName() || codec.HasFileDates() || codec.HasResourceFork() ||
                 codec.HasDataFork());
}

TEST(AppleFileCodecTest, ConvertsDatesToUnixTime) {
    EXPECT_EQ(AppleFileCodec::DateToUnixTime(0), 946684800);
    EXPECT_EQ(AppleFileCodec::DateToUnixTime(-946684800), 0);
    EXPECT_EQ(AppleFileCodec::DateToUnixTime(-946684801), 0);
    EXPECT_EQ(AppleFileCodec::DateToUnixTime(0x7FFFFFFF), 0x7FFFFFFFll + 946684800);
    EXPECT_EQ(AppleFileCodec::UnixTimeToDate(946684800), 0);
    EXPECT_EQ(AppleFileCodec::UnixTimeToDate(0), -946684800);
    EXPECT_EQ(AppleFileCodec::UnixTimeToDate(0x7FFFFFFFll + 946684801), AppleFileCodec::kUnknownDate);
}

} // namespace
