// regsvr [-u] FILE...: loads each component file and calls its DllRegisterServer (or, with -u,
// DllUnregisterServer), one line per file on standard output. Each file's changes reach the
// registry together or not at all: the call runs inside one registry transaction, committed
// only when it succeeded, so a registry that cannot be changed (read-only, damaged) fails the
// file even where the component itself ignores such failures, as unregistering does.
#include "objbase_activation.h"
#include "qx/host/command_line.h"
#include "qx/host/standard_streams.h"
#include "qx/module/loader.h"
#include "qx/win32/registry.h"
#include "winerror.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitOutputFailed = 3 };

using ServerFunction = HRESULT (*)();

const char* Explain(HRESULT hr) {
    switch (static_cast<unsigned long>(static_cast<ULONG>(hr))) {
    case 0x80070005ul:
        return "access denied: the registry cannot be written";
    case 0x800703F7ul:
        return "the registry file is damaged";
    case 0x80020009ul:
        return "a registry script of the component is not valid";
    case 0x80029C4Aul:
        return "the type library cannot be loaded";
    case 0x80070716ul:
        return "a registry script is missing from the component";
    case 0x8007000Eul:
        return "out of memory";
    default:
        return nullptr;
    }
}

// Why the loader refused the file.
const char* ExplainLoad(DWORD error) {
    switch (error) {
    case ERROR_MOD_NOT_FOUND:
        return "no such file";
    case ERROR_BAD_EXE_FORMAT:
        return "not a component file, or a library it needs is missing";
    case ERROR_DLL_INIT_FAILED:
        return "its DllMain failed";
    default:
        return "not a component file, or missing";
    }
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<ULONG>(hr)));
    return text;
}

void ReportFailure(const std::string& file, const char* function, HRESULT hr) {
    if (const char* why = Explain(hr))
        std::printf("%s: %s failed with %s (%s; registry %s)\n", file.c_str(), function, Hex(hr).c_str(), why,
                    qx::registry::RegistryDirectory().string().c_str());
    else
        std::printf("%s: %s failed with %s\n", file.c_str(), function, Hex(hr).c_str());
}

HRESULT FromRegistry(LONG rc) {
    return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(rc));
}

bool Process(const std::string& file, bool unregister) {
    const char* function = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(file, ec);
    HMODULE module = qx::module::LoadModule(ec ? file : path.string());
    if (!module) {
        const DWORD error = GetLastError();
        std::printf("%s: cannot be loaded: %s (%s)\n", file.c_str(), ExplainLoad(error),
                    Hex(HRESULT_FROM_WIN32(error)).c_str());
        return false;
    }
    auto call = reinterpret_cast<ServerFunction>(qx::module::FindExport(module, function));
    bool ok = false;
    if (!call) {
        std::printf("%s: %s not found (%s)\n", file.c_str(), function, Hex(CO_E_ERRORINDLL).c_str());
    } else {
        HRESULT hr = S_OK;
        {
            qx::registry::Transaction transaction;
            hr = FromRegistry(transaction.Status());
            if (SUCCEEDED(hr))
                hr = call();
            if (SUCCEEDED(hr))
                hr = FromRegistry(transaction.Commit());
        }
        ok = SUCCEEDED(hr);
        if (ok)
            std::printf("%s: %s succeeded\n", file.c_str(), function);
        else
            ReportFailure(file, function, hr);
    }
    qx::module::FreeModule(module);
    return ok;
}

constexpr std::string_view kSummary =
    "Registers component files (or unregisters them), one line per file on standard output.\n";

constexpr std::string_view kExitStatuses =
    "Exit status: 0 every file succeeded; 1 any file failed; 2 a wrong "
    "command line;\n3 standard output or standard error could not be "
    "written.\n";

} // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    const qx::host::Option table[] = {
        {"-u /u --unregister", "", "unregister the files instead",
         [&](std::string_view) {
             unregister = true;
             return std::string();
         }},
    };
    const qx::host::CommandLineSpec spec{"regsvr",     "usage: regsvr [-u] FILE...", kSummary, table, 1, true,
                                         kExitStatuses};
    const qx::host::ParsedCommandLine line = qx::host::ParseCommandLine(spec, argc, argv);
    int status = kExitOk;
    if (const std::optional<int> answered = qx::host::AnswerCommandLine(line, stderr, kExitUsage)) {
        status = *answered;
    } else {
        const HRESULT init = CoInitialize(nullptr);
        bool allOk = true;
        for (const auto& file : line.operands)
            allOk = Process(file, unregister) && allOk;
        if (SUCCEEDED(init))
            CoUninitialize();
        status = allOk ? kExitOk : kExitFailed;
    }
    if (!qx::host::CloseStandardStreams("regsvr") && status == kExitOk)
        status = kExitOutputFailed;
    return status;
}
