// IXMLHTTPRequest over libcurl. Requests run synchronously: an asynchronous open is accepted and
// its send completes before it returns, with the onreadystatechange handler called on the way,
// so script written for either mode sees the states it expects.
#include "qx/xmlhttp/xmlhttp.h"

#include "objbase.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/dispatch.h"
#include "qx/com/object.h"
#include "qx/win32/codepage.h"
#include "qx/xml/xml_dom.h"

#include <curl/curl.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace qx::xmlhttp {
namespace {

std::string Utf8(BSTR text) {
    return text ? qx::win32::WideToUtf8(std::u16string_view(text, SysStringLen(text))) : std::string();
}

std::string Lower(std::string text) {
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

std::string Trim(const std::string& text) {
    size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

HRESULT ReturnText(std::u16string_view text, BSTR* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out || text.empty() ? S_OK : E_OUTOFMEMORY;
}

class CXMLHTTPRequest : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IXMLHTTPRequest> {
public:
    static constexpr bool kAggregatable = false;
    QX_BEGIN_INTERFACES(CXMLHTTPRequest)
    QX_INTERFACE_ENTRY(IXMLHTTPRequest)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLHTTPRequest)
    QX_END_INTERFACES()

    STDMETHODIMP open(BSTR method, BSTR url, VARIANT, VARIANT user, VARIANT password) override {
        if (SysStringLen(method) == 0 || SysStringLen(url) == 0)
            return E_INVALIDARG;
        Reset();
        method_ = Utf8(method);
        for (char& ch : method_)
            if (ch >= 'a' && ch <= 'z')
                ch = static_cast<char>(ch - 'a' + 'A');
        url_ = Utf8(url);
        user_ = user.vt == VT_BSTR ? Utf8(user.bstrVal) : std::string();
        password_ = password.vt == VT_BSTR ? Utf8(password.bstrVal) : std::string();
        ChangeState(1);
        return S_OK;
    }

    STDMETHODIMP setRequestHeader(BSTR header, BSTR value) override {
        if (state_ != 1 || sent_)
            return E_UNEXPECTED;
        std::string name = Trim(Utf8(header));
        if (name.empty() || name.find_first_of(":\r\n") != std::string::npos)
            return E_INVALIDARG;
        std::string text = Utf8(value);
        if (text.find_first_of("\r\n") != std::string::npos)
            return E_INVALIDARG;
        requestHeaders_.push_back(name + ": " + text);
        return S_OK;
    }

    STDMETHODIMP getResponseHeader(BSTR header, BSTR* value) override {
        if (value == nullptr)
            return E_POINTER;
        *value = nullptr;
        if (state_ != 4)
            return E_UNEXPECTED;
        std::string wanted = Lower(Trim(Utf8(header)));
        std::string joined;
        bool found = false;
        for (const auto& [name, text] : responseHeaders_) {
            if (Lower(name) != wanted)
                continue;
            joined += (found ? ", " : "") + text;
            found = true;
        }
        return ReturnText(qx::win32::Utf8ToWide(joined), value);
    }

    STDMETHODIMP getAllResponseHeaders(BSTR* headers) override {
        if (headers == nullptr)
            return E_POINTER;
        *headers = nullptr;
        if (state_ != 4)
            return E_UNEXPECTED;
        std::string all;
        for (const auto& [name, text] : responseHeaders_)
            all += name + ": " + text + "\r\n";
        return ReturnText(qx::win32::Utf8ToWide(all), headers);
    }

    STDMETHODIMP send(VARIANT body) override {
        if (state_ != 1 || sent_)
            return E_UNEXPECTED;
        std::string bytes;
        HRESULT hr = BodyBytes(body, bytes);
        if (FAILED(hr))
            return hr;
        sent_ = true;
        hr = Perform(bytes);
        if (FAILED(hr)) {
            sent_ = false;
            return hr;
        }
        ChangeState(2);
        ChangeState(3);
        ChangeState(4);
        return S_OK;
    }

    STDMETHODIMP abort() override {
        Reset();
        return S_OK;
    }

    STDMETHODIMP get_status(LONG* status) override {
        if (status == nullptr)
            return E_POINTER;
        if (state_ != 4)
            return E_UNEXPECTED;
        *status = status_;
        return S_OK;
    }

    STDMETHODIMP get_statusText(BSTR* text) override {
        if (text == nullptr)
            return E_POINTER;
        *text = nullptr;
        if (state_ != 4)
            return E_UNEXPECTED;
        return ReturnText(qx::win32::Utf8ToWide(statusText_), text);
    }

    // The response parsed by the platform's XML parser when its Content-Type is XML (or absent),
    // else an empty document, as on Windows; a response that does not parse gives a document
    // whose parseError says why. The same document on every read.
    STDMETHODIMP get_responseXML(IDispatch** body) override {
        if (body == nullptr)
            return E_POINTER;
        *body = nullptr;
        if (state_ != 4)
            return E_UNEXPECTED;
        if (!responseXml_) {
            qx::com::ComPtr<IXMLDOMDocument> document;
            HRESULT hr =
                qx::xml::CreateDOMDocument(nullptr, IID_IXMLDOMDocument, reinterpret_cast<void**>(&document));
            if (FAILED(hr))
                return hr;
            document->put_async(VARIANT_FALSE);
            if (IsXmlResponse()) {
                hr = LoadBody(document.Get());
                if (FAILED(hr))
                    return hr;
            }
            responseXml_ = static_cast<IDispatch*>(document.Get());
        }
        return responseXml_.CopyTo(body);
    }

    STDMETHODIMP get_responseText(BSTR* body) override {
        if (body == nullptr)
            return E_POINTER;
        *body = nullptr;
        if (state_ != 4)
            return E_UNEXPECTED;
        return ReturnText(DecodedBody(), body);
    }

    STDMETHODIMP get_responseBody(VARIANT* body) override {
        if (body == nullptr)
            return E_POINTER;
        VariantInit(body);
        if (state_ != 4)
            return E_UNEXPECTED;
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(body_.size()));
        if (array == nullptr)
            return E_OUTOFMEMORY;
        void* data = nullptr;
        if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
            if (!body_.empty())
                std::memcpy(data, body_.data(), body_.size());
            SafeArrayUnaccessData(array);
        }
        body->vt = VT_ARRAY | VT_UI1;
        body->parray = array;
        return S_OK;
    }

