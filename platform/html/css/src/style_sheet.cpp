#include "qx/html/css/style_sheet.h"

#include "text.h"

#include <algorithm>

namespace qx::html::css {
namespace {

using detail::EqualsNoCase;

// The end of a block that opens at text[open] ('{'): the index of its '}' (nested braces and
// quotes counted), or the text's size when it never closes.
std::size_t BlockEnd(std::u16string_view text, std::size_t open) {
    int depth = 0;
    char16_t quote = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        char16_t c = text[i];
        if (quote) {
            if (c == quote || c == u'\n')
                quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}' && --depth == 0) {
            return i;
        }
    }
    return text.size();
}

// The URL of "@import url(x)" or "@import 'x'".
std::u16string ImportUrl(std::u16string_view rest) {
    rest = detail::Trim(rest);
    if (rest.size() >= 4 && EqualsNoCase(rest.substr(0, 4), u"url(")) {
        std::size_t close = rest.find(u')');
        rest = rest.substr(4, close == std::u16string_view::npos ? std::u16string_view::npos : close - 4);
        rest = detail::Trim(rest);
    } else {
        std::vector<std::u16string_view> words = detail::SplitWords(rest);
        rest = words.empty() ? std::u16string_view() : words[0];
    }
    if (rest.size() >= 2 && (rest.front() == u'"' || rest.front() == u'\'') && rest.back() == rest.front())
        rest = rest.substr(1, rest.size() - 2);
    return std::u16string(rest);
}

} // namespace

void StyleSheet::SetCssText(std::u16string_view text) {
    rules_.clear();
    imports_.clear();
    ParseRules(text.substr(0, std::min(text.size(), kMaxTextLength)));
}

void StyleSheet::ParseRules(std::u16string_view source) {
    std::u16string clean = detail::StripComments(source, source.size());
    std::u16string_view text = clean;
    std::size_t i = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        if (detail::IsSpace(c) || c == u'}' || c == u';') {
            ++i;
            continue;
        }
        if (text.substr(i, 4) == u"<!--" || text.substr(i, 3) == u"-->") {
            i += text[i] == u'<' ? 4 : 3;
            continue;
        }
        // A statement runs to its block's end, or (an at-rule without a block) to its semicolon.
        std::size_t open = i, semicolon = std::u16string_view::npos;
        char16_t quote = 0;
        for (; open < text.size(); ++open) {
            char16_t k = text[open];
            if (quote) {
                if (k == quote || k == u'\n')
                    quote = 0;
            } else if (k == u'"' || k == u'\'') {
                quote = k;
            } else if (k == u'{') {
                break;
            } else if (k == u';' && c == u'@') {
                semicolon = open;
                break;
            }
        }
        std::u16string_view head = detail::Trim(text.substr(i, std::min(open, semicolon) - i));
        if (semicolon != std::u16string_view::npos) {
            if (head.size() > 7 && EqualsNoCase(head.substr(0, 7), u"@import") &&
                imports_.size() < kMaxImports)
                AddImport(ImportUrl(head.substr(7)), -1);
            i = semicolon + 1;
            continue;
        }
        if (open >= text.size())
            break;
        std::size_t close = BlockEnd(text, open);
        std::u16string_view body = text.substr(open + 1, close - open - 1);
        i = close + 1;
        if (c == u'@')
            continue; // @media, @page, @font-face: not part of the rules
        AddRule(head, body, -1);
    }
}

std::u16string StyleSheet::CssText() const {
    std::u16string out;
    for (const auto& import : imports_)
        out += u"@import url( " + import->href + u" );\r\n";
    for (const auto& rule : rules_) {
        out += rule->selector.Text();
        out += u" {\r\n";
        std::u16string body = rule->style->Text();
        if (!body.empty())
            out += u"\t" + body + u"\r\n";
        out += u"}\r\n";
    }
    return out;
}

long StyleSheet::AddRule(std::u16string_view selector, std::u16string_view style, long index) {
    auto selectors = Selector::ParseList(selector);
    if (!selectors)
        return -1;
    std::size_t at = index < 0 || static_cast<std::size_t>(index) > rules_.size()
                         ? rules_.size()
                         : static_cast<std::size_t>(index);
    if (rules_.size() + selectors->size() > kMaxRules)
        return -1;
    long first = static_cast<long>(at);
    for (Selector& s : *selectors) {
        auto rule =
            std::make_shared<StyleRule>(StyleRule{std::move(s), std::make_shared<DeclarationBlock>()});
        rule->style->Parse(style);
        rules_.insert(rules_.begin() + static_cast<std::ptrdiff_t>(at++), std::move(rule));
    }
    return first;
}

bool StyleSheet::RemoveRule(long index) {
    if (index < 0 || static_cast<std::size_t>(index) >= rules_.size())
        return false;
    rules_.erase(rules_.begin() + index);
    return true;
}

long StyleSheet::AddImport(std::u16string_view url, long index) {
    // A URL that "@import url( ... );" could not carry back is refused.
    bool writable =
        !url.empty() && url.size() <= 2048 && std::none_of(url.begin(), url.end(), [](char16_t c) {
            return c <= 0x20 || c == u'(' || c == u')' || c == u'"' || c == u'\'' || c == u';' || c == u'{' ||
                   c == u'}' || c == u'\\';
        });
    if (!writable || imports_.size() >= kMaxImports)
        return -1;
    auto sheet = std::make_shared<StyleSheet>();
    sheet->href = url;
    sheet->parent_ = weak_from_this();
    std::size_t at = index < 0 || static_cast<std::size_t>(index) > imports_.size()
                         ? imports_.size()
                         : static_cast<std::size_t>(index);
    imports_.insert(imports_.begin() + static_cast<std::ptrdiff_t>(at), std::move(sheet));
    return static_cast<long>(at);
}

bool StyleSheet::RemoveImport(long index) {
    if (index < 0 || static_cast<std::size_t>(index) >= imports_.size())
        return false;
    imports_[static_cast<std::size_t>(index)]->parent_.reset();
    imports_.erase(imports_.begin() + index);
    return true;
}

} // namespace qx::html::css
