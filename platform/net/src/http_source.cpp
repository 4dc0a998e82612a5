// Bodies of "http:" and "https:" URLs through libcurl, driven by the reader: the transfer moves
// only while a reader waits, so what is held in memory stays small however long the body is.
#include "byte_source.h"
#include "qx/net/transfer_limits.h"
#include "qx/net/url_text.h"
#include "winerror.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

namespace qx::net {
namespace {

using Clock = std::chrono::steady_clock;

// Above this many unread bytes the transfer pauses until the reader catches up.
constexpr std::size_t kPauseAbove = 1u << 20;

std::mutex& LimitsLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

TransferLimits& Limits() {
    static auto* limits = new TransferLimits;
    return *limits;
}

HRESULT ResultOf(CURLcode code, long status) {
    switch (code) {
    case CURLE_OK:
        return S_OK;
    case CURLE_HTTP_RETURNED_ERROR:
        return status == 404 || status == 410 ? INET_E_RESOURCE_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
    case CURLE_COULDNT_CONNECT:
        return INET_E_CANNOT_CONNECT;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return INET_E_RESOURCE_NOT_FOUND;
    case CURLE_OPERATION_TIMEDOUT:
        return INET_E_CONNECTION_TIMEOUT;
    case CURLE_TOO_MANY_REDIRECTS:
        return INET_E_REDIRECT_FAILED;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return INET_E_UNKNOWN_PROTOCOL;
    case CURLE_URL_MALFORMAT:
        return INET_E_INVALID_URL;
    case CURLE_OUT_OF_MEMORY:
        return E_OUTOFMEMORY;
    case CURLE_PEER_FAILED_VERIFICATION:
        return INET_E_INVALID_CERTIFICATE;
    case CURLE_SSL_CONNECT_ERROR:
        return INET_E_SECURITY_PROBLEM;
    default:
        return INET_E_DOWNLOAD_FAILURE;
    }
}

class HttpSource : public ByteSource {
public:
    HttpSource() = default;
    HttpSource(const HttpSource&) = delete;
    HttpSource& operator=(const HttpSource&) = delete;
    ~HttpSource() override {
        if (multi_ != nullptr && easy_ != nullptr) {
            curl_multi_remove_handle(multi_, easy_);
        }
        if (easy_ != nullptr) {
            curl_easy_cleanup(easy_);
        }
        if (multi_ != nullptr) {
            curl_multi_cleanup(multi_);
        }
        curl_slist_free_all(headers_);
    }

    HRESULT Start(const std::string& url, const RequestData& request) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        limits_ = GetTransferLimits();
        multi_ = curl_multi_init();
        easy_ = curl_easy_init();
        if (multi_ == nullptr || easy_ == nullptr) {
            return E_OUTOFMEMORY;
        }
        curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, limits_.maxRedirects);
        curl_easy_setopt(easy_, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect.count()));
        curl_easy_setopt(easy_, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
        curl_easy_setopt(easy_, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; QxForms)");
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpSource::OnWrite);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        if (request.post) {
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(easy_, CURLOPT_COPYPOSTFIELDS, request.body.data());
        }
        // A browser's POST goes out whole, without waiting for "100 Continue".
        if (HRESULT hr = AddHeaders(request.post ? request.headers + "Expect:\r\n" : request.headers);
            FAILED(hr)) {
            return hr;
        }
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
            return E_OUTOFMEMORY;
        }
        // The open succeeds once the final answer's body begins (or the transfer is over).
        while (Available() == 0 && !done_) {
            if (HRESULT hr = Pump(); FAILED(hr)) {
                return hr;
            }
        }
        // Bytes that came before a failure are read first; the failure follows them.
        return Available() > 0 ? S_OK : result_;
    }

    HRESULT Read(BYTE* buffer, ULONG size, ULONG* count) override {
        *count = 0;
        if (size == 0) {
            return AtEnd() ? S_FALSE : S_OK;
        }
        while (Available() == 0) {
            if (done_) {
                return result_ == S_OK ? S_FALSE : result_;
            }
            if (HRESULT hr = Pump(); FAILED(hr)) {
                return hr;
            }
        }
        std::size_t n = std::min<std::size_t>(size, Available());
        std::memcpy(buffer, buffer_.data() + offset_, n);
        offset_ += n;
        if (offset_ == buffer_.size()) {
            buffer_.clear();
            offset_ = 0;
        }
        *count = static_cast<ULONG>(n);
        return S_OK;
    }

    // The caller's header lines, one per CR LF (or LF); empty lines are left out.
    HRESULT AddHeaders(std::string_view text) {
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string line(text.substr(0, end));
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.empty()) {
                continue;
            }
            curl_slist* more = curl_slist_append(headers_, line.c_str());
            if (more == nullptr) {
                return E_OUTOFMEMORY;
            }
            headers_ = more;
        }
        if (headers_ != nullptr) {
            curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
        }
        return S_OK;
    }

    bool AtEnd() const override { return done_ && result_ == S_OK && Available() == 0; }
    std::int64_t Length() const override { return length_; }

    void Cancel() override {
        cancelled_ = true;
        curl_multi_wakeup(multi_);
    }

