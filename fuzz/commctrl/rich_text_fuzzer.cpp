// A user's edits of a rich edit in any order (typed text, replacements, selections, undo,
// formats, searches, scrolling), and a buddy's text read as a number: the formats always cover
// the text exactly, the selection stays inside it, and nothing reads past either.
#include "qx/commctrl/rich_text_model.h"
#include "qx/commctrl/up_down_model.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "richedit.h"

namespace {

using qx::win32::commctrl::CharFormat;
using qx::win32::commctrl::RichTextModel;

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool More() const { return at < size; }
    std::uint8_t Byte() { return at < size ? data[at++] : 0; }
    LONG Position() { return static_cast<LONG>(static_cast<std::int8_t>(Byte())) * 3; }
    std::u16string Text() {
        std::size_t length = Byte() % 16;
        std::u16string text;
        for (std::size_t i = 0; i < length && More(); ++i) {
            // Line ends, surrogates and Hangul turn up often.
            static const char16_t kPick[] = {u'a', u'\r', u'\n', 0xD83D, 0xDE00, 0xAC00, u' ', u'A'};
            std::uint8_t b = Byte();
            text += b < 64 ? kPick[b % 8] : static_cast<char16_t>(b);
        }
        return text;
    }
};

void Check(const RichTextModel& model) {
    auto selection = model.Selection();
    if (model.Formats().Length() != model.Length() || selection.min < 0 || selection.max > model.Length() ||
        model.FirstVisibleLine() >= model.LineCount()) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string asText(reinterpret_cast<const char16_t*>(data), size / 2);
    (void)qx::win32::commctrl::ParseUpDownBuddyText(asText);

    Reader in{data, size};
    RichTextModel model;
    model.SetVisibleLines(3);
    while (in.More()) {
        switch (in.Byte() % 12) {
        case 0:
            model.SetText(in.Text());
            break;
        case 1: {
            LONG min = in.Position();
            model.SetSelection(min, in.Position());
            break;
        }
        case 2:
            model.ReplaceSelection(in.Text(), in.Byte() & 1);
            break;
        case 3:
            model.Type(in.Text());
            break;
        case 4:
            model.Undo();
            break;
        case 5: {
            CharFormat format;
            format.effects = in.Byte();
            format.height = in.Byte() * 20;
            static const RichTextModel::Scope kScopes[] = {
                RichTextModel::Scope::Default, RichTextModel::Scope::Selection, RichTextModel::Scope::All};
            model.SetFormat(kScopes[in.Byte() % 3], format, CFM_BOLD | CFM_ITALIC | CFM_SIZE);
            break;
        }
        case 6: {
            DWORD mask = 0;
            model.GetFormat(RichTextModel::Scope::Selection, mask);
            break;
        }
        case 7: {
            LONG min = in.Position();
            LONG max = in.Position();
            std::uint8_t flags = in.Byte();
            auto found =
                model.Find({min, max}, in.Text(), {(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0});
            if (found && (found->min < 0 || found->max > model.Length())) {
                __builtin_trap();
            }
            break;
        }
        case 8:
            model.ScrollLines(in.Position());
            break;
        case 9:
            model.MoveCaret(in.Position(), in.Byte() & 1);
            model.ScrollCaret();
            break;
        case 10:
            model.SetLimit(in.Byte());
            break;
        default: {
            LONG line = model.LineFromChar(in.Position());
            (void)model.LineLength(line);
            (void)model.LineIndex(in.Position());
            break;
        }
        }
        Check(model);
    }
    return 0;
}
