// Printing through ExecWB: a job the UI driver records, with the document as it stands and its
// resources; without a driver, the HTML and (with Chromium) a PDF in the print folder.
#include "browser_test_support.h"

#include "child_program.h"

#include <qx/win32/ui_driver.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

using browsertest::BrowserTest;
using browsertest::FileUrl;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The number of pages of a PDF as python counts its page objects, with a line feed.
std::string PdfPageCount(const std::filesystem::path& pdf) {
    const qxtest::ProgramRun run = qxtest::RunProgram(
        {"/usr/bin/env", "python3", "-c",
         "import re,sys; d=open(sys.argv[1],'rb').read(); print(len(re.findall(rb'/Type\\s*/Page[^s]', d)))",
         pdf.string()},
        qxtest::ChildOptions{});
    return run.status == 0 ? run.output : "python3 failed: " + run.output;
}

class PrintTest : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() /
                  ("qx-print-test-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        setenv("QX_PRINT_DIR", folder_.c_str(), 1);
        browser_ = NewBrowser();
        ASSERT_TRUE(Load(browser_.Get(), FileUrl("toolbar.htm")));
        // What is printed is the document as it stands, not as it was loaded.
        Dom(browser_.Get())->tree.ElementById(u"out")->firstChild->text = u"changed before printing";
    }
    void TearDown() override {
        browser_ = nullptr;
        unsetenv("QX_PRINT_DIR");
        std::filesystem::remove_all(folder_);
        BrowserTest::TearDown();
    }
    HRESULT Print(OLECMDEXECOPT option) {
        qx::com::Variant in, out;
        return browser_->ExecWB(OLECMDID_PRINT, option, &in, &out);
    }

    std::filesystem::path folder_;
    qx::com::ComPtr<IWebBrowser2> browser_;
};

TEST_F(PrintTest, TheDriverRecordsEachJobAndAnswersThePrompt) {
    struct Case {
        OLECMDEXECOPT option;
        bool answer;
        size_t dialogs;
        size_t jobs;
    };
    const Case cases[] = {
        {OLECMDEXECOPT_PROMPTUSER, true, 1, 1},
        {OLECMDEXECOPT_PROMPTUSER, false, 1, 0},
        {OLECMDEXECOPT_DONTPROMPTUSER, false, 0, 1},
    };
    for (const Case& c : cases) {
        qx::win32::UiRecorder recorder;
        qx::win32::UiDriver* previous = qx::win32::SetUiDriver(&recorder);
        recorder.QueuePrintAnswer(c.answer);
        EXPECT_EQ(Print(c.option), S_OK);
        qx::win32::SetUiDriver(previous);
        EXPECT_EQ(recorder.PrintDialogRequests().size(), c.dialogs);
        const auto jobs = recorder.PrintJobs();
        ASSERT_EQ(jobs.size(), c.jobs);
        if (c.jobs) {
            EXPECT_EQ(jobs[0].title, "Toolbar");
            EXPECT_NE(jobs[0].html.find("<P id=out>changed before printing</P>"), std::string::npos)
                << jobs[0].html;
            ASSERT_EQ(jobs[0].resources.size(), 2u);
            EXPECT_EQ(jobs[0].resources[0].url, "toolbar.js");
            EXPECT_EQ(jobs[0].resources[1].url, "logo.gif");
            EXPECT_EQ(jobs[0].resources[1].bytes.substr(0, 6), "GIF89a");
        }
        EXPECT_FALSE(std::filesystem::exists(folder_));
    }
}

TEST_F(PrintTest, WithoutADriverTheJobGoesToThePrintFolder) {
    ASSERT_EQ(Print(OLECMDEXECOPT_DONTPROMPTUSER), S_OK);
    ASSERT_EQ(Print(OLECMDEXECOPT_DONTPROMPTUSER), S_OK);
    const std::string html = ReadFile(folder_ / "print-1.htm");
    EXPECT_NE(html.find("changed before printing"), std::string::npos);
    EXPECT_NE(html.find("src=\"print-1_files/2-logo.gif\""), std::string::npos) << html;
    EXPECT_EQ(ReadFile(folder_ / "print-1_files" / "2-logo.gif").substr(0, 6), "GIF89a");
    EXPECT_TRUE(std::filesystem::exists(folder_ / "print-2.htm"));

    if (!std::filesystem::exists(folder_ / "print-1.pdf"))
        GTEST_SKIP() << "chromium is not installed: no PDF was printed";
    const std::string pages = PdfPageCount(folder_ / "print-1.pdf");
    EXPECT_EQ(pages, "1\n");
}

TEST_F(PrintTest, ALongPageFillsSeveralLetterPages) {
    // 960 CSS px of height per page: 30 blocks of 100 px take four pages.
    std::string blocks;
    for (int i = 0; i < 30; ++i)
        blocks += "<div style=\"height:100px\">" + std::to_string(i) + "</div>";
    const std::filesystem::path page = folder_.string() + "-long.htm";
    std::ofstream(page) << "<html><body style=\"margin:0\">" << blocks << "</body></html>";
    ASSERT_TRUE(Load(browser_.Get(), qx::com::Utf8ToUtf16("file://" + page.string())));
    ASSERT_EQ(Print(OLECMDEXECOPT_DONTPROMPTUSER), S_OK);
    std::filesystem::remove(page);
    if (!std::filesystem::exists(folder_ / "print-1.pdf"))
        GTEST_SKIP() << "chromium is not installed: no PDF was printed";
    const std::string pages = PdfPageCount(folder_ / "print-1.pdf");
    EXPECT_EQ(pages, "4\n");
}

} // namespace
