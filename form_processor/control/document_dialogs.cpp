// The save and load dialogs (FPID_SAVE_DOCUMENT, FPID_LOAD_DOCUMENT, FileSaveDlg, FileOpenDlg)
// and the hook that centres them over the editor window. A save never leaves the user's file
// half written: the text comes first, then a temporary file beside the target, then the rename.
#include "ansi_text.h"
#include "document_io.h"
#include "external_dispatch.h"
#include "velkor_control.h"

#include <commdlg.h>
#include <errhandlingapi.h>
#include <fileapi.h>
#include <handleapi.h>
#include <winbase_file.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <algorithm>
#include <cstring>
#include <string>

using qx::com::Bstr;
using qx::com::Variant;

namespace {

constexpr char kFilter[] = "MHTML Files(*.mht)|*.mht|HTML Files(*.htm)|*.htm||";
// A handful of names is plenty: a clash means another save runs in the same folder right now.
constexpr int kTemporaryNameAttempts = 16;

// The filter with every "|" turned into the NUL that ends each part.
struct FilterText {
    char text[sizeof(kFilter)];
    FilterText() {
        std::memcpy(text, kFilter, sizeof(kFilter));
        for (char& c : text)
            if (c == '|')
                c = '\0';
    }
};

struct FileDialogBuffers {
    FilterText filter;
    char path[MAX_PATH] = {};
    char title[MAX_PATH] = {};
};

void PrepareFileDialog(OPENFILENAMEA& dialog, FileDialogBuffers& buffers, HWND owner, const char* title,
                       DWORD flags) {
    std::memset(&dialog, 0, sizeof(dialog));
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = buffers.filter.text;
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = buffers.path;
    dialog.nMaxFile = sizeof(buffers.path);
    dialog.lpstrFileTitle = buffers.title;
    dialog.nMaxFileTitle = sizeof(buffers.title);
    dialog.lpstrTitle = title;
    dialog.Flags = flags;
    dialog.lpstrDefExt = "mht";
    dialog.lpfnHook = CenterFileDialog;
}

bool EqualsIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return *a == *b;
}

// The title from its last "." decides the format; a title without one is written as HTML.
bool TitleAsksForMht(const char* title) {
    const char* dot = std::strrchr(title, '.');
    return dot && EqualsIgnoringCase(dot, ".mht");
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// A new file beside target that no one else holds; INVALID_HANDLE_VALUE when none can be made.
HANDLE CreateTemporaryBeside(const std::string& target, std::string& temporary) {
    const size_t slash = target.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const UINT base = GetTickCount();
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        char name[MAX_PATH] = {};
        // A nonzero number only builds the name; CREATE_NEW then makes sure it is ours.
        const UINT unique = ((base + static_cast<UINT>(attempt) * 7919u) & 0xFFFFu) | 1u;
        if (!GetTempFileNameA(folder.c_str(), "vlk", unique, name))
            return INVALID_HANDLE_VALUE;
        HANDLE file =
            CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            temporary = name;
            return file;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

// Writes bytes to a temporary file and puts it in place of target; target is untouched and no
// temporary file remains when anything fails.
bool WriteReplacing(const std::string& target, const std::string& bytes) {
    std::string temporary;
    HANDLE file = CreateTemporaryBeside(target, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = WriteAll(file, bytes);
    const bool closed = CloseHandle(file) != FALSE;
    bool placed = false;
    if (written && closed) {
        if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES)
            placed = ReplaceFileA(target.c_str(), temporary.c_str(), nullptr, 0, nullptr, nullptr) != FALSE;
        else
            placed = MoveFileA(temporary.c_str(), target.c_str()) != FALSE;
    }
    if (!placed)
        DeleteFileA(temporary.c_str());
    return placed;
}

} // namespace

void CenterWindowOver(HWND window, HWND over) {
    RECT frame{}, owner{};
    if (!window || !over || !GetWindowRect(window, &frame) || !GetWindowRect(over, &owner))
        return;
    const int x = (owner.left + owner.right - (frame.right - frame.left)) / 2;
    const int y = (owner.top + owner.bottom - (frame.bottom - frame.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK CenterFileDialog(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG && lParam) {
        const auto* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        CenterWindowOver(GetParent(hook), dialog->hwndOwner);
    }
    return 0;
}

Variant SaveDocumentDialog(CVelkor& control) {
    CTableEditor& engine = control.TableEditor();
    if (engine.Document())
        engine.FillEmptyCells();
    FileDialogBuffers buffers;
    std::strcpy(buffers.path, "Untitled");
    OPENFILENAMEA dialog;
    PrepareFileDialog(dialog, buffers, engine.EditorWindow(), "Save",
                      OFN_EXPLORER | OFN_ENABLEHOOK | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    if (!GetSaveFileNameA(&dialog))
        return Variant(false);

    // The chosen name decides the format, whatever MHTMLSave says; MHTMLSave keeps its value.
    LONG remembered = 1;
    control.get_MHTMLSave(&remembered);
    control.put_MHTMLSave(TitleAsksForMht(buffers.title) ? 1 : 0);
    Bstr text;
    const HRESULT hr = control.get_DocumentHTML(&text);
    control.put_MHTMLSave(remembered);
    if (hr != S_OK)
        return Variant(false);
    return Variant(WriteReplacing(buffers.path, BstrToAnsi(text.Get(), text.Length())));
}

Variant LoadDocumentDialog(CVelkor& control) {
    FileDialogBuffers buffers;
    OPENFILENAMEA dialog;
    PrepareFileDialog(dialog, buffers, control.TableEditor().EditorWindow(), "Load",
                      OFN_EXPLORER | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                          OFN_HIDEREADONLY);
    if (!GetOpenFileNameA(&dialog))
        return Variant(false);
    Bstr url = Bstr::Attach(AnsiToBstr(FileUrlForPath(buffers.path)));
    control.LoadURL(url.Get());
    return Variant(true);
}

namespace {

HRESULT RunDialogCommand(CExternalDispatch* bridge, LONG command, BSTR argument, VARIANT* pVal) {
    Variant result;
    if (bridge)
        result = bridge->DoCommand(Variant(command), Variant(argument));
    if (!pVal)
        return S_OK;
    VariantClear(pVal);
    return result.Detach(pVal);
}

} // namespace

STDMETHODIMP CVelkor::FileOpenDlg(BSTR bstr, VARIANT* pVal) {
    return RunDialogCommand(bridge_, FPID_LOAD_DOCUMENT, bstr, pVal);
}

STDMETHODIMP CVelkor::FileSaveDlg(BSTR bstr, VARIANT* pVal) {
    return RunDialogCommand(bridge_, FPID_SAVE_DOCUMENT, bstr, pVal);
}
