// "RichEdit20A", "RichEdit20W" and "RICHEDIT": the window face of RichTextModel. Texts cross
// the API in the class's character set (code page 949 for the A classes); positions count
// UTF-16 units whichever the class. The parent hears of changes (EN_CHANGE), selection moves
// (EN_SELCHANGE) and, before they act, keyboard and mouse messages (EN_MSGFILTER), as far as
// the event mask asks.
#include <algorithm>
#include <cstring>
#include <optional>
#include <type_traits>

#include "control_support.h"
#include "controls.h"
#include "qx/commctrl/rich_text_model.h"
#include "qx/commctrl/text_metrics.h"
#include "qx/win32/codepage.h"
#include "richedit.h"
#include "winnls.h"
#include "winuser_input.h"
#include "winuser_position.h"

namespace qx::win32::commctrl {
namespace {

constexpr COLORREF kWindowColour = 0x00FFFFFF;

// WM_GETTEXT gives paragraphs ending in CR LF, as rich edit 2.0 does.
std::u16string WithCrLf(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size() + text.size() / 16);
    for (char16_t c : text) {
        result += c;
        if (c == u'\r') {
            result += u'\n';
        }
    }
    return result;
}

template <typename Format>
constexpr bool kWideFormat = std::is_same_v<Format, CHARFORMATW> || std::is_same_v<Format, CHARFORMAT2W>;

template <typename Format>
using ExtendedFormat = std::conditional_t<kWideFormat<Format>, CHARFORMAT2W, CHARFORMAT2A>;

// Whether a caller's structure is the CHARFORMAT2 kind; nullopt for null or a size that is
// neither kind.
template <typename Format>
std::optional<bool> IsExtendedFormat(const Format* format) {
    using Base = std::conditional_t<kWideFormat<Format>, CHARFORMATW, CHARFORMATA>;
    if (format == nullptr ||
        (format->cbSize != sizeof(Base) && format->cbSize != sizeof(ExtendedFormat<Format>))) {
        return std::nullopt;
    }
    return format->cbSize == sizeof(ExtendedFormat<Format>);
}

class RichEditControl {
public:
    static constexpr const char* kAttachment = "commctrl.richedit";

    RichEditControl(HWND hwnd, bool wide) : hwnd_(hwnd), wide_(wide) {}
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // EN_MSGFILTER: false when the parent keeps the message from the control.
    bool Filter(UINT& message, WPARAM& wParam, LPARAM& lParam);
    void Announce(unsigned revision, TextRange selection);

    DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
    int TextPixels() const;
    int LinePixels() const;
    void Resized();
    LONG PositionFromPoint(POINT point) const;

    void TypeText(std::u16string_view text);
    LRESULT Char(WPARAM code);
    LRESULT KeyDown(WPARAM key);
    void DeleteAt(bool forward);

    template <typename Format>
    LRESULT SetCharFormat(WPARAM scope, const Format* format);
    template <typename Format>
    LRESULT GetCharFormat(WPARAM scope, Format* format);
    template <typename Find>
    LRESULT FindText(WPARAM flags, Find* find, bool wide, bool extended);
    template <typename Range>
    LRESULT GetTextRange(const Range* range, bool wide);
    LRESULT CopyOut(std::u16string_view text, void* buffer, bool wide);

    HWND hwnd_;
    bool wide_;
    RichTextModel model_;
    DWORD eventMask_ = 0;
    // Kept for whoever looks at the control; nothing is drawn.
    struct Display {
        COLORREF background = kWindowColour;
        bool selectionHidden = false;
    } display_;
    BYTE pendingLead_ = 0; // first byte of a double-byte WM_CHAR of an A class
};

int RichEditControl::TextPixels() const {
    DWORD mask = 0;
    CharFormat format = model_.GetFormat(RichTextModel::Scope::Default, mask);
    // Twips to pixels at 96 dots per inch: 15 twips a pixel.
    return std::max<int>(format.height / 15, 1);
}

int RichEditControl::LinePixels() const {
    return LineHeight(TextPixels());
}

void RichEditControl::Resized() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    model_.SetVisibleLines((client.bottom - client.top) / LinePixels());
}

