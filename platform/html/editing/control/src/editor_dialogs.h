// The control's own dialogs, templates in its component file:
// - 200 "Font" (DECMD_FONT): 201 the font name (edit), 202 the size 1-7 (drop-down list; no
//   choice: the size stays), 203 "Bold", 204 "Italic", 205 "Underline" (check boxes), 206 the
//   colour (edit, "#rrggbb" or a colour name; empty: the colour stays), OK 1, Cancel 2.
// - 210 "Hyperlink" (DECMD_HYPERLINK): 211 the address (edit), OK 1, Cancel 2.
#pragma once

#include "wintypes.h"

#include <optional>
#include <string>

namespace qx::html::editing::control {

inline constexpr int kFontDialog = 200;
inline constexpr int kFontNameItem = 201;
inline constexpr int kFontSizeItem = 202;
inline constexpr int kFontBoldItem = 203;
inline constexpr int kFontItalicItem = 204;
inline constexpr int kFontUnderlineItem = 205;
inline constexpr int kFontColorItem = 206;
inline constexpr int kHyperlinkDialog = 210;
inline constexpr int kHyperlinkUrlItem = 211;

struct FontChoice {
    std::u16string name;
    long size = 0; // 1..7; 0: not chosen
    bool bold = false, italic = false, underline = false;
    std::u16string color;
};

// Runs the font dialog from `current`; nothing when it was cancelled or could not be shown.
std::optional<FontChoice> ShowFontDialog(HINSTANCE resources, HWND owner, const FontChoice& current);
// Runs the hyperlink dialog with the address `current`; nothing when cancelled.
std::optional<std::u16string> ShowHyperlinkDialog(HINSTANCE resources, HWND owner,
                                                  const std::u16string& current);

} // namespace qx::html::editing::control
