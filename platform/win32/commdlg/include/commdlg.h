// The common dialogs: open and save file names, find and replace, colour and font. Each is
// answered by the platform's UI driver (qx/win32/ui_driver.h); without one it is cancelled.
#pragma once

#include "wingdi.h"
#include "wintypes.h"
#include "winuser_window.h"

using LPOFNHOOKPROC = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using LPCCHOOKPROC = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using LPCFHOOKPROC = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using LPFRHOOKPROC = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

struct OPENFILENAMEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile;
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;

// The structure without its last three members, as older callers size it.
#define OPENFILENAME_SIZE_VERSION_400A (offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR))
#define OPENFILENAME_SIZE_VERSION_400W (offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR))

#define OFN_READONLY 0x00000001u
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_NOCHANGEDIR 0x00000008u
#define OFN_SHOWHELP 0x00000010u
#define OFN_ENABLEHOOK 0x00000020u
#define OFN_ENABLETEMPLATE 0x00000040u
#define OFN_ENABLETEMPLATEHANDLE 0x00000080u
#define OFN_NOVALIDATE 0x00000100u
#define OFN_ALLOWMULTISELECT 0x00000200u
#define OFN_EXTENSIONDIFFERENT 0x00000400u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_CREATEPROMPT 0x00002000u
#define OFN_SHAREAWARE 0x00004000u
#define OFN_NOREADONLYRETURN 0x00008000u
#define OFN_NOTESTFILECREATE 0x00010000u
#define OFN_NONETWORKBUTTON 0x00020000u
#define OFN_NOLONGNAMES 0x00040000u
#define OFN_EXPLORER 0x00080000u
#define OFN_NODEREFERENCELINKS 0x00100000u
#define OFN_LONGNAMES 0x00200000u
#define OFN_ENABLEINCLUDENOTIFY 0x00400000u
#define OFN_ENABLESIZING 0x00800000u
#define OFN_DONTADDTORECENT 0x02000000u
#define OFN_FORCESHOWHIDDEN 0x10000000u

// Extended errors (CommDlgExtendedError).
#define CDERR_DIALOGFAILURE 0xFFFFu
#define CDERR_GENERALCODES 0x0000u
#define CDERR_STRUCTSIZE 0x0001u
#define CDERR_INITIALIZATION 0x0002u
#define CDERR_NOTEMPLATE 0x0003u
#define CDERR_NOHINSTANCE 0x0004u
#define CDERR_LOADSTRFAILURE 0x0005u
#define CDERR_FINDRESFAILURE 0x0006u
#define CDERR_LOADRESFAILURE 0x0007u
#define CDERR_LOCKRESFAILURE 0x0008u
#define CDERR_MEMALLOCFAILURE 0x0009u
#define CDERR_MEMLOCKFAILURE 0x000Au
#define CDERR_NOHOOK 0x000Bu
#define CDERR_REGISTERMSGFAIL 0x000Cu
#define FNERR_FILENAMECODES 0x3000u
#define FNERR_SUBCLASSFAILURE 0x3001u
#define FNERR_INVALIDFILENAME 0x3002u
#define FNERR_BUFFERTOOSMALL 0x3003u
#define FRERR_FINDREPLACECODES 0x4000u
#define FRERR_BUFFERLENGTHZERO 0x4001u
#define CFERR_CHOOSEFONTCODES 0x2000u
#define CFERR_NOFONTS 0x2001u
#define CFERR_MAXLESSTHANMIN 0x2002u
#define CCERR_CHOOSECOLORCODES 0x5000u

// Notices to an Explorer-style file dialog's hook (WM_NOTIFY).
#define CDN_FIRST (0u - 601u)
#define CDN_INITDONE (CDN_FIRST - 0x0000u)
#define CDN_SELCHANGE (CDN_FIRST - 0x0001u)
#define CDN_FOLDERCHANGE (CDN_FIRST - 0x0002u)
#define CDN_FILEOK (CDN_FIRST - 0x0005u)
#define CDN_TYPECHANGE (CDN_FIRST - 0x0006u)

struct OFNOTIFYA {
    NMHDR hdr;
    LPOPENFILENAMEA lpOFN;
    LPSTR pszFile;
};
using LPOFNOTIFYA = OFNOTIFYA*;

struct OFNOTIFYW {
    NMHDR hdr;
    LPOPENFILENAMEW lpOFN;
    LPWSTR pszFile;
};
using LPOFNOTIFYW = OFNOTIFYW*;

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn);
BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW lpofn);
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA lpofn);
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn);
// The error of the last common dialog call of this thread; 0 after success or a cancel.
DWORD WINAPI CommDlgExtendedError();

#define OPENFILENAME OPENFILENAMEA
#define LPOPENFILENAME LPOPENFILENAMEA
#define GetOpenFileName GetOpenFileNameA
#define GetSaveFileName GetSaveFileNameA

// Colour.
struct CHOOSECOLORA {
    DWORD lStructSize;
    HWND hwndOwner;
    HWND hInstance;
    COLORREF rgbResult;
    COLORREF* lpCustColors;
    DWORD Flags;
    LPARAM lCustData;
    LPCCHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
};
using LPCHOOSECOLORA = CHOOSECOLORA*;

#define CC_RGBINIT 0x00000001u
#define CC_FULLOPEN 0x00000002u
#define CC_PREVENTFULLOPEN 0x00000004u
#define CC_SHOWHELP 0x00000008u
#define CC_ENABLEHOOK 0x00000010u
#define CC_ENABLETEMPLATE 0x00000020u
#define CC_ENABLETEMPLATEHANDLE 0x00000040u
#define CC_SOLIDCOLOR 0x00000080u
#define CC_ANYCOLOR 0x00000100u

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA lpcc);

