// Element behaviours seen from page script: each row is a page whose script says what it sees;
// the test behaviour's factory logs what the browser asked of it and of its behaviours.
#include "test_behaviors.h"

#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/object.h"
#include "qx/com/variant.h"
#include "qx/html/behaviors/page_behaviors.h"
#include "qx/html/script/page_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qx::com::ComPtr;
using qx::html::behaviors::PageBehaviorOptions;
using qx::html::behaviors::PageBehaviors;

// {8F1D6A40-52C3-4E7B-9A0D-3B6C2E4F7A20}: the test factory as a registered class.
constexpr CLSID kFactoryClass = {
    0x8F1D6A40, 0x52C3, 0x4E7B, {0x9A, 0x0D, 0x3B, 0x6C, 0x2E, 0x4F, 0x7A, 0x20}};
std::shared_ptr<std::u16string> g_classLog;
int g_classesMade = 0;

HRESULT CreateRegisteredFactory(IUnknown* outer, REFIID riid, void** ppv) {
    if (outer)
        return CLASS_E_NOAGGREGATION;
    ComPtr<IDispatch> factory;
    ++g_classesMade;
    const HRESULT hr = qx::test::CreateTestBehaviorFactory(g_classLog, &factory);
    return FAILED(hr) ? hr : factory->QueryInterface(riid, ppv);
}

const std::string kPrelude =
    "<html><head><script>var out = []; function say() { out.push(Array.prototype.map.call(arguments, "
    "String).join(' ')); }</script></head>";

struct Row {
    const char* name;
    std::string page;
    std::string said; // what say() was given, joined by "|"
};

class Behaviors : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        log_ = std::make_shared<std::u16string>();
        g_classLog = std::make_shared<std::u16string>();
        ASSERT_TRUE(SUCCEEDED(qx::test::CreateTestBehaviorFactory(log_, &factory_)));
        ComPtr<IClassFactory> classFactory;
        ASSERT_TRUE(SUCCEEDED(qx::com::CreateClassFactory(CreateRegisteredFactory, IID_IClassFactory,
                                                          reinterpret_cast<void**>(&classFactory))));
        ASSERT_TRUE(SUCCEEDED(CoRegisterClassObject(kFactoryClass, classFactory.Get(), CLSCTX_INPROC_SERVER,
                                                    REGCLS_MULTIPLEUSE, &registration_)));
    }
    void TearDown() override {
        Close();
        CoRevokeClassObject(registration_);
        factory_ = nullptr;
        g_classLog.reset();
        CoUninitialize();
    }
    void Close() {
        behaviors_.reset();
        page_.reset();
        document_ = nullptr;
    }
    // Opens the page with its behaviours (styles applied), runs its scripts and gives what they said.
    std::string Open(const std::string& html, PageBehaviorOptions options = {}, bool objects = true) {
        Close();
        EXPECT_TRUE(SUCCEEDED(
            qx::html::dom::ParseHtmlDocumentObject(qx::com::Utf8ToUtf16(kPrelude + html), &document_)));
        qx::html::script::PageScriptOptions scriptOptions;
        scriptOptions.report = [this](const std::string& report) { errors_ += report; };
        EXPECT_TRUE(SUCCEEDED(qx::html::script::PageScript::Open(document_.Get(), scriptOptions, &page_)));
        EXPECT_TRUE(SUCCEEDED(page_->Engine().DefineValue("factory", qx::com::Variant(factory_.Get()))));
        if (objects)
            options.objectOf = [this](IHTMLElement*, IUnknown** object) {
                return factory_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(object));
            };
        options.defaultBehaviors[u"Registered"] = kFactoryClass;
        options.notifyFailed = [this](qx::html::dom::Node* element, LONG event, HRESULT hr) {
            failures_ += qx::com::Utf16ToUtf8(element->name) + " " + std::to_string(event) + " " +
                         std::to_string(static_cast<std::uint32_t>(hr)) + ";";
        };
        EXPECT_TRUE(SUCCEEDED(PageBehaviors::Open(document_.Get(), std::move(options), &behaviors_)));
        behaviors_->ApplyStyles();
        page_->RunScripts();
        return Said();
    }
    std::string Said() {
        page_->Execute("var said = out.join('|'); out = [];", "test");
        qx::com::Variant said;
        page_->Engine().GetGlobal(u"said", &said);
        return said.vt == VT_BSTR ? qx::com::Utf16ToUtf8({said.bstrVal, SysStringLen(said.bstrVal)}) : "";
    }
    void RunRows(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            Close();
            log_->clear();
            EXPECT_EQ(Open(row.page), row.said);
            EXPECT_EQ(errors_, "");
            errors_.clear();
        }
    }
    std::string Log() const { return qx::com::Utf16ToUtf8(*log_); }

    std::shared_ptr<std::u16string> log_;
    ComPtr<IDispatch> factory_;
    DWORD registration_ = 0;
    ComPtr<IHTMLDocument2> document_;
    std::unique_ptr<qx::html::script::PageScript> page_;
    std::unique_ptr<PageBehaviors> behaviors_;
    std::string errors_, failures_;
};

