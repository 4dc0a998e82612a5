// The XML HTTP request class created by ProgID, against a loopback server.
#include "qx/xmlhttp/xmlhttp.h"

#include <msxml.h>

#include <loopback_http_server.h>
#include <objbase.h>
#include <objbase_activation.h>
#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using qx::com::Bstr;
using qx::com::ComPtr;

class XmlHttp : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(SUCCEEDED(qx::xmlhttp::RegisterXmlHttpClass()));
    }
    void TearDown() override { CoUninitialize(); }

    ComPtr<IXMLHTTPRequest> Create(const char16_t* progId) {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
        ComPtr<IXMLHTTPRequest> request;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLHTTPRequest,
                                   reinterpret_cast<void**>(&request)),
                  S_OK);
        return request;
    }

    static HRESULT Open(IXMLHTTPRequest* r, const char16_t* method, const std::string& url) {
        VARIANT async, none;
        VariantInit(&async);
        VariantInit(&none);
        async.vt = VT_BOOL;
        async.boolVal = VARIANT_FALSE;
        return r->open(Bstr(method), Bstr::FromUtf8(url), async, none, none);
    }
};

TEST_F(XmlHttp, BothProgIdsNameTheClass) {
    for (const char16_t* progId : {u"Msxml2.XMLHTTP", u"Microsoft.XMLHTTP"}) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
        EXPECT_TRUE(IsEqualGUID(clsid, CLSID_XMLHTTPRequest));
    }
}

