// The rich edit control ("RichEdit20A", "RichEdit20W" and the older "RICHEDIT" name): text of
// any size with a selection, find, undo, an event mask and a character format per range.
#pragma once

#include "wintypes.h"

#include "qx/commctrl/shared_messages.h"

#define RICHEDIT_CLASSA "RichEdit20A"
#define RICHEDIT_CLASSW u"RichEdit20W"
#define RICHEDIT_CLASS10A "RICHEDIT"
#define RICHEDIT_CLASS RICHEDIT_CLASSA

// Messages of the rich edit control beyond the edit control's.
#define EM_CANPASTE (WM_USER + 50)
#define EM_EXGETSEL (WM_USER + 52)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_EXLINEFROMCHAR (WM_USER + 54)
#define EM_EXSETSEL (WM_USER + 55)
#define EM_FINDTEXT (WM_USER + 56)
#define EM_GETCHARFORMAT (WM_USER + 58)
#define EM_GETEVENTMASK (WM_USER + 59)
#define EM_GETSELTEXT (WM_USER + 62)
#define EM_HIDESELECTION (WM_USER + 63)
#define EM_SELECTIONTYPE (WM_USER + 66)
#define EM_SETBKGNDCOLOR (WM_USER + 67)
#define EM_SETCHARFORMAT (WM_USER + 68)
#define EM_SETEVENTMASK (WM_USER + 69)
#define EM_GETTEXTRANGE (WM_USER + 75)
#define EM_FINDTEXTEX (WM_USER + 79)
#define EM_SETUNDOLIMIT (WM_USER + 82)
#define EM_FINDTEXTW (WM_USER + 123)
#define EM_FINDTEXTEXW (WM_USER + 124)

// Event mask.
#define ENM_NONE 0x00000000u
#define ENM_CHANGE 0x00000001u
#define ENM_UPDATE 0x00000002u
#define ENM_SCROLL 0x00000004u
#define ENM_KEYEVENTS 0x00010000u
#define ENM_MOUSEEVENTS 0x00020000u
#define ENM_REQUESTRESIZE 0x00040000u
#define ENM_SELCHANGE 0x00080000u
#define ENM_DROPFILES 0x00100000u
#define ENM_PROTECTED 0x00200000u
#define ENM_LINK 0x04000000u

// Notices (WM_NOTIFY codes).
#define EN_MSGFILTER 0x0700u
#define EN_REQUESTRESIZE 0x0701u
#define EN_SELCHANGE 0x0702u
#define EN_DROPFILES 0x0703u
#define EN_PROTECTED 0x0704u
#define EN_LINK 0x070Bu

// Character format.
#define LF_FACESIZE 32

#define CFM_BOLD 0x00000001u
#define CFM_ITALIC 0x00000002u
#define CFM_UNDERLINE 0x00000004u
#define CFM_STRIKEOUT 0x00000008u
#define CFM_PROTECTED 0x00000010u
#define CFM_LINK 0x00000020u
#define CFM_SMALLCAPS 0x00000040u
#define CFM_ALLCAPS 0x00000080u
#define CFM_HIDDEN 0x00000100u
#define CFM_OUTLINE 0x00000200u
#define CFM_SHADOW 0x00000400u
#define CFM_EMBOSS 0x00000800u
#define CFM_IMPRINT 0x00001000u
#define CFM_DISABLED 0x00002000u
#define CFM_REVISED 0x00004000u
#define CFM_REVAUTHOR 0x00008000u
#define CFM_SUBSCRIPT 0x00030000u
#define CFM_SUPERSCRIPT CFM_SUBSCRIPT
#define CFM_ANIMATION 0x00040000u
#define CFM_STYLE 0x00080000u
#define CFM_KERNING 0x00100000u
#define CFM_SPACING 0x00200000u
#define CFM_WEIGHT 0x00400000u
#define CFM_UNDERLINETYPE 0x00800000u
#define CFM_LCID 0x02000000u
#define CFM_BACKCOLOR 0x04000000u
#define CFM_CHARSET 0x08000000u
#define CFM_OFFSET 0x10000000u
#define CFM_FACE 0x20000000u
#define CFM_COLOR 0x40000000u
#define CFM_SIZE 0x80000000u
#define CFM_EFFECTS                                                                                          \
    (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_STRIKEOUT | CFM_PROTECTED | CFM_LINK)
