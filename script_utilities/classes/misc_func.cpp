#include "misc_func.h"

#include "ansi_text.h"

#include <base64.h>
#include <debugapi.h>
#include <downloads.h>
#include <fileapi.h>
#include <shlwapi_path.h>
#include <string_array.h>
#include <string_helpers.h>
#include <temp_files.h>

#include <climits>
#include <vector>

namespace {

// The largest value of the interfaces' 32-bit long.
constexpr LONG kLongMax = 0x7FFFFFFF;

HRESULT ReturnText(const std::string& ansi, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = AnsiToBstr(ansi);
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

std::string CMiscFunc::ExtractFileNameA(const std::string& path) {
    const std::string backslashed = ReplaceAll(path, "/", "\\", 1);
    StringArray pieces;
    pieces.Split(backslashed, "\\", 1);
    // With no pieces this shows the array's out-of-range message and gives "".
    std::string name = pieces.At(pieces.Count > 0 ? static_cast<unsigned int>(pieces.Count - 1) : 0u);
    const size_t query = name.find('?');
    if (query != std::string::npos)
        name.erase(query);
    return name;
}

STDMETHODIMP CMiscFunc::DownloadToBase64(BSTR bstrDownURL, BSTR* encodedText) {
    if (!encodedText)
        return E_POINTER;
    const std::string url = BstrToAnsi(bstrDownURL);
    return ReturnText(DownloadUrlToBase64(url.c_str()), encodedText);
}

STDMETHODIMP CMiscFunc::ExtractFileName(BSTR fullPath, BSTR* FileName) {
    if (!FileName)
        return E_POINTER;
    return ReturnText(ExtractFileNameA(BstrToAnsi(fullPath)), FileName);
}

STDMETHODIMP CMiscFunc::GetTemporaryFileName(BSTR* tempFileName) {
    if (!tempFileName)
        return E_POINTER;
    // A name that could not be made stays empty: never hand out the folder as a file name.
    const std::string path = MakeTempFileName(TempPathForm::AsReported);
    return ReturnText(path.empty() ? std::string() : ExtractFileNameA(path), tempFileName);
}

STDMETHODIMP CMiscFunc::Base64ToLocalFile(BSTR bstrText, BSTR FileName, LONG* Written) {
    if (!Written)
        return E_POINTER;
    const std::string text = BstrToAnsi(bstrText);
    if (text.empty())
        return S_OK;
    const std::string path = BstrToAnsi(FileName);
    const long long count = Base64Decoder().DecodeToFile(text, path.c_str());
    *Written = count > kLongMax ? kLongMax : static_cast<LONG>(count);
    return S_OK;
}

STDMETHODIMP CMiscFunc::EncodeBase64(BSTR orgText, BSTR* encodedText) {
    if (!encodedText)
        return E_POINTER;
    // The terminating zero byte is encoded too: the decoder on the other side relies on it.
    const std::string text = BstrToAnsi(orgText);
    Base64Encoder encoder;
    return ReturnText(encoder.Encode(text.c_str(), text.size() + 1), encodedText);
}

STDMETHODIMP CMiscFunc::DecodeBase64(BSTR encodedText, BSTR* decodedText) {
    if (!decodedText)
        return E_POINTER;
    const std::string text = BstrToAnsi(encodedText);
    if (text.empty())
        return S_OK;
    std::vector<unsigned char> bytes(Base64Decoder::MaxDecodedSize(text.size()));
    const size_t count = Base64Decoder().Decode(text, bytes.data(), bytes.size());
    size_t length = 0;
    while (length < count && bytes[length] != 0)
        ++length;
    return ReturnText(std::string(reinterpret_cast<const char*>(bytes.data()), length), decodedText);
}

STDMETHODIMP CMiscFunc::GetUniqueFileName(BSTR orgFileName, BSTR ext, BSTR* uniqueName) {
    if (!uniqueName)
        return E_POINTER;
    const std::string base = BstrToAnsi(orgFileName);
    const std::string extension = BstrToAnsi(ext);
    std::string candidate = base + extension;
    for (int n = 1; PathFileExistsA(candidate.c_str()) && n < INT_MAX; ++n)
        candidate = base + "-" + std::to_string(n) + extension;
    return ReturnText(candidate, uniqueName);
}

STDMETHODIMP CMiscFunc::FileExists(BSTR filePath, VARIANT_BOOL* bExists) {
    if (!bExists)
        return E_POINTER;
    const std::string path = BstrToAnsi(filePath);
    *bExists = PathFileExistsA(path.c_str()) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP CMiscFunc::DebugTrace(BSTR szTraceText) {
    const std::string text = BstrToAnsi(szTraceText);
    OutputDebugStringA(text.c_str());
    return S_OK;
}

STDMETHODIMP CMiscFunc::GetFileSize(BSTR FileName, LONG* fileSize) {
    if (!fileSize)
        return E_POINTER;
    const std::string path = BstrToAnsi(FileName);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return S_FALSE;
    FindClose(find);
    // The size is a signed 32-bit long: a size from 2 GB up to 4 GB would come out negative, so it
    // is given as the largest long, 2147483647; 4 GB or more stays -1 ("too large to say").
    if (found.nFileSizeHigh != 0)
        *fileSize = -1;
    else if (found.nFileSizeLow > static_cast<DWORD>(kLongMax))
        *fileSize = kLongMax;
    else
        *fileSize = static_cast<LONG>(found.nFileSizeLow);
    return S_OK;
}

STDMETHODIMP CMiscFunc::GetGUID(BSTR* strGUID) {
    if (!strGUID)
        return E_POINTER;
    GUID guid{};
    const HRESULT hr = CoCreateGuid(&guid);
    if (FAILED(hr))
        return hr;
    OLECHAR text[40] = {};
    if (StringFromGUID2(guid, text, 40) == 0)
        return E_FAIL;
    *strGUID = SysAllocString(text);
    return *strGUID ? S_OK : E_OUTOFMEMORY;
}
