// A dialog written in the manifest, turned into the binary extended dialog template
// (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items) that the platform's dialog loader reads.
//
//   DIALOG 200 1042 begin
//     caption "찾기"
//     font "굴림" 9                         point size; weight, italic and charset are 0
//     style DS_MODALFRAME|WS_POPUP|WS_CAPTION|WS_SYSMENU
//     exstyle 0                             names or numbers joined by '|'
//     size 0 0 220 80                       x y width height, in dialog units
//     control EDIT 100 "" 10 10 150 12 WS_TABSTOP|ES_AUTOHSCROLL
//     control BUTTON 1 "확인" 165 10 50 14 WS_TABSTOP|BS_DEFPUSHBUTTON
//   end
//
// A control is CLASS ID "TEXT" X Y WIDTH HEIGHT [STYLE [EXSTYLE]]; it always gets WS_CHILD, and
// WS_VISIBLE unless its style says ~WS_VISIBLE. BUTTON, EDIT, STATIC, LISTBOX, SCROLLBAR and
// COMBOBOX are written as the class ordinals; any other class by name. A font line sets DS_SETFONT.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace respack {

struct Token;

class DialogBlock {
public:
    // One line inside the block; throws std::runtime_error on a line it does not know.
    void AddLine(const std::vector<Token>& tokens);
    // The template bytes; throws when the block lacks its size line.
    std::vector<std::uint8_t> Build() const;

private:
    struct Control {
        std::u16string className;
        std::uint16_t classOrdinal = 0;
        std::uint32_t id = 0;
        std::u16string text;
        std::int16_t x = 0, y = 0, cx = 0, cy = 0;
        std::uint32_t style = 0, exStyle = 0;
    };
    std::u16string caption_;
    std::optional<std::pair<std::u16string, std::uint16_t>> font_;
    std::uint32_t style_ = 0, exStyle_ = 0;
    std::optional<std::int16_t> size_[4];
    std::vector<Control> controls_;
};

} // namespace respack
