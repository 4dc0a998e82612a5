// The ANSI code page: 949 unless QX_ACP names another (read once) or a test chooses one.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "code_page_table.h"
#include "errhandlingapi.h"
#include "qx/win32/codepage.h"
#include "winerror.h"
#include "winnls.h"

namespace qx::win32 {
namespace {

constexpr UINT kDefaultAnsiCodePage = 949;

std::atomic<UINT> g_override{0};

bool Usable(UINT codePage) {
    return codePage == CP_UTF8 || FindCodePageTable(codePage) != nullptr;
}

UINT EnvironmentCodePage() {
    static std::once_flag once;
    static UINT chosen = kDefaultAnsiCodePage;
    std::call_once(once, [] {
        const char* value = std::getenv("QX_ACP");
        if (value == nullptr || *value == '\0') {
            return;
        }
        char* end = nullptr;
        unsigned long number = std::strtoul(value, &end, 10);
        if (*end == '\0' && number > CP_THREAD_ACP && number < 65536 && Usable(static_cast<UINT>(number))) {
            chosen = static_cast<UINT>(number);
        } else {
            std::fprintf(stderr, "QX_ACP=%s is not a usable code page; using %u\n", value,
                         kDefaultAnsiCodePage);
        }
    });
    return chosen;
}

UINT AnsiCodePage() {
    UINT chosen = g_override.load();
    return chosen != 0 ? chosen : EnvironmentCodePage();
}

} // namespace

UINT ResolveCodePage(UINT codePage) {
    switch (codePage) {
    case CP_ACP:
    case CP_OEMCP: // the OEM code page follows the ANSI one, as on Korean systems
    case CP_MACCP:
    case CP_THREAD_ACP:
        return AnsiCodePage();
    default:
        return codePage;
    }
}

bool SetAnsiCodePage(UINT codePage) {
    if (codePage != 0 && (codePage <= CP_THREAD_ACP || !Usable(codePage))) {
        return false;
    }
    g_override.store(codePage);
    return true;
}

} // namespace qx::win32

UINT WINAPI GetACP() {
    return qx::win32::ResolveCodePage(CP_ACP);
}

UINT WINAPI GetOEMCP() {
    return qx::win32::ResolveCodePage(CP_OEMCP);
}

BOOL WINAPI IsValidCodePage(UINT CodePage) {
    return CodePage > CP_THREAD_ACP && qx::win32::Usable(CodePage) ? TRUE : FALSE;
}

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
    UINT codePage = qx::win32::ResolveCodePage(CodePage);
    if (codePage == CP_UTF8) {
        return FALSE;
    }
    const qx::win32::CodePageTable* table = qx::win32::FindCodePageTable(codePage);
    if (table == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return table->lead[TestChar] ? TRUE : FALSE;
}

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) {
    return IsDBCSLeadByteEx(CP_ACP, TestChar);
}
