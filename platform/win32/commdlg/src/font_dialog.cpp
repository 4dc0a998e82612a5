// ChooseFont: the driver picks face, size, style and (with CF_EFFECTS) colour and effects; the
// caller's LOGFONTA receives them at the screen's 96 pixels per inch.
#include <string>

#include "commdlg.h"
#include "commdlg_error.h"
#include "dialog_start.h"
#include "dialog_text.h"
#include "winuser_msgbox.h"

namespace qx::win32 {
namespace {

constexpr int kMaxAttempts = 64;
constexpr int kPixelsPerInch = 96;

FontDialogRequest BuildRequest(const CHOOSEFONTA& cf) {
    FontDialogRequest request;
    request.owner = cf.hwndOwner;
    request.flags = cf.Flags;
    if (cf.Flags & CF_LIMITSIZE) {
        request.sizeMin = cf.nSizeMin;
        request.sizeMax = cf.nSizeMax;
    }
    if (cf.Flags & CF_INITTOLOGFONTSTRUCT) {
        const LOGFONTA& font = *cf.lpLogFont;
        request.initial.faceName = Utf8Of(font.lfFaceName, LF_FACESIZE);
        LONG height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
        request.initial.pointSize = MulDiv(height, 720, kPixelsPerInch);
        request.initial.weight = font.lfWeight == FW_DONTCARE ? FW_NORMAL : font.lfWeight;
        request.initial.italic = font.lfItalic != 0;
        if (cf.Flags & CF_EFFECTS) {
            request.initial.underline = font.lfUnderline != 0;
            request.initial.strikeOut = font.lfStrikeOut != 0;
        }
    }
    if (cf.Flags & CF_EFFECTS) {
        request.initial.color = cf.rgbColors & 0x00FFFFFFu;
    }
    return request;
}

void WriteChoice(CHOOSEFONTA& cf, const FontDialogFont& font) {
    LOGFONTA& out = *cf.lpLogFont;
    BYTE charSet = (cf.Flags & CF_INITTOLOGFONTSTRUCT) ? out.lfCharSet : static_cast<BYTE>(DEFAULT_CHARSET);
    out = LOGFONTA{};
    out.lfHeight = -MulDiv(font.pointSize, kPixelsPerInch, 720);
    out.lfWeight = font.weight;
    out.lfItalic = font.italic ? 1 : 0;
    bool effects = (cf.Flags & CF_EFFECTS) != 0;
    out.lfUnderline = effects && font.underline ? 1 : 0;
    out.lfStrikeOut = effects && font.strikeOut ? 1 : 0;
    out.lfCharSet = charSet;
    std::string face;
    DialogText<char>::FromUtf8(font.faceName, face);
    CopyTruncated<char>(face, out.lfFaceName, LF_FACESIZE);
    cf.iPointSize = font.pointSize;
    if (effects) {
        cf.rgbColors = font.color & 0x00FFFFFFu;
    }
    cf.nFontType = static_cast<WORD>((font.weight >= FW_BOLD ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                     (font.italic ? ITALIC_FONTTYPE : 0) | SCREEN_FONTTYPE);
}

} // namespace
} // namespace qx::win32

BOOL WINAPI ChooseFontA(LPCHOOSEFONTA lpcf) {
    using namespace qx::win32;
    if (lpcf == nullptr || (lpcf->lStructSize == sizeof(CHOOSEFONTA) && lpcf->lpLogFont == nullptr)) {
        SetCommDlgError(CDERR_INITIALIZATION);
        return FALSE;
    }
    if (lpcf->lStructSize == sizeof(CHOOSEFONTA) && (lpcf->Flags & CF_LIMITSIZE) &&
        lpcf->nSizeMax < lpcf->nSizeMin) {
        SetCommDlgError(CFERR_MAXLESSTHANMIN);
        return FALSE;
    }
    bool sizeOk = lpcf->lStructSize == sizeof(CHOOSEFONTA);
    UiDriver* driver = StartDialog("ChooseFont", "Font", sizeOk, sizeOk && (lpcf->Flags & CF_ENABLEHOOK) != 0,
                                   sizeOk ? reinterpret_cast<const void*>(lpcf->lpfnHook) : nullptr);
    if (driver == nullptr) {
        return FALSE;
    }
    FontDialogRequest request = BuildRequest(*lpcf);
    for (; request.attempt <= kMaxAttempts; ++request.attempt) {
        std::optional<FontDialogFont> choice = driver->ShowFontDialog(request);
        if (!choice) {
            return FALSE;
        }
        // A size outside CF_LIMITSIZE's range is refused with the box Windows shows.
        int points = choice->pointSize / 10;
        if ((lpcf->Flags & CF_LIMITSIZE) && (points < lpcf->nSizeMin || points > lpcf->nSizeMax)) {
            std::string text = "Size must be between " + std::to_string(lpcf->nSizeMin) + " and " +
                               std::to_string(lpcf->nSizeMax) + " points.";
            MessageBoxA(lpcf->hwndOwner, text.c_str(), "Font", MB_OK | MB_ICONWARNING);
            continue;
        }
        WriteChoice(*lpcf, *choice);
        return TRUE;
    }
    SetCommDlgError(CDERR_DIALOGFAILURE);
    return FALSE;
}
