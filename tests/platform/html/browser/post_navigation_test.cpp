// Navigation by POST: a form with method=post sends its fields as the body (url-encoded, or
// multipart when its enctype says so) to an http address and shows the answer; a file: address is
// read as it stands; Navigate2 sends its PostData bytes with its Headers.
#include "browser_test_support.h"

#include "loopback_http_server.h"

#include <oleauto.h>

#include <cstring>
#include <fstream>

namespace {

using browsertest::BrowserTest;
using qx::com::ComPtr;

class PostNavigation : public BrowserTest {
protected:
    void SetUp() override {
        BrowserTest::SetUp();
        char pattern[] = "/tmp/qx-post-XXXXXX";
        dir_ = mkdtemp(pattern);
        server_.Serve("/save", [] {
            qxtest::HttpResponse response = qxtest::Reply(200, "<p id=out>saved</p>");
            response.contentType = "text/html";
            return response;
        }());
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        BrowserTest::TearDown();
    }
    // Shows a page holding the markup, whose script submits the form f; true once the browser
    // completed at the address the form went to.
    bool Submit(IWebBrowser2* browser, const std::string& form) {
        const std::string path = dir_ + "/form" + std::to_string(pages_++) + ".htm";
        std::ofstream(path) << "<html><body>" << form << "<script>f.submit()</script></body></html>";
        return Load(browser, qx::com::Utf8ToUtf16("file://" + path));
    }
    static std::string Header(const std::string& head, const std::string& name) {
        const std::size_t at = head.find("\r\n" + name + ": ");
        if (at == std::string::npos)
            return "<none>";
        const std::size_t start = at + 4 + name.size();
        return head.substr(start, head.find("\r\n", start) - start);
    }

    std::string dir_;
    int pages_ = 0;
    qxtest::LoopbackHttpServer server_;
};

TEST_F(PostNavigation, FormsSendTheirFieldsAsTheBodyOfAPost) {
    const std::string action = server_.Url("/save");
    const struct {
        std::string form;
        const char* contentType; // the start of the Content-Type header
        std::string body;        // "{B}" stands for the boundary
    } rows[] = {
        {"<form id=f method=POST action='" + action +
             "'><input name=a value='1 2'><input name=h value='\xED\x95\x9C&='></form>",
         "application/x-www-form-urlencoded", "a=1+2&h=%ED%95%9C%26%3D"},
        {"<form id=f method=post enctype=multipart/form-data action='" + action +
             "'><input name=a value=x><textarea name='t\"q'>line 1\nline 2</textarea>"
             "<input type=checkbox name=off></form>",
         "multipart/form-data; boundary=",
         "--{B}\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx\r\n"
         "--{B}\r\nContent-Disposition: form-data; name=\"t%22q\"\r\n\r\nline 1\nline 2\r\n--{B}--\r\n"},
        {"<form id=f method=post enctype=MULTIPART/FORM-DATA action='" + action + "'></form>",
         "multipart/form-data; boundary=", "--{B}--\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        ComPtr<IWebBrowser2> browser = NewBrowser();
        ASSERT_TRUE(Submit(browser.Get(), row.form));
        EXPECT_EQ(Text(browser.Get(), u"out"), "saved");
        const std::string head = server_.LastRequestHead();
        EXPECT_EQ(server_.LastRequestLine(), "POST /save HTTP/1.1");
        const std::string type = Header(head, "Content-Type");
        ASSERT_EQ(type.rfind(row.contentType, 0), 0u) << head;
        std::string expected = row.body;
        const std::string boundary = type.substr(std::string(row.contentType).size());
        for (std::size_t at; (at = expected.find("{B}")) != std::string::npos;)
            expected.replace(at, 3, boundary);
        EXPECT_EQ(server_.LastRequestBody(), expected);
        EXPECT_EQ(Header(head, "Content-Length"), std::to_string(expected.size()));
    }
}

TEST_F(PostNavigation, AFilePostedToIsReadAsItStands) {
    const std::string target = dir_ + "/target.htm";
    std::ofstream(target) << "<p id=out>the file</p>";
    ComPtr<IWebBrowser2> browser = NewBrowser();
    ASSERT_TRUE(
        Submit(browser.Get(), "<form id=f method=post action='target.htm'><input name=a value=1></form>"));
    EXPECT_EQ(Text(browser.Get(), u"out"), "the file");
    qx::com::Bstr location;
    browser->get_LocationURL(&location);
    EXPECT_EQ(qx::com::Utf16ToUtf8(location.View()), "file://" + target);
}

TEST_F(PostNavigation, Navigate2SendsPostDataWithItsHeaders) {
    ComPtr<IWebBrowser2> browser = NewBrowser();
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 5);
    void* bytes = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &bytes), S_OK);
    std::memcpy(bytes, "x=\0y1", 5);
    SafeArrayUnaccessData(array);
    VARIANT data;
    VariantInit(&data);
    data.vt = VT_ARRAY | VT_UI1;
    data.parray = array;
    VARIANT byReference;
    VariantInit(&byReference);
    byReference.vt = VT_BYREF | VT_VARIANT;
    byReference.pvarVal = &data;
    qx::com::Variant url{qx::com::Bstr(qx::com::Utf8ToUtf16(server_.Url("/save")))};
    qx::com::Variant headers{qx::com::Bstr(u"Content-Type: text/plain\r\nX-Form: 7\r\n")};
    ASSERT_EQ(browser->Navigate2(&url, nullptr, nullptr, &byReference, &headers), S_OK);
    ASSERT_TRUE(WaitComplete(browser.Get()));
    EXPECT_EQ(Text(browser.Get(), u"out"), "saved");
    EXPECT_EQ(server_.LastRequestLine(), "POST /save HTTP/1.1");
    EXPECT_EQ(server_.LastRequestBody(), std::string("x=\0y1", 5));
    EXPECT_EQ(Header(server_.LastRequestHead(), "Content-Type"), "text/plain");
    EXPECT_EQ(Header(server_.LastRequestHead(), "X-Form"), "7");
    VariantClear(&data);

    // PostData that is not an array of bytes is refused; an empty one is a GET.
    qx::com::Variant text{qx::com::Bstr(u"x=1")}, none;
    EXPECT_EQ(browser->Navigate2(&url, nullptr, nullptr, &text, nullptr), E_INVALIDARG);
    ASSERT_EQ(browser->Navigate2(&url, nullptr, nullptr, &none, nullptr), S_OK);
    ASSERT_TRUE(WaitComplete(browser.Get()));
    EXPECT_EQ(server_.LastRequestLine(), "GET /save HTTP/1.1");
}

} // namespace
