// The document's IPersistStreamInit: InitNew empties it, Load replaces its content from a stream
// (charset from the bytes) and, in a browser, completes as a navigation does on the queue, with
// the sinks advised on the document before the load hearing it; Save, GetSizeMax and IsDirty.
#include "browser_test_support.h"

#include <ocidl.h>
#include <ocidl_control.h>
#include <qx/com/stream.h>
#include <qx/win32/ui_driver.h>

namespace {

using browsertest::BrowserTest;
using browsertest::RecordingDispatch;
using qx::com::ComPtr;

ComPtr<IStream> StreamOf(std::string_view bytes) {
    ComPtr<IStream> stream;
    EXPECT_EQ(qx::com::CreateMemoryStream(bytes.data(), bytes.size(), &stream), S_OK);
    return stream;
}

std::string BytesOf(IStream* stream) {
    std::vector<BYTE> bytes;
    EXPECT_EQ(qx::com::GetMemoryStreamBytes(stream, bytes), S_OK);
    return {bytes.begin(), bytes.end()};
}

ComPtr<IPersistStreamInit> PersistOf(IDispatch* document) {
    return ComPtr<IPersistStreamInit>::QueryFrom(document);
}

std::u16string ReadyState(IDispatch* document) {
    qx::com::Bstr state;
    ComPtr<IHTMLDocument2>::QueryFrom(document)->get_readyState(&state);
    return std::u16string(state.View());
}

// The print path of the form control: a sink on the shown document, InitNew, Load, then the
// load completing from the queue as a navigation does, the document object staying the same.
TEST_F(BrowserTest, LoadingAShownDocumentCompletesLikeANavigation) {
    ComPtr<IWebBrowser2> browser = NewBrowser();
    ASSERT_TRUE(Load(browser.Get(), u"about:blank"));
    ComPtr<IDispatch> document;
    ASSERT_EQ(browser->get_Document(&document), S_OK);
    std::vector<std::string> seen;
    RecordingDispatch documentSink([&](DISPID id, const std::vector<std::string>&) {
        if (id == -609)
            seen.push_back("readystatechange " + qx::com::Utf16ToUtf8(ReadyState(document.Get())));
    });
    RecordingDispatch browserSink(
        [&](DISPID id, const std::vector<std::string>&) { seen.push_back("browser " + std::to_string(id)); },
        DIID_DWebBrowserEvents2);
    ComPtr<IConnectionPoint> documentPoint, browserPoint;
    DWORD documentCookie = 0, browserCookie = 0;
    ASSERT_EQ(ComPtr<IConnectionPointContainer>::QueryFrom(document.Get())
                  ->FindConnectionPoint(IID_IDispatch, &documentPoint),
              S_OK);
    ASSERT_EQ(documentPoint->Advise(&documentSink, &documentCookie), S_OK);
    ASSERT_EQ(ComPtr<IConnectionPointContainer>::QueryFrom(browser.Get())
                  ->FindConnectionPoint(DIID_DWebBrowserEvents2, &browserPoint),
              S_OK);
    ASSERT_EQ(browserPoint->Advise(&browserSink, &browserCookie), S_OK);

    ComPtr<IPersistStreamInit> persist = PersistOf(document.Get());
    ASSERT_TRUE(persist);
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(ReadyState(document.Get()), u"complete");
    const char page[] = "<html><body onload=\"out.innerText += ' loaded'\"><p id=out>copy</p>"
                        "<script>out.innerText += ' ran'</script></body></html>";
    ASSERT_EQ(persist->Load(StreamOf(page).Get()), S_OK);
    // The content is there at once; nothing of its completion has run yet.
    EXPECT_EQ(Text(browser.Get(), u"out"), "copy");
    EXPECT_EQ(ReadyState(document.Get()), u"loading");
    READYSTATE state = READYSTATE_UNINITIALIZED;
    browser->get_ReadyState(&state);
    EXPECT_EQ(state, READYSTATE_LOADING);
    EXPECT_TRUE(seen.empty());
    ASSERT_TRUE(WaitComplete(browser.Get()));
    const std::vector<std::string> expected = {
        "readystatechange interactive", "readystatechange complete",
        "browser 104", // DownloadComplete
        "browser 259", // DocumentComplete
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Text(browser.Get(), u"out"), "copy ran loaded");
    ComPtr<IDispatch> after;
    browser->get_Document(&after);
    EXPECT_EQ(after.Get(), document.Get());

    // Printing then prints the loaded copy.
    qx::win32::UiRecorder recorder;
    qx::win32::UiDriver* previous = qx::win32::SetUiDriver(&recorder);
    qx::com::Variant in, out;
    EXPECT_EQ(browser->ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER, &in, &out), S_OK);
    qx::win32::SetUiDriver(previous);
    ASSERT_EQ(recorder.PrintJobs().size(), 1u);
    EXPECT_NE(recorder.PrintJobs()[0].html.find("<P id=out>copy ran loaded</P>"), std::string::npos);