LONG RichEditControl::PositionFromPoint(POINT point) const {
    LONG line = model_.FirstVisibleLine() + std::max<LONG>(point.y, 0) / LinePixels();
    line = std::min(line, model_.LineCount() - 1);
    LONG start = model_.LineIndex(line);
    LONG length = model_.LineLength(line);
    int pixels = TextPixels();
    int x = 0;
    for (LONG i = 0; i < length; ++i) {
        int width =
            TextWidth(std::u16string_view(model_.Text()).substr(static_cast<size_t>(start + i), 1), pixels);
        // A click on the right half of a character puts the caret after it.
        if (point.x < x + width / 2) {
            return start + i;
        }
        x += width;
    }
    return start + length;
}

bool RichEditControl::Filter(UINT& message, WPARAM& wParam, LPARAM& lParam) {
    bool key = message >= WM_KEYFIRST && message <= WM_KEYLAST;
    bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
    if (!(key && (eventMask_ & ENM_KEYEVENTS)) && !(mouse && (eventMask_ & ENM_MOUSEEVENTS))) {
        return true;
    }
    MSGFILTER filter{};
    filter.msg = message;
    filter.wParam = wParam;
    filter.lParam = lParam;
    if (NotifyParent(hwnd_, EN_MSGFILTER, filter.nmhdr) != 0) {
        return false;
    }
    // The parent may have changed the message it lets through.
    message = filter.msg;
    wParam = filter.wParam;
    lParam = filter.lParam;
    return true;
}

void RichEditControl::Announce(unsigned revision, TextRange selection) {
    if (model_.Revision() != revision && (eventMask_ & ENM_CHANGE)) {
        CommandParent(hwnd_, EN_CHANGE);
    }
    TextRange now = model_.Selection();
    if (!(now == selection) && (eventMask_ & ENM_SELCHANGE)) {
        SELCHANGE notice{};
        notice.chrg = CHARRANGE{now.min, now.max};
        notice.seltyp =
            now.min == now.max ? SEL_EMPTY : (now.max - now.min > 1 ? SEL_TEXT | SEL_MULTICHAR : SEL_TEXT);
        NotifyParent(hwnd_, EN_SELCHANGE, notice.nmhdr);
    }
}

void RichEditControl::TypeText(std::u16string_view text) {
    bool truncated = false;
    model_.Type(text, &truncated);
    model_.ScrollCaret();
    if (truncated) {
        CommandParent(hwnd_, EN_MAXTEXT);
    }
}

void RichEditControl::DeleteAt(bool forward) {
    TextRange selection = model_.Selection();
    if (selection.min == selection.max) {
        const std::u16string& text = model_.Text();
        LONG pos = selection.min;
        auto isLow = [&](LONG at) {
            return at >= 0 && at < model_.Length() && text[at] >= 0xDC00 && text[at] <= 0xDFFF;
        };
        if (forward) {
            if (pos >= model_.Length()) {
                return;
            }
            LONG end = pos + 1 + (isLow(pos + 1) ? 1 : 0);
            model_.SetSelection(pos, end);
        } else {
            if (pos == 0) {
                return;
            }
            LONG start = pos - 1 - (isLow(pos - 1) && pos >= 2 ? 1 : 0);
            model_.SetSelection(start, pos);
        }
    }
    if (!model_.Type(u"")) {
        model_.SetSelection(selection.min, selection.max);
    }
    model_.ScrollCaret();
}

LRESULT RichEditControl::Char(WPARAM code) {
    std::u16string typed;
    if (wide_) {
        typed.assign(1, static_cast<char16_t>(code));
    } else {
        auto byte = static_cast<BYTE>(code & 0xFF);
        if (pendingLead_ != 0) {
            char pair[2] = {static_cast<char>(pendingLead_), static_cast<char>(byte)};
            pendingLead_ = 0;
            typed = AnsiToWide(std::string_view(pair, 2));
        } else if (IsDBCSLeadByte(byte)) {
            pendingLead_ = byte;
            return 0;
        } else {
            typed = AnsiToWide(std::string_view(reinterpret_cast<const char*>(&byte), 1));
        }
    }
    if (typed.empty()) {
        return 0;
    }
    char16_t c = typed.front();
    if (c == u'\b') {
        DeleteAt(false);
    } else if (c == u'\r') {
        if (Style() & ES_MULTILINE) {
            TypeText(u"\r");
        }
    } else if (c == u'\t' || c >= 0x20) {
        TypeText(typed);
    }
    return 0;
}

