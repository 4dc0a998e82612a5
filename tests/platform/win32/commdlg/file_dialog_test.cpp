// Open and save dialogs: what the driver is asked, how the flags judge its answers, and what
// lands in the caller's buffers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "commdlg.h"
#include "qx/win32/file_paths.h"
#include "qx/win32/ui_driver.h"
#include "winuser_msgbox.h"

namespace {

using qx::win32::FileDialogChoice;

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx-commdlg-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        qx::win32::SetDriveRoot(dir_);
        std::filesystem::create_directories(dir_ + "/c/docs");
        std::ofstream(dir_ + "/c/docs/old.txt") << "x";
        previous_ = qx::win32::SetUiDriver(&recorder_);
    }
    void TearDown() override {
        qx::win32::SetUiDriver(previous_);
        qx::win32::SetDriveRoot("");
        std::filesystem::remove_all(dir_);
    }
    OPENFILENAMEA Ofn(DWORD flags) {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = reinterpret_cast<HWND>(0x44);
        ofn.lpstrFilter = "Text (*.txt)\0*.txt\0All files\0*.*\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file_;
        ofn.nMaxFile = sizeof file_;
        ofn.lpstrFileTitle = title_;
        ofn.nMaxFileTitle = sizeof title_;
        ofn.lpstrInitialDir = "c:\\docs";
        ofn.Flags = flags;
        return ofn;
    }
    std::string dir_;
    char file_[MAX_PATH] = "";
    char title_[16] = "";
    qx::win32::UiRecorder recorder_;
    qx::win32::UiDriver* previous_ = nullptr;
};

TEST_F(FileDialogTest, TheDriverSeesTheDialogAndTheChoiceFillsTheStructure) {
    std::strcpy(file_, "start.txt");
    OPENFILENAMEA ofn = Ofn(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER);
    ofn.lpstrDefExt = "txt";
    recorder_.QueueFile(FileDialogChoice{"old.txt", 2});
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);

    auto requests = recorder_.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].owner, ofn.hwndOwner);
    EXPECT_EQ(requests[0].title, "Open");
    ASSERT_EQ(requests[0].filters.size(), 2u);
    EXPECT_EQ(requests[0].filters[0].name, "Text (*.txt)");
    EXPECT_EQ(requests[0].filters[1].pattern, "*.*");
    EXPECT_EQ(requests[0].filterIndex, 1u);
    EXPECT_EQ(requests[0].initialFile, "start.txt");
    EXPECT_EQ(requests[0].initialDirectory, "c:\\docs");
    EXPECT_EQ(requests[0].defaultExtension, "txt");

    EXPECT_STREQ(file_, "c:\\docs\\old.txt");
    EXPECT_EQ(ofn.nFileOffset, 8);
    EXPECT_EQ(ofn.nFileExtension, 12);
    EXPECT_STREQ(title_, "old.txt");
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    EXPECT_EQ(ofn.Flags & OFN_EXTENSIONDIFFERENT, 0u);
}

struct FlagCase {
    const char* name;
    bool save;
    DWORD flags;
    const char* defExt;
    std::vector<const char*> answers; // paths the person gives, in order; the rest cancel
    std::vector<int> boxAnswers;
    BOOL result;
    const char* path;
    std::size_t asks;
    std::vector<std::string> boxes; // first line of each box shown
};