private:
    std::size_t Available() const { return buffer_.size() - offset_; }

    static size_t OnWrite(char* data, size_t size, size_t count, void* self) {
        auto* source = static_cast<HttpSource*>(self);
        if (source->Available() > kPauseAbove) {
            source->paused_ = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        source->buffer_.append(data, size * count);
        source->lastByte_ = Clock::now();
        return size * count;
    }

    // Moves the transfer on once: waits for the network, runs curl, notes the end.
    HRESULT Pump() {
        if (cancelled_) {
            return E_ABORT;
        }
        if (paused_) {
            paused_ = false;
            curl_easy_pause(easy_, CURLPAUSE_CONT);
        }
        int running = 0;
        if (curl_multi_perform(multi_, &running) != CURLM_OK) {
            return INET_E_DOWNLOAD_FAILURE;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                long status = 0;
                curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
                result_ = ResultOf(message->data.result, status);
                done_ = true;
            }
        }
        curl_off_t length = -1;
        if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
            length >= 0) {
            length_ = length;
        }
        if (done_ || Available() > 0) {
            return S_OK;
        }
        if (Clock::now() - lastByte_ > limits_.stall + limits_.connect) {
            return INET_E_CONNECTION_TIMEOUT;
        }
        int ready = 0;
        curl_multi_poll(multi_, nullptr, 0, 100, &ready);
        return cancelled_ ? E_ABORT : S_OK;
    }

    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    curl_slist* headers_ = nullptr;
    TransferLimits limits_;
    std::string buffer_;
    std::size_t offset_ = 0;
    bool paused_ = false;
    bool done_ = false;
    HRESULT result_ = S_OK;
    std::int64_t length_ = -1;
    Clock::time_point lastByte_ = Clock::now();
    std::atomic<bool> cancelled_{false};
};

// The URL as the server must see it: blanks, control bytes, bytes above 127 and a "%" that
// starts no escape are escaped; existing escapes stay; the fragment stays here.
std::string TransportForm(const std::string& url) {
    std::string out;
    for (std::size_t i = 0; i < url.size(); ++i) {
        auto c = static_cast<unsigned char>(url[i]);
        if (c == '#') {
            break;
        }
        bool escape = c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' ||
                      c == '`' || c == '{' || c == '|' || c == '}';
        if (c == '%') {
            escape = !StartsEscape(url, i);
        }
        if (escape) {
            AppendEscape(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace

void SetTransferLimits(const TransferLimits& limits) {
    std::lock_guard guard(LimitsLock());
    Limits() = limits;
}

TransferLimits GetTransferLimits() {
    std::lock_guard guard(LimitsLock());
    return Limits();
}

HRESULT OpenHttpSource(const std::string& url, std::unique_ptr<ByteSource>& source,
                       const RequestData& request) {
    auto http = std::make_unique<HttpSource>();
    HRESULT hr = http->Start(TransportForm(url), request);
    if (FAILED(hr)) {
        return hr;
    }
    source = std::move(http);
    return S_OK;
}

} // namespace qx::net
