#include "sheet_template.h"

#include <algorithm>

#include "commctrl.h"

namespace qx::win32::commctrl {
namespace {

constexpr short kMargin = 7;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 4;
// Room the tab control takes around the page area: its frame and its row of tabs.
constexpr short kTabExtraWidth = 6;
constexpr short kTabExtraHeight = 18;
constexpr WORD kButtonClass = 0x0080;
constexpr DWORD kDefaultPushButton = 0x0001;
constexpr DWORD kDialogSetFont = 0x0040;
constexpr DWORD kDialogModalFrame = 0x0080;

class TemplateWriter {
public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(static_cast<WORD>(value & 0xFFFF));
        Word(static_cast<WORD>(value >> 16));
    }
    void Text(std::u16string_view text) {
        for (char16_t c : text) {
            Word(static_cast<WORD>(c));
        }
        Word(0);
    }
    void AlignDword() {
        if (words_.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<WORD> Take() { return std::move(words_); }

private:
    std::vector<WORD> words_;
};

struct Item {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::u16string className; // empty: a button
    std::u16string text;
};

void WriteItem(TemplateWriter& out, const Item& item) {
    out.AlignDword();
    out.Dword(0); // help id
    out.Dword(0); // extended style
    out.Dword(item.style | WS_CHILD | WS_VISIBLE);
    for (short v : {item.x, item.y, item.cx, item.cy}) {
        out.Word(static_cast<WORD>(v));
    }
    out.Dword(item.id);
    if (item.className.empty()) {
        out.Word(0xFFFF);
        out.Word(kButtonClass);
    } else {
        out.Text(item.className);
    }
    out.Text(item.text);
    out.Word(0); // no creation data
}

} // namespace

std::vector<WORD> BuildSheetTemplate(const SheetFrame& frame) {
    short tabWidth = static_cast<short>(std::max<int>(frame.pageWidth + kTabExtraWidth, 3 * kButtonWidth));
    short tabHeight = static_cast<short>(frame.pageHeight + kTabExtraHeight);
    short buttonsTop = static_cast<short>(kMargin + tabHeight + kMargin);
    short width = static_cast<short>(tabWidth + 2 * kMargin);
    short height = static_cast<short>(buttonsTop + kButtonHeight + kMargin);

    std::vector<Item> items;
    items.push_back(
        {WS_TABSTOP, kMargin, kMargin, tabWidth, tabHeight, ID_PSTABCONTROL, u"SysTabControl32", u""});
    // Buttons from the right edge: Apply, Cancel, OK.
    short right = static_cast<short>(width - kMargin);
    std::vector<Item> buttons;
    if (frame.applyButton) {
        buttons.push_back({WS_TABSTOP | WS_DISABLED, 0, buttonsTop, kButtonWidth, kButtonHeight, ID_APPLY_NOW,
                           u"", u"\uC801\uC6A9(&A)"}); // 적용(&A)
    }
    buttons.push_back(
        {WS_TABSTOP, 0, buttonsTop, kButtonWidth, kButtonHeight, 2, u"", u"\uCDE8\uC18C"}); // 취소
    buttons.push_back({WS_TABSTOP | kDefaultPushButton, 0, buttonsTop, kButtonWidth, kButtonHeight, 1, u"",
                       u"\uD655\uC778"}); // 확인
    for (auto& button : buttons) {
        right = static_cast<short>(right - kButtonWidth);
        button.x = right;
        right = static_cast<short>(right - kButtonGap);
    }
    std::reverse(buttons.begin(), buttons.end());
    items.insert(items.end(), buttons.begin(), buttons.end());

    TemplateWriter out;
    out.Word(1);      // version
    out.Word(0xFFFF); // the extended layout
    out.Dword(0);     // help id
    out.Dword(WS_EX_CONTROLPARENT);
    out.Dword(frame.style | kDialogSetFont | kDialogModalFrame | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    out.Word(static_cast<WORD>(items.size()));
    for (short v : {short{0}, short{0}, width, height}) {
        out.Word(static_cast<WORD>(v));
    }
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.Text(frame.caption);
    out.Word(9);                           // points
    out.Word(400);                         // weight
    out.Word(static_cast<WORD>(129 << 8)); // not italic; Hangul character set
    out.Text(u"\uAD74\uB9BC");             // 굴림
    for (const auto& item : items) {
        WriteItem(out, item);
    }
    return out.Take();
}

} // namespace qx::win32::commctrl
