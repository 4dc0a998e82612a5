#include "qx/html/css/selectors.h"

#include "qx/html/css/style_owner.h"
#include "text.h"

namespace qx::html::css {
namespace {

using detail::EqualsNoCase;

constexpr int kMaxAncestors = 4096;

bool IsNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || detail::IsDigit(c) || c == u'-' ||
           c == u'_' || c > 0x7f;
}

std::u16string_view TakeName(std::u16string_view& text) {
    std::size_t n = 0;
    while (n < text.size() && IsNameChar(text[n]))
        ++n;
    std::u16string_view name = text.substr(0, n);
    text.remove_prefix(n);
    return name;
}

std::optional<CompoundSelector> ParseCompound(std::u16string_view text) {
    CompoundSelector part;
    if (!text.empty() && text.front() == u'*') {
        text.remove_prefix(1);
    } else if (!text.empty() && IsNameChar(text.front())) {
        part.tag = detail::ToUpper(TakeName(text));
    }
    while (!text.empty()) {
        char16_t kind = text.front();
        text.remove_prefix(1);
        std::u16string_view name = TakeName(text);
        if (name.empty())
            return std::nullopt;
        if (kind == u'.')
            part.classes.emplace_back(name);
        else if (kind == u'#' && part.id.empty())
            part.id = name;
        else if (kind == u':')
            part.pseudoClasses.push_back(detail::ToLower(name));
        else
            return std::nullopt;
    }
    return part;
}

bool HasClass(std::u16string_view classList, std::u16string_view name) {
    for (std::u16string_view word : detail::SplitWords(classList))
        if (EqualsNoCase(word, name))
            return true;
    return false;
}

bool MatchesCompound(const CompoundSelector& part, const StyleOwner& e) {
    if (!part.tag.empty() && !EqualsNoCase(e.TagName(), part.tag))
        return false;
    if (!part.id.empty()) {
        auto id = e.Attribute(u"id");
        if (!id || !EqualsNoCase(*id, part.id))
            return false;
    }
    if (!part.classes.empty()) {
        auto classList = e.Attribute(u"class");
        if (!classList)
            return false;
        for (const std::u16string& c : part.classes)
            if (!HasClass(*classList, c))
                return false;
    }
    for (const std::u16string& pseudo : part.pseudoClasses) {
        if (pseudo != u"link" || !EqualsNoCase(e.TagName(), u"A") || !e.Attribute(u"href"))
            return false;
    }
    return true;
}

} // namespace

std::optional<Selector> Selector::Parse(std::u16string_view text) {
    Selector selector;
    for (std::u16string_view word : detail::SplitWords(text)) {
        auto part = ParseCompound(word);
        if (!part || selector.parts_.size() >= kMaxParts)
            return std::nullopt;
        selector.parts_.push_back(std::move(*part));
    }
    if (selector.parts_.empty())
        return std::nullopt;
    return selector;
}

std::optional<std::vector<Selector>> Selector::ParseList(std::u16string_view text) {
    std::vector<Selector> list;
    while (true) {
        std::size_t comma = text.find(u',');
        auto one = Parse(text.substr(0, comma));
        if (!one)
            return std::nullopt;
        list.push_back(std::move(*one));
        if (comma == std::u16string_view::npos)
            return list;
        text.remove_prefix(comma + 1);
    }
}

int Selector::Specificity() const {
    int score = 0;
    for (const CompoundSelector& p : parts_)
        score += (p.id.empty() ? 0 : 100) + 10 * static_cast<int>(p.classes.size() + p.pseudoClasses.size()) +
                 (p.tag.empty() ? 0 : 1);
    return score;
}

std::u16string Selector::Text() const {
    std::u16string out;
    for (const CompoundSelector& p : parts_) {
        if (!out.empty())
            out += u' ';
        out += p.tag;
        if (!p.id.empty())
            out += u"#" + p.id;
        for (const std::u16string& c : p.classes)
            out += u"." + c;
        for (const std::u16string& c : p.pseudoClasses)
            out += u":" + c;
        if (p.tag.empty() && p.id.empty() && p.classes.empty() && p.pseudoClasses.empty())
            out += u'*';
    }
    return out;
}

bool Selector::Matches(const StyleOwner& element) const {
    if (!MatchesCompound(parts_.back(), element))
        return false;
    // Descendant combinators only: the nearest matching ancestor is always the best choice.
    const StyleOwner* at = &element;
    int steps = 0;
    for (std::size_t i = parts_.size() - 1; i-- > 0;) {
        do {
            at = at->ParentElement();
            if (!at || ++steps > kMaxAncestors)
                return false;
        } while (!MatchesCompound(parts_[i], *at));
    }
    return true;
}

} // namespace qx::html::css
