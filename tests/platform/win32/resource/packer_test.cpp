#include "qx/resource/resource_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qx::resource::ResourceId;
using qx::resource::ResourceSet;

class PackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qx-respack-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        Write("page.htm", "<html></html>");
        Write("text.bmp", "not a bitmap at all, although long enough for a header of one");
        Write("bad.ico", std::string("\0\0\1\0\5\0", 6));
        // One 32 x 32 image with its hot spot at (5, 7); the image is a header and four bytes.
        std::string image("\x28\0\0\0\x20\0\0\0\x40\0\0\0\1\0\1\0", 16);
        image += std::string(24, '\0') + "MASK";
        Write("split.cur", std::string("\0\0\2\0\1\0\x20\x20\0\0\5\0\7\0\x2C\0\0\0\x16\0\0\0", 22) + image);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    // Runs the packer on a manifest; returns its exit code and leaves its messages in errors_.
    int Pack(const std::string& manifest) {
        Write("test.manifest", manifest);
        std::string command = std::string(QX_RESPACK) + " --manifest " + (dir_ / "test.manifest").string() +
                              " --output " + (dir_ / "out.cpp").string() + " --symbol probe --depfile " +
                              (dir_ / "out.d").string() + " 2>" + (dir_ / "errors.txt").string();
        int status = std::system(command.c_str());
        std::ifstream in(dir_ / "errors.txt");
        std::stringstream s;
        s << in.rdbuf();
        errors_ = s.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The blob bytes of the generated source.
    std::vector<std::byte> Blob() {
        std::ifstream in(dir_ / "out.cpp");
        std::stringstream s;
        s << in.rdbuf();
        std::string text = s.str();
        std::string array = text.substr(text.find("= {") + 3);
        array = array.substr(0, array.find("};"));
        std::vector<std::byte> bytes;
        std::regex number("[0-9]+");
        for (auto it = std::sregex_iterator(array.begin(), array.end(), number); it != std::sregex_iterator();
             ++it) {
            bytes.push_back(static_cast<std::byte>(std::stoi(it->str())));
        }
        return bytes;
    }

    fs::path dir_;
    std::string errors_;
};

TEST_F(PackerTest, PacksAManifestIntoABlobTheReaderAccepts) {
    ASSERT_EQ(Pack("HTML 102 1042 file page.htm\n"
                   "RCDATA \"Extra\" 0 file page.htm   # a comment\n"
                   "77 5 1033 file page.htm\n"
                   "STRING 3 1042 \"a \\\"quoted\\\" tab\\t\"\n"
                   "VERSION 1 1042 begin\n"
                   "  FileVersion 2.3.4.5\n"
                   "  ProductVersion 2.3.0.0\n"
                   "end\n"),
              0)
        << errors_;
    auto blob = Blob();
    ASSERT_EQ(blob.size() % 16, 0u);
    auto set = ResourceSet::Parse(blob);
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(set->Entries().size(), 5u);
    DWORD error = 0;
    const auto* page = set->Find(ResourceId::FromNumber(23), ResourceId::FromNumber(102), 0, &error);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(page->data.data()), page->data.size()),
              "<html></html>");
    EXPECT_NE(set->Find(ResourceId::FromNumber(10), *ResourceId::FromAnsi("extra"), 0, &error), nullptr);
    EXPECT_NE(set->Find(ResourceId::FromNumber(77), ResourceId::FromNumber(5), 1033, &error), nullptr);
    const auto* strings = set->Find(ResourceId::FromNumber(6), ResourceId::FromNumber(1), 0, &error);
    ASSERT_NE(strings, nullptr);
    EXPECT_EQ(strings->data.size(), 2u * 16 + 2 * std::u16string(u"a \"quoted\" tab\t").size());
    std::ifstream dep(dir_ / "out.d");
    std::string deps((std::istreambuf_iterator<char>(dep)), std::istreambuf_iterator<char>());
    EXPECT_NE(deps.find("page.htm"), std::string::npos);
    EXPECT_NE(deps.find("test.manifest"), std::string::npos);
}

