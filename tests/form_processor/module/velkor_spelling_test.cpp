// SpellingCheck with the word processor stand-in registered in the test's registry (or not):
// dialog 126 driven through the UI driver, the errors and suggestions compared with hunspell's
// own command, the replacement in the dialog's text and in BODY, and the calls the word
// processor was asked to make.
#include "velkor_test_support.h"

#include "hunspell_oracle.h"
#include "recording_window.h"

#include <mshtml.h>
#include <qx/com/control/control_host.h>
#include <qx/html/browser/hosting_window.h>
#include <qx/win32/dialog_view.h>
#include <qx/word/word_server.h>

#include <memory>

using namespace velkor_test;
using qx::com::control::ControlHost;
using qx::com::control::ControlHostOptions;
using qx::win32::DialogView;
using qxtest::Misspelling;

namespace {

constexpr WORD kSpellingDialog = 126;
constexpr char16_t kLetter[] =
    u"<html><body dovrel><p title=\"teh\">I recieve teh letter, teh end. tehran 갔읍니다</p></body></html>";

// Answers message boxes like the recorder and dialog 126 with the test's handler.
class SpellingDriver : public qx::win32::MessageBoxRecorder {
public:
    bool ShowDialog(DialogView& view) override {
        if (view.Request().templateId != kSpellingDialog || !handler)
            return false;
        handler(view);
        return true;
    }
    std::function<void(DialogView&)> handler;
};

// What the dialog showed for one error: the word edit and the suggestion list.
struct Shown {
    std::string word;
    std::vector<std::string> suggestions;
    bool operator==(const Shown&) const = default;
};

class VelkorSpellingTest : public VelkorTest {
protected:
    void SetUp() override {
        VelkorTest::SetUp();
        qx::win32::SetUiDriver(&driver_);
        LoadedComponent editor(QX_DHTMLED_COMPONENT);
        ASSERT_TRUE(editor.Loaded());
        ASSERT_EQ(editor.Call("DllRegisterServer"), S_OK);
        ASSERT_TRUE(AtlAxWinInit());
        parent_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
        qx::word::ClearWordJournal();
    }
    void TearDown() override {
        if (host_)
            host_->Close();
        host_.reset();
        parent_.reset();
        Pump();
        qx::win32::SetUiDriver(&boxes_);
        VelkorTest::TearDown();
    }

    static void RegisterWord() {
        LoadedComponent word(QX_WORD_COMPONENT);
        ASSERT_TRUE(word.Loaded());
        ASSERT_EQ(word.Call("DllRegisterServer"), S_OK);
    }

    void Open(const char16_t* html) {
        ControlHostOptions options;
        options.parent = parent_->hwnd();
        options.position = {0, 0, 600, 500};
        options.params = {{u"StartMode", u"2"}};
        ASSERT_EQ(ControlHost::Create(CLSID_Velkor, std::move(options), &host_), S_OK);
        control_ = ComPtr<IVelkor>::QueryFrom(host_->Control());
        ASSERT_TRUE(control_);
        ComPtr<IUnknown> page;
        ASSERT_EQ(AtlAxGetControl(host_->ControlWindow(), &page), S_OK);
        ASSERT_TRUE(WaitComplete(ComPtr<IWebBrowser2>::QueryFrom(page.Get()).Get()));
        Settle();
        ComPtr<IDispatch> editor;
        ASSERT_EQ(control_->get_Editor(&editor), S_OK);
        LPOLESTR name = const_cast<LPOLESTR>(u"DocumentHTML");
        DISPID id = 0;
        ASSERT_EQ(editor->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        Variant text(html);
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{&text, &put, 1, 1};
        ASSERT_EQ(editor->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
                  S_OK);
        Settle();
        name = const_cast<LPOLESTR>(u"DOM");
        ASSERT_EQ(editor->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        DISPPARAMS none{};
        Variant dom;
        ASSERT_EQ(editor->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &dom, nullptr, nullptr), S_OK);
        document_ = ComPtr<IHTMLDocument2>::QueryFrom(dom.pdispVal);
        ASSERT_TRUE(document_);
    }

    static void Settle() {
        for (int i = 0; i < 40; ++i) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::u16string BodyHtml() {
        ComPtr<IDispatch> bodyObject;
        if (FAILED(document_->get_body(&bodyObject)) || !bodyObject)
            return u"<no body>";
        auto body = ComPtr<IHTMLElement>::QueryFrom(bodyObject.Get());
        if (!body)
            return u"<no body>";
        Bstr html;
        body->get_innerHTML(&html);
        return std::u16string(html.View());
    }

    std::vector<std::string> BoxTexts() {
        std::vector<std::string> out;
        for (const auto& call : driver_.Calls())
            out.push_back(call.text + " / " + call.caption);
        return out;
    }

    static Shown Current(DialogView& view) { return {view.Text(259).value_or("<none>"), view.Items(316)}; }

    SpellingDriver driver_;
    std::unique_ptr<qx::test::RecordingWindow> parent_;
    std::unique_ptr<ControlHost> host_;
    ComPtr<IVelkor> control_;
    ComPtr<IHTMLDocument2> document_;
};

std::vector<Shown> AsShown(const std::vector<Misspelling>& misspellings) {
    std::vector<Shown> out;
    for (const auto& miss : misspellings) {
        Shown shown{qx::com::Utf16ToUtf8(miss.word), {}};
        for (const auto& suggestion : miss.suggestions)
            shown.suggestions.push_back(qx::com::Utf16ToUtf8(suggestion));
        out.push_back(std::move(shown));
    }
    return out;
}

TEST_F(VelkorSpellingTest, WithoutTheWordProcessorItSaysSoAndChangesNothing) {
    Open(kLetter);
    const std::u16string before = BodyHtml();
    bool dialogShown = false;
    driver_.handler = [&](DialogView&) { dialogShown = true; };
    EXPECT_EQ(control_->SpellingCheck(), S_OK);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"'MS Word' Not Found!!! / Error"}));
    EXPECT_TRUE(qx::win32::OpenDialogs().empty());
    EXPECT_EQ(BodyHtml(), before);
    EXPECT_TRUE(qx::word::WordJournal().empty());
}

