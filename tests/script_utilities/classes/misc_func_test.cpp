// MiscFunc through IDispatch by name, over the platform's files, temporary folder and debug output.
#include "dispatch_caller.h"
#include "misc_func.h"

#include <qx/win32/debug_output.h>
#include <qx/win32/file_paths.h>
#include <qx/win32/ui_driver.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <unistd.h>

using kestrum_test::CallByName;
using kestrum_test::NumberOf;
using kestrum_test::TextOf;
using qx::com::Variant;

namespace fs = std::filesystem;

namespace {

class MiscFuncTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrum-misc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ / "drives" / "c");
        qx::win32::SetDriveRoot((dir_ / "drives").string());
        setenv("QX_TEMP_DIR", (dir_ / "temp").c_str(), 1);
        previousDriver_ = qx::win32::SetUiDriver(&boxes_);
        misc_ = kestrum_test::MakeObject<CMiscFunc>();
    }
    void TearDown() override {
        qx::win32::SetUiDriver(previousDriver_);
        qx::win32::SetDriveRoot("");
        unsetenv("QX_TEMP_DIR");
        fs::remove_all(dir_);
    }
    fs::path Drive(const std::string& name) const { return dir_ / "drives" / "c" / name; }
    static void WriteBytes(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string ReadBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::u16string Text(const char16_t* name, std::vector<Variant> args) {
        auto got = CallByName(misc_.Get(), name, std::move(args));
        EXPECT_EQ(got.hr, S_OK);
        return TextOf(got.value);
    }

    fs::path dir_;
    qx::win32::MessageBoxRecorder boxes_;
    qx::win32::UiDriver* previousDriver_ = nullptr;
    qx::com::ComPtr<IDispatch> misc_;
};