TEST_F(Behaviors, AddBehaviorRunsInitAndContentReadyBeforeItReturns) {
    RunRows({
        {"in the document",
         "<body><div id=d></div><script>var c = d.addBehavior('BLANK#TreeNode', factory); say(c, "
         "factory.calls)"
         "</script>",
         "1 find TreeNode BLANK#TreeNode;init;notify 0 DIV;notify 1 DIV;"},
        {"outside the document, then moved in, out and back: one attachment all along",
         "<body><p id=p></p><script>var d = document.createElement('DIV'); "
         "say(d.addBehavior('#lvf#LISTVIEW', "
         "factory)); d.title = 'x'; p.appendChild(d); d.removeNode(true); p.appendChild(d);"
         "say(d.title, d.getAttribute('title'), factory.calls)</script>",
         "1|x null find LISTVIEW #lvf#LISTVIEW;init;notify 0 DIV;notify 1 DIV;"},
        {"a factory that finds nothing, a refusing Init, a factory that is none",
         "<body><div id=d></div><script>say(d.addBehavior('x#none', factory), d.addBehavior('#x#none', "
         "factory));"
         "try { d.addBehavior('#x#refusing', factory) } catch (e) { say('refused', e.number) }"
         "try { d.addBehavior('#x#y', document.body) } catch (e) { say('no factory', e.number) }"
         "say(factory.calls)</script>",
         "0 0|refused -2147467259|no factory -2147024809|find none x#none;find none #x#none;find refusing "
         "#x#refusing;init;"},
        {"cookies count per document; removeBehavior detaches once",
         "<body><div id=a></div><div id=b></div><script>var c1 = a.addBehavior('#x#one', factory), "
         "c2 = b.addBehavior('#x#two', factory); say(c1, c2, b.removeBehavior(c1), b.removeBehavior(c2), "
         "b.removeBehavior(c2)); say(factory.calls)</script>",
         "1 2 false true false|find one #x#one;init;notify 0 DIV;notify 1 DIV;find two #x#two;init;notify 0 "
         "DIV;notify 1 DIV;detach;"},
    });
}

TEST_F(Behaviors, MembersShadowTheElementsAndGoWithTheBehavior) {
    RunRows({
        {"title is the behaviour's while it is attached",
         "<body><div id=d title=attr></div><script>var c = d.addBehavior('#x#b', factory); say(d.title); "
         "d.title = 'mine'; say(d.title, d.getAttribute('title'), typeof d.fire);"
         "d.removeBehavior(c); say(d.title, typeof d.fire)</script>",
         "|mine attr function|attr undefined"},
        {"the latest behaviour answers first; a registered name reaches the behaviour itself",
         "<body><div id=d></div><script>var c1 = d.addBehavior('#x#keeper', factory); d.title = 'one';"
         "var c2 = d.addBehavior('#x#two', factory); d.title = 'two'; say(d.keeper.title, d.title);"
         "d.removeBehavior(c2); say(d.title)</script>",
         "one two|one"},
    });
}

TEST_F(Behaviors, EventsReachTheElementsHandlers) {
    RunRows({
        {"RegisterEvent gives one cookie per name in any case",
         "<body><div id=d></div><script>d.addBehavior('#x#b', factory);"
         "say(d.fire('onOne', 0), d.fire('onTwo', 0), d.fire('ONONE', 0))</script>",
         "1 2 1"},
        {"inline and attached handlers, with the event object's attributes; no type unless set",
         "<body><span id=s onSelChanged=\"say('inline', event.type, event.param.id, event.srcElement.id)\">"
         "</span><script>s.addBehavior('#x#b', factory); s.attachEvent('onselchanged', function (e) {"
         " say('attached', e.type, e.param.id, e.getAttribute('result')) });"
         "s.fire('onSelChanged', 0x100, s); s.fire('onSelChanged', 0, document.body)</script>",
         "inline onSelChanged s s|attached onSelChanged s null|inline null  s|attached null  null"},
        {"\"type\" and \"result\" read as null until the behaviour sets them",
         "<body><span id=s></span><script>s.addBehavior('#x#b', factory); s.attachEvent('onBare', function "
         "(e) {"
         " say(e.type === null, e.result === null, e.other === undefined) }); s.fire('onBare', 0)</script>",
         "true true true"},
        {"an event stays at its element unless registered to bubble",
         "<body><div onStay=\"say('div stay')\" onGo=\"say('div go')\"><b id=b onGo=\"say('b "
         "go')\"></b></div>"
         "<script>b.addBehavior('#x#b', factory); b.fire('onStay', 0); b.fire('onGo', 1)</script>",
         "b go|div go"},
        {"a handler that removes the behaviour while it fires",
         "<body><div id=d onGone=\"say('removed', d.removeBehavior(c), d.keeper)\"></div><script>"
         "var c = d.addBehavior('#x#keeper', factory), k = d.keeper; k.fire('onGone', 0);"
         "say(k.probe(), typeof d.fire)</script>",
         "removed true undefined|-2147418113 undefined"},
    });
}

