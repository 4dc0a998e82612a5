// Moving through the text stream by characters, words and sentences, growing ranges to whole units,
// and finding text.
#include "qx/html/editing/text_stream.h"

#include <algorithm>

namespace qx::html::editing {

namespace {

enum class CharClass { Space, Word, Punctuation, Break, Object };

bool IsPunctuation(char16_t c) {
    if (c < 0x80)
        return (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') ||
               (c >= u'[' && c <= u'`' && c != u'_') || (c >= u'{' && c <= u'~');
    return (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF0F) ||
           (c >= 0xA1 && c <= 0xBF);
}

CharClass ClassOf(const TextStream& stream, std::size_t index) {
    const Unit& u = stream.At(index);
    if (stream.IsBreak(index))
        return CharClass::Break;
    if (u.kind == UnitKind::Object)
        return CharClass::Object;
    if (u.ch == u' ' || u.ch == u'\t')
        return CharClass::Space;
    return IsPunctuation(u.ch) ? CharClass::Punctuation : CharClass::Word;
}

bool EndsSentence(const TextStream& stream, std::size_t index) {
    const Unit& u = stream.At(index);
    return u.kind == UnitKind::Char && (u.ch == u'.' || u.ch == u'!' || u.ch == u'?');
}

// Simple case folding: ASCII, Latin-1, Greek and Cyrillic capitals.
char16_t Fold(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9) ||
        (c >= 0x410 && c <= 0x42F))
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<char16_t>(c + 0x50);
    return c;
}

// Each unit as one character for searching: breaks as CR, objects as the object mark.
char16_t SearchChar(const TextStream& stream, std::size_t index) {
    const Unit& u = stream.At(index);
    if (stream.IsBreak(index))
        return u'\r';
    return u.kind == UnitKind::Object ? char16_t{0xFFFC} : u.ch;
}

std::u16string SearchNeedle(std::u16string_view text) {
    std::u16string needle;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        if (c == u'\n')
            c = u'\r';
        needle += c == 0xA0 ? u' ' : c;
    }
    return needle;
}

} // namespace

bool ParseMoveUnit(std::u16string_view name, MoveUnit* unit) {
    static constexpr std::pair<std::u16string_view, MoveUnit> kUnits[] = {{u"character", MoveUnit::Character},
                                                                          {u"word", MoveUnit::Word},
                                                                          {u"sentence", MoveUnit::Sentence},
                                                                          {u"textedit", MoveUnit::TextEdit}};
    for (const auto& [text, value] : kUnits) {
        if (dom::EqualsNoCase(name, text)) {
            *unit = value;
            return true;
        }
    }
    return false;
}

bool IsUnitStart(const TextStream& stream, std::size_t gap, MoveUnit unit) {
    if (gap == 0 || gap >= stream.Size())
        return true;
    switch (unit) {
    case MoveUnit::Character:
        return true;
    case MoveUnit::TextEdit:
        return false;
    case MoveUnit::Word: {
        const CharClass here = ClassOf(stream, gap), before = ClassOf(stream, gap - 1);
        if (here == CharClass::Space)
            return false;
        if (before == CharClass::Space || here == CharClass::Break || here == CharClass::Object ||
            before == CharClass::Break || before == CharClass::Object)
            return true;
        return before != here;
    }
    case MoveUnit::Sentence: {
        if (ClassOf(stream, gap) == CharClass::Space)
            return false;
        if (stream.IsBreak(gap - 1))
            return true;
        std::size_t i = gap;
        while (i > 0 && ClassOf(stream, i - 1) == CharClass::Space)
            --i;
        return i < gap && i > 0 && EndsSentence(stream, i - 1);
    }
    }
    return false;
}

std::size_t MoveGap(const TextStream& stream, std::size_t gap, MoveUnit unit, long count, long* moved) {
    const std::size_t size = stream.Size();
    gap = std::min(gap, size);
    long done = 0;
    if (count > 0) {
        while (done < count && gap < size) {
            ++gap;
            while (!IsUnitStart(stream, gap, unit))
                ++gap;
            ++done;
        }
    } else {
        while (done < -static_cast<long long>(count) && gap > 0) {
            --gap;
            while (!IsUnitStart(stream, gap, unit))
                --gap;
            ++done;
        }
        done = -done;
    }
    if (moved)
        *moved = done;
    return gap;
}

bool ExpandGaps(const TextStream& stream, std::size_t* from, std::size_t* to, MoveUnit unit) {
    const std::size_t size = stream.Size();
    std::size_t start = std::min(*from, size), end = std::min(std::max(*to, start), size);
    while (!IsUnitStart(stream, start, unit))
        --start;
    if (end == start && end < size)
        ++end;
    while (!IsUnitStart(stream, end, unit))
        ++end;
    const bool changed = start != *from || end != *to;
    *from = start;
    *to = end;
    return changed;
}

bool FindInStream(const TextStream& stream, std::size_t from, std::size_t to, std::u16string_view text,
                  long flags, bool backward, std::size_t* matchFrom, std::size_t* matchTo) {
    const std::u16string needle = SearchNeedle(text);
    to = std::min(to, stream.Size());
    if (needle.empty() || from > to || to - from < needle.size())
        return false;
    const bool matchCase = (flags & kFindMatchCase) != 0;
    auto same = [&](std::size_t index, char16_t c) {
        const char16_t here = SearchChar(stream, index);
        return matchCase ? here == c : Fold(here) == Fold(c);
    };
    auto isWordAt = [&](std::size_t index) { return ClassOf(stream, index) == CharClass::Word; };
    auto matchesAt = [&](std::size_t at) {
        for (std::size_t k = 0; k < needle.size(); ++k)
            if (!same(at + k, needle[k]))
                return false;
        if (flags & kFindWholeWord) {
            const std::size_t end = at + needle.size();
            if ((at > 0 && isWordAt(at - 1) && isWordAt(at)) ||
                (end < stream.Size() && isWordAt(end) && isWordAt(end - 1)))
                return false;
        }
        return true;
    };
    const std::size_t last = to - needle.size();
    for (std::size_t n = 0; n <= last - from; ++n) {
        const std::size_t at = backward ? last - n : from + n;
        if (matchesAt(at)) {
            *matchFrom = at;
            *matchTo = at + needle.size();
            return true;
        }
    }
    return false;
}

} // namespace qx::html::editing