TEST_F(MiscFuncTest, ExtractFileName) {
    static const struct {
        const char16_t* path;
        const char16_t* name;
    } kCases[] = {
        {u"http://host/dir/a.gif?x=1", u"a.gif"},
        {u"c:\\dir\\", u"dir"},
        {u"c:\\dir\\file.txt", u"file.txt"},
        {u"a/b\\c", u"c"},
        {u"name", u"name"},
        {u"dir/?q", u""},
        {u"c:\\\\x\\\\", u"x"},
        {u"\uD55C\uAE00/\uD30C\uC77C.txt", u"\uD30C\uC77C.txt"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Text(u"ExtractFileName", {Variant(c.path)}), c.name) << qx::com::Bstr(c.path).ToUtf8();
    EXPECT_TRUE(boxes_.Calls().empty());
}

TEST_F(MiscFuncTest, ExtractFileNameOfNothingShowsTheIndexMessage) {
    for (const char16_t* path : {u"", u"\\\\", u"///"}) {
        boxes_.Clear();
        EXPECT_EQ(Text(u"ExtractFileName", {Variant(path)}), u"");
        ASSERT_EQ(boxes_.Calls().size(), 1u);
        EXPECT_EQ(boxes_.Calls()[0].text, "지정한 인덱스가 범위를 초과했습니다.");
    }
}

TEST_F(MiscFuncTest, Base64TextRoundTrips) {
    EXPECT_EQ(Text(u"EncodeBase64", {Variant(u"")}), u"AA==");
    EXPECT_EQ(Text(u"EncodeBase64", {Variant(u"abc")}), u"YWJjAA==");
    EXPECT_EQ(Text(u"DecodeBase64", {Variant(u"YWJj")}), u"abc");
    EXPECT_EQ(Text(u"DecodeBase64", {Variant(u"YWJjAGRlZg==")}), u"abc"); // stops at the zero byte
    for (const char16_t* text : {u"abc", u"a", u"\uD55C\uAE00 \uD14D\uC2A4\uD2B8", u"line\r\nbreak"}) {
        const std::u16string encoded = Text(u"EncodeBase64", {Variant(text)});
        EXPECT_EQ(Text(u"DecodeBase64", {Variant(encoded)}), text);
    }
    // The ANSI bytes are encoded: U+D55C is C7 D1 in code page 949.
    EXPECT_EQ(Text(u"EncodeBase64", {Variant(u"\uD55C")}), u"x9EA");
}

TEST_F(MiscFuncTest, EmptyTextLeavesResultUntouched) {
    qx::com::ComPtr<IMiscFunc> misc;
    ASSERT_EQ(misc_->QueryInterface(IID_IMiscFunc, reinterpret_cast<void**>(&misc)), S_OK);
    BSTR decoded = reinterpret_cast<BSTR>(0x1234);
    EXPECT_EQ(misc->DecodeBase64(nullptr, &decoded), S_OK);
    EXPECT_EQ(decoded, reinterpret_cast<BSTR>(0x1234));
    LONG written = 77;
    qx::com::Bstr path(u"c:\\x.bin");
    EXPECT_EQ(misc->Base64ToLocalFile(nullptr, path.Get(), &written), S_OK);
    EXPECT_EQ(written, 77);
    EXPECT_FALSE(fs::exists(Drive("x.bin")));
    // By name the caller sees the empty result the call started with.
    EXPECT_EQ(Text(u"DecodeBase64", {Variant(u"")}), u"");
}

// Every size 0..300: the file is read through DownloadToBase64 and written back with
// Base64ToLocalFile, byte for byte; GetFileSize agrees.
TEST_F(MiscFuncTest, FilesOfEverySizeRoundTrip) {
    std::mt19937 random(7);
    for (int size = 0; size <= 300; ++size) {
        SCOPED_TRACE(size);
        std::string bytes(static_cast<size_t>(size), '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        WriteBytes(Drive("in.bin"), bytes);
        const std::u16string encoded = Text(u"DownloadToBase64", {Variant(u"c:\\in.bin")});
        EXPECT_EQ(encoded.size(), static_cast<size_t>((size + 2) / 3 * 4));
        EXPECT_EQ(NumberOf(CallByName(misc_.Get(), u"GetFileSize", {Variant(u"c:\\in.bin")}).value), size);
        if (size == 0) {
            EXPECT_EQ(encoded, u"");
            continue;
        }
        auto written =
            CallByName(misc_.Get(), u"Base64ToLocalFile", {Variant(encoded), Variant(u"c:\\out.bin")});
        ASSERT_EQ(written.hr, S_OK);
        EXPECT_EQ(NumberOf(written.value), size);
        EXPECT_EQ(ReadBytes(Drive("out.bin")), bytes);
    }
}

TEST_F(MiscFuncTest, MultiMegabyteFileRoundTrips) {
    std::mt19937 random(11);
    std::string bytes(5 * 1024 * 1024 + 17, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    WriteBytes(Drive("big.bin"), bytes);
    const std::u16string encoded = Text(u"DownloadToBase64", {Variant(u"file://c:/big.bin")});
    ASSERT_EQ(encoded.size(), (bytes.size() + 2) / 3 * 4);
    auto written = CallByName(misc_.Get(), u"Base64ToLocalFile", {Variant(encoded), Variant(u"c:/copy.bin")});
    EXPECT_EQ(NumberOf(written.value), static_cast<LONG>(bytes.size()));
    EXPECT_TRUE(ReadBytes(Drive("copy.bin")) == bytes);
}

TEST_F(MiscFuncTest, Base64ToLocalFileThatCannotBeWrittenGivesMinusOne) {
    auto written =
        CallByName(misc_.Get(), u"Base64ToLocalFile", {Variant(u"YWJj"), Variant(u"c:\\no\\such\\x")});
    EXPECT_EQ(written.hr, S_OK);
    EXPECT_EQ(NumberOf(written.value), -1);
}

TEST_F(MiscFuncTest, DownloadOfNothingIsEmpty) {
    EXPECT_EQ(Text(u"DownloadToBase64", {Variant(u"c:\\missing.bin")}), u"");
}

TEST_F(MiscFuncTest, UniqueFileNameSkipsExistingNames) {
    EXPECT_EQ(Text(u"GetUniqueFileName", {Variant(u"c:\\a"), Variant(u".txt")}), u"c:\\a.txt");
    WriteBytes(Drive("a.txt"), "1");
    WriteBytes(Drive("a-1.txt"), "2");
    EXPECT_EQ(Text(u"GetUniqueFileName", {Variant(u"c:\\a"), Variant(u".txt")}), u"c:\\a-2.txt");
    fs::create_directory(Drive("a-2.txt")); // a folder counts too
    EXPECT_EQ(Text(u"GetUniqueFileName", {Variant(u"c:\\a"), Variant(u".txt")}), u"c:\\a-3.txt");
    EXPECT_FALSE(fs::exists(Drive("a-3.txt")));
}

TEST_F(MiscFuncTest, FileExists) {
    WriteBytes(Drive("here.txt"), "x");
    auto yes = CallByName(misc_.Get(), u"FileExists", {Variant(u"c:\\here.txt")});
    EXPECT_EQ(yes.value.vt, VT_BOOL);
    EXPECT_EQ(yes.value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(CallByName(misc_.Get(), u"FileExists", {Variant(u"c:\\")}).value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(CallByName(misc_.Get(), u"FileExists", {Variant(u"c:\\gone.txt")}).value.boolVal,
              VARIANT_FALSE);
}

TEST_F(MiscFuncTest, FileSizeOfMissingFileIsSoftFailure) {
    auto got = CallByName(misc_.Get(), u"GetFileSize", {Variant(u"c:\\missing.txt")});
    EXPECT_EQ(got.hr, S_FALSE);
    qx::com::ComPtr<IMiscFunc> misc;
    ASSERT_EQ(misc_->QueryInterface(IID_IMiscFunc, reinterpret_cast<void**>(&misc)), S_OK);
    LONG size = 77;
    qx::com::Bstr path(u"c:\\missing.txt");
    EXPECT_EQ(misc->GetFileSize(path.Get(), &size), S_FALSE);
    EXPECT_EQ(size, 77);
}

TEST_F(MiscFuncTest, FileSizesBeyondALongAreNeverNegative) {
    static const struct {
        long long size;
        LONG want;
    } kCases[] = {
        {0x7FFFFFFFLL, 0x7FFFFFFF}, {0x80000000LL, 0x7FFFFFFF}, {0xFFFFFFFFLL, 0x7FFFFFFF},
        {0x100000000LL, -1},        {0x100000005LL, -1},
    };
    for (const auto& c : kCases) {
        fs::path path = Drive("sparse.bin");
        { std::ofstream(path, std::ios::binary); }
        fs::resize_file(path, static_cast<uintmax_t>(c.size)); // sparse: no disk space used
        EXPECT_EQ(NumberOf(CallByName(misc_.Get(), u"GetFileSize", {Variant(u"c:\\sparse.bin")}).value),
                  c.want)
            << c.size;
        fs::remove(path);
    }
}

TEST_F(MiscFuncTest, FileSizeIsThatOfTheFirstEntryFound) {
    WriteBytes(Drive("b.txt"), "1234567");
    WriteBytes(Drive("c.txt"), "12");
    fs::create_directory(Drive("dir"));
    static const struct {
        const char16_t* path;
        HRESULT hr;
        LONG size;
    } kCases[] = {
        {u"c:\\b.txt", S_OK, 7},      {u"c:/c.txt", S_OK, 2}, {u"c:\\?.txt", S_OK, 7},
        {u"c:\\c*", S_OK, 2},         {u"c:\\dir", S_OK, 0},  {u"c:\\dir\\", S_FALSE, 77},
        {u"c:\\*.none", S_FALSE, 77}, {u"", S_FALSE, 77},     {u"c:\\nodir\\b.txt", S_FALSE, 77},
    };
    qx::com::ComPtr<IMiscFunc> misc;
    ASSERT_EQ(misc_->QueryInterface(IID_IMiscFunc, reinterpret_cast<void**>(&misc)), S_OK);
    for (const auto& c : kCases) {
        LONG size = 77;
        qx::com::Bstr path(c.path);
        EXPECT_EQ(misc->GetFileSize(path.Get(), &size), c.hr) << path.ToUtf8();
        EXPECT_EQ(size, c.size) << path.ToUtf8();
    }
}

TEST_F(MiscFuncTest, TemporaryFileNamesAreNewFilesInTheTemporaryFolder) {
    const std::u16string first = Text(u"GetTemporaryFileName", {});
    const std::u16string second = Text(u"GetTemporaryFileName", {});
    EXPECT_NE(first, second);
    for (const std::u16string& name : {first, second}) {
        const std::string utf8 = qx::com::Bstr(name).ToUtf8();
        EXPECT_TRUE(std::regex_match(utf8, std::regex("mht_[0-9A-F]{1,4}\\.tmp"))) << utf8;
        EXPECT_TRUE(fs::exists(dir_ / "temp" / utf8)) << utf8;
        EXPECT_EQ(fs::file_size(dir_ / "temp" / utf8), 0u);
    }
}

TEST_F(MiscFuncTest, FailedTemporaryNameIsEmpty) {
    WriteBytes(dir_ / "not-a-folder", "x");
    setenv("QX_TEMP_DIR", (dir_ / "not-a-folder").c_str(), 1);
    EXPECT_EQ(Text(u"GetTemporaryFileName", {}), u"");
}

TEST_F(MiscFuncTest, DebugTraceWritesToTheDebuggerOutput) {
    std::vector<std::string> lines;
    qx::win32::SetDebugOutputHook([&](const std::string& text) { lines.push_back(text); });
    auto done = CallByName(misc_.Get(), u"DebugTrace", {Variant(u"trace \uD55C\uAE00")});
    qx::win32::SetDebugOutputHook({});
    EXPECT_EQ(done.hr, S_OK);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "trace \xED\x95\x9C\xEA\xB8\x80");
}

TEST_F(MiscFuncTest, GuidsAreNewAndInRegistryForm) {
    const std::u16string first = Text(u"GetGUID", {});
    const std::u16string second = Text(u"GetGUID", {});
    EXPECT_NE(first, second);
    const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    EXPECT_TRUE(std::regex_match(qx::com::Bstr(first).ToUtf8(), form)) << qx::com::Bstr(first).ToUtf8();
    EXPECT_TRUE(std::regex_match(qx::com::Bstr(second).ToUtf8(), form));
}

} // namespace
