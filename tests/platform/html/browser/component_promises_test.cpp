// What the tree and list view components rely on from the browser, seen on a page of the browser
// control: scroll events (a programmatic scroll queues one; it stays at its element), clicks
// bubbling from cells to the DIVs around them, table rows across sections, element sinks that
// cancel with VT_BOOL false, and member names found without regard to case through IDispatchEx.
#include "browser_test_support.h"

#include <dispex.h>
#include <mshtml.h>
#include <ocidl.h>

#include <fstream>

namespace {

using browsertest::BrowserTest;
using qx::com::ComPtr;

class ComponentPromises : public BrowserTest {
protected:
    void TearDown() override {
        browser_ = nullptr;
        if (!path_.empty())
            std::filesystem::remove(path_);
        BrowserTest::TearDown();
    }
    // Shows the page (with a `log(text)` helper writing into #out), then runs the queue dry.
    std::string Show(const std::string& body) {
        path_ =
            std::filesystem::temp_directory_path() / ("qx-promises-" + std::to_string(::getpid()) + ".htm");
        std::ofstream(path_) << "<html><body>" << body
                             << "<p id=out></p><script>function log(t) { out.innerText += t + ';' }</script>"
                                "<script>main()</script></body></html>";
        browser_ = NewBrowser();
        EXPECT_TRUE(Load(browser_.Get(), qx::com::Utf8ToUtf16("file://" + path_.string())));
        qx::win32::input::PumpUntilIdle(0);
        return Text(browser_.Get(), u"out");
    }
    ComPtr<IDispatch> Element(std::u16string_view id) {
        ComPtr<IDispatch> document;
        browser_->get_Document(&document);
        ComPtr<IDispatch> element;
        ComPtr<IHTMLDocument3>::QueryFrom(document.Get())->getElementById(qx::com::Bstr(id).Get(), &element);
        return element;
    }

    std::filesystem::path path_;
    ComPtr<IWebBrowser2> browser_;
};

TEST_F(ComponentPromises, PagesBehaveAsTheComponentsExpect) {
    const struct {
        const char* name;
        std::string body;
        const char* out;
    } rows[] = {
        {"scroll stays at its element; a programmatic scroll queues its event, a put that moves nothing "
         "none",
         "<div onscroll=\"log('outer')\"><span id=s onscroll=\"log('span')\">x</span>"
         "<div id=box style='width:50px;height:50px;overflow:auto' "
         "onscroll=\"log(event.type + ' ' + event.srcElement.id + ' ' + box.scrollLeft)\">"
         "<div style='width:300px;height:20px'>x</div></div></div>"
         "<script>function main() { s.fireEvent('onscroll'); box.scrollLeft = 30; log('after'); "
         "box.scrollLeft = 30; }</script>",
         "span;after;scroll box 30;"},
        {"clicks bubble from a TD and a SPAN inside it to the DIVs",
         "<div onclick=\"log('outer')\"><div onclick=\"log('inner')\"><table><tr>"
         "<td id=c onclick=\"log('td')\"><span id=s>x</span></td></tr></table></div></div>"
         "<script>function main() { s.click(); c.click(); }</script>",
         "td;inner;outer;td;inner;outer;"},
        {"insertRow(-1) makes a TBODY; rows is live across TBODYs",
         "<table id=t></table><table id=u><tbody><tr><td>a</td></tr></tbody><tbody><tr><td>b</td></tr>"
         "</tbody></table><script>function main() { var r = t.rows; t.insertRow(-1);"
         "log(t.firstChild.tagName + ' ' + r.length); var ur = u.rows; log(ur.length + ' ' + "
         "ur[1].innerText);"
         "u.insertRow(-1); log(ur.length + ' ' + u.lastChild.rows.length); }</script>",
         "TBODY 1;2 b;3 2;"},
        {"removeNode(false) promotes the children; swapNode swaps places",
         "<div id=w><b id=a>1</b><i id=b>2</i></div><script>function main() { a.swapNode(b);"
         "log(w.innerHTML); w.removeNode(false); log(a.parentElement.tagName + ' ' + "
         "document.getElementById('w')); }</script>",
         "<I id=b>2</I><B id=a>1</B>;BODY null;"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Show(row.body), row.out);
    }
}

TEST_F(ComponentPromises, ElementSinksCancelWithFalseAndNamesIgnoreCase) {
    Show("<div id=d>x</div><span id=s>y</span><img id=i><script>function main() {}</script>");
    const struct {
        const char16_t* id;
        IID point;
    } rows[] = {
        {u"s", DIID_HTMLElementEvents}, {u"i", DIID_HTMLImgEvents},           {u"i", DIID_HTMLElementEvents},
        {u"d", DIID_HTMLElementEvents}, {u"d", DIID_HTMLTextContainerEvents},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(row.id));
        ComPtr<IDispatch> element = Element(row.id);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(ComPtr<IConnectionPointContainer>::QueryFrom(element.Get())
                      ->FindConnectionPoint(row.point, &point),
                  S_OK);
        std::vector<DISPID> heard;
        browsertest::RecordingDispatch sink(
            [&](DISPID id, const std::vector<std::string>&) { heard.push_back(id); }, row.point);
        sink.answer = qx::com::Variant(false);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        VARIANT none;
        VariantInit(&none);
        VARIANT_BOOL done = VARIANT_TRUE;
        ASSERT_EQ(ComPtr<IHTMLElement3>::QueryFrom(element.Get())
                      ->fireEvent(qx::com::Bstr(u"onclick").Get(), &none, &done),
                  S_OK);
        EXPECT_EQ(done, VARIANT_FALSE);
        EXPECT_EQ(heard, std::vector<DISPID>{DISPID(-600)});
        point->Unadvise(cookie);
    }

    // "UniqueID" in any case, through IDispatchEx.
    auto element = ComPtr<IDispatchEx>::QueryFrom(Element(u"d").Get());
    ASSERT_TRUE(element);
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(element->GetDispID(qx::com::Bstr(u"UniqueID").Get(), fdexNameCaseInsensitive, &id), S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    qx::com::Variant value;
    ASSERT_EQ(element->InvokeEx(id, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr), S_OK);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(value.bstrVal).rfind(u"ms__id", 0), 0u);
}

} // namespace
