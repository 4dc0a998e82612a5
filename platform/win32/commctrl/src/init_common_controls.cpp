// InitCommonControls(Ex) registers the control classes for every module of the process
// (CS_GLOBALCLASS); loading "RICHED20.DLL" or "RICHED32.DLL" registers the rich edit classes,
// as those libraries do on Windows. Registering a class that exists already is harmless.
#include "commctrl.h"
#include "controls.h"
#include "qx/commctrl/control_classes.h"
#include "qx/module/loader.h"
#include "richedit.h"
#include "winmodule.h"

namespace qx::win32::commctrl {
namespace {

void RegisterControlClass(const char16_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_GLOBALCLASS | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = reinterpret_cast<LPCWSTR>(name);
    RegisterClassExW(&windowClass);
}

void RegisterAnsiControlClass(const char* name, WNDPROC procedure) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_GLOBALCLASS | CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);
}

void RegisterRichEditClasses() {
    RegisterAnsiControlClass(RICHEDIT_CLASSA, &RichEditProcA);
    RegisterAnsiControlClass(RICHEDIT_CLASS10A, &RichEditProcA);
    RegisterControlClass(RICHEDIT_CLASSW, &RichEditProcW);
}

BOOL RichEditLibraryMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        RegisterRichEditClasses();
    }
    return TRUE;
}

// The names a component may load the rich edit by; the loader compares file names exactly.
void RegisterRichEditLibraries() {
    for (const char* name :
         {"RICHED20.DLL", "riched20.dll", "RICHED20.dll", "RICHED32.DLL", "riched32.dll", "RICHED32.dll"}) {
        module::StaticModuleInfo library;
        library.path = name;
        library.exports.push_back({"DllMain", reinterpret_cast<void*>(&RichEditLibraryMain)});
        module::RegisterStaticModule(std::move(library));
    }
}

// In the shared platform library this runs when the library loads.
const bool g_librariesKnown = (RegisterRichEditLibraries(), true);

} // namespace

void RegisterCommonControlClasses(DWORD classes) {
    if (classes & ICC_LISTVIEW_CLASSES) {
        RegisterControlClass(WC_LISTVIEWW, &ListViewProc);
    }
    if (classes & ICC_UPDOWN_CLASS) {
        RegisterControlClass(UPDOWN_CLASSW, &UpDownProc);
    }
    if (classes & ICC_TAB_CLASSES) {
        RegisterControlClass(WC_TABCONTROLW, &TabControlProc);
    }
    RegisterRichEditClasses();
}

} // namespace qx::win32::commctrl

void WINAPI InitCommonControls() {
    qx::win32::commctrl::RegisterCommonControlClasses(ICC_WIN95_CLASSES);
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    if (picce == nullptr || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        return FALSE;
    }
    qx::win32::commctrl::RegisterCommonControlClasses(picce->dwICC);
    return TRUE;
}
