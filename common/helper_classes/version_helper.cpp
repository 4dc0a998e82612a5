#include "version_helper.h"

#include <winerror.h>
#include <winmodule.h>

#include <cstdio>
#include <cstring>

bool VersionHelper::Read(const char* path) {
    m_block.clear();
    m_fixed = nullptr;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path, handle, size, block.data()))
        return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE)
        return false;
    // The pointer stays inside the block, which moves with its storage.
    size_t offset = static_cast<size_t>(reinterpret_cast<BYTE*>(fixed) - block.data());
    m_block = std::move(block);
    m_fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(m_block.data() + offset);
    return true;
}

bool VersionHelper::GetTranslation(WORD& language, WORD& codePage) const {
    if (m_fixed == nullptr)
        return false;
    WORD* pair = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&pair),
                        &length) ||
        pair == nullptr || length < 2 * sizeof(WORD))
        return false;
    language = pair[0];
    codePage = pair[1];
    return true;
}

std::string VersionHelper::GetStringValue(const char* name) const {
    WORD language = 0, codePage = 0;
    if (name == nullptr || !GetTranslation(language, codePage))
        return {};
    std::vector<char> subBlock(std::strlen(name) + 40);
    std::snprintf(subBlock.data(), subBlock.size(), "\\StringFileInfo\\%04x%04x\\%s", language, codePage,
                  name);
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_block.data(), subBlock.data(), reinterpret_cast<LPVOID*>(&value), &length) ||
        value == nullptr || length == 0)
        return {};
    // The length counts the closing NUL; the text is never read past it.
    return std::string(value, strnlen(value, length));
}

HRESULT VersionHelper::GetDllVersion(const char* path, DLLVERSIONINFO* info) {
    if (info == nullptr)
        return E_POINTER;
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr)
        return E_FAIL;
    using GetVersionFunction = HRESULT (*)(DLLVERSIONINFO*);
    HRESULT hr = E_NOTIMPL;
    if (FARPROC proc = GetProcAddress(module, "DllGetVersion"))
        hr = reinterpret_cast<GetVersionFunction>(proc)(info);
    FreeLibrary(module);
    return hr;
}
