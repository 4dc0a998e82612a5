// The document road through a hosted control with the editing control: text put into and read
// from DocumentHTML as the converter sees it, downloads by file: URL and from the loopback
// server, and saving and loading through the file dialogs answered by the UI driver.
#include "velkor_test_support.h"

#include "loopback_http_server.h"
#include "recording_window.h"
#include "spy_converter.h"

#include <commdlg.h>
#include <mshtml.h>
#include <qx/com/control/control_host.h>
#include <qx/html/browser/hosting_window.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace velkor_test;
using qx::com::control::ControlHost;
using qx::com::control::ControlHostOptions;

namespace {

constexpr DISPID kDownloadedSize = 8;
constexpr char16_t kForm[] = u"<html><body dovrel><table><tr><td id=doctitle class=FIELD>주문서</td></tr>"
                             u"<tr><td class=FIELD id=amount>1</td></tr></table></body></html>";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class VelkorDocumentIoTest : public VelkorTest {
protected:
    void SetUp() override {
        VelkorTest::SetUp();
        qx::win32::SetUiDriver(&ui_);
        LoadedComponent editor(QX_DHTMLED_COMPONENT);
        ASSERT_TRUE(editor.Loaded());
        ASSERT_EQ(editor.Call("DllRegisterServer"), S_OK);
        ASSERT_TRUE(AtlAxWinInit());
        ASSERT_EQ(CoGetClassObject(CLSID_Convert, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   reinterpret_cast<void**>(&SpyConvert::RealClass())),
                  S_OK);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(qx::com::CreateClassFactory(SpyConvert::Create, IID_IClassFactory,
                                              reinterpret_cast<void**>(&factory)),
                  S_OK);
        ASSERT_EQ(CoRegisterClassObject(CLSID_Convert, factory.Get(), CLSCTX_INPROC_SERVER,
                                        REGCLS_MULTIPLEUSE, &registration_),
                  S_OK);
        SpyConvert::Log().clear();
        char pattern[] = "/tmp/velkor-docs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        parent_ = std::make_unique<qx::test::RecordingWindow>(640, 520);
    }
    void TearDown() override {
        if (host_)
            host_->Close();
        host_.reset();
        control_ = nullptr;
        parent_.reset();
        Pump();
        CoRevokeClassObject(registration_);
        SpyConvert::RealClass() = nullptr;
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        qx::win32::SetUiDriver(&boxes_);
        VelkorTest::TearDown();
    }

    void Activate() {
        ControlHostOptions options;
        options.parent = parent_->hwnd();
        options.position = {0, 0, 600, 500};
        options.params = {{u"StartMode", u"1"}};
        options.onEvent = [this](DISPID id, const std::u16string&, std::vector<Variant>& args) {
            events_.push_back(id);
            if (id == kDownloadedSize && !args.empty()) {
                Variant size(args[0]);
                if (SUCCEEDED(size.ChangeType(VT_I4)))
                    sizes_.push_back(size.lVal);
            }
        };
        ASSERT_EQ(ControlHost::Create(CLSID_Velkor, std::move(options), &host_), S_OK);
        control_ = ComPtr<IVelkor>::QueryFrom(host_->Control());
        ASSERT_TRUE(control_);
        ComPtr<IUnknown> page;
        ASSERT_EQ(AtlAxGetControl(host_->ControlWindow(), &page), S_OK);
        ASSERT_TRUE(WaitComplete(ComPtr<IWebBrowser2>::QueryFrom(page.Get()).Get()));
        Settle();
    }

    static void Settle(int rounds = 40) {
        for (int i = 0; i < rounds; ++i) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Pumps until the document-ready step has run (DocumentComplete), at most a few seconds.
    bool WaitDocument() {
        for (int i = 0; i < 500; ++i) {
            if (std::count(events_.begin(), events_.end(), 1) > 0) {
                Settle(5);
                return true;
            }
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    ComPtr<IHTMLDocument2> Document() {
        ComPtr<IDispatch> editor;
        if (FAILED(control_->get_Editor(&editor)))
            return nullptr;
        LPOLESTR name = const_cast<LPOLESTR>(u"DOM");
        DISPID id = 0;
        DISPPARAMS none{};
        Variant dom;
        if (FAILED(editor->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) ||
            FAILED(editor->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &dom, nullptr, nullptr)) ||
            dom.vt != VT_DISPATCH)
            return nullptr;
        return ComPtr<IHTMLDocument2>::QueryFrom(dom.pdispVal);
    }

    std::string BodyText() {
        ComPtr<IHTMLDocument2> document = Document();
        ComPtr<IDispatch> body;
        if (!document || FAILED(document->get_body(&body)))
            return "<none>";
        Bstr html;
        ComPtr<IHTMLElement>::QueryFrom(body.Get())->get_innerHTML(&html);
        return html.ToUtf8();
    }

    void Put(const char16_t* html) {
        events_.clear();
        ASSERT_EQ(control_->put_DocumentHTML(Bstr(html)), S_OK);
        ASSERT_TRUE(WaitDocument());
    }

    std::string Get(LONG mhtmlSave, HRESULT expected = S_OK) {
        control_->put_MHTMLSave(mhtmlSave);
        Bstr text;
        EXPECT_EQ(control_->get_DocumentHTML(&text), expected);
        return text.ToUtf8();
    }

    std::vector<std::string> LogFrom(const std::string& first) {
        const auto& log = SpyConvert::Log();
        auto start = std::find_if(log.begin(), log.end(),
                                  [&](const std::string& entry) { return entry.rfind(first, 0) == 0; });
        return {start, log.end()};
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    qx::win32::UiRecorder ui_;
    DWORD registration_ = 0;
    std::string dir_;
    std::unique_ptr<qx::test::RecordingWindow> parent_;
    std::unique_ptr<ControlHost> host_;
    ComPtr<IVelkor> control_;
    std::vector<DISPID> events_;
    std::vector<LONG> sizes_;
};

TEST_F(VelkorDocumentIoTest, TheConverterSeesCarriageReturnLineFeeds) {
    Activate();
    const struct {
        const char16_t* put;
        const char* seen;
    } cases[] = {
        {u"a\nb\r\nc", "IsMHTML a\r\nb\r\nc"},
        {u"\nx", "IsMHTML \r\nx"},
    };
    for (const auto& c : cases) {
        SpyConvert::Log().clear();
        ASSERT_EQ(control_->put_DocumentHTML(Bstr(c.put)), S_OK);
        ASSERT_FALSE(SpyConvert::Log().empty());
        EXPECT_EQ(SpyConvert::Log().front(), c.seen);
        Settle();
    }
}

TEST_F(VelkorDocumentIoTest, AnMhtRoundTripGoesThroughTheConverterInOrder) {
    Activate();
    Put(kForm);
    const std::string mht = Get(1);
    ASSERT_NE(mht.find("Content-Type"), std::string::npos) << mht;
    SpyConvert::Log().clear();
    Put(qx::com::Utf8ToUtf16(mht).c_str());
    std::vector<std::string> log = SpyConvert::Log();
    ASSERT_GE(log.size(), 5u);
    log.front() = log.front().substr(0, 7);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
              (std::vector<std::string>{"IsMHTML", "sync -1", "mhtData=", "filterIn", "htmlData"}));
    EXPECT_NE(BodyText().find("주문서"), std::string::npos);
}

TEST_F(VelkorDocumentIoTest, HtmlTextNormalisesSourcesAndBackgrounds) {
    Activate();
    Put(u"<html><body dovrel><img src='file://C:\\a\\b.gif'><img src='FILE:///x'><img src='http://h/a\\b'>"
        u"<table background='file://C:\\t.gif'><tr><td background='file://C:\\c\\d.gif'>x</td></tr></table>"
        u"<div background='file://C:\\e\\f.gif'>y</div></body></html>");
    const std::string html = Get(0);
    EXPECT_EQ(html.rfind("<HTML", 0), 0u) << html;
    for (const char* expected : {"file:///C:/a/b.gif", "FILE:///x", "http://h/a/b", "file:///C:/t.gif",
                                 "file:///C:/c/d.gif", "file://C:\\e\\f.gif"})
        EXPECT_NE(html.find(expected), std::string::npos) << expected << " in " << html;
}

TEST_F(VelkorDocumentIoTest, MhtTextSubjectAndBaseUrl) {
    Activate();
    const struct {
        const char16_t* form;
        const char* subject; // null: Subject is never set
    } cases[] = {
        {u"<html><body dovrel><p>no title</p></body></html>", nullptr},
        {u"<html><body dovrel><table><tr><td id=doctitle></td></tr></table></body></html>",
         "Subject No_Subject"},
        {kForm, "Subject 주문서"},
    };
    for (const auto& c : cases) {
        Put(c.form);
        SpyConvert::Log().clear();
        Get(1);
        Get(1);
        const auto& log = SpyConvert::Log();
        const long subjects = std::count_if(log.begin(), log.end(),
                                            [](const std::string& e) { return e.rfind("Subject", 0) == 0; });
        EXPECT_EQ(subjects, c.subject ? 2 : 0);
        if (c.subject) {
            EXPECT_NE(std::find(log.begin(), log.end(), c.subject), log.end())
                << ::testing::PrintToString(log);
        }
        EXPECT_EQ(std::count(log.begin(), log.end(), "filterOut file://c:/test.htm"), 2);
    }
}

TEST_F(VelkorDocumentIoTest, GetWithoutADocumentLeavesTheOutParameter) {
    ComPtr<IVelkor> bare;
    ASSERT_EQ(Create(bare), S_OK);
    BSTR untouched = reinterpret_cast<BSTR>(0x1);
    EXPECT_EQ(bare->get_DocumentHTML(&untouched), S_FALSE);
    EXPECT_EQ(untouched, reinterpret_cast<BSTR>(0x1));
}

TEST_F(VelkorDocumentIoTest, FileDownloadsCountEveryByteAndStopAtANul) {
    Activate();
    const struct {
        const char* name;
        std::string bytes; // empty: no such file
        std::vector<LONG> sizes;
        const char* body;
    } cases[] = {
        {"nul.htm", std::string("<p>ab\0cd</p>", 12), {12}, "<P>ab</P>"},
        {"missing.htm", "", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.empty())
            WriteFile(Path(c.name), c.bytes);
        events_.clear();
        sizes_.clear();
        ASSERT_EQ(control_->LoadURL(Bstr::FromUtf8("file://" + Path(c.name))), S_OK);
        for (int i = 0; i < 300 && BodyText() != c.body; ++i)
            Settle(1);
        EXPECT_EQ(sizes_, c.sizes);
        EXPECT_EQ(BodyText(), c.body);
    }
}

TEST_F(VelkorDocumentIoTest, ServerDownloadsGrowStrictlyAndASecondLoadReplacesTheFirst) {
    Activate();
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse pieces =
        qxtest::Reply(200, "<html><body dovrel><p>" + std::string(300, 'x') + "</p></body></html>");
    pieces.pieceSize = 120;
    pieces.pause = std::chrono::milliseconds(150);
    server.Serve("/pieces.htm", pieces);
    qxtest::HttpResponse held = qxtest::Reply(200, "<html><body><p>first</p></body></html>");
    held.closeAfter = 5;
    held.hold = std::chrono::milliseconds(1500);
    server.Serve("/held.htm", held);
    server.Serve("/second.htm", qxtest::Reply(200, "<html><body><p>second</p></body></html>"));

    for (int round = 0; round < 2; ++round) {
        sizes_.clear();
        events_.clear();
        ASSERT_EQ(control_->LoadURL(Bstr::FromUtf8(server.Url("/pieces.htm"))), S_OK);
        for (int i = 0; i < 500 && std::count(events_.begin(), events_.end(), 1) == 0; ++i)
            Settle(1);
        ASSERT_GE(sizes_.size(), 2u);
        EXPECT_EQ(std::adjacent_find(sizes_.begin(), sizes_.end(), [](LONG a, LONG b) { return b <= a; }),
                  sizes_.end());
        EXPECT_EQ(sizes_.back(), static_cast<LONG>(pieces.body.size()));
    }

    ASSERT_EQ(control_->LoadURL(Bstr::FromUtf8(server.Url("/held.htm"))), S_OK);
    Settle(20);
    sizes_.clear();
    ASSERT_EQ(control_->LoadURL(Bstr::FromUtf8(server.Url("/second.htm"))), S_OK);
    for (int i = 0; i < 500 && BodyText().find("second") == std::string::npos; ++i)
        Settle(1);
    Settle(200);
    EXPECT_EQ(BodyText(), "<P>second</P>");
    EXPECT_EQ(sizes_, (std::vector<LONG>{39}));
}

TEST_F(VelkorDocumentIoTest, SaveDialogWritesTheFormatItsNameAsksFor) {
    Activate();
    Put(kForm);
    WriteFile(Path("kept.htm"), "old bytes");
    const struct {
        const char* name;
        std::optional<qx::win32::FileDialogChoice> choice;
        int promptAnswer; // 0: no prompt expected
        bool result;
        const char* begins; // "<HTML" or a MIME header; null: no file, or "old bytes" kept
    } cases[] = {
        {"a.MHT", qx::win32::FileDialogChoice{"a.MHT"}, 0, true, "MIME-Version"},
        {"a.htm", qx::win32::FileDialogChoice{"a.htm"}, 0, true, "<HTML"},
        {"cancelled.htm", std::nullopt, 0, false, nullptr},
        {"kept.htm", qx::win32::FileDialogChoice{"kept.htm"}, IDNO, false, nullptr},
    };
    control_->put_MHTMLSave(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<qx::win32::FileDialogChoice> choice = c.choice;
        if (choice) {
            choice->path = Path(choice->path);
        }
        ui_.QueueFile(choice);
        if (c.promptAnswer) {
            ui_.QueueAnswer(c.promptAnswer);
            ui_.QueueFile(std::nullopt);
        }
        Variant result;
        ASSERT_EQ(control_->FileSaveDlg(Bstr(u""), &result), S_OK);
        ASSERT_EQ(result.vt, VT_BOOL);
        EXPECT_EQ(result.boolVal != VARIANT_FALSE, c.result);
        if (c.begins) {
            const std::string bytes = ReadFile(Path(c.name));
            // HTML begins with its root element; MHT carries its MIME headers instead.
            if (std::string(c.begins) == "<HTML") {
                EXPECT_EQ(bytes.rfind(c.begins, 0), 0u) << bytes.substr(0, 80);
            } else {
                EXPECT_NE(bytes.find(c.begins), std::string::npos) << bytes.substr(0, 80);
                EXPECT_NE(bytes.rfind("<HTML", 0), 0u);
            }
            EXPECT_EQ(bytes.find('\0'), std::string::npos);
            EXPECT_NE(bytes.rfind("\xEF\xBB\xBF", 0), 0u);
        } else if (std::string(c.name) == "kept.htm") {
            EXPECT_EQ(ReadFile(Path(c.name)), "old bytes");
        } else {
            EXPECT_FALSE(std::filesystem::exists(Path(c.name)));
        }
        LONG mhtmlSave = 0;
        control_->get_MHTMLSave(&mhtmlSave);
        EXPECT_EQ(mhtmlSave, 1);
    }
    // No temporary file is left beside the saved ones.
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();

    const auto requests = ui_.FileRequests();
    ASSERT_FALSE(requests.empty());
    const qx::win32::FileDialogRequest& save = requests.front();
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.title, "Save");
    EXPECT_EQ(save.initialFile, "Untitled");
    EXPECT_EQ(save.defaultExtension, "mht");
    EXPECT_EQ(save.flags,
              static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLEHOOK | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
    ASSERT_EQ(save.filters.size(), 2u);
    EXPECT_EQ(save.filters[0].name, "MHTML Files(*.mht)");
    EXPECT_EQ(save.filters[0].pattern, "*.mht");
    EXPECT_EQ(save.filters[1].name, "HTML Files(*.htm)");
    EXPECT_EQ(save.filters[1].pattern, "*.htm");
}

// Another converter in the process converts a page whose style sheet the server holds back:
// every conversion of the control is refused meanwhile, and nothing of the previous one leaks.
TEST_F(VelkorDocumentIoTest, ABusyConverterFailsPutGetAndSaveWithoutHarm) {
    Activate();
    Put(kForm);
    const std::string mht = Get(1);
    ASSERT_FALSE(mht.empty());
    Put(u"<html><body dovrel><p>kept</p></body></html>");
    WriteFile(Path("old.mht"), "old bytes");

    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse slow = qxtest::Reply(200, "p{}");
    slow.contentType = "text/css";
    slow.closeAfter = 1;
    slow.hold = std::chrono::milliseconds(1500);
    server.Serve("/slow.css", slow);
    ComPtr<IConvert> other;
    ASSERT_EQ(
        SpyConvert::RealClass()->CreateInstance(nullptr, IID_IConvert, reinterpret_cast<void**>(&other)),
        S_OK);
    other->put_sync(VARIANT_FALSE);
    other->put_htmlData(
        Bstr::FromUtf8("<link rel=stylesheet href=\"" + server.Url("/slow.css") + "\"><p>x</p>"));
    VARIANT_BOOL started = VARIANT_FALSE;
    ASSERT_EQ(other->filterOut(Bstr::FromUtf8(server.Url("/page.htm")), &started), S_OK);
    ASSERT_EQ(started, VARIANT_TRUE);

    events_.clear();
    EXPECT_EQ(control_->put_DocumentHTML(Bstr(qx::com::Utf8ToUtf16(mht))), E_FAIL);
    control_->put_MHTMLSave(1);
    BSTR text = nullptr;
    EXPECT_EQ(control_->get_DocumentHTML(&text), E_FAIL);
    EXPECT_EQ(text, nullptr);
    ui_.QueueFile(qx::win32::FileDialogChoice{Path("old.mht")});
    ui_.QueueAnswer(IDYES);
    Variant saved;
    ASSERT_EQ(control_->FileSaveDlg(Bstr(u""), &saved), S_OK);
    EXPECT_EQ(saved.vt, VT_BOOL);
    EXPECT_EQ(saved.boolVal, VARIANT_FALSE);
    EXPECT_EQ(ReadFile(Path("old.mht")), "old bytes");
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    Settle(20);
    EXPECT_TRUE(events_.empty()) << "no completion follows a refused put";
    EXPECT_EQ(BodyText(), "<P>kept</P>");

    // Once the server lets go, both work again.
    Settle(200);
    Bstr again;
    EXPECT_EQ(control_->get_DocumentHTML(&again), S_OK);
    EXPECT_FALSE(again.Empty());
    Put(qx::com::Utf8ToUtf16(mht).c_str());
    EXPECT_NE(BodyText().find("주문서"), std::string::npos);
}

TEST_F(VelkorDocumentIoTest, LoadDialogLoadsTheVeryFileChosen) {
    Activate();
    WriteFile(Path("a#1 %41.mht"), "<html><body dovrel><p>special</p></body></html>");
    WriteFile(Path("a"), "<html><body dovrel><p>wrong</p></body></html>");
    WriteFile(Path("A.mht"), "<html><body dovrel><p>wrong</p></body></html>");
    ui_.QueueFile(qx::win32::FileDialogChoice{Path("a#1 %41.mht")});
    Variant result;
    events_.clear();
    ASSERT_EQ(control_->FileOpenDlg(Bstr(u""), &result), S_OK);
    ASSERT_EQ(result.vt, VT_BOOL);
    EXPECT_NE(result.boolVal, VARIANT_FALSE);
    ASSERT_TRUE(WaitDocument());
    EXPECT_EQ(BodyText(), "<P>special</P>");

    const qx::win32::FileDialogRequest load = ui_.FileRequests().back();
    EXPECT_FALSE(load.save);
    EXPECT_EQ(load.title, "Load");
    EXPECT_EQ(load.defaultExtension, "mht");
    EXPECT_EQ(load.flags, static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST |
                                             OFN_PATHMUSTEXIST | OFN_HIDEREADONLY));

    ui_.QueueFile(std::nullopt);
    ASSERT_EQ(control_->FileOpenDlg(Bstr(u""), &result), S_OK);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);
}

} // namespace