class FileDialogFlags : public FileDialogTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(FileDialogFlags, JudgeTheAnswers) {
    const FlagCase& c = GetParam();
    OPENFILENAMEA ofn = Ofn(c.flags);
    ofn.lpstrDefExt = c.defExt;
    for (const char* answer : c.answers) {
        recorder_.QueueFile(FileDialogChoice{answer});
    }
    for (int answer : c.boxAnswers) {
        recorder_.QueueAnswer(answer);
    }
    BOOL result = c.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    EXPECT_EQ(result, c.result);
    if (c.result) {
        EXPECT_STREQ(file_, c.path);
    }
    auto requests = recorder_.FileRequests();
    EXPECT_EQ(requests.size(), c.asks);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].attempt, static_cast<int>(i + 1));
        EXPECT_EQ(requests[i].title, c.save ? "Save As" : "Open");
    }
    std::vector<std::string> boxes;
    for (const auto& box : recorder_.Calls()) {
        boxes.push_back(
            box.text.substr(0, box.text.find('\n')) + "|" +
            box.text.substr(box.text.find('\n') + 1,
                            box.text.find('\n', box.text.find('\n') + 1) - box.text.find('\n') - 1));
        EXPECT_EQ(box.owner, ofn.hwndOwner);
        EXPECT_EQ(box.caption, c.save ? "Save As" : "Open");
    }
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileDialogFlags,
    ::testing::Values(
        FlagCase{"OpenMissingAsksAgain",
                 false,
                 OFN_FILEMUSTEXIST,
                 nullptr,
                 {"new.txt", "old.txt"},
                 {},
                 TRUE,
                 "c:\\docs\\old.txt",
                 2,
                 {"new.txt|File not found."}},
        FlagCase{"OpenMissingWithoutTheFlagStands",
                 false,
                 0,
                 nullptr,
                 {"new.txt"},
                 {},
                 TRUE,
                 "c:\\docs\\new.txt",
                 1,
                 {}},
        FlagCase{"MissingFolderAsksAgain",
                 false,
                 OFN_PATHMUSTEXIST,
                 nullptr,
                 {"c:\\none\\a.txt", "c:\\docs\\b.txt"},
                 {},
                 TRUE,
                 "c:\\docs\\b.txt",
                 2,
                 {"c:\\none\\a.txt|Path does not exist."}},
        FlagCase{"SaveOverExistingNoAsksAgain",
                 true,
                 OFN_OVERWRITEPROMPT,
                 nullptr,
                 {"old.txt", "fresh.txt"},
                 {IDNO},
                 TRUE,
                 "c:\\docs\\fresh.txt",
                 2,
                 {"old.txt already exists.|Do you want to replace it?"}},
        FlagCase{"SaveOverExistingYesStands",
                 true,
                 OFN_OVERWRITEPROMPT,
                 nullptr,
                 {"old.txt"},
                 {IDYES},
                 TRUE,
                 "c:\\docs\\old.txt",
                 1,
                 {"old.txt already exists.|Do you want to replace it?"}},
        FlagCase{"SaveOverExistingDefaultIsNo",
                 true,
                 OFN_OVERWRITEPROMPT,
                 nullptr,
                 {"old.txt"},
                 {},
                 FALSE,
                 "",
                 2,
                 {"old.txt already exists.|Do you want to replace it?"}},
        FlagCase{
            "SaveWithoutPromptReplaces", true, 0, nullptr, {"old.txt"}, {}, TRUE, "c:\\docs\\old.txt", 1, {}},
        FlagCase{
            "DefaultExtensionAppended", true, 0, "txt", {"notes"}, {}, TRUE, "c:\\docs\\notes.txt", 1, {}},
        FlagCase{
            "DefaultExtensionCutToThree", true, 0, "html", {"page"}, {}, TRUE, "c:\\docs\\page.htm", 1, {}},
        FlagCase{"DefaultExtensionMakesItExist",
                 false,
                 OFN_FILEMUSTEXIST,
                 "txt",
                 {"old"},
                 {},
                 TRUE,
                 "c:\\docs\\old.txt",
                 1,
                 {}},
        FlagCase{"GivenExtensionKept", true, 0, "txt", {"c:/docs/a.csv"}, {}, TRUE, "c:/docs/a.csv", 1, {}},
        FlagCase{"AFolderIsEntered",
                 false,
                 OFN_FILEMUSTEXIST,
                 nullptr,
                 {"c:\\docs", "old.txt"},
                 {},
                 TRUE,
                 "c:\\docs\\old.txt",
                 2,
                 {}},
        FlagCase{"InvalidNameAsksAgain",
                 true,
                 0,
                 nullptr,
                 {"a|b.txt", "b.txt"},
                 {},
                 TRUE,
                 "c:\\docs\\b.txt",
                 2,
                 {"c:\\docs\\a|b.txt|The file name is not valid."}},
        FlagCase{"CancelIsFalseWithoutError", false, 0, nullptr, {}, {}, FALSE, "", 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDialogTest, ATooSmallBufferGetsTheSizeNeeded) {
    char small[8] = "";
    OPENFILENAMEA ofn = Ofn(0);
    ofn.lpstrFile = small;
    ofn.nMaxFile = sizeof small;
    recorder_.QueueFile(FileDialogChoice{"old.txt"});
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    WORD needed = 0;
    std::memcpy(&needed, small, sizeof needed);
    EXPECT_EQ(needed, std::strlen("c:\\docs\\old.txt") + 1);

    WCHAR wide[4] = u"";
    OPENFILENAMEW wofn{};
    wofn.lStructSize = sizeof wofn;
    wofn.lpstrFile = wide;
    wofn.nMaxFile = 4;
    recorder_.QueueFile(FileDialogChoice{"c:\\docs\\\uAC00.txt"});
    EXPECT_FALSE(GetSaveFileNameW(&wofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(wide[0], 14);
}

TEST_F(FileDialogTest, WideCallsKeepUtf16AndTruncateTheTitle) {
    WCHAR file[MAX_PATH] = u"";
    WCHAR title[4] = u"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = 4;
    ofn.lpstrTitle = u"\uC800\uC7A5";
    ofn.lpstrFilter = u"\uBB38\uC11C\0*.doc\0";
    recorder_.QueueFile(FileDialogChoice{"c:\\docs\\\uBB38\uC11C."});
    ASSERT_TRUE(GetSaveFileNameW(&ofn));
    EXPECT_EQ(std::u16string(file), u"c:\\docs\\\uBB38\uC11C.");
    EXPECT_EQ(ofn.nFileOffset, 8);
    EXPECT_EQ(ofn.nFileExtension, 0); // a name ending in "." has no extension offset
    EXPECT_EQ(std::u16string(title), u"\uBB38\uC11C.");
    auto requests = recorder_.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].wide);
    EXPECT_EQ(requests[0].title, "저장");
    EXPECT_EQ(requests[0].filters[0].name, "문서");
}

TEST_F(FileDialogTest, ANameWithNoCodePageFormIsRefusedToTheAnsiCall) {
    OPENFILENAMEA ofn = Ofn(0);
    recorder_.QueueFile(FileDialogChoice{"\u0E01.txt"}); // Thai: not in code page 949
    recorder_.QueueFile(FileDialogChoice{"ok.txt"});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_STREQ(file_, "c:\\docs\\ok.txt");
    EXPECT_EQ(ofn.nFileExtension, 11);
    EXPECT_EQ(recorder_.Calls().size(), 1u);
}

struct ErrorCase {
    const char* name;
    void (*spoil)(OPENFILENAMEA&);
    DWORD error;
};

class FileDialogErrors : public FileDialogTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(FileDialogErrors, FailBeforeAsking) {
    OPENFILENAMEA ofn = Ofn(0);
    GetParam().spoil(ofn);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), GetParam().error);
    EXPECT_TRUE(recorder_.FileRequests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileDialogErrors,
    ::testing::Values(
        ErrorCase{"WrongSize", [](OPENFILENAMEA& o) { o.lStructSize = 12; }, CDERR_STRUCTSIZE},
        ErrorCase{"NoBuffer", [](OPENFILENAMEA& o) { o.lpstrFile = nullptr; }, CDERR_INITIALIZATION},
        ErrorCase{"EmptyBuffer", [](OPENFILENAMEA& o) { o.nMaxFile = 0; }, CDERR_INITIALIZATION},
        ErrorCase{"HookFlagWithoutHook", [](OPENFILENAMEA& o) { o.Flags |= OFN_ENABLEHOOK; }, CDERR_NOHOOK}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDialogTest, TheOlderStructureSizeIsAccepted) {
    OPENFILENAMEA ofn = Ofn(0);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    recorder_.QueueFile(FileDialogChoice{"old.txt"});
    EXPECT_TRUE(GetOpenFileNameA(&ofn));
}

class Stubborn : public qx::win32::UiDriver {
public:
    int ShowMessageBox(const qx::win32::MessageBoxCall&) override { return IDOK; }
    std::optional<FileDialogChoice> ShowFileDialog(const qx::win32::FileDialogRequest&) override {
        ++asks;
        return FileDialogChoice{"c:\\docs\\missing.txt"};
    }
    int asks = 0;
};

TEST_F(FileDialogTest, ADriverThatKeepsGivingRefusedAnswersEndsTheDialog) {
    Stubborn stubborn;
    qx::win32::SetUiDriver(&stubborn);
    OPENFILENAMEA ofn = Ofn(OFN_FILEMUSTEXIST);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_DIALOGFAILURE));
    EXPECT_EQ(stubborn.asks, 64);
}

TEST_F(FileDialogTest, WithoutADriverTheDialogIsCancelledOnStandardError) {
    qx::win32::SetUiDriver(nullptr);
    OPENFILENAMEA ofn = Ofn(0);
    ofn.lpstrTitle = "Export";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "GetSaveFileName \"Export\" -> Cancel (no UI driver)\n");
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

} // namespace
