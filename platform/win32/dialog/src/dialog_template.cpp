#include "qx/win32/dialog_template.h"

#include "winerror.h"
#include "winresource.h"

#include <cstring>

namespace qx::win32 {
namespace {

constexpr DWORD kSetFont = 0x40; // DS_SETFONT, also part of DS_SHELLFONT
constexpr WORD kExtendedSignature = 0xFFFF;

// Reads little-endian fields in order; the first read past the end records what was being read.
class Reader {
public:
    explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    bool Failed() const { return !what_.empty(); }
    const std::string& What() const { return what_; }
    std::size_t Offset() const { return at_; }

    WORD Word(const char* what) {
        if (!Need(2, what)) {
            return 0;
        }
        WORD v = static_cast<WORD>(std::to_integer<unsigned>(bytes_[at_]) |
                                   (std::to_integer<unsigned>(bytes_[at_ + 1]) << 8));
        at_ += 2;
        return v;
    }
    DWORD Dword(const char* what) {
        DWORD low = Word(what);
        return low | (static_cast<DWORD>(Word(what)) << 16);
    }
    BYTE Byte(const char* what) {
        if (!Need(1, what)) {
            return 0;
        }
        return std::to_integer<BYTE>(bytes_[at_++]);
    }
    // A zero-terminated UTF-16 string.
    std::u16string Text(const char* what) {
        std::u16string text;
        for (;;) {
            WORD c = Word(what);
            if (Failed() || c == 0) {
                return text;
            }
            text.push_back(static_cast<char16_t>(c));
        }
    }
    // A name or 0xFFFF and an ordinal; a lone 0 is an empty name.
    TemplateName Name(const char* what) {
        TemplateName name;
        if (!Need(2, what)) {
            return name;
        }
        if (Peek() == 0xFFFF) {
            Word(what);
            name.ordinal = Word(what);
            return name;
        }
        name.text = Text(what);
        return name;
    }
    void Bytes(std::size_t count, std::vector<std::byte>& out, const char* what) {
        if (Need(count, what)) {
            out.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                       bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
            at_ += count;
        }
    }
    void AlignToDword(const char* what) {
        std::size_t aligned = (at_ + 3) & ~std::size_t{3};
        Need(aligned - at_, what);
        at_ = Failed() ? at_ : aligned;
    }

private:
    WORD Peek() const {
        return static_cast<WORD>(std::to_integer<unsigned>(bytes_[at_]) |
                                 (std::to_integer<unsigned>(bytes_[at_ + 1]) << 8));
    }
    bool Need(std::size_t count, const char* what) {
        if (Failed()) {
            return false;
        }
        if (count > bytes_.size() - at_) {
            what_ = what;
            return false;
        }
        return true;
    }

