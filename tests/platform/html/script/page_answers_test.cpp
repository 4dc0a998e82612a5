// Page script in-process: message boxes answered by a recorder, and the error reports a caller
// hears.
#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/script/page_script.h>
#include <qx/win32/ui_driver.h>
#include <winuser_msgbox.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qx::html::script::PageScript;

struct Page {
    qx::com::ComPtr<IHTMLDocument2> document;
    std::unique_ptr<PageScript> script;
    std::vector<std::string> reports;
};

void Open(Page& page, std::u16string_view html) {
    ASSERT_EQ(qx::html::dom::ParseHtmlDocumentObject(html, &page.document), S_OK);
    qx::html::script::PageScriptOptions options;
    options.url = u"about:test";
    options.report = [&page](const std::string& report) { page.reports.push_back(report); };
    ASSERT_EQ(PageScript::Open(page.document.Get(), std::move(options), &page.script), S_OK);
}

TEST(PageAnswers, ConfirmTakesTheRecordedAnswer) {
    struct Case {
        int answer;
        const char* shown;
    };
    const Case cases[] = {{IDOK, "true"}, {IDCANCEL, "false"}};
    for (const Case& c : cases) {
        qx::win32::MessageBoxRecorder recorder;
        qx::win32::UiDriver* previous = qx::win32::SetUiDriver(&recorder);
        recorder.QueueAnswer(c.answer);
        Page page;
        Open(page, u"<body>");
        EXPECT_TRUE(page.script->Execute("alert(confirm('Save the form?'))", "about:test"));
        qx::win32::SetUiDriver(previous);
        const std::vector<qx::win32::MessageBoxCall> calls = recorder.Calls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].text, "Save the form?");
        EXPECT_EQ(calls[0].caption, "Message from webpage");
        EXPECT_EQ(calls[0].type & MB_TYPEMASK, MB_OKCANCEL);
        EXPECT_EQ(calls[1].text, c.shown);
        EXPECT_EQ(calls[1].type & MB_TYPEMASK, MB_OK);
    }
}

TEST(PageAnswers, ErrorsReachTheCallerAndCount) {
    Page page;
    Open(page, u"<body><b id=b onclick='throw new Error(\"from the handler\")'></b>");
    EXPECT_FALSE(page.script->Execute("\n\nnosuch()", "about:test"));
    EXPECT_TRUE(page.script->Execute("b.click()", "about:test"));
    ASSERT_EQ(page.reports.size(), 2u);
    EXPECT_EQ(
        page.reports[0],
        "Script error\nLine: 3\nError: ReferenceError: identifier 'nosuch' undefined\nURL: about:test\n");
    EXPECT_NE(page.reports[1].find("Error: Error: from the handler\n"), std::string::npos) << page.reports[1];
    EXPECT_EQ(page.script->ErrorCount(), 2);
}

TEST(PageAnswers, ClosingThePageUnhooksTheDocument) {
    Page page;
    Open(page, u"<body><b id=b></b>");
    qx::com::ComPtr<IDispatch> script;
    EXPECT_EQ(page.document->get_Script(&script), S_OK);
    EXPECT_TRUE(script);
    script = nullptr;
    page.script.reset();
    EXPECT_EQ(page.document->get_Script(&script), E_NOTIMPL);
}

} // namespace
