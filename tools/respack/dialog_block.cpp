#include "dialog_block.h"
#include "manifest_text.h"

#include <map>
#include <stdexcept>

namespace respack {
namespace {

constexpr std::uint32_t kChild = 0x40000000u, kVisible = 0x10000000u, kSetFont = 0x40u;

// Style names a dialog line may use; the values are the system's.
const std::map<std::string, std::uint32_t>& StyleNames() {
    static const std::map<std::string, std::uint32_t> names = {
        {"WS_OVERLAPPED", 0x00000000u},
        {"WS_POPUP", 0x80000000u},
        {"WS_CHILD", kChild},
        {"WS_MINIMIZE", 0x20000000u},
        {"WS_VISIBLE", kVisible},
        {"WS_DISABLED", 0x08000000u},
        {"WS_CLIPSIBLINGS", 0x04000000u},
        {"WS_CLIPCHILDREN", 0x02000000u},
        {"WS_MAXIMIZE", 0x01000000u},
        {"WS_CAPTION", 0x00C00000u},
        {"WS_BORDER", 0x00800000u},
        {"WS_DLGFRAME", 0x00400000u},
        {"WS_VSCROLL", 0x00200000u},
        {"WS_HSCROLL", 0x00100000u},
        {"WS_SYSMENU", 0x00080000u},
        {"WS_THICKFRAME", 0x00040000u},
        {"WS_GROUP", 0x00020000u},
        {"WS_TABSTOP", 0x00010000u},
        {"WS_MINIMIZEBOX", 0x00020000u},
        {"WS_MAXIMIZEBOX", 0x00010000u},
        {"WS_EX_DLGMODALFRAME", 0x1u},
        {"WS_EX_TOPMOST", 0x8u},
        {"WS_EX_TRANSPARENT", 0x20u},
        {"WS_EX_TOOLWINDOW", 0x80u},
        {"WS_EX_WINDOWEDGE", 0x100u},
        {"WS_EX_CLIENTEDGE", 0x200u},
        {"WS_EX_CONTEXTHELP", 0x400u},
        {"WS_EX_STATICEDGE", 0x20000u},
        {"WS_EX_CONTROLPARENT", 0x10000u},
        {"DS_ABSALIGN", 0x1u},
        {"DS_SYSMODAL", 0x2u},
        {"DS_LOCALEDIT", 0x20u},
        {"DS_SETFONT", kSetFont},
        {"DS_MODALFRAME", 0x80u},
        {"DS_NOIDLEMSG", 0x100u},
        {"DS_SETFOREGROUND", 0x200u},
        {"DS_3DLOOK", 0x4u},
        {"DS_FIXEDSYS", 0x8u},
        {"DS_NOFAILCREATE", 0x10u},
        {"DS_CONTROL", 0x400u},
        {"DS_CENTER", 0x800u},
        {"DS_CENTERMOUSE", 0x1000u},
        {"DS_CONTEXTHELP", 0x2000u},
        {"DS_SHELLFONT", 0x48u},
        {"BS_PUSHBUTTON", 0x0u},
        {"BS_DEFPUSHBUTTON", 0x1u},
        {"BS_CHECKBOX", 0x2u},
        {"BS_AUTOCHECKBOX", 0x3u},
        {"BS_RADIOBUTTON", 0x4u},
        {"BS_3STATE", 0x5u},
        {"BS_AUTO3STATE", 0x6u},
        {"BS_GROUPBOX", 0x7u},
        {"BS_AUTORADIOBUTTON", 0x9u},
        {"BS_LEFTTEXT", 0x20u},
        {"BS_MULTILINE", 0x2000u},
        {"BS_NOTIFY", 0x4000u},
        {"ES_LEFT", 0x0u},
        {"ES_CENTER", 0x1u},
        {"ES_RIGHT", 0x2u},
        {"ES_MULTILINE", 0x4u},
        {"ES_UPPERCASE", 0x8u},
        {"ES_LOWERCASE", 0x10u},
        {"ES_PASSWORD", 0x20u},
        {"ES_AUTOVSCROLL", 0x40u},
        {"ES_AUTOHSCROLL", 0x80u},
        {"ES_NOHIDESEL", 0x100u},
        {"ES_READONLY", 0x800u},
        {"ES_WANTRETURN", 0x1000u},
        {"ES_NUMBER", 0x2000u},
        {"SS_LEFT", 0x0u},
        {"SS_CENTER", 0x1u},
        {"SS_RIGHT", 0x2u},
        {"SS_ICON", 0x3u},
        {"SS_BLACKRECT", 0x4u},
        {"SS_ETCHEDHORZ", 0x10u},
        {"SS_NOPREFIX", 0x80u},
        {"SS_NOTIFY", 0x100u},
        {"SS_SUNKEN", 0x1000u},
        {"CBS_SIMPLE", 0x1u},
        {"CBS_DROPDOWN", 0x2u},
        {"CBS_DROPDOWNLIST", 0x3u},
        {"CBS_AUTOHSCROLL", 0x40u},
        {"CBS_SORT", 0x100u},
        {"CBS_HASSTRINGS", 0x200u},
        {"CBS_NOINTEGRALHEIGHT", 0x400u},
        {"LBS_NOTIFY", 0x1u},
        {"LBS_SORT", 0x2u},
        {"LBS_MULTIPLESEL", 0x8u},
        {"LBS_HASSTRINGS", 0x40u},
        {"LBS_NOINTEGRALHEIGHT", 0x100u},
        {"LBS_EXTENDEDSEL", 0x800u},
        {"LBS_STANDARD", 0xA00003u},
    };
    return names;
}

// "A|B|~C|0x10": the named and numbered bits set, minus those written with '~'. `cleared`
// collects the '~' bits so that defaults the packer adds can be left out.
std::uint32_t Style(const Token& t, std::uint32_t* cleared = nullptr) {
    std::uint32_t set = 0, unset = 0;
    std::size_t start = 0;
    while (start <= t.text.size()) {
        std::size_t bar = t.text.find('|', start);
        std::string part = t.text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        bool clear = !part.empty() && part[0] == '~';
        if (clear) {
            part.erase(0, 1);
        }
        std::uint32_t value = 0;
        if (auto it = StyleNames().find(part); it != StyleNames().end()) {
            value = it->second;
        } else {
            value = static_cast<std::uint32_t>(Number(Token{part, false}, 0xFFFFFFFFul, "style"));
        }
        (clear ? unset : set) |= value;
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    if (cleared != nullptr) {
        *cleared = unset;
    }
    return set & ~unset;
}

std::int16_t Unit(const Token& t) {
    bool negative = !t.text.empty() && t.text[0] == '-';
    unsigned long v = Number(Token{negative ? t.text.substr(1) : t.text, false}, 0x7FFF, "dialog unit");
    return static_cast<std::int16_t>(negative ? -static_cast<long>(v) : static_cast<long>(v));
}

std::uint16_t ClassOrdinal(const std::string& name) {
    static const std::map<std::string, std::uint16_t> ordinals = {{"BUTTON", 0x80},    {"EDIT", 0x81},
                                                                  {"STATIC", 0x82},    {"LISTBOX", 0x83},
                                                                  {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};
    auto it = ordinals.find(name);
    return it == ordinals.end() ? 0 : it->second;
}

void PutText(std::vector<std::uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) {
        Put16(out, c);
    }
    Put16(out, 0);
}

void AlignTo4(std::vector<std::uint8_t>& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

} // namespace

void DialogBlock::AddLine(const std::vector<Token>& t) {
    const std::string& word = t[0].text;
    if (word == "caption" && t.size() == 2 && t[1].quoted) {
        caption_ = Utf8ToUtf16(t[1].text);
    } else if (word == "font" && t.size() == 3 && t[1].quoted) {
        font_.emplace(Utf8ToUtf16(t[1].text), static_cast<std::uint16_t>(Number(t[2], 0x7FFF, "point size")));
    } else if (word == "style" && t.size() == 2) {
        style_ = Style(t[1]);
    } else if (word == "exstyle" && t.size() == 2) {
        exStyle_ = Style(t[1]);
    } else if (word == "size" && t.size() == 5) {
        for (int i = 0; i < 4; ++i) {
            size_[i] = Unit(t[1 + i]);
        }
    } else if (word == "control" && t.size() >= 8 && t.size() <= 10 && t[3].quoted) {
        if (controls_.size() == 0xFFFF) {
            throw std::runtime_error("too many controls");
        }
        Control c;
        c.classOrdinal = t[1].quoted ? 0 : ClassOrdinal(t[1].text);
        if (c.classOrdinal == 0) {
            if (t[1].text.empty()) {
                throw std::runtime_error("a control needs a class");
            }
            c.className = Utf8ToUtf16(t[1].text);
        }
        c.id = static_cast<std::uint32_t>(Number(t[2], 0xFFFF, "control id"));
        c.text = Utf8ToUtf16(t[3].text);
        c.x = Unit(t[4]);
        c.y = Unit(t[5]);
        c.cx = Unit(t[6]);
        c.cy = Unit(t[7]);
        std::uint32_t cleared = 0;
        std::uint32_t style = t.size() > 8 ? Style(t[8], &cleared) : 0;
        c.style = (style | kChild | (kVisible & ~cleared));
        c.exStyle = t.size() > 9 ? Style(t[9]) : 0;
        controls_.push_back(std::move(c));
    } else {
        throw std::runtime_error("unknown line in a dialog block");
    }
}

std::vector<std::uint8_t> DialogBlock::Build() const {
    if (!size_[0]) {
        throw std::runtime_error("a dialog needs a size line");
    }
    std::vector<std::uint8_t> out;
    Put16(out, 1);      // version
    Put16(out, 0xFFFF); // the extended template's signature
    Put32(out, 0);      // help id
    Put32(out, exStyle_);
    Put32(out, font_ ? style_ | kSetFont : style_);
    Put16(out, static_cast<std::uint32_t>(controls_.size()));
    for (const auto& unit : size_) {
        Put16(out, static_cast<std::uint16_t>(*unit));
    }
    Put16(out, 0); // no menu
    Put16(out, 0); // the dialog class
    PutText(out, caption_);
    if (font_) {
        Put16(out, font_->second);
        Put16(out, 0);    // weight
        out.push_back(0); // italic
        out.push_back(0); // character set
        PutText(out, font_->first);
    }
    for (const auto& c : controls_) {
        AlignTo4(out);
        Put32(out, 0); // help id
        Put32(out, c.exStyle);
        Put32(out, c.style);
        for (std::int16_t unit : {c.x, c.y, c.cx, c.cy}) {
            Put16(out, static_cast<std::uint16_t>(unit));
        }
        Put32(out, c.id);
        if (c.classOrdinal != 0) {
            Put16(out, 0xFFFF);
            Put16(out, c.classOrdinal);
        } else {
            PutText(out, c.className);
        }
        PutText(out, c.text);
        Put16(out, 0); // no creation data
    }
    return out;
}

} // namespace respack
