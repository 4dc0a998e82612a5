#include "qx/html/css/declarations.h"

#include "qx/html/css/colors.h"
#include "qx/html/css/values.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qx::html::css {
namespace detail {

std::u16string StripComments(std::u16string_view text, std::size_t limit) {
    text = text.substr(0, std::min(limit, text.size()));
    std::u16string out;
    out.reserve(text.size());
    char16_t quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (!quote && c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
            std::size_t end = text.find(u"*/", i + 2);
            i = end == std::u16string_view::npos ? text.size() : end + 1;
            out.push_back(u' ');
            continue;
        }
        if (quote && (c == quote || c == u'\n'))
            quote = 0;
        else if (!quote && (c == u'"' || c == u'\''))
            quote = c;
        out.push_back(c);
    }
    return out;
}

bool TakeImportant(std::u16string_view& value) {
    std::u16string_view v = Trim(value);
    if (v.size() < 9 || !EqualsNoCase(v.substr(v.size() - 9), u"important"))
        return false;
    std::u16string_view before = Trim(v.substr(0, v.size() - 9));
    if (before.empty() || before.back() != u'!')
        return false;
    value = before.substr(0, before.size() - 1);
    return true;
}

} // namespace detail

namespace {

using detail::EqualsNoCase;
using detail::InWordList;

constexpr std::u16string_view kRepeatWords = u"repeat repeat-x repeat-y no-repeat";
constexpr std::u16string_view kFontStyleWords = u"italic oblique";
constexpr std::u16string_view kFontWeightWords = u"bold bolder lighter 100 200 300 400 500 600 700 800 900";

bool IsName(std::u16string_view name) {
    if (name.empty() || name.size() > 256)
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        bool letter =
            (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'-' || c > 0x7f;
        if (!letter && !(i > 0 && detail::IsDigit(c)))
            return false;
    }
    return true;
}

// Whether the value reads back as itself from a declaration list or a sheet: no semicolon, brace or
// comment outside quotes, quotes and parentheses closed, no line break inside quotes, and no
// trailing "!important" of its own.
bool IsReadableValue(std::u16string_view value) {
    detail::QuoteScanner scan;
    for (std::size_t i = 0; i < value.size(); ++i) {
        char16_t c = value[i];
        if (c == u')' && !scan.quote && scan.depth == 0)
            return false;
        if (!scan.Outside(c)) {
            if (c < 0x20)
                return false;
            continue;
        }
        bool comment = c == u'/' && i + 1 < value.size() && value[i + 1] == u'*';
        if ((c == u';' && scan.depth == 0) || c == u'{' || c == u'}' || comment)
            return false;
    }
    std::u16string_view rest = value;
    return !scan.quote && scan.depth == 0 && !detail::TakeImportant(rest);
}

bool IsUrl(std::u16string_view word) {
    return word.size() >= 4 && EqualsNoCase(word.substr(0, 4), u"url(");
}

// The one, two, three or four values of a box shorthand as top, right, bottom, left.
bool FourSides(const std::vector<std::u16string_view>& words, std::array<std::u16string_view, 4>& sides) {
    switch (words.size()) {
    case 1:
        sides = {words[0], words[0], words[0], words[0]};
        return true;
    case 2:
        sides = {words[0], words[1], words[0], words[1]};
        return true;
    case 3:
        sides = {words[0], words[1], words[2], words[1]};
        return true;
    case 4:
        sides = {words[0], words[1], words[2], words[3]};
        return true;
    default:
        return false;
    }
}

std::u16string CompressSides(const std::array<std::u16string, 4>& v) {
    if (v[1] == v[3]) {
        if (v[0] == v[2])
            return v[0] == v[1] ? v[0] : v[0] + u" " + v[1];
        return v[0] + u" " + v[1] + u" " + v[2];
    }
    return v[0] + u" " + v[1] + u" " + v[2] + u" " + v[3];
}

// Values of a shorthand, checked against each longhand before any is stored.
struct Assignments {
    std::vector<std::pair<Prop, std::u16string>> values;
    bool Add(Prop p, std::u16string_view text) {
        auto v = CanonicalValue(Info(p), text);
        if (!v)
            return false;
        values.emplace_back(p, std::move(*v));
        return true;
    }
};

bool IsPositionWord(std::u16string_view w) {
    return InWordList(u"left center right top bottom", w) || ParseLength(w).has_value();
}

bool AssignBackgroundPosition(const std::vector<std::u16string_view>& words, Assignments& out) {
    if (words.empty() || words.size() > 2)
        return false;
    std::u16string_view x = words[0];
    std::u16string_view y = words.size() == 2 ? words[1] : std::u16string_view(u"center");
    if (words.size() == 1 && InWordList(u"top bottom", x))
        std::swap(x, y);
    else if (words.size() == 2 && (InWordList(u"top bottom", x) || InWordList(u"left right", y)))
        std::swap(x, y);
    return out.Add(Prop::backgroundPositionX, x) && out.Add(Prop::backgroundPositionY, y);
}

bool AssignBorder(std::span<const Prop> parts, const std::vector<std::u16string_view>& words,
                  Assignments& out) {
    std::u16string_view color, width, style;
    for (std::u16string_view w : words) {
        if (style.empty() && InWordList(Info(Prop::borderTopStyle).keywords, w))
            style = w;
        else if (width.empty() && (InWordList(u"thin medium thick", w) || ParseLength(w)))
            width = w;
        else if (color.empty() && IsColorValue(w))
            color = w;
        else
            return false;
    }
    for (std::size_t i = 0; i < parts.size(); i += 3) {
        if ((!color.empty() && !out.Add(parts[i], color)) ||
            (!width.empty() && !out.Add(parts[i + 1], width)) ||
            (!style.empty() && !out.Add(parts[i + 2], style)))
            return false;
    }
    return true;
}

bool AssignBackground(const std::vector<std::u16string_view>& words, Assignments& out) {
    std::vector<std::u16string_view> position;
    bool color = false, image = false, repeat = false, attachment = false;
    for (std::u16string_view w : words) {
        if (!image && (IsUrl(w) || EqualsNoCase(w, u"none"))) {
            image = out.Add(Prop::backgroundImage, w);
        } else if (!repeat && InWordList(kRepeatWords, w)) {
            repeat = out.Add(Prop::backgroundRepeat, w);
        } else if (!attachment && InWordList(u"scroll fixed", w)) {
            attachment = out.Add(Prop::backgroundAttachment, w);
        } else if (position.size() < 2 && IsPositionWord(w)) {
            position.push_back(w);
        } else if (!color && IsColorValue(w)) {
            color = out.Add(Prop::backgroundColor, w);
        } else {
            return false;
        }
    }
    return position.empty() || AssignBackgroundPosition(position, out);
}

bool AssignFont(std::u16string_view value, Assignments& out) {
    std::vector<std::u16string_view> words = detail::SplitWords(value);
    std::size_t i = 0;
    bool style = false, variant = false, weight = false;
    for (; i < words.size(); ++i) {
        std::u16string_view w = words[i];
        if (EqualsNoCase(w, u"normal"))
            continue;
        if (!style && InWordList(kFontStyleWords, w))
            style = out.Add(Prop::fontStyle, w);
        else if (!variant && EqualsNoCase(w, u"small-caps"))
            variant = out.Add(Prop::fontVariant, w);
        else if (!weight && InWordList(kFontWeightWords, w))
            weight = out.Add(Prop::fontWeight, w);
        else
            break;
    }
    if (i + 1 >= words.size()) // a size and a family are needed
        return false;
    std::u16string_view size = words[i];
    std::size_t slash = size.find(u'/');
    if (!out.Add(Prop::fontSize, size.substr(0, slash)))
        return false;
    if (slash != std::u16string_view::npos && !out.Add(Prop::lineHeight, size.substr(slash + 1)))
        return false;
    std::size_t familyStart = static_cast<std::size_t>(words[i + 1].data() - value.data());
    return out.Add(Prop::fontFamily, value.substr(familyStart));
}

bool AssignListStyle(const std::vector<std::u16string_view>& words, Assignments& out) {
    bool type = false, position = false, image = false;
    for (std::u16string_view w : words) {
        if (!position && InWordList(u"inside outside", w))
            position = out.Add(Prop::listStylePosition, w);
        else if (!image && IsUrl(w))
            image = out.Add(Prop::listStyleImage, w);
        else if (!type)
            type = out.Add(Prop::listStyleType, w);
        else
            return false;
    }
    return true;
}

} // namespace

