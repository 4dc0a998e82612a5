// The word processor stand-in as the spelling check meets it: registered by its component file,
// created by name as a local server, driven through IDispatch, and compared with what hunspell's
// own command says about the same words with the same dictionaries.
#include "word_test_support.h"

#include "child_program.h"
#include "hunspell_oracle.h"
#include "qx/word/word_server.h"

#include <fstream>
#include <sstream>

namespace {

using qx::com::ComPtr;
using qx::com::Variant;
using namespace wordtest;
using qxtest::Misspelling;

class WordStandIn : public qxtest::ComponentFileTest {
protected:
    WordStandIn() : ComponentFileTest(QX_WORD_COMPONENT) {}
    void SetUp() override {
        ComponentFileTest::SetUp();
        ASSERT_EQ(Call("DllRegisterServer"), S_OK);
        qx::word::ClearWordJournal();
    }

    ComPtr<IDispatch> Start(DWORD context = CLSCTX_LOCAL_SERVER, HRESULT* result = nullptr) {
        CLSID clsid{};
        HRESULT hr = CLSIDFromProgID(u"Word.Application", &clsid);
        ComPtr<IDispatch> application;
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(clsid, nullptr, context, kApplicationIid,
                                  reinterpret_cast<void**>(&application));
        if (result)
            *result = hr;
        return application;
    }

    // A new document holding `text`.
    ComPtr<IDispatch> Document(IDispatch* application, std::u16string_view text) {
        auto documents = Object(application, u"Documents");
        auto document = Object(documents.Get(), u"Add", DISPATCH_METHOD);
        auto content = Object(document.Get(), u"Content");
        EXPECT_EQ(wordtest::Call(content.Get(), u"Text", DISPATCH_PROPERTYPUT, {Variant(text)}), S_OK);
        return document;
    }

    // Every spelling error of the document with its suggestions, as the spelling check reads them.
    std::vector<Misspelling> Errors(IDispatch* document) {
        std::vector<Misspelling> out;
        auto errors = Object(document, u"SpellingErrors");
        const LONG count = Number(errors.Get(), u"Count");
        for (LONG i = 1; i <= count; ++i) {
            auto range = Item(errors.Get(), i);
            Misspelling miss{wordtest::Text(range.Get(), u"Text"), {}};
            auto suggestions = Object(range.Get(), u"GetSpellingSuggestions", DISPATCH_METHOD);
            const LONG n = Number(suggestions.Get(), u"Count");
            for (LONG j = 1; j <= n; ++j)
                miss.suggestions.push_back(wordtest::Text(Item(suggestions.Get(), j).Get(), u"Name"));
            out.push_back(std::move(miss));
        }
        return out;
    }
};

TEST_F(WordStandIn, RegistersALocalServerOnly) {
    const std::u16string clsid = u"CLSID\\{FA5C6BBB-7369-4F61-A351-10AB7993037E}";
    EXPECT_EQ(qxtest::DefaultValue(u"Word.Application\\CLSID"), u"{FA5C6BBB-7369-4F61-A351-10AB7993037E}");
    EXPECT_EQ(qxtest::DefaultValue(clsid + u"\\LocalServer32"),
              u"\"" + qx::com::Utf8ToUtf16(QX_WORD_COMPONENT) + u"\" /Automation");
    EXPECT_FALSE(qxtest::KeyExists(clsid + u"\\InprocServer32"));
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
    EXPECT_FALSE(qxtest::KeyExists(u"Word.Application"));
    EXPECT_FALSE(qxtest::KeyExists(clsid));
}

TEST_F(WordStandIn, ComesOnlyAsALocalServer) {
    struct Case {
        DWORD context;
        HRESULT result;
    };
    const Case cases[] = {
        {CLSCTX_LOCAL_SERVER, S_OK},
        {CLSCTX_SERVER, S_OK},
        {CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.context);
        HRESULT hr = E_FAIL;
        auto application = Start(c.context, &hr);
        EXPECT_EQ(hr, c.result);
        EXPECT_EQ(application.Get() != nullptr, c.result == S_OK);
    }
}

TEST_F(WordStandIn, ListsTheErrorsAndSuggestionsHunspellGives) {
    auto application = Start();
    ASSERT_TRUE(application);
    // Checked: lower-case and capitalised words, inner apostrophes, Hangul. Not checked: digits,
    // all capitals, addresses, mail addresses.
    const std::u16string text =
        u"I recieve teh letter, teh end. tehran 갔읍니다 don't Teh's seperate 맞춤범 한국어.\n"
        u"TEHH teh2 http://tehh.org/abcx mial@tehh.com x'y 'quoted' é café naïve";
    auto document = Document(application.Get(), text);
    const std::vector<Misspelling> errors = Errors(document.Get());

    const std::vector<Misspelling> expected = qxtest::HunspellMisspellings(
        {u"recieve", u"teh", u"letter", u"teh", u"end", u"tehran", u"갔읍니다", u"don't", u"Teh's",
         u"seperate", u"맞춤범", u"한국어", u"x'y", u"quoted", u"é", u"café", u"naïve"});
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(qxtest::AgreeWithHunspell(errors, expected));
    ASSERT_GE(errors.size(), 3u);
    EXPECT_EQ(errors[0].word, u"recieve");
    EXPECT_EQ(errors[1].word, u"teh");
    EXPECT_EQ(errors[2].word, u"teh");
}

TEST_F(WordStandIn, ScriptsReachItByNameAsHunspellAnswers) {
    const std::string script = std::string(::testing::TempDir()) + "/qx-word-errors.js";
    std::ofstream(script, std::ios::binary) << R"(var w = new ActiveXObject("Word.Application");
var d = w.Documents.Add();
d.Content.Text = "Ths letter is writen in 한국어 맞춤범 and Englsh.";
var e = d.SpellingErrors;
for (var i = 1; i <= e.Count; i++) {
    var r = e.Item(i), s = r.GetSpellingSuggestions(), line = r.Text + ":";
    for (var j = 1; j <= s.Count; j++) line += (j > 1 ? "," : "") + s.Item(j).Name;
    WScript.Echo(line);
}
d.Saved = true;
d.Close();
w.Quit();
)";
    const qxtest::ProgramRun run = qxtest::RunProgram({QX_BIN_DIR "/scripthost", script});
    EXPECT_EQ(run.status, 0) << run.output;
    // Each line "word:suggestion,suggestion" back into a misspelling.
    std::vector<Misspelling> listed;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(':');
        ASSERT_NE(colon, std::string::npos) << line;
        Misspelling miss{qx::com::Utf8ToUtf16(line.substr(0, colon)), {}};
        std::istringstream names(line.substr(colon + 1));
        for (std::string name; std::getline(names, name, ',');)
            miss.suggestions.push_back(qx::com::Utf8ToUtf16(name));
        listed.push_back(std::move(miss));
    }
    const auto expected = qxtest::HunspellMisspellings(
        {u"Ths", u"letter", u"is", u"writen", u"in", u"한국어", u"맞춤범", u"and", u"Englsh"});
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_TRUE(qxtest::AgreeWithHunspell(listed, expected));
}

