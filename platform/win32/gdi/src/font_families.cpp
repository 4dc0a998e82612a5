// EnumFontFamilies: the families fontconfig knows, or a fixed list when it knows none.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <set>

#include "gdi_state.h"
#include "qx/win32/codepage.h"
#include "qx/win32/overlay.h"
#include "wingdi.h"

namespace qx::win32 {
namespace {

// The families of a Korean Windows desktop that pages ask for most.
const std::vector<std::string> kFixedFamilies = {"Arial",  "Courier New", "Tahoma", "Times New Roman",
                                                 "궁서",   "굴림",        "굴림체", "돋움",
                                                 "돋움체", "바탕",        "바탕체"};

std::vector<std::string> AskFontconfig() {
    // A configuration of our own, released afterwards, rather than fontconfig's process-wide one.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        return {};
    }
    std::set<std::string> names;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts =
        pattern != nullptr && objects != nullptr ? FcFontList(config, pattern, objects) : nullptr;
    if (fonts != nullptr) {
        for (int i = 0; i < fonts->nfont; ++i) {
            FcChar8* family = nullptr;
            // A family can have several names (one per language); each is a face name.
            for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch;
                 ++n) {
                names.insert(reinterpret_cast<const char*>(family));
            }
        }
        FcFontSetDestroy(fonts);
    }
    if (objects != nullptr) {
        FcObjectSetDestroy(objects);
    }
    if (pattern != nullptr) {
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return {names.begin(), names.end()};
}

std::mutex& FamiliesLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::optional<std::vector<std::string>>& Override() {
    static auto* families = new std::optional<std::vector<std::string>>;
    return *families;
}

std::vector<std::string> Families() {
    std::lock_guard guard(FamiliesLock());
    if (Override()) {
        return *Override();
    }
    static const std::vector<std::string> installed = [] {
        std::vector<std::string> found = AskFontconfig();
        return found.empty() ? kFixedFamilies : found;
    }();
    return installed;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

BYTE CharSetOf(const std::string& ansiName) {
    bool ascii = std::all_of(ansiName.begin(), ansiName.end(), [](char c) { return (c & 0x80) == 0; });
    return ascii ? ANSI_CHARSET : HANGUL_CHARSET;
}

// One family as the callback sees it: fixed metrics of a 12-point regular TrueType face.
int Report(const std::string& ansiName, BYTE charSet, FONTENUMPROCA proc, LPARAM lParam) {
    ENUMLOGFONTEXA font{};
    font.elfLogFont.lfHeight = 16;
    font.elfLogFont.lfWeight = FW_NORMAL;
    font.elfLogFont.lfCharSet = charSet;
    font.elfLogFont.lfPitchAndFamily = VARIABLE_PITCH | FF_DONTCARE;
    std::memcpy(font.elfLogFont.lfFaceName, ansiName.c_str(), ansiName.size() + 1);
    std::memcpy(font.elfFullName, ansiName.c_str(), ansiName.size() + 1);
    std::strcpy(reinterpret_cast<char*>(font.elfStyle), "Regular");
    std::strcpy(reinterpret_cast<char*>(font.elfScript), charSet == HANGUL_CHARSET ? "Hangul" : "Western");
    NEWTEXTMETRICEXA metrics{};
    NEWTEXTMETRICA& tm = metrics.ntmTm;
    tm.tmHeight = 16;
    tm.tmAscent = 13;
    tm.tmDescent = 3;
    tm.tmAveCharWidth = 7;
    tm.tmMaxCharWidth = 16;
    tm.tmWeight = FW_NORMAL;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmPitchAndFamily = 0x06; // a vector TrueType face of variable pitch
    tm.tmCharSet = charSet;
    tm.ntmFlags = 0x40; // regular
    tm.ntmSizeEM = 2048;
    tm.ntmCellHeight = 2048;
    tm.ntmAvgWidth = 900;
    return proc(&font.elfLogFont, reinterpret_cast<const TEXTMETRICA*>(&metrics), TRUETYPE_FONTTYPE, lParam);
}

int Enumerate(HDC hdc, std::string_view face, BYTE charSet, FONTENUMPROCA proc, LPARAM lParam) {
    if (!WithDc(hdc, false, [](DcState&) { return true; }) || proc == nullptr) {
        return 0;
    }
    int answer = 1;
    for (const std::string& family : Families()) {
        bool lossy = false;
        std::string ansi = Utf8ToAnsi(family, &lossy);
        // A name the code page cannot carry, or too long for a face name, is not offered.
        if (lossy || ansi.empty() || ansi.size() >= LF_FACESIZE) {
            continue;
        }
        BYTE familyCharSet = CharSetOf(ansi);
        if ((!face.empty() && !SameName(face, ansi)) ||
            (charSet != DEFAULT_CHARSET && charSet != familyCharSet)) {
            continue;
        }
        answer = Report(ansi, familyCharSet, proc, lParam);
        if (answer == 0) {
            break;
        }
    }
    return answer;
}

} // namespace

void SetFontFamiliesForTesting(std::optional<std::vector<std::string>> families) {
    std::lock_guard guard(FamiliesLock());
    Override() = std::move(families);
}

} // namespace qx::win32

int WINAPI EnumFontFamiliesA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam) {
    return qx::win32::Enumerate(hdc, lpLogfont != nullptr ? lpLogfont : "", DEFAULT_CHARSET, lpProc, lParam);
}

int WINAPI EnumFontFamiliesExA(HDC hdc, LPLOGFONTA lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam, DWORD) {
    if (lpLogfont == nullptr) {
        return 0;
    }
    std::string_view face(lpLogfont->lfFaceName, strnlen(lpLogfont->lfFaceName, LF_FACESIZE));
    return qx::win32::Enumerate(hdc, face, lpLogfont->lfCharSet, lpProc, lParam);
}