LRESULT RichEditControl::KeyDown(WPARAM key) {
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool control = GetKeyState(VK_CONTROL) < 0;
    TextRange selection = model_.Selection();
    LONG caret = model_.Active();
    LONG line = model_.LineFromChar(caret);
    const std::u16string& text = model_.Text();
    auto isLow = [&](LONG at) {
        return at >= 0 && at < model_.Length() && text[at] >= 0xDC00 && text[at] <= 0xDFFF;
    };
    auto toLine = [&](LONG target) {
        target = std::clamp<LONG>(target, 0, model_.LineCount() - 1);
        LONG column = caret - model_.LineIndex(line);
        return model_.LineIndex(target) + std::min(column, model_.LineLength(target));
    };
    switch (key) {
    case VK_LEFT:
        if (!shift && selection.min != selection.max) {
            model_.MoveCaret(selection.min, false);
        } else {
            model_.MoveCaret(caret - 1 - (isLow(caret - 1) ? 1 : 0), shift);
        }
        break;
    case VK_RIGHT:
        if (!shift && selection.min != selection.max) {
            model_.MoveCaret(selection.max, false);
        } else {
            model_.MoveCaret(caret + 1 + (isLow(caret + 1) ? 1 : 0), shift);
        }
        break;
    case VK_UP:
        model_.MoveCaret(toLine(line - 1), shift);
        break;
    case VK_DOWN:
        model_.MoveCaret(toLine(line + 1), shift);
        break;
    case VK_HOME:
        model_.MoveCaret(control ? 0 : model_.LineIndex(line), shift);
        break;
    case VK_END:
        model_.MoveCaret(control ? model_.Length() : model_.LineIndex(line) + model_.LineLength(line), shift);
        break;
    case VK_DELETE:
        DeleteAt(true);
        return 0;
    default:
        return DefaultProc(hwnd_, WM_KEYDOWN, key, 0, wide_);
    }
    model_.ScrollCaret();
    return 0;
}

template <typename Format>
LRESULT RichEditControl::SetCharFormat(WPARAM scope, const Format* format) {
    using Extended = ExtendedFormat<Format>;
    std::optional<bool> extended = IsExtendedFormat(format);
    if (!extended) {
        return 0;
    }
    CharFormat values;
    values.effects = format->dwEffects;
    values.height = format->yHeight;
    values.offset = format->yOffset;
    values.color = format->crTextColor;
    values.charSet = format->bCharSet;
    values.pitchAndFamily = format->bPitchAndFamily;
    size_t faceLength = 0;
    while (faceLength < LF_FACESIZE && format->szFaceName[faceLength] != 0) {
        ++faceLength;
    }
    if constexpr (kWideFormat<Format>) {
        values.face.assign(format->szFaceName, format->szFaceName + faceLength);
    } else {
        values.face = AnsiToWide(std::string_view(format->szFaceName, faceLength));
    }
    DWORD mask = format->dwMask & (*extended ? CFM_ALL2 : CFM_ALL);
    if (*extended) {
        const auto* more = reinterpret_cast<const Extended*>(format);
        values.weight = more->wWeight;
        values.spacing = more->sSpacing;
        values.backColor = more->crBackColor;
        values.lcid = more->lcid;
        values.style = more->sStyle;
        values.kerning = more->wKerning;
        values.underlineType = more->bUnderlineType;
        values.animation = more->bAnimation;
        values.revAuthor = more->bRevAuthor;
    }
    RichTextModel::Scope target = (scope & SCF_ALL)         ? RichTextModel::Scope::All
                                  : (scope & SCF_SELECTION) ? RichTextModel::Scope::Selection
                                                            : RichTextModel::Scope::Default;
    model_.SetFormat(target, values, mask);
    return TRUE;
}