void DeclarationBlock::Parse(std::u16string_view text) {
    items_.clear();
    text = text.substr(0, std::min(text.size(), kMaxTextLength));
    ForEachDeclaration(text, [&](std::u16string_view name, std::u16string_view value, bool important) {
        if (!detail::Trim(value).empty())
            Set(detail::Trim(name), value, important);
    });
}

const Declaration* DeclarationBlock::Find(Prop longhand) const {
    for (const Declaration& d : items_)
        if (d.property == longhand)
            return &d;
    return nullptr;
}

Declaration* DeclarationBlock::FindMutable(Prop longhand) {
    return const_cast<Declaration*>(std::as_const(*this).Find(longhand));
}

void DeclarationBlock::Put(Prop longhand, std::u16string value, bool important) {
    if (Declaration* d = FindMutable(longhand)) {
        d->value = std::move(value);
        d->important = important;
        return;
    }
    if (items_.size() >= kMaxDeclarations)
        return;
    items_.push_back(
        Declaration{longhand, std::u16string(Info(longhand).cssName), std::move(value), important});
}

bool DeclarationBlock::Set(std::u16string_view name, std::u16string_view value, bool important) {
    name = detail::Trim(name);
    if (const PropertyInfo* info = FindProperty(name))
        return Set(info->id, value, important);
    return SetUnknown(name, value, important);
}

