#include "qx/resource/resource_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The extended template layout, byte for byte: header, caption, then each control on a
// four-byte boundary with WS_CHILD and WS_VISIBLE added (unless cleared with '~').
TEST_F(PackerTest, DialogBlocksBecomeExtendedTemplates) {
    ASSERT_EQ(Pack("DIALOG 7 0 begin\n"
                   "  caption \"A\"\n"
                   "  style WS_POPUP|0x4\n"
                   "  size 1 2 3 -4\n"
                   "  control BUTTON 1 \"B\" 5 6 7 8 BS_DEFPUSHBUTTON\n"
                   "  control \"Named\" 9 \"\" 0 0 1 1 ~WS_VISIBLE WS_EX_CLIENTEDGE\n"
                   "end\n"),
              0)
        << errors_;
    auto blob = Blob();
    auto set = ResourceSet::Parse(blob);
    ASSERT_TRUE(set.has_value());
    DWORD error = 0;
    const auto* dialog = set->Find(ResourceId::FromNumber(5), ResourceId::FromNumber(7), 0, &error);
    ASSERT_NE(dialog, nullptr);
    const unsigned char expected[] = {1,    0,   0xFF, 0xFF, 0,    0,    0,    0, 0,    0,    0,
                                      0,    4,   0,    0,    0x80, // version, signature, help, ex, style
                                      2,    0,   1,    0,    2,    0,    3,    0, 0xFC, 0xFF, 0,
                                      0,    0,   0,    'A',  0,    0,    0, // count, rectangle, menu, class,
                                                                            // caption
                                      0,    0,                              // to a four-byte boundary
                                      0,    0,   0,    0,    0,    0,    0,    0, 1,    0,    0,
                                      0x50, 5,   0,    6,    0,    7,    0,    8, 0, // help, ex, style,
                                                                                     // rectangle
                                      1,    0,   0,    0,    0xFF, 0xFF, 0x80, 0, 'B',  0,    0,
                                      0,    0,   0, // id, BUTTON, "B", no data
                                      0,    0,      // to a four-byte boundary
                                      0,    0,   0,    0,    0,    2,    0,    0, 0,    0,    0,
                                      0x40, 0,   0,    0,    0,    1,    0,    1, 0, // help, ex, style,
                                                                                     // rectangle
                                      9,    0,   0,    0,    'N',  0,    'a',  0, 'm',  0,    'e',
                                      0,    'd', 0,    0,    0,    0,    0,    0, 0}; // id, class, "", no
                                                                                      // data
    ASSERT_EQ(dialog->data.size(), sizeof(expected));
    EXPECT_EQ(std::memcmp(dialog->data.data(), expected, sizeof(expected)), 0);
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
        {"HTML 1 0\n", ":1: expected TYPE NAME LANGUAGE and a source"},
        {"HTML 1 0 inline page.htm\n", ":1: expected TYPE NAME LANGUAGE file PATH"},
        {"DIALOG 1 0 begin\n caption \"A\"\nend\n", ":3: a dialog needs a size line"},
        {"DIALOG 1 0 begin\n size 0 0 10\nend\n", ":2: unknown line in a dialog block"},
        {"DIALOG 1 0 begin\n size 0 0 10 40000\nend\n", ":2: dialog unit out of range"},
        {"DIALOG 1 0 begin\n style WS_POPUP|WS_BOGUS\n", ":2: bad style 'WS_BOGUS'"},
        {"DIALOG 1 0 begin\n control BUTTON 1 \"A\" 0 0 1\n", ":2: unknown line in a dialog block"},
        {"DIALOG 1 0 begin\n control BUTTON 70000 \"A\" 0 0 1 1\n", ":2: control id out of range"},
        {"DIALOG 1 0 begin\n size 0 0 1 1\n", "dialog block without \"end\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Pack(c.manifest), 1) << c.manifest;
        EXPECT_NE(errors_.find(c.message), std::string::npos) << c.manifest << "\n" << errors_;
    }
}

} // namespace