TEST_F(WordStandIn, MembersRefuseWhatTheyCannotDo) {
    auto application = Start();
    ASSERT_TRUE(application);
    auto document = Document(application.Get(), u"teh cat");
    auto errors = Object(document.Get(), u"SpellingErrors");
    auto first = Item(errors.Get(), 1);
    auto documents = Object(application.Get(), u"Documents");
    auto suggestions = Object(first.Get(), u"GetSpellingSuggestions", DISPATCH_METHOD);
    std::vector<Variant> fourteen(14, Variant::Missing());
    std::vector<Variant> fifteen(15, Variant::Missing());
    struct Case {
        const char* name;
        IDispatch* object;
        const char16_t* member;
        WORD kind;
        std::vector<Variant> args;
        HRESULT result;
    };
    const Case cases[] = {
        {"window state 3",
         application.Get(),
         u"WindowState",
         DISPATCH_PROPERTYPUT,
         {Variant(LONG(3))},
         E_INVALIDARG},
        {"window state -1",
         application.Get(),
         u"WindowState",
         DISPATCH_PROPERTYPUT,
         {Variant(LONG(-1))},
         E_INVALIDARG},
        {"window state 2", application.Get(), u"WindowState", DISPATCH_PROPERTYPUT, {Variant(LONG(2))}, S_OK},
        {"error 0", errors.Get(), u"Item", DISPATCH_METHOD, {Variant(LONG(0))}, DISP_E_BADINDEX},
        {"error past the count", errors.Get(), u"Item", DISPATCH_METHOD, {Variant(LONG(2))}, DISP_E_BADINDEX},
        {"error by default member",
         errors.Get(),
         u"Item",
         DISPATCH_METHOD | DISPATCH_PROPERTYGET,
         {Variant(LONG(1))},
         S_OK},
        {"suggestion 0", suggestions.Get(), u"Item", DISPATCH_METHOD, {Variant(LONG(0))}, DISP_E_BADINDEX},
        {"fourteen optional arguments", first.Get(), u"GetSpellingSuggestions", DISPATCH_METHOD, fourteen,
         S_OK},
        {"fifteen arguments", first.Get(), u"GetSpellingSuggestions", DISPATCH_METHOD, fifteen,
         DISP_E_BADPARAMCOUNT},
        {"empty optional arguments",
         documents.Get(),
         u"Add",
         DISPATCH_METHOD,
         {Variant(), Variant(), Variant(), Variant()},
         S_OK},
        {"a member it lacks", application.Get(), u"Visible", DISPATCH_PROPERTYGET, {}, DISP_E_UNKNOWNNAME},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(wordtest::Call(c.object, c.member, c.kind, c.args), c.result);
    }
    EXPECT_EQ(Number(application.Get(), u"WindowState"), 2);
}