bool DeclarationBlock::Set(Prop p, std::u16string_view value, bool important) {
    if (detail::Trim(value).empty()) {
        Remove(p);
        return true;
    }
    if (Info(p).kind == ValueKind::Shorthand)
        return SetShorthand(p, value, important);
    auto canonical = CanonicalValue(Info(p), value);
    if (!canonical || !IsReadableValue(*canonical))
        return false;
    Put(p, std::move(*canonical), important);
    return true;
}

bool DeclarationBlock::SetUnknown(std::u16string_view name, std::u16string_view value, bool important) {
    std::u16string text = detail::CollapseSpaces(value);
    if (!IsName(name) || !IsReadableValue(text))
        return false;
    for (Declaration& d : items_) {
        if (!d.property && EqualsNoCase(d.name, name)) {
            if (text.empty())
                Remove(name);
            else {
                d.value = std::move(text);
                d.important = important;
            }
            return true;
        }
    }
    if (text.empty() || items_.size() >= kMaxDeclarations)
        return true;
    items_.push_back(Declaration{std::nullopt, std::u16string(name), std::move(text), important});
    return true;
}

bool DeclarationBlock::SetShorthand(Prop p, std::u16string_view value, bool important) {
    std::u16string text = detail::CollapseSpaces(value);
    if (!IsReadableValue(text))
        return false;
    std::vector<std::u16string_view> words = detail::SplitWords(text);
    std::span<const Prop> longhands = Longhands(p);
    Assignments out;
    bool ok = false;
    if (words.size() == 1 && EqualsNoCase(words[0], u"inherit")) {
        ok = true;
        for (Prop l : longhands)
            ok = ok && out.Add(l, u"inherit");
    } else {
        switch (p) {
        case Prop::margin:
        case Prop::padding:
        case Prop::borderColor:
        case Prop::borderWidth:
        case Prop::borderStyle: {
            std::array<std::u16string_view, 4> sides;
            ok = FourSides(words, sides);
            for (int i = 0; ok && i < 4; ++i)
                ok = out.Add(longhands[static_cast<std::size_t>(i)], sides[static_cast<std::size_t>(i)]);
            break;
        }
        case Prop::border:
        case Prop::borderTop:
        case Prop::borderRight:
        case Prop::borderBottom:
        case Prop::borderLeft:
            ok = AssignBorder(longhands, words, out);
            break;
        case Prop::background:
            ok = AssignBackground(words, out);
            break;
        case Prop::backgroundPosition:
            ok = AssignBackgroundPosition(words, out);
            break;
        case Prop::font:
            ok = AssignFont(text, out);
            break;
        case Prop::listStyle:
            ok = AssignListStyle(words, out);
            break;
        default:
            break;
        }
    }
    if (!ok || out.values.empty())
        return false;
    for (const auto& assigned : out.values)
        if (!IsReadableValue(assigned.second))
            return false;
    for (auto& [longhand, v] : out.values)
        Put(longhand, std::move(v), important);
    return true;
}

bool DeclarationBlock::Remove(std::u16string_view name) {
    name = detail::Trim(name);
    if (const PropertyInfo* info = FindProperty(name))
        return Remove(info->id);
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const Declaration& d) { return !d.property && EqualsNoCase(d.name, name); });
    if (it == items_.end())
        return false;
    items_.erase(it);
    return true;
}

bool DeclarationBlock::Remove(Prop p) {
    std::span<const Prop> longhands = Longhands(p);
    auto removed = std::erase_if(items_, [&](const Declaration& d) {
        return d.property && (*d.property == p ||
                              std::find(longhands.begin(), longhands.end(), *d.property) != longhands.end());
    });
    return removed > 0;
}

bool DeclarationBlock::Has(std::u16string_view name) const {
    return !Get(name).empty();
}

std::u16string DeclarationBlock::Get(std::u16string_view name) const {
    name = detail::Trim(name);
    if (const PropertyInfo* info = FindProperty(name))
        return Get(info->id);
    for (const Declaration& d : items_)
        if (!d.property && EqualsNoCase(d.name, name))
            return d.value;
    return {};
}

