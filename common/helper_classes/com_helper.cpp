#include "com_helper.h"

#include <handleapi.h>
#include <objbase.h>
#include <oleauto.h>
#include <processthreadsapi_process.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <stringapiset.h>
#include <synchapi.h>
#include <winmodule.h>
#include <winnls.h>
#include <winuser_msgbox.h>
#include <winver.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::u16string AnsiToWide(const char* text) {
    if (text == nullptr)
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::u16string wide(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::string GuidText(REFGUID guid) {
    OLECHAR wide[40] = {};
    if (StringFromGUID2(guid, wide, 40) <= 0)
        return {};
    std::string text;
    for (int i = 0; wide[i]; ++i)
        text += static_cast<char>(wide[i]);
    return text;
}

bool SameNameNoCase(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 32 : a[i];
        char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? b[i] + 32 : b[i];
        if (x != y)
            return false;
    }
    return true;
}

using RegisterFunction = HRESULT (*)();

bool CallRegistrationEntry(const char* path, const char* entry) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr)
        return false;
    bool ok = false;
    if (FARPROC proc = GetProcAddress(module, entry))
        ok = SUCCEEDED(reinterpret_cast<RegisterFunction>(proc)());
    FreeLibrary(module);
    return ok;
}

bool RunRegistrationSwitch(const char* path, const char* option) {
    std::vector<char> commandLine(std::strlen(path) + std::strlen(option) + 8);
    std::snprintf(commandLine.data(), commandLine.size(), "\"%s\" %s", path, option);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    DWORD exitCode = 1;
    bool ok = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
              GetExitCodeProcess(process.hProcess, &exitCode) && exitCode == 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

// The system's text for the common codes, as the error object of the compiler support gives it.
std::u16string ErrorMessageText(HRESULT hr) {
    switch (hr) {
    case E_FAIL:
        return u"Unspecified error";
    case E_NOINTERFACE:
        return u"No such interface supported";
    case E_POINTER:
        return u"Invalid pointer";
    case E_OUTOFMEMORY:
        return u"Ran out of memory";
    case E_INVALIDARG:
        return u"The parameter is incorrect.";
    case E_NOTIMPL:
        return u"Not implemented";
    case E_ACCESSDENIED:
        return u"Access is denied.";
    case REGDB_E_CLASSNOTREG:
        return u"Class not registered";
    case CLASS_E_NOAGGREGATION:
        return u"Class does not support aggregation (or class object is remote)";
    default:
        break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "Unknown error 0x%08X", static_cast<unsigned>(hr));
    return AnsiToWide(text);
}

} // namespace

ITypeLib* ComHelper::LoadTypeLibrary(const char* path) {
    if (path == nullptr)
        return nullptr;
    std::u16string widePath = AnsiToWide(path);
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLib(widePath.c_str(), &library)))
        return nullptr;
    return library;
}

std::string ComHelper::GetLibraryGuid(ITypeLib* library) {
    if (library == nullptr)
        return {};
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes)) || attributes == nullptr)
        return {};
    std::string text = GuidText(attributes->guid);
    library->ReleaseTLibAttr(attributes);
    return text;
}

std::string ComHelper::GetClassGuid(ITypeLib* library, const char* className) {
    if (library == nullptr || className == nullptr)
        return {};
    std::u16string wanted = AnsiToWide(className);
    UINT count = library->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS)
            continue;
        qx::com::Bstr name;
        if (FAILED(library->GetDocumentation(static_cast<INT>(i), name.ReleaseAndGetAddressOf(), nullptr,
                                             nullptr, nullptr)))
            continue;
        std::u16string found = name.Get() ? std::u16string(name.Get()) : std::u16string();
        if (!SameNameNoCase(found, wanted))
            continue;
        qx::com::ComPtr<ITypeInfo> info;
        TYPEATTR* attributes = nullptr;
        if (FAILED(library->GetTypeInfo(i, &info)) || FAILED(info->GetTypeAttr(&attributes)) || !attributes)
            return {};
        std::string text = GuidText(attributes->guid);
        info->ReleaseTypeAttr(attributes);
        return text;
    }
    return {};
}

std::string ComHelper::GetFileVersionText(const char* path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path, handle, size, block.data()))
        return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    return text;
}

bool ComHelper::RegisterServer(const char* path, const char* kind, bool doRegister) {
    if (path == nullptr || kind == nullptr)
        return false;
    if (std::strcmp(kind, "inproc") == 0)
        return CallRegistrationEntry(path, doRegister ? "DllRegisterServer" : "DllUnregisterServer");
    if (std::strcmp(kind, "outproc") == 0)
        return RunRegistrationSwitch(path, doRegister ? "/RegServer" : "/UnRegServer");
    return false;
}

void ComHelper::ShowComError(HRESULT hr, IErrorInfo* info) {
    qx::com::Bstr source, description;
    if (info != nullptr) {
        info->GetSource(source.ReleaseAndGetAddressOf());
        info->GetDescription(description.ReleaseAndGetAddressOf());
    }
    char code[16];
    std::snprintf(code, sizeof code, "%08x", static_cast<unsigned>(hr));
    std::u16string text = u"현재 해당 COM 개체가 로드되지 않습니다.\n";
    text += u"에러 코드 : " + AnsiToWide(code) + u"\n";
    text += u"에러 내용 : " + ErrorMessageText(hr) + u"\n";
    text += u"에러 소스 : " + std::u16string(source.Get() ? source.Get() : u"") + u"\n";
    text += u"에러 설명 : " + std::u16string(description.Get() ? description.Get() : u"");
    MessageBoxW(nullptr, text.c_str(), u"COM 객체 오류", MB_OK);
}
