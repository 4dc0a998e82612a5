// The program launcher: starts a program through the shell unless a process already runs the
// image it names.
#include "ansi_text.h"
#include "tree_dom.h"
#include "tree_view_behavior.h"

#include "fileapi.h"
#include "handleapi.h"
#include "psapi_processes.h"
#include "shellapi.h"

#include <vector>

namespace {

// Upper-cases a-z only: the same comparison for every name the code page can hold.
std::string UpperAnsi(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string LongPathOf(const std::string& name) {
    char longPath[MAX_PATH + 1] = {};
    const DWORD length = GetLongPathNameA(name.c_str(), longPath, sizeof(longPath));
    return length > 0 && length < sizeof(longPath) ? std::string(longPath, length) : name;
}

} // namespace

// Each running process's full image name against the searched name in its long path form, both
// upper-cased, compared exactly. Processes this user cannot read are left out.
bool CTreeViewBehavior::IsProcessRunning(const std::string& name) {
    const std::string wanted = UpperAnsi(LongPathOf(name));
    std::vector<DWORD> ids(4);
    for (;;) {
        DWORD needed = 0;
        const DWORD bytes = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!EnumProcesses(ids.data(), bytes, &needed))
            return false;
        if (needed < bytes) {
            ids.resize(needed / sizeof(DWORD));
            break;
        }
        ids.resize(ids.size() * 2);
    }
    for (const DWORD id : ids) {
        const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (!process)
            continue;
        char image[1024] = {};
        DWORD size = sizeof(image);
        const bool read = QueryFullProcessImageNameA(process, 0, image, &size) != FALSE;
        CloseHandle(process);
        if (read && UpperAnsi(LongPathOf(std::string(image, size))) == wanted)
            return true;
    }
    return false;
}

STDMETHODIMP CTreeViewBehavior::cmd(BSTR file, BSTR parameter, BSTR searchFileName) {
    if (searchFileName && IsProcessRunning(BstrToAnsi(searchFileName)))
        return S_OK;
    ShellExecuteA(nullptr, nullptr, BstrToAnsi(file).c_str(), BstrToAnsi(parameter).c_str(), "", 10);
    return S_OK;
}
