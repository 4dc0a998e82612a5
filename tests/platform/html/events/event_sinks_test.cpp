// Connection-point sinks on elements, the document and the window: order against inline and
// attached handlers, cancelling, which point hears which event, identity, and sinks or elements
// that go away while an event is delivered.
#include "page_fixture.h"

#include <qx/html/script/page_script.h>

#include <mshtml.h>

namespace {

using qx::com::ComPtr;
using qx::com::Variant;
using qx::test::RecordingSink;
using Log = std::vector<std::string>;

class EventSinks : public qx::test::PageFixture {};

TEST_F(EventSinks, SinksRunAfterInlineAndAttachedHandlersAtEachNodeOfThePath) {
    Load(u"<body><div id=d onclick=\"record('div inline')\"><span id=s onclick=\"record('span "
         u"inline')\">x</span>"
         u"</div><script>s.attachEvent('onclick', function () { record('span attached') });</script>");
    Log log;
    std::unique_ptr<qx::html::script::PageScript> page;
    qx::html::script::PageScriptOptions options;
    options.report = [&](const std::string& report) { log.push_back("error " + report); };
    ASSERT_EQ(qx::html::script::PageScript::Open(document_.Get(), std::move(options), &page), S_OK);
    ASSERT_EQ(page->Engine().DefineFunction("record",
                                            [&](qx::script::CallContext& call) {
                                                log.push_back(qx::com::Utf16ToUtf8(call.ArgString(0)));
                                                return S_OK;
                                            }),
              S_OK);
    page->RunScripts();
    RecordingSink spanSink("span sink", log, DIID_HTMLElementEvents), spanDefault("span default", log),
        divSink("div sink", log, DIID_HTMLTextContainerEvents), docSink("document sink", log);
    Advise(Element(u"s").Get(), DIID_HTMLElementEvents, &spanSink);
    Advise(Element(u"s").Get(), IID_IDispatch, &spanDefault);
    Advise(Element(u"d").Get(), DIID_HTMLTextContainerEvents, &divSink);
    Advise(document_.Get(), IID_IDispatch, &docSink);

    EXPECT_TRUE(Fire(Element(u"s").Get(), u"onclick"));
    EXPECT_EQ(log, (Log{"span inline", "span attached", "span sink:-600", "span default:-600", "div inline",
                        "div sink:-600", "document sink:-600"}));
    page.reset();
    EXPECT_EQ(spanSink.Refs(), 0u) << "the closing page lets its sinks go";
}

TEST_F(EventSinks, ASinkCancelsOnlyWithAFalseResultOrReturnValue) {
    struct Row {
        const char* name;
        Variant answer;
        HRESULT invokeResult;
        const char16_t* returnValue; // script-free: put through window.event
        bool delivered;
    };
    const Row rows[] = {
        {"VT_BOOL false", Variant(false), S_OK, nullptr, false},
        {"VT_BOOL false with a failure, as hand-written sinks answer", Variant(false), E_NOTIMPL, nullptr,
         false},
        {"VT_BOOL true", Variant(true), S_OK, nullptr, true},
        {"nothing", Variant(), S_OK, nullptr, true},
        {"a number 0 is no VT_BOOL", Variant(LONG(0)), S_OK, nullptr, true},
        {"returnValue put to a 2-byte 0", Variant(), S_OK, u"i2", false},
        {"returnValue put to true", Variant(), S_OK, u"true", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Load(u"<body><table><tr><td id=c>x</td></tr></table>");
        Log log;
        RecordingSink sink("cell", log);
        sink.answer = row.answer;
        sink.invokeResult = row.invokeResult;
        if (row.returnValue)
            sink.during = [&](DISPID) {
                Variant event;
                ASSERT_EQ(events_->CurrentEvent(&event), S_OK);
                ComPtr<IHTMLEventObj> e = ComPtr<IHTMLEventObj>::QueryFrom(event.pdispVal);
                Variant value;
                value.vt = VT_I2;
                value.iVal = 0;
                e->put_returnValue(std::u16string_view(row.returnValue) == u"i2" ? value : Variant(true));
            };
        const DWORD cookie = Advise(Element(u"c").Get(), IID_IDispatch, &sink);
        EXPECT_EQ(Fire(Element(u"c").Get(), u"onselectstart"), row.delivered);
        EXPECT_EQ(log, (Log{"cell:-2147418100"}));
        EXPECT_EQ(Unadvise(Element(u"c").Get(), IID_IDispatch, cookie), S_OK);
        TearDown();
    }
}

TEST_F(EventSinks, EachPointHearsTheEventsOfItsInterface) {
    struct Row {
        const char* name;
        std::u16string html;
        IID point;
        const char16_t* event;
        Log heard;
    };
    const Row rows[] = {
        {"a cell's default point is its text container events",
         u"<table><tr><td id=e>x</td></tr></table>",
         IID_IDispatch,
         u"onchange",
         {"sink:1001"}},
        {"the element events of a cell have no change",
         u"<table><tr><td id=e>x</td></tr></table>",
         DIID_HTMLElementEvents,
         u"onchange",
         {}},
        {"a SELECT's default point hears change",
         u"<select id=e><option>a</select>",
         IID_IDispatch,
         u"onchange",
         {"sink:1001"}},
        {"an IMG's events hear load", u"<img id=e>", DIID_HTMLImgEvents, u"onload", {"sink:1003"}},
        {"a SPAN's element events hear mouseover",
         u"<span id=e>x</span>",
         DIID_HTMLElementEvents,
         u"onmouseover",
         {"sink:-2147418104"}},
        {"drag has the DISPID the form control relies on",
         u"<div id=e>x</div>",
         DIID_HTMLElementEvents,
         u"ondrag",
         {"sink:-2147418090"}},
        {"an event no interface declares reaches no sink",
         u"<div id=e>x</div>",
         IID_IDispatch,
         u"onfancy",
         {}},
        {"a P has no text container events", u"<p id=e>x</p>", DIID_HTMLTextContainerEvents, u"onclick", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Load(row.html);
        Log log;
        RecordingSink sink("sink", log, row.point);
        ComPtr<IDispatch> element = Element(u"e");
        ComPtr<IConnectionPointContainer> container =
            ComPtr<IConnectionPointContainer>::QueryFrom(element.Get());
        ComPtr<IConnectionPoint> point;
        const HRESULT found = container->FindConnectionPoint(row.point, &point);
        if (row.heard.empty() && FAILED(found)) {
            EXPECT_EQ(found, CONNECT_E_NOCONNECTION);
        } else {
            DWORD cookie = 0;
            ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
            Fire(element.Get(), row.event);
            EXPECT_EQ(log, row.heard);
        }
        TearDown();
    }
}

TEST_F(EventSinks, TheDocumentsSinksHearItsReadyStateChange) {
    Load(u"<body>x");
    Log log;
    RecordingSink sink("document", log, DIID_HTMLDocumentEvents);
    const DWORD cookie = Advise(document_.Get(), DIID_HTMLDocumentEvents, &sink);
    qx::html::events::EventInit init;
    init.type = u"readystatechange";
    EXPECT_TRUE(events_->Dispatch(dom_->tree.Document(), init));
    EXPECT_EQ(log, (Log{"document:-609"}));
    EXPECT_EQ(Unadvise(document_.Get(), DIID_HTMLDocumentEvents, cookie), S_OK);
}

TEST_F(EventSinks, ASinkWithoutTheEventInterfaceConnectsOnlyThroughIDispatch) {
    Load(u"<div id=d>x</div>");
    Log log;
    RecordingSink plain("plain", log);
    Advise(Element(u"d").Get(), DIID_HTMLElementEvents, &plain, CONNECT_E_CANNOTCONNECT);
    const DWORD cookie = Advise(Element(u"d").Get(), IID_IDispatch, &plain);
    EXPECT_EQ(cookie, 1u);
    Fire(Element(u"d").Get(), u"onclick");
    EXPECT_EQ(log, (Log{"plain:-600"}));
    EXPECT_EQ(Unadvise(Element(u"d").Get(), IID_IDispatch, cookie), S_OK);
    EXPECT_EQ(Unadvise(Element(u"d").Get(), IID_IDispatch, cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(plain.Refs(), 0u);
}

TEST_F(EventSinks, TheContainerIsTheElementsAndOutlivesItsObject) {
    Load(u"<body><span id=s>x</span>");
    Log log;
    RecordingSink sink("sink", log, DIID_HTMLElementEvents);
    DWORD cookie = 0;
    {
        ComPtr<IDispatch> element = Element(u"s");
        ComPtr<IUnknown> identity = ComPtr<IUnknown>::QueryFrom(element.Get());
        ComPtr<IConnectionPointContainer> a = ComPtr<IConnectionPointContainer>::QueryFrom(element.Get()),
                                          b = ComPtr<IConnectionPointContainer>::QueryFrom(element.Get());
        EXPECT_EQ(a.Get(), b.Get());
        EXPECT_EQ(ComPtr<IUnknown>::QueryFrom(a.Get()).Get(), identity.Get());
        EXPECT_TRUE(ComPtr<IHTMLElement>::QueryFrom(a.Get()));
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(a->FindConnectionPoint(DIID_HTMLElementEvents, &point), S_OK);
        IID iid{};
        EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
        EXPECT_TRUE(IsEqualIID(iid, DIID_HTMLElementEvents));
        ComPtr<IConnectionPointContainer> back;
        ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
        EXPECT_EQ(back.Get(), a.Get());
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    }
    // The element's object went with its last reference; a new one has the same points.
    ComPtr<IDispatch> again = Element(u"s");
    Fire(again.Get(), u"onclick");
    EXPECT_EQ(log, (Log{"sink:-600"}));
    EXPECT_EQ(Unadvise(again.Get(), DIID_HTMLElementEvents, cookie), S_OK);
    EXPECT_EQ(sink.Refs(), 0u);
}

TEST_F(EventSinks, SinksThatUnadviseOrRemoveTheirElementWhileCalled) {
    Load(u"<body><div id=d><span id=s>x</span></div>");
    Log log;
    RecordingSink first("first", log), second("second", log), outer("div", log);
    DWORD firstCookie = 0;
    first.during = [&](DISPID) {
        // Unadvises itself and takes its element out of the page, in the middle of the delivery.
        EXPECT_EQ(Unadvise(Element(u"s").Get(), IID_IDispatch, firstCookie), S_OK);
        ComPtr<IHTMLDOMNode> node = ComPtr<IHTMLDOMNode>::QueryFrom(Element(u"s").Get());
        ComPtr<IDispatch> removed;
        EXPECT_EQ(node->removeNode(VARIANT_TRUE, &removed), S_OK);
    };
    ComPtr<IDispatch> span = Element(u"s");
    firstCookie = Advise(span.Get(), IID_IDispatch, &first);
    Advise(span.Get(), IID_IDispatch, &second);
    Advise(Element(u"d").Get(), IID_IDispatch, &outer);
    EXPECT_TRUE(Fire(span.Get(), u"onclick"));
    EXPECT_EQ(log, (Log{"first:-600", "second:-600", "div:-600"}))
        << "the path was fixed when delivery began";
    EXPECT_EQ(first.Refs(), 0u);
    log.clear();
    EXPECT_TRUE(Fire(span.Get(), u"onclick"));
    EXPECT_EQ(log, (Log{"second:-600"})) << "the detached element keeps its own sinks";
    span = nullptr;
    events_->Clear();
    EXPECT_EQ(second.Refs(), 0u);
    EXPECT_EQ(outer.Refs(), 0u);
}

TEST_F(EventSinks, APointHeldPastThePageAndItsElementStaysUsable) {
    Load(u"<body><span id=s>x</span>");
    Log log;
    RecordingSink sink("sink", log);
    ComPtr<IConnectionPoint> point;
    {
        ComPtr<IConnectionPointContainer> container =
            ComPtr<IConnectionPointContainer>::QueryFrom(Element(u"s").Get());
        ASSERT_EQ(container->FindConnectionPoint(IID_IDispatch, &point), S_OK);
        ComPtr<IHTMLDOMNode> node = ComPtr<IHTMLDOMNode>::QueryFrom(Element(u"s").Get());
        ComPtr<IDispatch> removed;
        ASSERT_EQ(node->removeNode(VARIANT_TRUE, &removed), S_OK);
    }
    events_->Clear(); // the page closes; the element is out of it and nobody holds its object
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(point->GetConnectionPointContainer(&container), S_OK);
    ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(container.Get());
    ASSERT_TRUE(element);
    qx::com::Bstr id;
    element->get_id(&id);
    EXPECT_EQ(id, u"s");
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.Refs(), 0u);
}

} // namespace
