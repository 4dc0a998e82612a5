// Dialog templates: the binary DLGTEMPLATE and DLGTEMPLATEEX layouts, as the resource packer
// writes them (DIALOG blocks of a manifest) and as a program builds them in memory for
// DialogBoxIndirectParam. The reader is bounded by the bytes it is given and fails a damaged
// template with a sentence saying where and why.
#pragma once

#include "wintypes.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qx::win32 {

// A class, menu or text field: a name, or a 16-bit ordinal (0xFFFF then the number).
struct TemplateName {
    std::u16string text;
    WORD ordinal = 0;
    bool IsOrdinal() const { return ordinal != 0; }
};

struct DialogItemTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0; // dialog units
    DWORD id = 0;
    TemplateName windowClass; // ordinals 0x80..0x85 are BUTTON, EDIT, STATIC, LISTBOX, SCROLLBAR, COMBOBOX
    TemplateName text;
    std::vector<std::byte> creationData;

    // The class name, with the predefined ordinals spelled out ("BUTTON"); empty for an
    // ordinal that names no class.
    std::u16string ClassName() const;
};

struct DialogTemplate {
    bool extended = false; // DLGTEMPLATEEX
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass; // empty: the dialog class "#32770"
    std::u16string caption;
    // Present with DS_SETFONT (or DS_SHELLFONT).
    bool hasFont = false;
    WORD pointSize = 0;
    WORD weight = 0;
    bool italic = false;
    BYTE charset = 0;
    std::u16string typeface;
    std::vector<DialogItemTemplate> items;
};

// Bytes a template read from memory (the Indirect functions) may span at most.
inline constexpr std::size_t kMaxDialogTemplateBytes = 1u << 20;

// The template in `bytes`, or nullopt with `problem` set ("control 3: its text runs past the end
// of the template").
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::byte> bytes, std::string& problem);

// A template in memory whose size nobody gives (DialogBoxIndirectParam): read up to the end of
// a valid template, never past kMaxDialogTemplateBytes.
std::optional<DialogTemplate> ParseDialogTemplateAt(const void* start, std::string& problem);

// The RT_DIALOG resource `name` of a module, found in the order LoadString uses (Korean, then
// neutral, then any). nullopt with the last error set: the lookup's error when it is missing,
// ERROR_INVALID_DATA when it is damaged; `problem` says which and why.
std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE module, LPCWSTR name, std::string& problem);
std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE module, LPCSTR name, std::string& problem);

} // namespace qx::win32
