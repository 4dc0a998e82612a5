// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA.
//
// The buffer holds the version resource as it is in the file (UTF-16), then a marker and an
// area as large again where VerQueryValueA puts the ANSI form of a string at the same offset as
// its UTF-16 form, so that each string has its own place and every pointer stays valid as long
// as the caller's buffer does.
#include "qx/module/ansi_text.h"
#include "qx/resource/file_resources.h"
#include "qx/resource/version_block.h"
#include "winerror.h"
#include "winver.h"

#include <algorithm>
#include <cstring>

namespace {

using qx::resource::ResourceId;

constexpr char kAnsiAreaMarker[4] = {'Q', 'X', 'V', 'A'};
constexpr WORD kVersionType = 16;

std::size_t Align4(std::size_t v) {
    return (v + 3) & ~static_cast<std::size_t>(3);
}

// The raw version resource of a file, or nullopt with the last error set.
std::optional<std::vector<std::byte>> ReadVersionResource(LPCSTR fileName) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return std::nullopt;
    }
    DWORD error = ERROR_SUCCESS;
    auto file = qx::resource::FileResources::Open(qx::module::AnsiToUtf8(fileName), &error);
    if (!file) {
        SetLastError(error == ERROR_RESOURCE_DATA_NOT_FOUND ? ERROR_RESOURCE_TYPE_NOT_FOUND : error);
        return std::nullopt;
    }
    auto data =
        file->Read(ResourceId::FromNumber(kVersionType), ResourceId::FromNumber(VS_VERSION_INFO), 0, &error);
    if (!data) {
        SetLastError(error == ERROR_RESOURCE_DATA_NOT_FOUND ? ERROR_RESOURCE_TYPE_NOT_FOUND : error);
        return std::nullopt;
    }
    std::size_t length = qx::resource::VersionBlockLength(*data);
    if (length == 0) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return std::nullopt;
    }
    data->resize(length);
    return data;
}

std::size_t BufferSize(std::size_t raw) {
    return Align4(raw) + 8 + raw;
}

} // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle != nullptr) {
        *lpdwHandle = 0;
    }
    auto data = ReadVersionResource(lptstrFilename);
    if (!data) {
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(BufferSize(data->size()));
}

BOOL GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
    if (lpData == nullptr || dwLen == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto data = ReadVersionResource(lptstrFilename);
    if (!data) {
        return FALSE;
    }
    auto* out = static_cast<unsigned char*>(lpData);
    std::size_t raw = data->size();
    std::size_t copied = raw;
    std::uint32_t area = static_cast<std::uint32_t>(raw);
    if (dwLen < BufferSize(raw)) {
        // A short buffer keeps what fits with its root length cut to match and an empty string
        // area, so that nothing reads or writes past the caller's buffer.
        if (dwLen < 16) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        copied = std::min<std::size_t>(raw, dwLen - 8) & ~static_cast<std::size_t>(3);
        area = 0;
    }
    std::memcpy(out, data->data(), copied);
    out[0] = static_cast<unsigned char>(copied & 0xFF);
    out[1] = static_cast<unsigned char>((copied >> 8) & 0xFF);
    std::size_t at = Align4(copied);
    std::memset(out + copied, 0, at - copied);
    std::memcpy(out + at, kAnsiAreaMarker, 4);
    std::memcpy(out + at + 4, &area, 4);
    std::memset(out + at + 8, 0, area);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, PUINT puLen) {
    if (lplpBuffer != nullptr) {
        *lplpBuffer = nullptr;
    }
    if (puLen != nullptr) {
        *puLen = 0;
    }
    if (pBlock == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* base = static_cast<unsigned char*>(const_cast<void*>(pBlock));
    std::size_t declared = static_cast<std::size_t>(base[0]) | (static_cast<std::size_t>(base[1]) << 8);
    std::span<const std::byte> block(reinterpret_cast<const std::byte*>(base), declared);
    auto value = qx::resource::FindVersionValue(block, lpSubBlock);
    if (!value) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    if (value->isRoot) {
        VS_FIXEDFILEINFO info = {};
        if (value->bytes < sizeof(info)) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        std::memcpy(&info, base + value->offset, sizeof(info));
        if (info.dwSignature != VS_FFI_SIGNATURE) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        *lplpBuffer = base + value->offset;
        if (puLen != nullptr) {
            *puLen = sizeof(VS_FIXEDFILEINFO);
        }
        return TRUE;
    }
    if (!value->isText) {
        *lplpBuffer = base + value->offset;
        if (puLen != nullptr) {
            *puLen = static_cast<UINT>(value->bytes);
        }
        return TRUE;
    }
    // Strings are handed out in the ANSI code page from the area behind the resource.
    std::size_t at = Align4(declared);
    if (std::memcmp(base + at, kAnsiAreaMarker, 4) != 0) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    std::uint32_t area = 0;
    std::memcpy(&area, base + at + 4, 4);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value->bytes; i += 2) {
        char16_t c = static_cast<char16_t>(base[value->offset + i] | (base[value->offset + i + 1] << 8));
        if (c == 0) {
            break;
        }
        text.push_back(c);
    }
    std::string ansi = qx::module::Utf16ToAnsi(text);
    if (area != declared || value->offset + ansi.size() + 1 > area) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    char* place = reinterpret_cast<char*>(base + at + 8 + value->offset);
    std::memcpy(place, ansi.c_str(), ansi.size() + 1);
    *lplpBuffer = place;
    if (puLen != nullptr) {
        *puLen = static_cast<UINT>(ansi.size() + 1);
    }
    return TRUE;
}
