// The text of a page as text ranges see it: a stream of units (characters, line breaks and
// embedded objects) over BODY, whitespace collapsed as the page shows it. A place between two
// units is a gap (0 before the first unit, Size() after the last); gaps are what text ranges count,
// compare and search in, while their ends stay places in the tree (dom::TextPoint) so that they
// follow the tree's changes.
#pragma once

#include "qx/html/dom/html_document.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qx::html::editing {

using dom::TextPoint;

enum class UnitKind : std::uint8_t {
    Char,       // a character of a text node (a collapsed run of white space is one space)
    LineBreak,  // a BR element (or a line end inside PRE)
    BlockBreak, // the boundary between two blocks
    Object      // an embedded element: IMG, INPUT, SELECT, TABLE-less controls...
};

struct Unit {
    dom::Node* node = nullptr; // the text node, the BR or the object element; null for a block break
    std::uint32_t offset = 0;  // Char: the character's offset in its text node
    UnitKind kind = UnitKind::Char;
    char16_t ch = 0; // Char: the character as text reads it
};

class TextStream {
public:
    // The units below `scope` (BODY); an empty stream for none.
    void Build(dom::Node* scope);

    std::size_t Size() const { return units_.size(); }
    const Unit& At(std::size_t index) const { return units_[index]; }
    dom::Node* Scope() const { return scope_; }

    // The gap a place in the tree falls in (places outside the scope give 0 or Size()).
    std::size_t GapOf(const TextPoint& point) const;
    // The place in the tree of a gap: Left keeps to the unit before it (where an end goes), Right to
    // the unit after it (where a start goes); Caret is where a collapsed range sits: at a line's
    // start on the right, elsewhere on the left.
    TextPoint Left(std::size_t gap) const;
    TextPoint Right(std::size_t gap) const;
    TextPoint Caret(std::size_t gap) const;
    // Whether a unit is a block or line break.
    bool IsBreak(std::size_t index) const {
        return units_[index].kind == UnitKind::LineBreak || units_[index].kind == UnitKind::BlockBreak;
    }

    // The text of the units in [from, to): breaks as "\r\n", objects as nothing.
    std::u16string Text(std::size_t from, std::size_t to) const;

private:
    struct Key {
        std::uint64_t sequence = 0;
        std::uint64_t sub = 0;
        auto operator<=>(const Key&) const = default;
    };
    struct Builder;
    Key KeyOf(const TextPoint& point) const;
    TextPoint Before(std::size_t index) const;
    TextPoint After(std::size_t index) const;

    dom::Node* scope_ = nullptr;
    std::vector<Unit> units_;
    std::vector<Key> keys_;
    // Each node of the scope: its opening and closing numbers in tree order.
    std::unordered_map<const dom::Node*, std::pair<std::uint64_t, std::uint64_t>> numbers_;
};

// How text ranges move: by characters, words, sentences, or to an end of the whole text.
enum class MoveUnit { Character, Word, Sentence, TextEdit };

// "character", "word", "sentence", "textedit" in any case; false for anything else.
bool ParseMoveUnit(std::u16string_view name, MoveUnit* unit);
// The gap `count` units away from `gap` (backward for a negative count), stopping at the ends of
// the text; `moved` says how many units it went.
std::size_t MoveGap(const TextStream& stream, std::size_t gap, MoveUnit unit, long count, long* moved);
// Whether a gap is where a unit of this kind starts (the ends of the text always are).
bool IsUnitStart(const TextStream& stream, std::size_t gap, MoveUnit unit);
// [from, to) grown to whole units (a collapsed range in the middle of a word takes the word and the
// spaces after it); false when nothing changed.
bool ExpandGaps(const TextStream& stream, std::size_t* from, std::size_t* to, MoveUnit unit);

// findText's flags.
constexpr long kFindWholeWord = 2;
constexpr long kFindMatchCase = 4;
// The first match of `text` in [from, to) (the last one when `backward`): its gaps; false when none.
bool FindInStream(const TextStream& stream, std::size_t from, std::size_t to, std::u16string_view text,
                  long flags, bool backward, std::size_t* matchFrom, std::size_t* matchTo);

} // namespace qx::html::editing
