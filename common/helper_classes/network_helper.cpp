#include "network_helper.h"

#include "http_message.h"

#include <winsock2.h>

#include <fileapi.h>
#include <handleapi.h>
#include <msxml_xmlhttp.h>
#include <nb30.h>
#include <objbase_activation.h>
#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <stringapiset.h>
#include <urlmon.h>
#include <winuser_msgbox.h>

#include <cstdio>
#include <cstring>

namespace {

const ULONG kFileReadSize = 8192;
const int kOpenAttempts = 3;

IStream* OpenUrl(const char* url) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        IStream* stream = nullptr;
        if (SUCCEEDED(URLOpenBlockingStreamA(nullptr, url, &stream, 0, nullptr)) && stream != nullptr)
            return stream;
    }
    return nullptr;
}

bool SendAll(SOCKET s, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        size_t left = data.size() - sent;
        int chunk = left > 65536 ? 65536 : static_cast<int>(left);
        int n = send(s, data.data() + sent, chunk, 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

NetworkHelper::NetworkHelper(WORD version) {
    WSADATA data;
    if (WSAStartup(version, &data) != 0) {
        MessageBoxW(nullptr, u"이 시스템에는 Winsock ver 2.0 이 설치되어 있지 않습니다.", nullptr, MB_OK);
        return;
    }
    m_started = true;
}

NetworkHelper::~NetworkHelper() {
    // Only a successful start is matched by a cleanup.
    if (m_started)
        WSACleanup();
}

std::string NetworkHelper::GetLocalAddress() const {
    std::string name = GetLocalHostName();
    if (name.empty())
        return {};
    hostent* host = gethostbyname(name.c_str());
    if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr ||
        host->h_length < 4)
        return {};
    const unsigned char* a = reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
    return text;
}

std::string NetworkHelper::GetLocalHostName() const {
    char name[512] = {};
    if (gethostname(name, static_cast<int>(sizeof name)) == SOCKET_ERROR)
        return {};
    return name;
}

bool NetworkHelper::DownloadToFile(const char* url, const char* path) const {
    if (url == nullptr || path == nullptr)
        return false;
    IStream* stream = OpenUrl(url);
    if (stream == nullptr)
        return false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        stream->Release();
        return false;
    }
    bool ok = true;
    unsigned char buffer[kFileReadSize];
    for (;;) {
        ULONG read = 0;
        HRESULT hr = stream->Read(buffer, kFileReadSize, &read);
        if (FAILED(hr))
            break;
        if (read > kFileReadSize)
            read = kFileReadSize;
        if (read > 0) {
            DWORD written = 0;
            if (!WriteFile(file, buffer, read, &written, nullptr) || written != read) {
                ok = false;
                break;
            }
        }
        // A read that gives nothing ends the download, so a stream that never ends cannot hold it.
        if (hr == S_FALSE || read == 0)
            break;
    }
    CloseHandle(file);
    stream->Release();
    return ok;
}

std::string NetworkHelper::SocketHttpRequest(const std::string& url, const std::string& method,
                                             const std::string& body) const {
    HttpUrlParts parts;
    if (!SplitHttpUrl(url, parts))
        return "invalid host name";
    ULONG address = inet_addr(parts.host.c_str());
    if (address == INADDR_NONE) {
        hostent* host = gethostbyname(parts.host.c_str());
        if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr)
            return "invalid host name";
        std::memcpy(&address, host->h_addr_list[0], sizeof address);
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return "Can't connect";
    DWORD timeout = m_timeout;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<USHORT>(parts.port));
    to.sin_addr.s_addr = address;
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == SOCKET_ERROR) {
        closesocket(s);
        return "Can't connect";
    }
    char length[32];
    std::snprintf(length, sizeof length, "%zu", body.size());
    std::string request = (method.empty() ? std::string("GET") : method) + " " + parts.path + " HTTP/1.1\r\n";
    request += "Host: " + parts.host + "\r\n";
    request += "Content-Length: " + std::string(length) + "\r\n";
    request += "Connection: close\r\n\r\n";
    request += body;
    std::string result;
    if (SendAll(s, request)) {
        HttpResponseReader reader(m_responseLimit);
        char buffer[8192];
        for (;;) {
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0 || !reader.Feed(buffer, static_cast<size_t>(n)))
                break;
        }
        if (reader.HeaderComplete() && !reader.Failed())
            result = reader.Body();
    }
    closesocket(s);
    return result;
}

std::string NetworkHelper::XmlHttpRequest(const char* url) const {
    if (url == nullptr)
        return {};
    qx::com::ComPtr<IXMLHTTPRequest> request;
    if (FAILED(CoCreateInstance(CLSID_XMLHTTPRequest, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLHTTPRequest,
                                reinterpret_cast<void**>(&request))))
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, url, -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::u16string wideUrl(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, url, -1, wideUrl.data(), length);
    wideUrl.resize(static_cast<size_t>(length - 1));
    VARIANT async, none;
    VariantInit(&async);
    VariantInit(&none);
    async.vt = VT_BOOL;
    async.boolVal = VARIANT_FALSE;
    if (FAILED(request->open(qx::com::Bstr(u"GET"), qx::com::Bstr(wideUrl), async, none, none)) ||
        FAILED(request->send(none)))
        return {};
    qx::com::Bstr text;
    if (FAILED(request->get_responseText(text.ReleaseAndGetAddressOf())) || text.Get() == nullptr)
        return {};
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.Get(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.Get(), -1, result.data(), bytes, nullptr, nullptr);
    result.resize(static_cast<size_t>(bytes - 1));
    return result;
}

std::vector<std::string> NetworkHelper::GetAdapterAddresses() const {
    std::vector<std::string> addresses;
    LANA_ENUM lanas = {};
    NCB ncb = {};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&lanas);
    ncb.ncb_length = sizeof lanas;
    if (Netbios(&ncb) != NRC_GOODRET)
        return addresses;
    for (int i = 0; i < lanas.length; ++i) {
        std::memset(&ncb, 0, sizeof ncb);
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lanas.lana[i];
        if (Netbios(&ncb) != NRC_GOODRET)
            continue;
        ADAPTER_STATUS status = {};
        std::memset(&ncb, 0, sizeof ncb);
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lanas.lana[i];
        std::memcpy(ncb.ncb_callname, "*               ", NCBNAMSZ);
        ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&status);
        ncb.ncb_length = sizeof status;
        if (Netbios(&ncb) != NRC_GOODRET)
            continue;
        char text[16];
        const UCHAR* a = status.adapter_address;
        std::snprintf(text, sizeof text, "%02x%02x%02x%02x%02x%02x", a[0], a[1], a[2], a[3], a[4], a[5]);
        addresses.push_back(text);
    }
    return addresses;
}