TEST_F(WordStandIn, TextRoundTripsAndRangesReadTheirWord) {
    auto application = Start();
    ASSERT_TRUE(application);
    const std::u16string text = u"맞춤범 café teh\r\nend";
    auto document = Document(application.Get(), text);
    EXPECT_EQ(wordtest::Text(Object(document.Get(), u"Content").Get(), u"Text"), text);
    auto errors = Object(document.Get(), u"SpellingErrors");
    ASSERT_EQ(Number(errors.Get(), u"Count"), 3);
    EXPECT_EQ(wordtest::Text(Item(errors.Get(), 1).Get(), u"Text"), u"맞춤범");
    EXPECT_EQ(wordtest::Text(Item(errors.Get(), 2).Get(), u"Text"), u"café");
    EXPECT_EQ(wordtest::Text(Item(errors.Get(), 3).Get(), u"Text"), u"teh");
    auto content = Object(document.Get(), u"Content");
    ASSERT_EQ(wordtest::Call(content.Get(), u"Text", DISPATCH_PROPERTYPUT, {Variant(u"all good")}), S_OK);
    EXPECT_EQ(Number(Object(document.Get(), u"SpellingErrors").Get(), u"Count"), 0);
    EXPECT_EQ(Number(errors.Get(), u"Count"), 3) << "a collection is a snapshot";
}

TEST_F(WordStandIn, QuitDisconnectsEveryObjectAndTheJournalShowsTheCalls) {
    auto application = Start();
    ASSERT_TRUE(application);
    auto documents = Object(application.Get(), u"Documents");
    auto kept = Object(documents.Get(), u"Add", DISPATCH_METHOD);
    auto closed = Object(documents.Get(), u"Add", DISPATCH_METHOD);
    auto content = Object(kept.Get(), u"Content");
    EXPECT_EQ(Number(application.Get(), u"Top"), 0);
    EXPECT_EQ(wordtest::Call(application.Get(), u"WindowState", DISPATCH_PROPERTYPUT, {Variant(LONG(0))}),
              S_OK);
    EXPECT_EQ(wordtest::Call(application.Get(), u"Top", DISPATCH_PROPERTYPUT, {Variant(LONG(-3000))}), S_OK);
    EXPECT_EQ(wordtest::Call(closed.Get(), u"Saved", DISPATCH_PROPERTYPUT, {Variant(true)}), S_OK);
    EXPECT_EQ(wordtest::Call(closed.Get(), u"Close", DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(wordtest::Call(closed.Get(), u"Saved", DISPATCH_PROPERTYGET, {}), RPC_E_DISCONNECTED);
    EXPECT_EQ(wordtest::Call(content.Get(), u"Text", DISPATCH_PROPERTYGET, {}), S_OK);
    EXPECT_EQ(wordtest::Call(application.Get(), u"Quit", DISPATCH_METHOD, {Variant::Missing()}), S_OK);

    struct Case {
        IDispatch* object;
        const char16_t* member;
        WORD kind;
    };
    const Case after[] = {
        {application.Get(), u"Top", DISPATCH_PROPERTYGET},
        {application.Get(), u"Documents", DISPATCH_PROPERTYGET},
        {application.Get(), u"Quit", DISPATCH_METHOD},
        {documents.Get(), u"Add", DISPATCH_METHOD},
        {kept.Get(), u"SpellingErrors", DISPATCH_PROPERTYGET},
        {kept.Get(), u"Close", DISPATCH_METHOD},
        {content.Get(), u"Text", DISPATCH_PROPERTYGET},
    };
    for (const Case& c : after) {
        SCOPED_TRACE(qxtest::Utf8(c.member));
        EXPECT_EQ(wordtest::Call(c.object, c.member, c.kind, {}), RPC_E_DISCONNECTED);
    }
    const std::vector<std::string> journal = {
        "Documents.Add",       "Documents.Add",  "Application.WindowState=0", "Application.Top=-3000",
        "Document.Saved=true", "Document.Close", "Application.Quit",
    };
    EXPECT_EQ(qx::word::WordJournal(), journal);
}

} // namespace
