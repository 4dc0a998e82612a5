#include "document_source.h"

#include "fileapi.h"
#include "handleapi.h"
#include "objidl.h"
#include "qx/com/comptr.h"
#include "urlmon.h"
#include "winerror.h"

#include <algorithm>
#include <cctype>

namespace qx::xml {
namespace {

std::string LowerAscii(std::u16string_view s) {
    std::string out;
    for (char16_t c : s)
        out += c < 0x80 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?';
    return out;
}

// "scheme:" of a URL; empty for paths (a single letter before ":" is a drive).
std::string SchemeOf(const std::u16string& source) {
    std::size_t colon = source.find(u':');
    if (colon == std::u16string::npos || colon < 2)
        return {};
    for (std::size_t i = 0; i < colon; ++i) {
        char16_t c = source[i];
        bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                  (i > 0 && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
        if (!ok)
            return {};
    }
    return LowerAscii(std::u16string_view(source).substr(0, colon));
}

HRESULT ReadAll(ISequentialStream* stream, std::size_t limit, std::string* bytes) {
    bytes->clear();
    char buffer[65536];
    while (bytes->size() <= limit) {
        ULONG got = 0;
        HRESULT hr = stream->Read(buffer, sizeof buffer, &got);
        if (FAILED(hr))
            return hr;
        bytes->append(buffer, got);
        if (hr == S_FALSE || got == 0)
            break;
    }
    return S_OK;
}

} // namespace

HRESULT ReadSourceStream(IUnknown* unknown, std::size_t limit, std::string* bytes) {
    com::ComPtr<ISequentialStream> stream;
    if (!unknown ||
        FAILED(unknown->QueryInterface(IID_ISequentialStream, reinterpret_cast<void**>(&stream))) || !stream)
        return E_INVALIDARG;
    return ReadAll(stream.Get(), limit, bytes);
}

HRESULT ReadSourceText(const std::u16string& source, std::size_t limit, std::string* bytes) {
    std::string scheme = SchemeOf(source);
    if (!scheme.empty()) {
        if (scheme != "http" && scheme != "https" && scheme != "file" && scheme != "res")
            return E_ACCESSDENIED;
        com::ComPtr<IStream> stream;
        HRESULT hr = URLOpenBlockingStreamW(nullptr, source.c_str(), &stream, 0, nullptr);
        if (FAILED(hr) || !stream)
            return FAILED(hr) ? hr : E_FAIL;
        return ReadAll(stream.Get(), limit, bytes);
    }
    if (source.find(u'\0') != std::u16string::npos)
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    // File names go to the system as they came (a name the ANSI code page lacks still opens).
    HANDLE file = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    bytes->clear();
    char buffer[65536];
    HRESULT hr = S_OK;
    while (bytes->size() <= limit) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            hr = HRESULT_FROM_WIN32(GetLastError());
            break;
        }
        if (got == 0)
            break;
        bytes->append(buffer, got);
    }
    CloseHandle(file);
    return hr;
}

HRESULT WriteFileBytes(const std::u16string& path, const std::string& bytes) {
    if (path.find(u'\0') != std::u16string::npos)
        return HRESULT_FROM_WIN32(ERROR_INVALID_NAME); // the name would end early
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = S_OK;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            hr = HRESULT_FROM_WIN32(GetLastError());
            break;
        }
        done += written;
    }
    if (!CloseHandle(file) && SUCCEEDED(hr))
        hr = HRESULT_FROM_WIN32(GetLastError());
    return hr;
}

} // namespace qx::xml
