// GetOpenFileName and GetSaveFileName: the driver chooses a file, the flags decide whether the
// choice stands, and the caller's buffers receive it within their bounds.
#include <cstring>
#include <optional>
#include <type_traits>

#include "commdlg.h"
#include "commdlg_error.h"
#include "dialog_start.h"
#include "dialog_text.h"
#include "dialog_window.h"
#include "file_dialog_path.h"
#include "processthreadsapi.h"
#include "qx/win32/ui_driver.h"
#include "winuser_msgbox.h"
#include "winuser_window.h"

namespace qx::win32 {
namespace {

// A driver that keeps giving refused answers ends the dialog instead of looping for ever.
constexpr int kMaxAttempts = 64;

template <typename Ofn>
constexpr DWORD kSize400 = offsetof(Ofn, lpTemplateName) + sizeof(Ofn::lpTemplateName);

int Ask(const FileDialogRequest& request, const std::string& text, UINT type) {
    return MessageBoxW(request.owner, Utf8ToWide(text).c_str(), Utf8ToWide(request.title).c_str(), type);
}

// Whether the flags let `path` stand; shows the box Windows shows when they do not.
bool Acceptable(FileDialogRequest& request, const std::string& path) {
    DWORD flags = request.flags;
    std::string name = path.substr(FileNameOffset(path));
    switch (ProbePath(path)) {
    case PathState::Invalid:
        Ask(request, path + "\nThe file name is not valid.", MB_OK | MB_ICONWARNING);
        return false;
    case PathState::IsFolder:
        // The person opened a folder: the dialog goes on from inside it.
        request.initialDirectory = path;
        request.initialFile.clear();
        return false;
    case PathState::FolderMissing:
        if (flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) {
            Ask(request, path + "\nPath does not exist.\nCheck the path and try again.",
                MB_OK | MB_ICONWARNING);
            return false;
        }
        return true;
    case PathState::FileMissing:
        if (!request.save && (flags & OFN_FILEMUSTEXIST)) {
            Ask(request, name + "\nFile not found.\nCheck the file name and try again.",
                MB_OK | MB_ICONWARNING);
            return false;
        }
        return true;
    case PathState::Exists:
        if (request.save && (flags & OFN_OVERWRITEPROMPT)) {
            return Ask(request, name + " already exists.\nDo you want to replace it?",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
        }
        return true;
    }
    return false;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

template <typename Ofn, typename Char>
FileDialogRequest BuildRequest(const Ofn& ofn, bool save) {
    FileDialogRequest request;
    request.save = save;
    request.wide = sizeof(Char) == 2;
    request.owner = ofn.hwndOwner;
    request.threadId = GetCurrentThreadId();
    request.flags = ofn.Flags;
    request.title = ofn.lpstrTitle != nullptr ? Utf8Of(ofn.lpstrTitle) : (save ? "Save As" : "Open");
    request.filters = ParseFilterList(ofn.lpstrFilter);
    DWORD count = static_cast<DWORD>(request.filters.size());
    request.filterIndex =
        count == 0 ? 0 : (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= count ? ofn.nFilterIndex : 1);
    request.initialFile = DialogText<Char>::ToUtf8(BoundedText<Char>(ofn.lpstrFile, ofn.nMaxFile));
    request.initialDirectory = Utf8Of(ofn.lpstrInitialDir);
    if (request.initialDirectory.empty()) {
        request.initialDirectory = FolderOf(request.initialFile);
    }
    request.defaultExtension = Utf8Of(ofn.lpstrDefExt);
    return request;
}

// Writes the accepted path into the caller's structure; false (FNERR_BUFFERTOOSMALL, with the
// size needed in the buffer's first two bytes as Windows leaves it) when it does not fit.
template <typename Ofn, typename Char>
bool WriteResult(Ofn& ofn, const std::basic_string<Char>& path, const FileDialogRequest& request,
                 DWORD filterIndex) {
    std::size_t needed = path.size() + 1;
    if (needed > ofn.nMaxFile) {
        WORD size = static_cast<WORD>(needed > 0xFFFF ? 0xFFFF : needed);
        if (sizeof(Char) == 1 && ofn.nMaxFile >= 2) {
            std::memcpy(ofn.lpstrFile, &size, sizeof size);
        } else if (sizeof(Char) == 2 && ofn.nMaxFile >= 1) {
            ofn.lpstrFile[0] = static_cast<Char>(size);
        }
        SetCommDlgError(FNERR_BUFFERTOOSMALL);
        return false;
    }
    path.copy(ofn.lpstrFile, path.size());
    ofn.lpstrFile[path.size()] = 0;

    std::size_t nameAt = path.find_last_of(static_cast<Char>('\\')) == std::basic_string<Char>::npos
                             ? 0
                             : path.find_last_of(static_cast<Char>('\\')) + 1;
    std::size_t slashAt = path.find_last_of(static_cast<Char>('/'));
    if (slashAt != std::basic_string<Char>::npos && slashAt + 1 > nameAt) {
        nameAt = slashAt + 1;
    }
    std::size_t dotAt = path.find_last_of(static_cast<Char>('.'));
    std::size_t extensionAt = path.size(); // no extension: the offset of the NUL
    if (dotAt != std::basic_string<Char>::npos && dotAt >= nameAt) {
        extensionAt = dotAt + 1 == path.size() ? 0 : dotAt + 1;
    }
    ofn.nFileOffset = static_cast<WORD>(nameAt);
    ofn.nFileExtension = static_cast<WORD>(extensionAt);
    CopyTruncated(std::basic_string_view<Char>(path).substr(nameAt), ofn.lpstrFileTitle, ofn.nMaxFileTitle);
    if (filterIndex >= 1 && filterIndex <= request.filters.size()) {
        ofn.nFilterIndex = filterIndex;
    } else if (request.filterIndex != 0) {
        ofn.nFilterIndex = request.filterIndex;
    }
    ofn.Flags &= ~static_cast<DWORD>(OFN_EXTENSIONDIFFERENT);
    if (!request.defaultExtension.empty() && extensionAt != 0 && extensionAt < path.size()) {
        std::string extension =
            DialogText<Char>::ToUtf8(std::basic_string_view<Char>(path).substr(extensionAt));
        if (!EqualIgnoringAsciiCase(extension, request.defaultExtension)) {
            ofn.Flags |= OFN_EXTENSIONDIFFERENT;
        }
    }
    SetCommDlgError(0);
    return true;
}

// The dialog's windows while a hook is to see them: with OFN_EXPLORER the hook is the procedure
// of a child dialog and hears WM_INITDIALOG and then CDN_INITDONE through WM_NOTIFY from its
// parent; in the old style it is the dialog's own procedure and hears WM_INITDIALOG.
template <typename Ofn>
class HookedDialog {
public:
    ~HookedDialog() {
        if (frame_ != nullptr) {
            DestroyWindow(frame_);
        }
    }
    bool Open(Ofn& ofn, const std::string& title) {
        bool explorer = (ofn.Flags & OFN_EXPLORER) != 0;
        frame_ =
            CreateCommonDialogWindow(ofn.hwndOwner, Utf8ToWide(title), explorer ? nullptr : ofn.lpfnHook);
        HWND hookWindow = explorer && frame_ != nullptr
                              ? CreateCommonDialogWindow(frame_, u"", ofn.lpfnHook, true)
                              : frame_;
        if (hookWindow == nullptr) {
            return false;
        }
        SendMessageW(hookWindow, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&ofn));
        if (explorer) {
            using Notice = std::conditional_t<std::is_same_v<Ofn, OPENFILENAMEA>, OFNOTIFYA, OFNOTIFYW>;
            Notice notice{};
            notice.hdr.hwndFrom = frame_;
            notice.hdr.code = CDN_INITDONE;
            notice.lpOFN = &ofn;
            SendMessageW(hookWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
        }
        return true;
    }

private:
    HWND frame_ = nullptr;
};

template <typename Ofn, typename Char>
BOOL RunFileDialog(Ofn* ofn, bool save) {
    if (ofn == nullptr) {
        SetCommDlgError(CDERR_INITIALIZATION);
        return FALSE;
    }
    bool sizeOk = ofn->lStructSize == sizeof(Ofn) || ofn->lStructSize == kSize400<Ofn>;
    if (sizeOk && (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0)) {
        SetCommDlgError(CDERR_INITIALIZATION);
        return FALSE;
    }
    FileDialogRequest request = sizeOk ? BuildRequest<Ofn, Char>(*ofn, save) : FileDialogRequest{};
    UiDriver* driver = StartDialog(save ? "GetSaveFileName" : "GetOpenFileName", request.title, sizeOk,
                                   sizeOk && (ofn->Flags & OFN_ENABLEHOOK) != 0,
                                   sizeOk ? reinterpret_cast<const void*>(ofn->lpfnHook) : nullptr);
    if (driver == nullptr) {
        return FALSE;
    }
    HookedDialog<Ofn> hooked;
    if ((ofn->Flags & OFN_ENABLEHOOK) && !hooked.Open(*ofn, request.title)) {
        SetCommDlgError(CDERR_DIALOGFAILURE);
        return FALSE;
    }
    for (; request.attempt <= kMaxAttempts; ++request.attempt) {
        std::optional<FileDialogChoice> choice = driver->ShowFileDialog(request);
        if (!choice) {
            SetCommDlgError(0);
            return FALSE;
        }
        std::string path = WithDefaultExtension(ResolveAgainstFolder(choice->path, request.initialDirectory),
                                                request.defaultExtension);
        std::basic_string<Char> result;
        if (!DialogText<Char>::FromUtf8(path, result) || result.size() > 0x7FFF) {
            Ask(request, path + "\nThe file name is not valid.", MB_OK | MB_ICONWARNING);
            continue;
        }
        if (!Acceptable(request, path)) {
            continue;
        }
        return WriteResult<Ofn, Char>(*ofn, result, request, choice->filterIndex) ? TRUE : FALSE;
    }
    SetCommDlgError(CDERR_DIALOGFAILURE);
    return FALSE;
}

} // namespace
} // namespace qx::win32

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    return qx::win32::RunFileDialog<OPENFILENAMEA, char>(lpofn, false);
}

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn) {
    return qx::win32::RunFileDialog<OPENFILENAMEW, char16_t>(lpofn, false);
}

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA lpofn) {
    return qx::win32::RunFileDialog<OPENFILENAMEA, char>(lpofn, true);
}

BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn) {
    return qx::win32::RunFileDialog<OPENFILENAMEW, char16_t>(lpofn, true);
}