template <typename Format>
LRESULT RichEditControl::GetCharFormat(WPARAM scope, Format* format) {
    using Extended = ExtendedFormat<Format>;
    std::optional<bool> extended = IsExtendedFormat(format);
    if (!extended) {
        return 0;
    }
    DWORD mask = 0;
    CharFormat values = model_.GetFormat(
        (scope & SCF_SELECTION) ? RichTextModel::Scope::Selection : RichTextModel::Scope::Default, mask);
    format->dwMask = mask & (*extended ? CFM_ALL2 : CFM_ALL);
    format->dwEffects = values.effects;
    format->yHeight = values.height;
    format->yOffset = values.offset;
    format->crTextColor = values.color;
    format->bCharSet = values.charSet;
    format->bPitchAndFamily = values.pitchAndFamily;
    std::memset(format->szFaceName, 0, sizeof format->szFaceName);
    if constexpr (kWideFormat<Format>) {
        std::copy_n(values.face.begin(), std::min<size_t>(values.face.size(), LF_FACESIZE - 1),
                    format->szFaceName);
    } else {
        TextOut(values.face, format->szFaceName, LF_FACESIZE, false);
    }
    if (*extended) {
        auto* more = reinterpret_cast<Extended*>(format);
        more->wWeight = values.weight;
        more->sSpacing = values.spacing;
        more->crBackColor = values.backColor;
        more->lcid = values.lcid;
        more->sStyle = values.style;
        more->wKerning = values.kerning;
        more->bUnderlineType = values.underlineType;
        more->bAnimation = values.animation;
        more->bRevAuthor = values.revAuthor;
    }
    return static_cast<LRESULT>(format->dwMask);
}

template <typename Find>
LRESULT RichEditControl::FindText(WPARAM flags, Find* find, bool wide, bool extended) {
    if (find == nullptr) {
        return -1;
    }
    FindOptions options{(flags & FR_DOWN) != 0, (flags & FR_MATCHCASE) != 0, (flags & FR_WHOLEWORD) != 0};
    std::optional<TextRange> found =
        model_.Find(TextRange{find->chrg.cpMin, find->chrg.cpMax}, TextIn(find->lpstrText, wide), options);
    if constexpr (requires { find->chrgText; }) {
        if (extended) {
            find->chrgText = found ? CHARRANGE{found->min, found->max} : CHARRANGE{-1, -1};
        }
    }
    return found ? found->min : -1;
}

LRESULT RichEditControl::CopyOut(std::u16string_view text, void* buffer, bool wide) {
    // These messages take no buffer size: the caller made room for the whole text.
    int capacity = TextOutLength(text, wide) + 1;
    return TextOut(text, buffer, capacity, wide);
}

template <typename Range>
LRESULT RichEditControl::GetTextRange(const Range* range, bool wide) {
    if (range == nullptr || range->lpstrText == nullptr) {
        return 0;
    }
    LONG max = range->chrg.cpMax < 0 ? model_.Length() : range->chrg.cpMax;
    if (range->chrg.cpMin < 0 || range->chrg.cpMin > max) {
        return 0;
    }
    return CopyOut(model_.Slice(range->chrg.cpMin, max), range->lpstrText, wide);
}

LRESULT RichEditControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Filter(message, wParam, lParam)) {
        return 0;
    }
    unsigned revision = model_.Revision();
    TextRange selection = model_.Selection();
    LRESULT result = Dispatch(message, wParam, lParam);
    if (message != WM_NCDESTROY && message != WM_DESTROY) {
        Announce(revision, selection);
    }
    return result;
}