TEST_F(Behaviors, StylesAttachAndDetach) {
    const std::string page =
        "<style>.tree { behavior: url(#obj#Sheet) url('#default#registered') }</style><body>"
        "<object id=obj classid='clsid:8F1D6A40-52C3-4E7B-9A0D-3B6C2E4F7A20'></object>"
        "<div id=d class=tree style='behavior:url(#obj#Inline)'></div>"
        "<p id=p class=tree style=\"color:red\"></p><span id=s style='behavior: "
        "url(\"#obj#failing\")'></span>";
    EXPECT_EQ(Open(page), "");
    // The inline declaration wins over the rule; the rule gives P both of its URLs.
    EXPECT_EQ(Log(),
              "find Inline #obj#Inline;init;notify 0 DIV;notify 1 DIV;find Sheet #obj#Sheet;init;notify "
              "0 P;notify 1 P;find failing #obj#failing;init;notify 0 SPAN;notify 1 SPAN;");
    EXPECT_EQ(qx::com::Utf16ToUtf8(*g_classLog),
              "find registered #default#registered;init;notify 0 P;notify 1 P;");
    EXPECT_EQ(failures_, "span 0 2147500037;span 1 2147500037;");
    EXPECT_EQ(behaviors_->Count(), 4u);
    // Applying again changes nothing; a style that names another URL swaps the behaviour.
    log_->clear();
    behaviors_->ApplyStyles();
    EXPECT_EQ(Log(), "");
    page_->Execute("d.setAttribute('style', 'behavior: url(#obj#Other)'); p.className = ''", "test");
    behaviors_->ApplyStyles();
    EXPECT_EQ(Log(), "detach;find Other #obj#Other;init;notify 0 DIV;notify 1 DIV;detach;");
    EXPECT_EQ(qx::com::Utf16ToUtf8(*g_classLog),
              "find registered #default#registered;init;notify 0 P;notify 1 "
              "P;detach;");
    EXPECT_EQ(behaviors_->Count(), 2u);
}

// Without the control hosting's objects, an OBJECT's class is made from its classid, once.
TEST_F(Behaviors, ObjectFactoriesFromTheirClassid) {
    g_classesMade = 0;
    EXPECT_EQ(
        Open("<body><object id=o classid='clsid:{8F1D6A40-52C3-4E7B-9A0D-3B6C2E4F7A20}'></object>"
             "<object id=bad classid='clsid:00000000-0000-0000-0000-0000000000FF'></object>"
             "<b id=n></b><div style='behavior:url(#o#one)'></div><div style='behavior:url(#o#two)'></div>"
             "<p style='behavior:url(#bad#x) url(#n#y) url(#missing#z) url(#default#nobody) url(a.htc)'></p>",
             {}, false),
        "");
    EXPECT_EQ(
        qx::com::Utf16ToUtf8(*g_classLog),
        "find one #o#one;init;notify 0 DIV;notify 1 DIV;find two #o#two;init;notify 0 DIV;notify 1 DIV;");
    EXPECT_EQ(behaviors_->Count(), 2u);
    EXPECT_EQ(g_classesMade, 1);
}

TEST_F(Behaviors, ElementsThrownAwayLoseTheirBehaviours) {
    EXPECT_EQ(Open("<body><div id=c><div id=a></div><p><b id=b></b></p></div><div id=keep></div><script>"
                   "a.addBehavior('#x#one', factory); b.addBehavior('#x#two', factory);"
                   "keep.addBehavior('#x#three', factory); var held = b; c.innerHTML = '';"
                   "say(typeof held.fire, typeof keep.fire)</script>"),
              "undefined function");
    EXPECT_EQ(behaviors_->Count(), 1u);
    log_->clear();
    behaviors_.reset();
    EXPECT_EQ(Log(), "detach;");
    EXPECT_EQ(Open("<body><div id=d></div><script>d.addBehavior('#x#one', factory)</script>"), "");
}

