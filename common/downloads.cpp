#include "downloads.h"

#include "base64.h"
#include "string_helpers.h"

#include <urlmon.h>

#include <cstring>

namespace {

const ULONG kReadSize = 8190; // 2730 groups of three: full reads encode without padding
const size_t kBufferSize = 8192;
const int kOpenAttempts = 3;

// Opens a blocking stream for the URL, trying up to three times in a row.
IStream* OpenUrl(const char* url) {
    if (url == nullptr)
        return nullptr;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        IStream* stream = nullptr;
        if (SUCCEEDED(URLOpenBlockingStreamA(nullptr, url, &stream, 0, nullptr)) && stream != nullptr)
            return stream;
    }
    return nullptr;
}

// The length the stream says it has, for reserving room; a length given by a server is not
// trusted beyond a bound, and the text grows past it as needed.
size_t ExpectedLength(IStream* stream) {
    const ULONGLONG kMostReserved = 64u << 20;
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return 0;
    return static_cast<size_t>(stat.cbSize.QuadPart < kMostReserved ? stat.cbSize.QuadPart : kMostReserved);
}

// Feeds every block the stream delivers to the sink; stops at the end of data, an error, or a
// read that returns no bytes (a stream that never ends would otherwise loop for ever).
template <typename Sink>
void ReadAll(IStream* stream, Sink&& sink) {
    unsigned char buffer[kBufferSize];
    for (;;) {
        std::memset(buffer, 0, sizeof buffer);
        ULONG read = 0;
        HRESULT hr = stream->Read(buffer, kReadSize, &read);
        if (FAILED(hr))
            break;
        if (read > kReadSize)
            read = kReadSize;
        sink(buffer, read);
        if (hr == S_FALSE || read == 0)
            break;
    }
}

// The whole content; with stopAtNul, each read block only up to its first NUL byte.
std::string DownloadUrlText(const char* url, bool stopAtNul) {
    std::string result;
    IStream* stream = OpenUrl(url);
    if (stream == nullptr)
        return result;
    result.reserve(ExpectedLength(stream));
    ReadAll(stream, [&](const unsigned char* bytes, ULONG count) {
        const void* nul = stopAtNul ? std::memchr(bytes, 0, count) : nullptr;
        size_t length = nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - bytes) : count;
        result.append(reinterpret_cast<const char*>(bytes), length);
    });
    stream->Release();
    return result;
}

} // namespace

std::string DownloadUrlToString(const char* url) {
    // A NUL byte ends the text of the block it is in; the following blocks still count.
    return DownloadUrlText(url, true);
}

std::string DownloadUrlToBase64(const char* url) {
    std::string result;
    DownloadUrlToBase64(url, result);
    return result;
}

bool DownloadUrlToBase64(const char* url, std::string& out) {
    IStream* stream = OpenUrl(url);
    if (stream == nullptr)
        return false;
    const size_t start = out.size();
    out.reserve(start + (ExpectedLength(stream) + 2) / 3 * 4);
    // A short read can leave one or two bytes that do not fill a group of three: they wait for
    // the next read, so the pieces join into the base64 of the whole content with no "=" inside.
    // Full reads hold whole groups and are encoded straight onto the text.
    std::string pending;
    ReadAll(stream, [&](const unsigned char* bytes, ULONG count) {
        if (pending.empty() && count % 3 == 0) {
            AppendBase64(out, bytes, count);
            return;
        }
        pending.append(reinterpret_cast<const char*>(bytes), count);
        size_t whole = pending.size() / 3 * 3;
        if (whole == 0)
            return;
        AppendBase64(out, pending.data(), whole);
        pending.erase(0, whole);
    });
    if (!pending.empty())
        AppendBase64(out, pending.data(), pending.size());
    stream->Release();
    return out.size() > start;
}

unsigned long long LocalUrlLength(const char* url) {
    if (url == nullptr || FindNoCase(url, "http://", 0) == 0 || FindNoCase(url, "https://", 0) == 0)
        return 0;
    IStream* stream = nullptr;
    if (FAILED(URLOpenBlockingStreamA(nullptr, url, &stream, 0, nullptr)) || stream == nullptr)
        return 0;
    STATSTG stat = {};
    const unsigned long long length =
        SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) ? stat.cbSize.QuadPart : 0;
    stream->Release();
    return length;
}

std::string DownloadUrlToBytes(const char* url) {
    return DownloadUrlText(url, false);
}
