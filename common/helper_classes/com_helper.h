// COM chores of an installer or a host: type-library GUIDs, file versions, self-registration of
// in-process and local servers, and the COM error box.
#pragma once

#include <oaidl.h>

#include <string>

class ComHelper {
public:
    virtual ~ComHelper() = default;

    // Loads the type library of a file (ANSI path); null on failure. The caller releases it.
    static ITypeLib* LoadTypeLibrary(const char* path);
    // The library's GUID in registry form "{XXXXXXXX-...}"; "" when it cannot be read.
    static std::string GetLibraryGuid(ITypeLib* library);
    // The GUID of the library's class with the given name (any case); "" when there is none.
    static std::string GetClassGuid(ITypeLib* library, const char* className);
    // "%d,%d,%d,%d" of the file's version; "" without version information.
    static std::string GetFileVersionText(const char* path);
    // kind "inproc": loads the file and calls DllRegisterServer (or DllUnregisterServer);
    // kind "outproc": starts the program with /RegServer (or /UnRegServer) and waits for it.
    // True when the call succeeded (a program's exit code 0).
    static bool RegisterServer(const char* path, const char* kind, bool doRegister);
    // The message box with the error code and the error information of a failed COM call.
    static void ShowComError(HRESULT hr, IErrorInfo* info);
};
