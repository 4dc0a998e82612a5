// New GUIDs: random version-4 GUIDs of the standard variant, never repeated, from any thread.
#include "objbase.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string TextOf(const GUID& guid) {
    OLECHAR text[39] = {};
    StringFromGUID2(guid, text, 39);
    std::string out;
    for (OLECHAR c : text)
        if (c)
            out += static_cast<char>(c);
    return out;
}

std::string BytesOf(const GUID& guid) {
    return std::string(reinterpret_cast<const char*>(&guid), sizeof guid);
}

TEST(CoCreateGuid, NullPointerIsInvalid) {
    EXPECT_EQ(CoCreateGuid(nullptr), E_INVALIDARG);
}

TEST(CoCreateGuid, VersionAndVariantAreMarkedAndTheOtherBitsVary) {
    constexpr int kCount = 4000;
    unsigned char seenOne[16] = {}, seenZero[16] = {};
    std::set<std::string> all;
    for (int i = 0; i < kCount; ++i) {
        GUID guid{};
        ASSERT_EQ(CoCreateGuid(&guid), S_OK);
        const std::string text = TextOf(guid);
        // "{xxxxxxxx-xxxx-4xxx-[89AB]xxx-xxxxxxxxxxxx}"
        ASSERT_EQ(text.size(), 38u);
        EXPECT_EQ(text[15], '4') << text;
        EXPECT_NE(std::string("89AB").find(text[20]), std::string::npos) << text;
        EXPECT_EQ(guid.Data3 >> 12, 4);
        EXPECT_EQ(guid.Data4[0] >> 6, 2);
        all.insert(text);
        unsigned char bytes[16];
        std::memcpy(bytes, &guid, 16);
        for (int b = 0; b < 16; ++b) {
            seenOne[b] |= bytes[b];
            seenZero[b] |= static_cast<unsigned char>(~bytes[b]);
        }
    }
    EXPECT_EQ(all.size(), static_cast<size_t>(kCount));
    // Every bit but the six fixed ones was seen both set and clear.
    unsigned char fixedMask[16] = {};
    fixedMask[7] = 0xF0; // the high nibble of Data3 (little-endian: its second byte)
    fixedMask[8] = 0xC0; // the top two bits of Data4[0]
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(seenOne[b] & seenZero[b] & ~fixedMask[b] & 0xFF, ~fixedMask[b] & 0xFF) << "byte " << b;
        EXPECT_EQ(seenOne[b] & fixedMask[b], b == 7 ? 0x40 : b == 8 ? 0x80 : 0) << "byte " << b;
    }
}

TEST(CoCreateGuid, ThreadsNeverShareAGuid) {
    constexpr int kThreads = 8, kEach = 2000;
    std::vector<std::vector<std::string>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&made, t] {
            for (int i = 0; i < kEach; ++i) {
                GUID guid{};
                if (CoCreateGuid(&guid) == S_OK)
                    made[t].push_back(BytesOf(guid));
            }
        });
    for (auto& thread : threads)
        thread.join();
    std::set<std::string> all;
    for (const auto& list : made) {
        EXPECT_EQ(list.size(), static_cast<size_t>(kEach));
        all.insert(list.begin(), list.end());
    }
    EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kEach));
}

// Python's uuid module reads each GUID's text as a random (version 4) UUID of the standard
// variant, and writes the same hexadecimal digits back.
TEST(CoCreateGuid, PythonsUuidModuleAgreesOnVersionVariantAndText) {
    char path[] = "/tmp/qx-guids-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream out(path);
        for (int i = 0; i < 200; ++i) {
            GUID guid{};
            ASSERT_EQ(CoCreateGuid(&guid), S_OK);
            out << TextOf(guid) << "\n";
        }
    }
    const std::string command =
        "python3 -c \"import sys, uuid\n"
        "bad = 0\n"
        "for line in open(sys.argv[1]):\n"
        "    text = line.strip()\n"
        "    u = uuid.UUID(text)\n"
        "    bad += u.version != 4 or u.variant != uuid.RFC_4122 or '{' + str(u).upper() + '}' != text\n"
        "print('bad', bad)\" " +
        std::string(path);
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[64] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    EXPECT_EQ(pclose(pipe), 0);
    std::remove(path);
    ASSERT_TRUE(read);
    EXPECT_STREQ(line, "bad 0\n");
}

} // namespace