#define CFM_ALL (CFM_EFFECTS | CFM_SIZE | CFM_FACE | CFM_OFFSET | CFM_CHARSET)
#define CFM_EFFECTS2                                                                                         \
    (CFM_EFFECTS | CFM_DISABLED | CFM_SMALLCAPS | CFM_ALLCAPS | CFM_HIDDEN | CFM_OUTLINE | CFM_SHADOW |      \
     CFM_EMBOSS | CFM_IMPRINT | CFM_REVISED | CFM_SUBSCRIPT | CFM_BACKCOLOR)
#define CFM_ALL2                                                                                             \
    (CFM_ALL | CFM_EFFECTS2 | CFM_BACKCOLOR | CFM_LCID | CFM_UNDERLINETYPE | CFM_WEIGHT | CFM_REVAUTHOR |    \
     CFM_SPACING | CFM_KERNING | CFM_STYLE | CFM_ANIMATION)

#define CFE_BOLD 0x00000001u
#define CFE_ITALIC 0x00000002u
#define CFE_UNDERLINE 0x00000004u
#define CFE_STRIKEOUT 0x00000008u
#define CFE_PROTECTED 0x00000010u
#define CFE_LINK 0x00000020u
#define CFE_SUBSCRIPT 0x00010000u
#define CFE_SUPERSCRIPT 0x00020000u
#define CFE_AUTOBACKCOLOR CFM_BACKCOLOR
#define CFE_AUTOCOLOR CFM_COLOR

#define SCF_DEFAULT 0x0000u
#define SCF_SELECTION 0x0001u
#define SCF_WORD 0x0002u
#define SCF_ALL 0x0004u

struct CHARFORMATA {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight;
    LONG yOffset;
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    char szFaceName[LF_FACESIZE];
};
struct CHARFORMATW {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight;
    LONG yOffset;
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    WCHAR szFaceName[LF_FACESIZE];
};
struct CHARFORMAT2A : CHARFORMATA {
    WORD wWeight;
    SHORT sSpacing;
    COLORREF crBackColor;
    LCID lcid;
    DWORD dwReserved;
    SHORT sStyle;
    WORD wKerning;
    BYTE bUnderlineType;
    BYTE bAnimation;
    BYTE bRevAuthor;
    BYTE bReserved1;
};
struct CHARFORMAT2W : CHARFORMATW {
    WORD wWeight;
    SHORT sSpacing;
    COLORREF crBackColor;
    LCID lcid;
    DWORD dwReserved;
    SHORT sStyle;
    WORD wKerning;
    BYTE bUnderlineType;
    BYTE bAnimation;
    BYTE bRevAuthor;
    BYTE bReserved1;
};
using CHARFORMAT = CHARFORMATA;
using CHARFORMAT2 = CHARFORMAT2A;

struct CHARRANGE {
    LONG cpMin;
    LONG cpMax;
};

struct TEXTRANGEA {
    CHARRANGE chrg;
    LPSTR lpstrText;
};
struct TEXTRANGEW {
    CHARRANGE chrg;
    LPWSTR lpstrText;
};
using TEXTRANGE = TEXTRANGEA;

struct FINDTEXTA {
    CHARRANGE chrg;
    LPCSTR lpstrText;
};
struct FINDTEXTW {
    CHARRANGE chrg;
    LPCWSTR lpstrText;
};
struct FINDTEXTEXA {
    CHARRANGE chrg;
    LPCSTR lpstrText;
    CHARRANGE chrgText;
};
struct FINDTEXTEXW {
    CHARRANGE chrg;
    LPCWSTR lpstrText;
    CHARRANGE chrgText;
};
using FINDTEXT = FINDTEXTA;
using FINDTEXTEX = FINDTEXTEXA;

// Search flags of EM_FINDTEXT(EX) (the find dialog's values).
#ifndef FR_DOWN
#define FR_DOWN 0x00000001u
#define FR_WHOLEWORD 0x00000002u
#define FR_MATCHCASE 0x00000004u
#endif

struct MSGFILTER {
    NMHDR nmhdr;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

struct SELCHANGE {
    NMHDR nmhdr;
    CHARRANGE chrg;
    WORD seltyp;
};

#define SEL_EMPTY 0x0000u
#define SEL_TEXT 0x0001u
#define SEL_OBJECT 0x0002u
#define SEL_MULTICHAR 0x0004u
#define SEL_MULTIOBJECT 0x0008u