    STDMETHODIMP get_responseStream(VARIANT* body) override {
        if (body)
            VariantInit(body);
        return E_NOTIMPL;
    }

    STDMETHODIMP get_readyState(LONG* state) override {
        if (state == nullptr)
            return E_POINTER;
        *state = state_;
        return S_OK;
    }

    STDMETHODIMP put_onreadystatechange(IDispatch* sink) override {
        sink_ = sink;
        return S_OK;
    }

private:
    void Reset() {
        state_ = 0;
        sent_ = false;
        status_ = 0;
        statusText_.clear();
        requestHeaders_.clear();
        responseHeaders_.clear();
        body_.clear();
        responseXml_.Reset();
    }

    // Whether the Content-Type names XML ("text/xml", "application/xml", "...+xml") or is absent.
    bool IsXmlResponse() const {
        for (const auto& [name, text] : responseHeaders_) {
            if (Lower(name) != "content-type")
                continue;
            const std::string type = Trim(Lower(text.substr(0, text.find(';'))));
            return type == "text/xml" || type == "application/xml" ||
                   (type.size() > 4 && type.compare(type.size() - 4, 4, "+xml") == 0);
        }
        return true;
    }

    // The body's bytes, not its decoded text, go to the parser: it reads the encoding from the
    // byte-order mark or the XML declaration itself.
    HRESULT LoadBody(IXMLDOMDocument* document) const {
        qx::com::ComPtr<IStream> stream;
        HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        if (FAILED(hr))
            return hr;
        ULONG written = 0;
        hr = stream->Write(body_.data(), static_cast<ULONG>(body_.size()), &written);
        if (SUCCEEDED(hr) && written != body_.size())
            hr = E_OUTOFMEMORY;
        LARGE_INTEGER start{};
        if (SUCCEEDED(hr))
            hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
        if (FAILED(hr))
            return hr;
        VARIANT source;
        VariantInit(&source);
        source.vt = VT_UNKNOWN;
        source.punkVal = stream.Get();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        // A failed parse is the document's parseError, not a failure of this property.
        document->load(source, &loaded);
        return S_OK;
    }