std::u16string DeclarationBlock::Get(Prop p) const {
    if (Info(p).kind == ValueKind::Shorthand)
        return GetShorthand(p);
    const Declaration* d = Find(p);
    return d ? d->value : std::u16string();
}

std::u16string DeclarationBlock::GetShorthand(Prop p) const {
    std::span<const Prop> longhands = Longhands(p);
    auto joinPresent = [&](std::span<const Prop> parts) {
        std::u16string out;
        for (Prop l : parts) {
            if (const Declaration* d = Find(l)) {
                if (!out.empty())
                    out += u' ';
                out += d->value;
            }
        }
        return out;
    };
    switch (p) {
    case Prop::margin:
    case Prop::padding:
    case Prop::borderColor:
    case Prop::borderWidth:
    case Prop::borderStyle: {
        std::array<std::u16string, 4> v;
        for (std::size_t i = 0; i < 4; ++i) {
            const Declaration* d = Find(longhands[i]);
            if (!d)
                return {};
            v[i] = d->value;
        }
        return CompressSides(v);
    }
    case Prop::borderTop:
    case Prop::borderRight:
    case Prop::borderBottom:
    case Prop::borderLeft:
    case Prop::listStyle:
        return joinPresent(longhands);
    case Prop::border: {
        std::u16string first = GetShorthand(Prop::borderTop);
        for (Prop side : {Prop::borderRight, Prop::borderBottom, Prop::borderLeft})
            if (GetShorthand(side) != first)
                return {};
        return first;
    }
    case Prop::backgroundPosition:
        if (!Find(Prop::backgroundPositionX) || !Find(Prop::backgroundPositionY))
            return {};
        return joinPresent(longhands);
    case Prop::background: {
        std::u16string out = joinPresent(longhands.subspan(0, 4));
        std::u16string position = GetShorthand(Prop::backgroundPosition);
        if (!position.empty())
            out += (out.empty() ? u"" : u" ") + position;
        return out;
    }
    case Prop::font: {
        const Declaration* size = Find(Prop::fontSize);
        const Declaration* family = Find(Prop::fontFamily);
        if (!size || !family)
            return {};
        std::u16string out = joinPresent(longhands.subspan(0, 3));
        if (!out.empty())
            out += u' ';
        out += size->value;
        if (const Declaration* lh = Find(Prop::lineHeight))
            out += u"/" + lh->value;
        return out + u" " + family->value;
    }
    default:
        return {};
    }
}

std::u16string DeclarationBlock::Text() const {
    std::u16string out;
    std::vector<bool> written(items_.size(), false);
    auto indexOf = [&](Prop p) -> std::ptrdiff_t {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (items_[i].property == p)
                return static_cast<std::ptrdiff_t>(i);
        return -1;
    };
    auto emit = [&](std::u16string_view name, std::u16string_view value, bool important) {
        if (!out.empty())
            out += u"; ";
        out += name;
        out += u": ";
        out += value;
        if (important)
            out += u" !important";
    };
    // Writes the group as one shorthand when all of `parts` that are present (at least `need`)
    // share one importance.
    auto group = [&](Prop shorthand, std::span<const Prop> parts, std::size_t need, bool important) {
        std::vector<std::size_t> at;
        for (Prop l : parts) {
            std::ptrdiff_t k = indexOf(l);
            if (k < 0)
                continue;
            if (items_[static_cast<std::size_t>(k)].important != important)
                return false;
            at.push_back(static_cast<std::size_t>(k));
        }
        if (at.size() < need)
            return false;
        for (std::size_t k : at)
            written[k] = true;
        emit(detail::ToUpper(Info(shorthand).cssName), GetShorthand(shorthand), important);
        return true;
    };
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (written[i])
            continue;
        const Declaration& d = items_[i];
        if (d.property) {
            int side = 0, part = 0;
            if (BorderPart(*d.property, &side, &part) &&
                group(kBorderSides[side], Longhands(kBorderSides[side]), 2, d.important))
                continue;
            auto isSide = [&](const Prop(&sides)[4]) {
                return std::find(std::begin(sides), std::end(sides), *d.property) != std::end(sides);
            };
            if (isSide(kMarginSides) && group(Prop::margin, kMarginSides, 4, d.important))
                continue;
            if (isSide(kPaddingSides) && group(Prop::padding, kPaddingSides, 4, d.important))
                continue;
        }
        written[i] = true;
        emit(d.property ? detail::ToUpper(d.name) : d.name, d.value, d.important);
    }
    return out;
}

std::u16string CanonicalStyleText(std::u16string_view text) {
    DeclarationBlock block;
    block.Parse(text);
    return block.Text();
}

} // namespace qx::html::css