// What a component sees: addBehavior with the factory as VT_UNKNOWN, then the element's IDispatch.
TEST_F(Behaviors, ElementDispatchAsksTheBehaviourFirst) {
    EXPECT_EQ(Open("<body><div id=d title=attr></div>"), "");
    ComPtr<IHTMLDocument3> document3 = ComPtr<IHTMLDocument3>::QueryFrom(document_.Get());
    ComPtr<IDispatch> div;
    ASSERT_TRUE(SUCCEEDED(document3->getElementById(qx::com::Bstr(u"d"), &div)));
    ComPtr<IHTMLElement2> element = ComPtr<IHTMLElement2>::QueryFrom(div.Get());
    ComPtr<IUnknown> factory = ComPtr<IUnknown>::QueryFrom(factory_.Get());
    VARIANT byUnknown;
    VariantInit(&byUnknown);
    byUnknown.vt = VT_UNKNOWN;
    byUnknown.punkVal = factory.Get();
    LONG cookie = 0;
    ASSERT_EQ(element->addBehavior(qx::com::Bstr(u"#lvf#LISTVIEW"), &byUnknown, &cookie), S_OK);
    EXPECT_EQ(cookie, 1);

    auto idOf = [&](const char16_t* name) {
        std::u16string text(name);
        LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(text.data())};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(div->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
        return id;
    };
    auto get = [&](DISPID id, qx::com::Variant* value) {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        return div->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
    };
    const DISPID shadowing = idOf(u"TITLE");
    EXPECT_NE(shadowing, 0x80010045); // the element's own title
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"mine");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS one{&text, &put, 1, 1};
    EXPECT_EQ(div->Invoke(shadowing, IID_NULL, 0, DISPATCH_PROPERTYPUT, &one, nullptr, nullptr, nullptr),
              S_OK);
    VariantClear(&text);
    qx::com::Variant value;
    EXPECT_EQ(get(shadowing, &value), S_OK);
    EXPECT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(value.bstrVal), u"mine");
    // The element's member stays reachable by its own DISPID.
    qx::com::Variant own;
    EXPECT_EQ(get(0x80010045, &own), S_OK);
    EXPECT_EQ(std::u16string(own.bstrVal), u"attr");

    VARIANT_BOOL removed = VARIANT_FALSE;
    EXPECT_EQ(element->removeBehavior(cookie, &removed), S_OK);
    EXPECT_EQ(removed, VARIANT_TRUE);
    qx::com::Variant gone;
    EXPECT_EQ(get(shadowing, &gone), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(idOf(u"title"), 0x80010045);
    EXPECT_EQ(Log(), "find LISTVIEW #lvf#LISTVIEW;init;notify 0 DIV;notify 1 DIV;detach;");
}

TEST_F(Behaviors, DocumentReadyWaitsForTheDocument) {
    ComPtr<IHTMLDocument2> document;
    ASSERT_TRUE(
        SUCCEEDED(qx::html::dom::ParseHtmlDocumentObject(u"<div id=d style='behavior:url(#o#x)'></div>"
                                                         u"<object id=o></object>",
                                                         &document)));
    ComPtr<IHtmlNodeAccess> access = ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
    access->AccessDocument()->readyState = u"loading";
    PageBehaviorOptions options;
    options.objectOf = [this](IHTMLElement*, IUnknown** object) {
        return factory_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(object));
    };
    std::unique_ptr<PageBehaviors> page;
    ASSERT_TRUE(SUCCEEDED(PageBehaviors::Open(document.Get(), options, &page)));
    std::unique_ptr<PageBehaviors> second;
    EXPECT_EQ(PageBehaviors::Open(document.Get(), options, &second), E_UNEXPECTED);
    page->ApplyStyles();
    EXPECT_EQ(Log(), "find x #o#x;init;notify 0 DIV;");
    page->DocumentReady();
    page->DocumentReady();
    EXPECT_EQ(Log(), "find x #o#x;init;notify 0 DIV;notify 1 DIV;");
    // Without behaviours, the element members say so.
    page.reset();
    ComPtr<IDispatch> element;
    ASSERT_TRUE(SUCCEEDED(document->get_body(&element)));
    ComPtr<IHTMLElement2> body = ComPtr<IHTMLElement2>::QueryFrom(element.Get());
    LONG cookie = 7;
    EXPECT_EQ(body->addBehavior(qx::com::Bstr(u"#o#x"), nullptr, &cookie), E_NOTIMPL);
    EXPECT_EQ(cookie, 0);
}

} // namespace