    void ChangeState(LONG state) {
        state_ = state;
        if (!sink_)
            return;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        qx::com::ComPtr<IDispatch> sink = sink_;
        sink->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                     nullptr);
    }

    static HRESULT BodyBytes(const VARIANT& body, std::string& bytes) {
        const VARIANT* v = &body;
        if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal)
            v = v->pvarVal;
        switch (v->vt) {
        case VT_EMPTY:
        case VT_NULL:
        case VT_ERROR:
            return S_OK;
        case VT_BSTR:
            bytes = Utf8(v->bstrVal);
            return S_OK;
        case VT_ARRAY | VT_UI1: {
            SAFEARRAY* array = v->parray;
            if (array == nullptr)
                return S_OK;
            LONG low = 0, high = -1;
            SafeArrayGetLBound(array, 1, &low);
            SafeArrayGetUBound(array, 1, &high);
            void* data = nullptr;
            if (high >= low && SUCCEEDED(SafeArrayAccessData(array, &data))) {
                bytes.assign(static_cast<const char*>(data), static_cast<size_t>(high - low + 1));
                SafeArrayUnaccessData(array);
            }
            return S_OK;
        }
        default: {
            VARIANT text;
            VariantInit(&text);
            HRESULT hr = VariantChangeType(&text, v, 0, VT_BSTR);
            if (FAILED(hr))
                return hr;
            bytes = Utf8(text.bstrVal);
            VariantClear(&text);
            return S_OK;
        }
        }
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* me = static_cast<CXMLHTTPRequest*>(self);
        size_t n = size * count;
        if (me->body_.size() + n > kMaxResponseBytes)
            return 0; // ends the transfer with an error
        me->body_.append(data, n);
        return n;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* me = static_cast<CXMLHTTPRequest*>(self);
        size_t n = size * count;
        std::string line = Trim(std::string(data, n));
        if (line.compare(0, 5, "HTTP/") == 0) {
            // A new status line (after a redirect or a 100 Continue) starts a new header set.
            me->responseHeaders_.clear();
            size_t space = line.find(' ');
            size_t reason = space == std::string::npos ? std::string::npos : line.find(' ', space + 1);
            me->statusText_ = reason == std::string::npos ? std::string() : line.substr(reason + 1);
        } else if (size_t colon = line.find(':'); colon != std::string::npos) {
            if (me->responseHeaders_.size() < 1000)
                me->responseHeaders_.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
        }
        return n;
    }

    HRESULT Perform(const std::string& bytes) {
        CURL* curl = curl_easy_init();
        if (curl == nullptr)
            return E_OUTOFMEMORY;
        curl_slist* headers = nullptr;
        for (const auto& h : requestHeaders_)
            headers = curl_slist_append(headers, h.c_str());
        curl_easy_setopt(curl, CURLOPT_URL, url_.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
        if (method_ == "HEAD")
            curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        else if (method_ != "GET" || !bytes.empty()) {
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
            curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, bytes.c_str());
            if (method_ != "POST")
                curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method_.c_str());
        }
        if (headers)
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        if (!user_.empty()) {
            curl_easy_setopt(curl, CURLOPT_USERNAME, user_.c_str());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, password_.c_str());
        }
        CURLcode rc = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        if (rc != CURLE_OK) {
            body_.clear();
            responseHeaders_.clear();
            return rc == CURLE_COULDNT_RESOLVE_HOST ? INET_E_RESOURCE_NOT_FOUND
                   : rc == CURLE_COULDNT_CONNECT    ? INET_E_CANNOT_CONNECT
                                                    : E_FAIL;
        }
        status_ = static_cast<LONG>(status);
        return S_OK;
    }

    // The charset of the Content-Type, in lower case ("" when none is given).
    std::string Charset() const {
        for (const auto& [name, text] : responseHeaders_) {
            if (Lower(name) != "content-type")
                continue;
            std::string type = Lower(text);
            size_t at = type.find("charset=");
            if (at == std::string::npos)
                return {};
            std::string value = type.substr(at + 8);
            size_t end = value.find_first_of("; ");
            value = value.substr(0, end);
            if (value.size() >= 2 && value.front() == '"')
                value = value.substr(1, value.size() - 2);
            return value;
        }
        return {};
    }

    std::u16string DecodedBody() const {
        std::string_view bytes = body_;
        // A byte-order mark wins over the header.
        if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
            static_cast<unsigned char>(bytes[1]) == 0xFE) {
            std::u16string text;
            for (size_t i = 2; i + 1 < bytes.size(); i += 2)
                text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8));
            return text;
        }
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
            return qx::win32::Utf8ToWide(bytes.substr(3));
        std::string charset = Charset();
        if (charset == "euc-kr" || charset == "ks_c_5601-1987" || charset == "cp949" ||
            charset == "x-windows-949" || charset == "ks_c_5601")
            return qx::win32::AnsiToWide(bytes);
        return qx::win32::Utf8ToWide(bytes);
    }

    LONG state_ = 0;
    bool sent_ = false;
    std::string method_, url_, user_, password_;
    std::vector<std::string> requestHeaders_;
    std::vector<std::pair<std::string, std::string>> responseHeaders_;
    LONG status_ = 0;
    std::string statusText_;
    std::string body_;
    qx::com::ComPtr<IDispatch> sink_;
    qx::com::ComPtr<IDispatch> responseXml_;
};

} // namespace

HRESULT CreateXmlHttpRequest(IUnknown* outer, REFIID riid, void** ppv) {
    return qx::com::CreateInstance<CXMLHTTPRequest>(outer, riid, ppv);
}

HRESULT GetXmlHttpRequestClassObject(REFIID riid, void** ppv) {
    return qx::com::CreateClassFactory(&CreateXmlHttpRequest, riid, ppv);
}

} // namespace qx::xmlhttp