    documentPoint->Unadvise(documentCookie);
    browserPoint->Unadvise(browserCookie);
}

// A second Load before the first completed drops the first one's steps.
TEST_F(BrowserTest, ALaterLoadDropsTheEarliersCompletion) {
    ComPtr<IWebBrowser2> browser = NewBrowser();
    ASSERT_TRUE(Load(browser.Get(), u"about:blank"));
    ComPtr<IDispatch> document;
    browser->get_Document(&document);
    int completions = 0;
    RecordingDispatch browserSink(
        [&](DISPID id, const std::vector<std::string>&) { completions += id == 259; },
        DIID_DWebBrowserEvents2);
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ComPtr<IConnectionPointContainer>::QueryFrom(browser.Get())
        ->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
    ASSERT_EQ(point->Advise(&browserSink, &cookie), S_OK);
    ComPtr<IPersistStreamInit> persist = PersistOf(document.Get());
    ASSERT_EQ(persist->Load(StreamOf("<p id=out>first</p>").Get()), S_OK);
    ASSERT_EQ(persist->Load(StreamOf("<p id=out>second</p>").Get()), S_OK);
    ASSERT_TRUE(WaitComplete(browser.Get()));
    qx::win32::input::PumpUntilIdle(0);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(Text(browser.Get(), u"out"), "second");
    point->Unadvise(cookie);
}

// A document no browser shows: Load replaces its content at once; the stream's charset is read
// from its bytes as a page's is; Save writes what GetSizeMax measured; IsDirty follows changes.
TEST_F(BrowserTest, ADocumentLoadsAndSavesItselfThroughStreams) {
    ComPtr<IHTMLDocument2> document;
    ASSERT_EQ(qx::html::dom::ParseHtmlDocumentObject(u"<p>old</p>", &document), S_OK);
    ComPtr<IPersistStreamInit> persist = ComPtr<IPersistStreamInit>::QueryFrom(document.Get());
    ASSERT_TRUE(persist);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_HTMLDocument);
    EXPECT_TRUE(ComPtr<IPersist>::QueryFrom(document.Get()));
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    struct Case {
        std::string bytes;
        const char* charset;
        const char16_t* text; // of the first P
    };
    const Case cases[] = {
        {"<html><head><meta http-equiv=Content-Type content='text/html; charset=euc-kr'></head>"
         "<body><p>\xC7\xD1\xB1\xDB</p></body></html>",
         "euc-kr", u"\uD55C\uAE00"},
        {"<p>caf\xC3\xA9</p>", "utf-8", u"caf\u00E9"},
        {"<p>\xC7\xD1</p>", "ks_c_5601-1987", u"\uD55C"},
    };
    auto access = ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
    const qx::html::dom::DomPtr& dom = access->AccessDocument();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset);
        ASSERT_EQ(persist->Load(StreamOf(c.bytes).Get()), S_OK);
        EXPECT_EQ(ReadyState(document.Get()), u"complete");
        EXPECT_EQ(dom->tree.charset, c.charset);
        qx::html::dom::Node* p = dom->tree.Body()->firstChild;
        while (p && !p->Is(u"p"))
            p = p->next;
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(qx::html::dom::InnerText(p), c.text);
        EXPECT_EQ(persist->IsDirty(), S_FALSE);
    }
    // Saved in the document's charset: the euc-kr page comes back byte for byte as it serialises.
    ASSERT_EQ(persist->Load(StreamOf(cases[0].bytes).Get()), S_OK);
    dom->tree.Body()->SetAttribute(u"id", u"b");
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ComPtr<IStream> saved;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &saved), S_OK);
    ULARGE_INTEGER size{};
    ASSERT_EQ(persist->GetSizeMax(&size), S_OK);
    ASSERT_EQ(persist->Save(saved.Get(), FALSE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    const std::string bytes = BytesOf(saved.Get());
    EXPECT_EQ(bytes.size(), size.QuadPart);
    EXPECT_NE(bytes.find("<BODY id=b><P>\xC7\xD1\xB1\xDB</P></BODY>"), std::string::npos) << bytes;
    ASSERT_EQ(persist->Save(saved.Get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    // InitNew: an empty document with its HTML, HEAD and BODY.
    ASSERT_EQ(persist->InitNew(), S_OK);
    ASSERT_NE(dom->tree.Body(), nullptr);
    EXPECT_EQ(dom->tree.Body()->firstChild, nullptr);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);

    // Bad arguments.
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);
    EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
    EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);
    EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
}

} // namespace