TEST_F(VelkorSpellingTest, SkipWalksTheErrorsHunspellFindsInTextOrder) {
    RegisterWord();
    Open(kLetter);
    std::vector<Shown> walked;
    driver_.handler = [&](DialogView& view) {
        for (int i = 0; i < 10 && driver_.Calls().empty(); ++i) {
            walked.push_back(Current(view));
            view.Click(314);
        }
        view.Cancel();
    };
    EXPECT_EQ(control_->SpellingCheck(), S_OK);
    const auto expected =
        qxtest::HunspellMisspellings({u"recieve", u"teh", u"letter", u"teh", u"end", u"tehran", u"갔읍니다"});
    ASSERT_EQ(expected.size(), 5u);
    std::vector<Misspelling> given;
    for (const Shown& shown : walked) {
        Misspelling miss{qx::com::Utf8ToUtf16(shown.word), {}};
        for (const auto& suggestion : shown.suggestions)
            miss.suggestions.push_back(qx::com::Utf8ToUtf16(suggestion));
        given.push_back(std::move(miss));
    }
    EXPECT_TRUE(qxtest::AgreeWithHunspell(given, expected));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"검색이 끝났습니다. / 맞춤법 검사"}));
    const std::vector<std::string> journal = {"Documents.Add",         "Application.WindowState=0",
                                              "Application.Top=-3000", "Range.Text",
                                              "Document.Saved=true",   "Document.Close",
                                              "Application.Top=0",     "Application.Quit"};
    EXPECT_EQ(qx::word::WordJournal(), journal);
}

TEST_F(VelkorSpellingTest, ReplaceChangesWholeWordsOfTheTextThenBodyOnDone) {
    RegisterWord();
    struct Case {
        const char* name;
        bool done; // "완료", else "닫기"
    };
    for (const Case c : {Case{"done", true}, Case{"close", false}}) {
        SCOPED_TRACE(c.name);
        Open(kLetter);
        const std::u16string before = BodyHtml();
        std::string dialogText;
        driver_.Clear();
        driver_.handler = [&](DialogView& view) {
            view.Click(314); // from "recieve" to "teh"
            EXPECT_EQ(view.Text(259).value_or(""), "teh");
            EXPECT_TRUE(view.SelectItem(316, "the"));
            view.Click(315);
            dialogText = view.Text(317).value_or("");
            if (c.done)
                view.PressDefault();
            else
                view.Cancel();
        };
        EXPECT_EQ(control_->SpellingCheck(), S_OK);
        EXPECT_NE(dialogText.find("I recieve the letter, the end. tehran 갔읍니다"), std::string::npos)
            << dialogText;
        std::u16string expected = before;
        if (c.done) {
            const std::u16string from = u"teh letter, teh end";
            const size_t at = expected.find(from);
            ASSERT_NE(at, std::u16string::npos);
            expected.replace(at, from.size(), u"the letter, the end");
        }
        EXPECT_EQ(qx::com::Utf16ToUtf8(BodyHtml()), qx::com::Utf16ToUtf8(expected));
        EXPECT_TRUE(driver_.Calls().empty());
        host_->Close();
        host_.reset();
        control_ = nullptr;
        document_ = nullptr;
        Pump();
    }
}

TEST_F(VelkorSpellingTest, RemindersAndAnErrorFreeText) {
    RegisterWord();
    struct Case {
        const char* name;
        const char16_t* html;
        std::vector<int> clicks;
        Shown first;
        std::vector<std::string> boxes;
    };
    const std::vector<Shown> recieve = AsShown(qxtest::HunspellMisspellings({u"recieve"}));
    ASSERT_EQ(recieve.size(), 1u);
    const Case cases[] = {
        {"replace without a selection",
         kLetter,
         {315},
         {"recieve", recieve[0].suggestions},
         {"바꿀 단어를 선택하세요 / 알림"}},
        {"no errors",
         u"<html><body dovrel><p>The letter is here.</p></body></html>",
         {314},
         {"", {}},
         {"검색이 끝났습니다. / 맞춤법 검사"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.html);
        const std::u16string before = BodyHtml();
        driver_.Clear();
        Shown first;
        driver_.handler = [&](DialogView& view) {
            first = Current(view);
            for (int id : c.clicks)
                view.Click(id);
            view.PressDefault();
        };
        EXPECT_EQ(control_->SpellingCheck(), S_OK);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(BodyHtml(), before) << "nothing replaced: BODY is left alone";
        host_->Close();
        host_.reset();
        control_ = nullptr;
        document_ = nullptr;
        Pump();
    }
}

} // namespace
