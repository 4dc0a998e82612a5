// A module's version resource: the fixed part, its translation and its named string values,
// and the version a library reports through its DllGetVersion entry.
#pragma once

#include <winver.h>

#include <string>
#include <vector>

#ifndef QX_DLLVERSIONINFO_DEFINED
#define QX_DLLVERSIONINFO_DEFINED
struct DLLVERSIONINFO {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
#define DLLVER_PLATFORM_WINDOWS 0x00000001u
#define DLLVER_PLATFORM_NT 0x00000002u
#endif

class VersionHelper {
public:
    VersionHelper() = default;
    virtual ~VersionHelper() = default;

    // Reads the version resource of the file; false without one or when its fixed part does
    // not carry the signature 0xFEEF04BD.
    bool Read(const char* path);
    // The fixed part of the resource read last (null before a successful Read).
    const VS_FIXEDFILEINFO* FixedInfo() const { return m_fixed; }
    // The first language and code page of "\VarFileInfo\Translation".
    bool GetTranslation(WORD& language, WORD& codePage) const;
    // "\StringFileInfo\<language><code page>\<name>" of the first translation; "" when missing.
    std::string GetStringValue(const char* name) const;

    // Calls the library's "DllGetVersion"; E_NOTIMPL when it has none, E_FAIL when it cannot be
    // loaded.
    static HRESULT GetDllVersion(const char* path, DLLVERSIONINFO* info);

private:
    std::vector<BYTE> m_block;
    const VS_FIXEDFILEINFO* m_fixed = nullptr;
};