TEST_F(PackerTest, ACursorFileBecomesImagesWithTheirHotSpotAndAGroup) {
    ASSERT_EQ(Pack("CURSOR 201 1042 file split.cur\n"), 0) << errors_;
    auto blob = Blob();
    auto set = ResourceSet::Parse(blob);
    ASSERT_TRUE(set.has_value());
    DWORD error = 0;
    const auto* image = set->Find(ResourceId::FromNumber(1), ResourceId::FromNumber(1), 1042, &error);
    const auto* group = set->Find(ResourceId::FromNumber(12), ResourceId::FromNumber(201), 1042, &error);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(group, nullptr);
    auto bytes = [](const auto* entry) {
        return std::string(reinterpret_cast<const char*>(entry->data.data()), entry->data.size());
    };
    EXPECT_EQ(bytes(image).substr(0, 4), std::string("\5\0\7\0", 4));
    EXPECT_EQ(bytes(image).size(), 4u + 44u);
    EXPECT_EQ(bytes(image).substr(44), "MASK");
    // Header (0, 2, 1); width 32, height 64, one plane, one bit, 48 bytes, id 1.
    EXPECT_EQ(bytes(group), std::string("\0\0\2\0\1\0\x20\0\x40\0\1\0\1\0\x30\0\0\0\1\0", 20));
}

TEST_F(PackerTest, BadManifestsAreRefusedWithTheirLine) {
    struct Case {
        const char* manifest;
        const char* message;
    } cases[] = {
        {"HTML 1 1042 file page.htm\nFOO 1 0 file page.htm\n", ":2: unknown resource type 'FOO'"},
        {"HTML 1 korean file page.htm\n", ":1: bad language 'korean'"},
        {"HTML 1 70000 file page.htm\n", ":1: language out of range"},
        {"HTML 0 0 file page.htm\n", ":1: id 0 is not allowed"},
        {"HTML 1 0 file missing.htm\n", ":1: file not found: missing.htm"},
        {"HTML 1 0 file page.htm\nHTML 1 0 file page.htm\n", "given twice"},
        {"STRING 1 0 \"a\"\nSTRING 1 0 \"b\"\n", ":2: string 1 given twice"},
        {"STRING 1 0 \"open\n", ":1: unterminated string"},
        {"STRING 1 0 \"bad \\q escape\"\n", ":1: unknown escape"},
        {"STRING name 0 \"text\"\n", ":1: string ids are numbers"},
        {"VERSION 1 0 begin\n FileVersion 1.0.1\nend\n", ":2: bad version part"},
        {"VERSION 1 0 begin\n FileVersion 1.0.1.1.1\nend\n", ":2: a version has four parts"},
        {"VERSION 1 0 begin\n FileVersion 1.0.1.70000\nend\n", ":2: version part out of range"},
        {"VERSION 1 0 begin\n Nonsense 1\nend\n", ":2: unknown line in a version block"},
        {"VERSION 1 0 begin\n", "version block without \"end\""},
        {"BITMAP 1 0 file text.bmp\n", ":1: not a BMP file"},
        {"ICON 1 0 file bad.ico\n", ":1: damaged icon file"},
        {"CURSOR 1 0 file bad.ico\n", ":1: not a cursor file"},
        {"ICON 1 0 file split.cur\n", ":1: not an icon file"},
        {"HTML 1 0\n", ":1: expected TYPE NAME LANGUAGE and a source"},
        {"HTML 1 0 inline page.htm\n", ":1: expected TYPE NAME LANGUAGE file PATH"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Pack(c.manifest), 1) << c.manifest;
        EXPECT_NE(errors_.find(c.message), std::string::npos) << c.manifest << "\n" << errors_;
    }
}

} // namespace
