#include "element_style.h"

#include "qx/html/css/values.h"

#include <algorithm>
#include <cmath>

namespace qx::html::layout {
namespace {

using css::Prop;

bool IsAny(std::u16string_view tag, std::initializer_list<std::u16string_view> tags) {
    for (std::u16string_view t : tags)
        if (tag == t)
            return true;
    return false;
}

Display DefaultDisplay(const dom::Node& e) {
    const std::u16string& t = e.name;
    if (IsAny(t, {u"head", u"script", u"style", u"title", u"meta", u"link", u"xml", u"caption", u"col",
                  u"colgroup", u"option", u"noscript", u"template", u"base"}))
        return Display::None;
    if (t == u"input" && EqualsNoCase(e.AttributeValue(u"type"), u"hidden"))
        return Display::None;
    if (IsAny(t, {u"img", u"input", u"select", u"textarea", u"object", u"embed", u"button"}))
        return Display::Replaced;
    if (t == u"table")
        return Display::Table;
    if (t == u"td" || t == u"th")
        return Display::Cell;
    if (t == u"tr")
        return Display::Row;
    if (IsAny(t, {u"tbody", u"thead", u"tfoot"}))
        return Display::RowGroup;
    if (IsAny(t, {u"html",    u"body", u"p",  u"div", u"h1", u"h2",   u"h3",     u"h4",
                  u"h5",      u"h6",   u"ul", u"ol",  u"li", u"form", u"center", u"blockquote",
                  u"address", u"pre",  u"hr", u"dl",  u"dd", u"dt"}))
        return Display::Block;
    return Display::Inline;
}

// Runtime style first, then the inline style block. Most elements of a form have neither, and
// asking an empty pair nothing saves most of the reading.
struct Sources {
    const css::DeclarationBlock* runtime;
    const css::DeclarationBlock& inlineStyle;
    bool any = (runtime && !runtime->Empty()) || !inlineStyle.Empty();
    std::u16string Get(Prop p) const {
        if (!any)
            return {};
        if (runtime) {
            std::u16string v = runtime->Get(p);
            if (!v.empty())
                return v;
        }
        return inlineStyle.Get(p);
    }
};

int BorderWidthOf(std::u16string_view v) {
    if (v == u"thin")
        return 1;
    if (v == u"medium")
        return 3;
    if (v == u"thick")
        return 5;
    return std::max(0, PixelLength(v).value_or(0));
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

// The style objects' pixel members read the same number (css::ToPixels).
std::optional<int> PixelLength(std::u16string_view text) {
    if (text.empty())
        return std::nullopt;
    // A whole number of pixels ("60", "60px"), as forms mostly write them, needs no general parse.
    std::u16string_view digits = text.ends_with(u"px") ? text.substr(0, text.size() - 2) : text;
    if (!digits.empty() && digits.size() <= 9 && std::all_of(digits.begin(), digits.end(), IsDigit)) {
        int n = 0;
        for (char16_t c : digits)
            n = n * 10 + (c - u'0');
        return n;
    }
    std::optional<css::Length> length = css::ParseLength(text);
    if (!length || length->unit == u"%")
        return std::nullopt;
    return static_cast<int>(std::clamp<long>(css::ToPixels(text), -1'000'000'000, 1'000'000'000));
}

std::optional<int> NumberAttribute(const dom::Node& element, std::u16string_view name) {
    const dom::Attribute* a = element.FindAttribute(name);
    if (!a)
        return std::nullopt;
    std::u16string_view v = a->value;
    while (!v.empty() && (v.front() == u' ' || v.front() == u'\t'))
        v.remove_prefix(1);
    bool negative = !v.empty() && v.front() == u'-';
    if (negative || (!v.empty() && v.front() == u'+'))
        v.remove_prefix(1);
    if (v.empty() || !IsDigit(v.front()))
        return std::nullopt;
    long n = 0;
    for (std::size_t i = 0; i < v.size() && IsDigit(v[i]); ++i)
        n = std::min<long>(n * 10 + (v[i] - u'0'), 1'000'000);
    return static_cast<int>(negative ? -n : n);
}

namespace {

// An inline font-size (pt or px) or a FONT size 1..7 (8, 10, 12, 14, 18, 24, 36 pt; "+n" and "-n"
// count from 3); nothing when the element gives none.
std::optional<int> OwnFontPixels(const dom::Node& element, std::u16string_view size) {
    if (std::optional<int> px = PixelLength(size); px && *px > 0)
        return std::min(*px, 1000);
    if (element.name == u"font") {
        static constexpr int kPoints[7] = {8, 10, 12, 14, 18, 24, 36};
        if (std::optional<int> n = NumberAttribute(element, u"size")) {
            std::u16string_view v = element.AttributeValue(u"size");
            int index = (v.find_first_of(u"+-") != std::u16string_view::npos) ? 3 + *n : *n;
            index = std::clamp(index, 1, 7);
            return static_cast<int>(std::lround(kPoints[index - 1] * 4.0 / 3));
        }
    }
    return std::nullopt;
}

} // namespace

ElementStyle ReadStyle(const dom::Node& element, const css::DeclarationBlock* runtime) {
    css::DeclarationBlock inlineStyle;
    if (const dom::Attribute* a = element.FindAttribute(u"style"))
        inlineStyle.Parse(a->value);
    Sources s{runtime, inlineStyle};
    ElementStyle st;
    st.display = DefaultDisplay(element);
    std::u16string display = s.Get(Prop::display);
    if (display == u"none")
        st.display = Display::None;
    else if (display == u"block" && st.display == Display::Inline)
        st.display = Display::Block;
    else if (display == u"inline" && st.display == Display::Block)
        st.display = Display::Inline;

    std::u16string position = s.Get(Prop::position);
    st.position = position == u"absolute"   ? Position::Absolute
                  : position == u"relative" ? Position::Relative
                                            : Position::Static;
    std::u16string overflow = s.Get(Prop::overflow);
    st.overflow = overflow == u"hidden"   ? Overflow::Hidden
                  : overflow == u"auto"   ? Overflow::Auto
                  : overflow == u"scroll" ? Overflow::Scroll
                                          : Overflow::Visible;

    std::u16string width = s.Get(Prop::width);
    if (width.empty())
        width = element.AttributeValue(u"width");
    if (std::optional<int> px = PixelLength(width)) {
        if (*px >= 0)
            st.width = px;
    } else if (std::optional<css::Length> l = css::ParseLength(width); l && l->unit == u"%") {
        st.widthPct = l->number;
    }
    std::u16string height = s.Get(Prop::height);
    if (height.empty())
        height = element.AttributeValue(u"height");
    if (std::optional<int> px = PixelLength(height); px && *px >= 0)
        st.height = px;
    if (s.any) { // else the offsets, margins, paddings and borders keep their defaults
        st.left = PixelLength(s.Get(Prop::left));
        st.top = PixelLength(s.Get(Prop::top));
        for (int side = 0; side < 4; ++side) {
            std::u16string margin = s.Get(css::kMarginSides[side]);
            st.marginSet[side] = !margin.empty();
            st.margin[side] = PixelLength(margin).value_or(0);
            st.padding[side] = std::max(0, PixelLength(s.Get(css::kPaddingSides[side])).value_or(0));
            std::u16string style = s.Get(css::kBorderStyles[side]);
            st.borderNone[side] = style == u"none" || style == u"hidden";
            st.border[side] = st.borderNone[side] ? 0 : BorderWidthOf(s.Get(css::kBorderWidths[side]));
        }
    }
    std::u16string whiteSpace = s.Get(Prop::whiteSpace);
    st.pre = element.name == u"pre" || whiteSpace == u"pre";
    st.noWrap = st.pre || whiteSpace == u"nowrap" || element.FindAttribute(u"nowrap") != nullptr;
    st.collapse = s.Get(Prop::borderCollapse) == u"collapse";
    st.fixedTable = s.Get(Prop::tableLayout) == u"fixed";
    st.fontPixels = OwnFontPixels(element, s.Get(Prop::fontSize));
    st.vAlign = LowerAscii(s.Get(Prop::verticalAlign));
    if (st.vAlign.empty())
        st.vAlign = LowerAscii(element.AttributeValue(u"valign"));
    return st;
}

int TextWidth(std::u16string_view text, int fontPx) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size())
            ++i; // a surrogate pair is one character beyond U+1100
        width += Advance(c, fontPx);
    }
    return width;
}

} // namespace qx::html::layout