// Font.
struct CHOOSEFONTA {
    DWORD lStructSize;
    HWND hwndOwner;
    HDC hDC;
    LPLOGFONTA lpLogFont;
    INT iPointSize; // tenths of a point
    DWORD Flags;
    COLORREF rgbColors;
    LPARAM lCustData;
    LPCFHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    HINSTANCE hInstance;
    LPSTR lpszStyle;
    WORD nFontType;
    WORD ___MISSING_ALIGNMENT__;
    INT nSizeMin;
    INT nSizeMax;
};
using LPCHOOSEFONTA = CHOOSEFONTA*;

#define CF_SCREENFONTS 0x00000001u
#define CF_PRINTERFONTS 0x00000002u
#define CF_BOTH (CF_SCREENFONTS | CF_PRINTERFONTS)
#define CF_SHOWHELP 0x00000004u
#define CF_ENABLEHOOK 0x00000008u
#define CF_ENABLETEMPLATE 0x00000010u
#define CF_ENABLETEMPLATEHANDLE 0x00000020u
#define CF_INITTOLOGFONTSTRUCT 0x00000040u
#define CF_USESTYLE 0x00000080u
#define CF_EFFECTS 0x00000100u
#define CF_APPLY 0x00000200u
#define CF_ANSIONLY 0x00000400u
#define CF_SCRIPTSONLY CF_ANSIONLY
#define CF_NOVECTORFONTS 0x00000800u
#define CF_NOOEMFONTS CF_NOVECTORFONTS
#define CF_NOSIMULATIONS 0x00001000u
#define CF_LIMITSIZE 0x00002000u
#define CF_FIXEDPITCHONLY 0x00004000u
#define CF_WYSIWYG 0x00008000u
#define CF_FORCEFONTEXIST 0x00010000u
#define CF_SCALABLEONLY 0x00020000u
#define CF_TTONLY 0x00040000u
#define CF_NOFACESEL 0x00080000u
#define CF_NOSTYLESEL 0x00100000u
#define CF_NOSIZESEL 0x00200000u
#define CF_SELECTSCRIPT 0x00400000u
#define CF_NOSCRIPTSEL 0x00800000u
#define CF_NOVERTFONTS 0x01000000u

#define BOLD_FONTTYPE 0x0100
#define ITALIC_FONTTYPE 0x0200
#define REGULAR_FONTTYPE 0x0400
#define SCREEN_FONTTYPE 0x2000
#define PRINTER_FONTTYPE 0x4000
#define SIMULATED_FONTTYPE 0x8000

BOOL WINAPI ChooseFontA(LPCHOOSEFONTA lpcf);

// Find and replace: modeless dialogs that report each press to their owner with the registered
// message FINDMSGSTRING.
struct FINDREPLACEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    DWORD Flags;
    LPSTR lpstrFindWhat;
    LPSTR lpstrReplaceWith;
    WORD wFindWhatLen;
    WORD wReplaceWithLen;
    LPARAM lCustData;
    LPFRHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
};
using LPFINDREPLACEA = FINDREPLACEA*;

struct FINDREPLACEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    DWORD Flags;
    LPWSTR lpstrFindWhat;
    LPWSTR lpstrReplaceWith;
    WORD wFindWhatLen;
    WORD wReplaceWithLen;
    LPARAM lCustData;
    LPFRHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
};
using LPFINDREPLACEW = FINDREPLACEW*;

#define FR_DOWN 0x00000001u
#define FR_WHOLEWORD 0x00000002u
#define FR_MATCHCASE 0x00000004u
#define FR_FINDNEXT 0x00000008u
#define FR_REPLACE 0x00000010u
#define FR_REPLACEALL 0x00000020u
#define FR_DIALOGTERM 0x00000040u
#define FR_SHOWHELP 0x00000080u
#define FR_ENABLEHOOK 0x00000100u
#define FR_ENABLETEMPLATE 0x00000200u
#define FR_NOUPDOWN 0x00000400u
#define FR_NOMATCHCASE 0x00000800u
#define FR_NOWHOLEWORD 0x00001000u
#define FR_ENABLETEMPLATEHANDLE 0x00002000u
#define FR_HIDEUPDOWN 0x00004000u
#define FR_HIDEMATCHCASE 0x00008000u
#define FR_HIDEWHOLEWORD 0x00010000u

#define FINDMSGSTRINGA "commdlg_FindReplace"
#define FINDMSGSTRINGW u"commdlg_FindReplace"

// The dialog's window (owned by hwndOwner), or NULL with CommDlgExtendedError set. The struct
// must stay alive until the dialog is gone: each press writes to it.
HWND WINAPI FindTextA(LPFINDREPLACEA lpfr);
HWND WINAPI FindTextW(LPFINDREPLACEW lpfr);
HWND WINAPI ReplaceTextA(LPFINDREPLACEA lpfr);
HWND WINAPI ReplaceTextW(LPFINDREPLACEW lpfr);

#define FINDREPLACE FINDREPLACEA
#define FINDMSGSTRING FINDMSGSTRINGA
#define FindText FindTextA
#define ReplaceText ReplaceTextA
#define CHOOSECOLOR CHOOSECOLORA
#define ChooseColor ChooseColorA
#define CHOOSEFONT CHOOSEFONTA
#define ChooseFont ChooseFontA
