// pagehost end to end: a page that confirms, alerts and prints, answered by an answers script;
// a page that never arrives is reported when the limit runs out.
#include "child_program.h"
#include "loopback_http_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class PagehostAnswers : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("qx-pagehost-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "print");
        Write("page.htm", "<html><head><title>Form</title></head><body><p id=p>form text</p><script>\n"
                          "var way = confirm('Print the form?') ? 'printing' : 'not printed';\n"
                          "alert(way); if (way == 'printing') print();\n"
                          "document.getElementById('p').innerText = way;\n</script></body></html>");
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }

    qxtest::ProgramRun Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), std::string(QX_BIN_DIR) + "/pagehost");
        qxtest::ChildOptions options;
        options.streams = qxtest::Streams::Separate;
        options.environment = {{"QX_PRINT_DIR", (folder_ / "print").string()},
                               {"QX_CHROMIUM", "/nonexistent"}};
        return qxtest::RunProgram(arguments, options);
    }

    fs::path folder_;
};

TEST_F(PagehostAnswers, AnAnswersScriptConfirmsAndPrints) {
    struct Case {
        const char* answers;
        const char* way;
        bool printed;
    };
    const Case cases[] = {
        {"function onMessageBox(box) { return box.Text == 'Print the form?' ? 'OK' : box.DefaultButton; }\n"
         "function onPrint(print) { return print.Title == 'Form'; }\n",
         "printing", true},
        {"function onMessageBox(box) { return box.Text == 'Print the form?' ? 'OK' : box.DefaultButton; }\n"
         "function onPrint(print) { return false; }\n",
         "printing", false},
        {"function onMessageBox(box) { return box.Text == 'Print the form?' ? 'Cancel' : 'OK'; }\n",
         "not printed", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers);
        fs::remove_all(folder_ / "print");
        Write("answers.js", c.answers);
        const qxtest::ProgramRun run =
            Run({(folder_ / "page.htm").string(), "--answers", (folder_ / "answers.js").string(), "--save",
                 (folder_ / "saved.htm").string()});
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(fs::exists(folder_ / "print" / "print-1.htm"), c.printed) << run.errors;
        if (c.printed) {
            std::ifstream in(folder_ / "print" / "print-1.htm");
            const std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            EXPECT_NE(html.find("<P id=p>form text</P>"), std::string::npos) << html;
        }
        std::ifstream saved(folder_ / "saved.htm");
        const std::string text{std::istreambuf_iterator<char>(saved), std::istreambuf_iterator<char>()};
        EXPECT_NE(text.find(std::string("<P id=p>") + c.way + "</P>"), std::string::npos) << text;
    }
}

TEST_F(PagehostAnswers, WithoutAnswersTheDefaultsAreTakenAndTold) {
    const qxtest::ProgramRun run = Run({(folder_ / "page.htm").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.errors.find("Print the form?"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("Print \"Form\" -> OK"), std::string::npos) << run.errors;
    EXPECT_TRUE(fs::exists(folder_ / "print" / "print-1.htm"));
}

TEST_F(PagehostAnswers, APageThatNeverArrivesIsReportedAtTheLimit) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse silent = qxtest::Reply(200, "<html>");
    silent.closeAfter = 0;
    silent.hold = std::chrono::seconds(30);
    server.Serve("/slow.htm", silent);
    const qxtest::ProgramRun run = Run({server.Url("/slow.htm"), "--seconds", "2"});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.errors.find("did not complete within 2 seconds"), std::string::npos) << run.errors;
}

TEST_F(PagehostAnswers, AnAnswersScriptThatCannotBeReadStopsTheRun) {
    const qxtest::ProgramRun run =
        Run({(folder_ / "page.htm").string(), "--answers", (folder_ / "none.js").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.errors.find("pagehost: cannot read the answers file"), std::string::npos) << run.errors;
}

TEST_F(PagehostAnswers, HelpSaysWhatAUserNeeds) {
    const qxtest::ProgramRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    const std::string all = run.output + run.errors;
    for (const char* needed :
         {"--answers FILE.js", "onMessageBox", "onPrint", "QX_PRINT_DIR", "res://", "Exit status"})
        EXPECT_NE(all.find(needed), std::string::npos) << needed;
}

} // namespace