LRESULT RichEditControl::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        // CREATESTRUCTA and CREATESTRUCTW differ only in their strings' types.
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (create != nullptr) {
            model_.SetText(TextIn(create->lpszName, wide_));
        }
        model_.SetReadOnly((Style() & ES_READONLY) != 0);
        Resized();
        return 0;
    }
    case WM_SIZE:
        Resized();
        return 0;
    case WM_STYLECHANGED:
        model_.SetReadOnly((Style() & ES_READONLY) != 0);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL |
               ((Style() & ES_MULTILINE) ? DLGC_WANTALLKEYS : 0);
    case WM_SETTEXT:
        model_.SetText(TextIn(reinterpret_cast<const void*>(lParam), wide_));
        return TRUE;
    case WM_GETTEXT:
        return TextOut(WithCrLf(model_.Text()), reinterpret_cast<void*>(lParam), static_cast<int>(wParam),
                       wide_);
    case WM_GETTEXTLENGTH:
        return TextOutLength(WithCrLf(model_.Text()), wide_);
    case WM_CHAR:
        return Char(wParam);
    case WM_KEYDOWN:
        return KeyDown(wParam);
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE: {
        if (message == WM_MOUSEMOVE && !(wParam & MK_LBUTTON)) {
            return 0;
        }
        if (message == WM_LBUTTONDOWN && GetFocus() != hwnd_) {
            SetFocus(hwnd_);
        }
        LONG pos = PositionFromPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        model_.MoveCaret(pos, message == WM_MOUSEMOVE || (wParam & MK_SHIFT) != 0);
        return 0;
    }

    case EM_GETSEL: {
        TextRange sel = model_.Selection();
        if (auto* start = reinterpret_cast<DWORD*>(wParam)) {
            *start = static_cast<DWORD>(sel.min);
        }
        if (auto* end = reinterpret_cast<DWORD*>(lParam)) {
            *end = static_cast<DWORD>(sel.max);
        }
        return sel.max > 0xFFFF ? -1 : MAKELONG(static_cast<WORD>(sel.min), static_cast<WORD>(sel.max));
    }
    case EM_SETSEL:
        model_.SetSelection(static_cast<LONG>(static_cast<INT_PTR>(wParam)), static_cast<LONG>(lParam));
        return 0;
    case EM_EXGETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lParam)) {
            TextRange sel = model_.Selection();
            *range = CHARRANGE{sel.min, sel.max};
        }
        return 0;
    case EM_EXSETSEL: {
        const auto* range = reinterpret_cast<const CHARRANGE*>(lParam);
        if (range == nullptr) {
            return model_.Selection().max;
        }
        model_.SetSelection(range->cpMin, range->cpMax);
        return model_.Selection().max;
    }
    case EM_SELECTIONTYPE: {
        TextRange sel = model_.Selection();
        return sel.min == sel.max ? SEL_EMPTY : (sel.max - sel.min > 1 ? SEL_TEXT | SEL_MULTICHAR : SEL_TEXT);
    }
    case EM_GETSELTEXT: {
        TextRange sel = model_.Selection();
        return CopyOut(model_.Slice(sel.min, sel.max), reinterpret_cast<void*>(lParam), wide_);
    }
    case EM_REPLACESEL: {
        bool truncated = false;
        model_.ReplaceSelection(TextIn(reinterpret_cast<const void*>(lParam), wide_), wParam != 0,
                                &truncated);
        model_.ScrollCaret();
        if (truncated) {
            CommandParent(hwnd_, EN_MAXTEXT);
        }
        return 0;
    }
    case EM_FINDTEXT:
        return wide_ ? FindText(wParam, reinterpret_cast<FINDTEXTW*>(lParam), true, false)
                     : FindText(wParam, reinterpret_cast<FINDTEXTA*>(lParam), false, false);
    case EM_FINDTEXTW:
        return FindText(wParam, reinterpret_cast<FINDTEXTW*>(lParam), true, false);
    case EM_FINDTEXTEX:
        return wide_ ? FindText(wParam, reinterpret_cast<FINDTEXTEXW*>(lParam), true, true)
                     : FindText(wParam, reinterpret_cast<FINDTEXTEXA*>(lParam), false, true);
    case EM_FINDTEXTEXW:
        return FindText(wParam, reinterpret_cast<FINDTEXTEXW*>(lParam), true, true);
    case EM_GETTEXTRANGE:
        return wide_ ? GetTextRange(reinterpret_cast<const TEXTRANGEW*>(lParam), true)
                     : GetTextRange(reinterpret_cast<const TEXTRANGEA*>(lParam), false);

    case EM_GETLINECOUNT:
        return model_.LineCount();
    case EM_LINEINDEX: {
        auto line = static_cast<LONG>(static_cast<INT_PTR>(wParam));
        return model_.LineIndex(line < 0 ? model_.LineFromChar(model_.Active()) : line);
    }
    case EM_LINELENGTH: {
        auto pos = static_cast<LONG>(static_cast<INT_PTR>(wParam));
        if (pos >= 0) {
            return model_.LineLength(model_.LineFromChar(pos));
        }
        // -1: the characters on the selection's lines that are not selected.
        TextRange sel = model_.Selection();
        LONG first = model_.LineFromChar(sel.min);
        LONG last = model_.LineFromChar(sel.max);
        return (sel.min - model_.LineIndex(first)) +
               (model_.LineIndex(last) + model_.LineLength(last) - sel.max);
    }
    case EM_LINEFROMCHAR: {
        auto pos = static_cast<LONG>(static_cast<INT_PTR>(wParam));
        return model_.LineFromChar(pos < 0 ? model_.Selection().min : pos);
    }
    case EM_EXLINEFROMCHAR:
        return model_.LineFromChar(static_cast<LONG>(lParam));
    case EM_GETFIRSTVISIBLELINE:
        return model_.FirstVisibleLine();
    case EM_LINESCROLL:
        model_.ScrollLines(static_cast<LONG>(lParam));
        return TRUE;
    case EM_SCROLLCARET:
        model_.ScrollCaret();
        return 0;

    case EM_SETEVENTMASK: {
        DWORD previous = eventMask_;
        eventMask_ = static_cast<DWORD>(lParam);
        return static_cast<LRESULT>(previous);
    }
    case EM_GETEVENTMASK:
        return static_cast<LRESULT>(eventMask_);
    case EM_SETCHARFORMAT:
        return wide_ ? SetCharFormat(wParam, reinterpret_cast<const CHARFORMATW*>(lParam))
                     : SetCharFormat(wParam, reinterpret_cast<const CHARFORMATA*>(lParam));
    case EM_GETCHARFORMAT:
        return wide_ ? GetCharFormat(wParam, reinterpret_cast<CHARFORMATW*>(lParam))
                     : GetCharFormat(wParam, reinterpret_cast<CHARFORMATA*>(lParam));
    case EM_HIDESELECTION:
        display_.selectionHidden = wParam != 0;
        return 0;
    case EM_SETREADONLY: {
        LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
        SetWindowLongPtrW(hwnd_, GWL_STYLE,
                          wParam ? (style | ES_READONLY) : (style & ~static_cast<LONG_PTR>(ES_READONLY)));
        model_.SetReadOnly(wParam != 0);
        return TRUE;
    }
    case EM_SETBKGNDCOLOR: {
        COLORREF previous = display_.background;
        display_.background = wParam ? kWindowColour : static_cast<COLORREF>(lParam);
        return static_cast<LRESULT>(previous);
    }
    case EM_GETMODIFY:
        return model_.Modified() ? TRUE : FALSE;
    case EM_SETMODIFY:
        model_.SetModified(wParam != 0);
        return 0;
    case EM_CANUNDO:
        return model_.CanUndo() ? TRUE : FALSE;
    case EM_UNDO:
    case WM_UNDO:
        return model_.Undo() ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
        model_.EmptyUndo();
        return 0;
    case EM_EXLIMITTEXT:
        model_.SetLimit(static_cast<LONG>(lParam));
        return 0;
    case EM_LIMITTEXT:
        model_.SetLimit(static_cast<LONG>(wParam));
        return 0;
    case EM_GETLIMITTEXT:
        return model_.Limit();
    default:
        return DefaultProc(hwnd_, message, wParam, lParam, wide_);
    }
}

} // namespace

LRESULT CALLBACK RichEditProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<RichEditControl, false>(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK RichEditProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<RichEditControl, true>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::commctrl