TEST_F(XmlHttp, SynchronousGetWithUtf8AndKoreanText) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse page;
    page.body = "\xED\x95\x9C\xEA\xB8\x80 ok"; // "한글 ok" in UTF-8
    page.contentType = "text/plain; charset=utf-8";
    server.Serve("/utf8", page);
    qxtest::HttpResponse korean;
    korean.body = "\xC7\xD1\xB1\xDB"; // the same two letters in code page 949
    korean.contentType = "text/html; charset=euc-kr";
    server.Serve("/euckr", korean);

    auto request = Create(u"Msxml2.XMLHTTP");
    ASSERT_TRUE(request);
    LONG state = -1;
    request->get_readyState(&state);
    EXPECT_EQ(state, 0);
    LONG status = 0;
    EXPECT_EQ(request->get_status(&status), E_UNEXPECTED);
    ASSERT_EQ(Open(request.Get(), u"GET", server.Url("/utf8")), S_OK);
    request->get_readyState(&state);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(request->setRequestHeader(Bstr(u"X-Test"), Bstr(u"1")), S_OK);
    EXPECT_EQ(request->setRequestHeader(Bstr(u"Bad\r\nName"), Bstr(u"1")), E_INVALIDARG);
    VARIANT body;
    VariantInit(&body);
    ASSERT_EQ(request->send(body), S_OK);
    request->get_readyState(&state);
    EXPECT_EQ(state, 4);
    ASSERT_EQ(request->get_status(&status), S_OK);
    EXPECT_EQ(status, 200);
    Bstr text;
    ASSERT_EQ(request->get_responseText(text.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(std::u16string(text.Get()), u"한글 ok");
    Bstr type;
    ASSERT_EQ(request->getResponseHeader(Bstr(u"content-TYPE"), type.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(std::u16string(type.Get()), u"text/plain; charset=utf-8");
    Bstr all;
    ASSERT_EQ(request->getAllResponseHeaders(all.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_NE(std::u16string(all.Get()).find(u"Content-Type: text/plain; charset=utf-8\r\n"),
              std::u16string::npos);

    ASSERT_EQ(Open(request.Get(), u"GET", server.Url("/euckr")), S_OK);
    ASSERT_EQ(request->send(body), S_OK);
    ASSERT_EQ(request->get_responseText(text.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(std::u16string(text.Get()), u"한글");
}

TEST_F(XmlHttp, StatusOfAMissingPageAndUnreachableHosts) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse missing;
    missing.status = 404;
    missing.body = "gone";
    server.Serve("/missing", missing);
    auto request = Create(u"Microsoft.XMLHTTP");
    ASSERT_TRUE(request);
    VARIANT body;
    VariantInit(&body);
    ASSERT_EQ(Open(request.Get(), u"GET", server.Url("/missing")), S_OK);
    ASSERT_EQ(request->send(body), S_OK);
    LONG status = 0;
    request->get_status(&status);
    EXPECT_EQ(status, 404);
    Bstr statusText;
    request->get_statusText(statusText.ReleaseAndGetAddressOf());
    EXPECT_FALSE(std::u16string(statusText.Get() ? statusText.Get() : u"").empty());

    ASSERT_EQ(Open(request.Get(), u"GET", "http://127.0.0.1:1/"), S_OK);
    EXPECT_TRUE(FAILED(request->send(body)));
    LONG state = 0;
    request->get_readyState(&state);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(Open(request.Get(), u"", server.Url("/missing")), E_INVALIDARG);
}

// responseXML: the response parsed by the platform's XML parser when it is XML, from its bytes
// (the declaration's encoding holds); an empty document otherwise; the same object on every read.
TEST_F(XmlHttp, ResponseXmlIsTheParsedResponse) {
    qxtest::LoopbackHttpServer server;
    const struct {
        const char* path;
        const char* contentType;
        std::string body;
        const char16_t* rootText; // the document element's text; null: no document element
        bool parseError;
    } cases[] = {
        {"/xml", "text/xml", "<?xml version=\"1.0\" encoding=\"euc-kr\"?><FORM>\xC7\xD1\xB1\xDB</FORM>",
         u"한글", false},
        {"/app", "application/xml; charset=utf-8", "<LIST><ROW>\xED\x95\x9C</ROW></LIST>", u"한", false},
        {"/plus", "application/vnd.form+xml", "<FORM>x</FORM>", u"x", false},
        {"/html", "text/html", "<FORM>not read</FORM>", nullptr, false},
        {"/broken", "text/xml", "<FORM><ROW></FORM>", nullptr, true},
    };
    for (const auto& c : cases) {
        qxtest::HttpResponse response;
        response.body = c.body;
        response.contentType = c.contentType;
        server.Serve(c.path, response);
    }
    auto request = Create(u"Msxml2.XMLHTTP");
    ASSERT_TRUE(request);
    ComPtr<IDispatch> none;
    EXPECT_EQ(request->get_responseXML(&none), E_UNEXPECTED) << "nothing was sent";
    VARIANT body;
    VariantInit(&body);
    for (const auto& c : cases) {
        ASSERT_EQ(Open(request.Get(), u"GET", server.Url(c.path)), S_OK);
        ASSERT_EQ(request->send(body), S_OK);
        ComPtr<IDispatch> first, second;
        ASSERT_EQ(request->get_responseXML(&first), S_OK) << c.path;
        ASSERT_EQ(request->get_responseXML(&second), S_OK);
        EXPECT_EQ(first.Get(), second.Get()) << c.path;
        ComPtr<IXMLDOMDocument> document;
        ASSERT_EQ(first->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(&document)), S_OK);
        ComPtr<IDispatch> root;
        ASSERT_TRUE(SUCCEEDED(document->get_documentElement(&root)));
        if (c.rootText) {
            ComPtr<IXMLDOMNode> node;
            ASSERT_TRUE(root &&
                        SUCCEEDED(root->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&node))));
            Bstr text;
            ASSERT_EQ(node->get_text(text.ReleaseAndGetAddressOf()), S_OK);
            EXPECT_EQ(std::u16string(text.Get()), c.rootText) << c.path;
        } else {
            EXPECT_FALSE(root) << c.path;
        }
        ComPtr<IDispatch> errorObject;
        ASSERT_EQ(document->get_parseError(&errorObject), S_OK);
        ComPtr<IXMLDOMParseError> error;
        ASSERT_EQ(errorObject->QueryInterface(IID_IXMLDOMParseError, reinterpret_cast<void**>(&error)), S_OK);
        LONG code = 0;
        error->get_errorCode(&code);
        EXPECT_EQ(code != 0, c.parseError) << c.path;
    }
}

} // namespace