    std::span<const std::byte> bytes_;
    std::size_t at_ = 0;
    std::string what_;
};

void ReadItem(Reader& r, bool extended, DialogItemTemplate& item) {
    r.AlignToDword("its start");
    if (extended) {
        item.helpId = r.Dword("its help id");
        item.exStyle = r.Dword("its extended style");
        item.style = r.Dword("its style");
    } else {
        item.style = r.Dword("its style");
        item.exStyle = r.Dword("its extended style");
    }
    item.x = static_cast<short>(r.Word("its rectangle"));
    item.y = static_cast<short>(r.Word("its rectangle"));
    item.cx = static_cast<short>(r.Word("its rectangle"));
    item.cy = static_cast<short>(r.Word("its rectangle"));
    item.id = extended ? r.Dword("its id") : r.Word("its id");
    item.windowClass = r.Name("its class");
    item.text = r.Name("its text");
    WORD extra = r.Word("its creation data size");
    r.Bytes(extra, item.creationData, "its creation data");
}

std::string Located(const Reader& r, const std::string& where) {
    return where + ": " + r.What() + " runs past the end of the template";
}

} // namespace

std::u16string DialogItemTemplate::ClassName() const {
    if (!windowClass.IsOrdinal()) {
        return windowClass.text;
    }
    switch (windowClass.ordinal) {
    case 0x80:
        return u"BUTTON";
    case 0x81:
        return u"EDIT";
    case 0x82:
        return u"STATIC";
    case 0x83:
        return u"LISTBOX";
    case 0x84:
        return u"SCROLLBAR";
    case 0x85:
        return u"COMBOBOX";
    default:
        return u"";
    }
}

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const std::byte> bytes, std::string& problem) {
    Reader r(bytes);
    DialogTemplate t;
    WORD first = r.Word("the header");
    WORD second = r.Word("the header");
    t.extended = second == kExtendedSignature;
    if (t.extended) {
        if (first != 1) {
            problem = "dialog template: version " + std::to_string(first) + " is not 1";
            return std::nullopt;
        }
        t.helpId = r.Dword("the header");
        t.exStyle = r.Dword("the header");
        t.style = r.Dword("the header");
    } else {
        t.style = first | (static_cast<DWORD>(second) << 16);
        t.exStyle = r.Dword("the header");
    }
    WORD count = r.Word("the header");
    t.x = static_cast<short>(r.Word("the header"));
    t.y = static_cast<short>(r.Word("the header"));
    t.cx = static_cast<short>(r.Word("the header"));
    t.cy = static_cast<short>(r.Word("the header"));
    t.menu = r.Name("the menu name");
    t.windowClass = r.Name("the class name");
    t.caption = r.Text("the caption");
    if (t.style & kSetFont) {
        t.hasFont = true;
        t.pointSize = r.Word("the font");
        if (t.extended) {
            t.weight = r.Word("the font");
            t.italic = r.Byte("the font") != 0;
            t.charset = r.Byte("the font");
        }
        t.typeface = r.Text("the font name");
    }
    if (r.Failed()) {
        problem = Located(r, "dialog template");
        return std::nullopt;
    }
    t.items.reserve(count);
    for (WORD i = 0; i < count; ++i) {
        DialogItemTemplate item;
        ReadItem(r, t.extended, item);
        if (r.Failed()) {
            problem = Located(r, "dialog template, control " + std::to_string(i + 1) + " of " +
                                     std::to_string(count));
            return std::nullopt;
        }
        t.items.push_back(std::move(item));
    }
    return t;
}

std::optional<DialogTemplate> ParseDialogTemplateAt(const void* start, std::string& problem) {
    // The caller vouches for the template; the reader stops at its end, and the limit keeps a
    // damaged one from being walked without bound.
    return ParseDialogTemplate(
        std::span<const std::byte>(static_cast<const std::byte*>(start), kMaxDialogTemplateBytes), problem);
}

namespace {

template <class Char>
std::string NameForProblem(const Char* name) {
    if (IS_INTRESOURCE(name)) {
        return std::to_string(reinterpret_cast<ULONG_PTR>(name));
    }
    std::string text = "\"";
    for (const Char* p = name; *p != 0 && text.size() < 64; ++p) {
        text.push_back(static_cast<unsigned>(*p) < 0x80 ? static_cast<char>(*p) : '?');
    }
    return text + "\"";
}

template <class Char, class FindFn>
std::optional<DialogTemplate> Load(HINSTANCE module, const Char* name, std::string& problem, FindFn find) {
    HRSRC resource = find();
    if (resource == nullptr) {
        DWORD error = GetLastError();
        problem = "dialog " + NameForProblem(name) + ": no such dialog resource (error " +
                  std::to_string(error) + ")";
        return std::nullopt;
    }
    const void* data = LockResource(LoadResource(module, resource));
    DWORD size = SizeofResource(module, resource);
    if (data == nullptr) {
        problem = "dialog " + NameForProblem(name) + ": its resource cannot be read";
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return std::nullopt;
    }
    std::string why;
    auto parsed =
        ParseDialogTemplate(std::span<const std::byte>(static_cast<const std::byte*>(data), size), why);
    if (!parsed) {
        problem = "dialog " + NameForProblem(name) + ": " + why;
        SetLastError(ERROR_INVALID_DATA);
    }
    return parsed;
}

} // namespace

std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE module, LPCWSTR name, std::string& problem) {
    return Load(module, name, problem, [&] { return FindResourceW(module, name, MAKEINTRESOURCEW(5)); });
}

std::optional<DialogTemplate> LoadDialogTemplate(HINSTANCE module, LPCSTR name, std::string& problem) {
    return Load(module, name, problem, [&] { return FindResourceA(module, name, RT_DIALOG); });
}

} // namespace qx::win32
