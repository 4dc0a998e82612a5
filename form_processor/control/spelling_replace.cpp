// Whole-word replacement for the spelling dialog, on plain text and on HTML text content.
#include "spelling_replace.h"

#include <winuser_chars.h>

namespace {

bool IsApostrophe(char16_t c) {
    return c == u'\'' || c == u'\x2019';
}

bool IsLetter(char16_t c) {
    return IsCharAlphaW(c) != FALSE;
}

// Whether the text at `at` continues a word that ends or starts beside it; `inside` is the word's
// own character next to it.
bool JoinsWord(std::u16string_view text, size_t at, size_t beyond, bool hasBeyond, char16_t inside) {
    const char16_t c = text[at];
    if (IsCharAlphaNumericW(c))
        return true;
    return IsApostrophe(c) && hasBeyond && IsLetter(inside) && IsLetter(text[beyond]);
}

bool IsWholeWord(std::u16string_view text, size_t start, size_t length) {
    const size_t end = start + length;
    if (start > 0 && JoinsWord(text, start - 1, start - 2, start >= 2, text[start]))
        return false;
    if (end < text.size() && JoinsWord(text, end, end + 1, end + 1 < text.size(), text[end - 1]))
        return false;
    return true;
}

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsAsciiAlnum(char16_t c) {
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

bool StartsMarkup(std::u16string_view html, size_t at) {
    if (at + 1 >= html.size())
        return false;
    const char16_t next = html[at + 1];
    return IsAsciiLetter(next) || next == u'/' || next == u'!' || next == u'?';
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lower) {
    if (text.size() != lower.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != lower[i])
            return false;
    }
    return true;
}

// The end of the tag that starts at `at`: after its '>', quoted attribute values skipped.
size_t TagEnd(std::u16string_view html, size_t at) {
    char16_t lastSignificant = 0;
    for (size_t i = at + 1; i < html.size(); ++i) {
        const char16_t c = html[i];
        if ((c == u'"' || c == u'\'') && lastSignificant == u'=') {
            const size_t close = html.find(c, i + 1);
            if (close == std::u16string_view::npos)
                return html.size();
            i = close;
            lastSignificant = c;
            continue;
        }
        if (c == u'>')
            return i + 1;
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
            lastSignificant = c;
    }
    return html.size();
}

// The raw text of a SCRIPT or STYLE element ends where its closing tag begins.
size_t RawTextEnd(std::u16string_view html, size_t from, std::u16string_view name) {
    for (size_t i = from; i + 2 + name.size() <= html.size(); ++i) {
        if (html[i] == u'<' && html[i + 1] == u'/' &&
            EqualsIgnoringCase(html.substr(i + 2, name.size()), name))
            return i;
    }
    return html.size();
}

// The name of the opening tag at `at` ("" for a closing tag, comment or declaration).
std::u16string_view OpeningTagName(std::u16string_view html, size_t at) {
    size_t end = at + 1;
    while (end < html.size() && IsAsciiAlnum(html[end]))
        ++end;
    return html.substr(at + 1, end - at - 1);
}

// The end of the character reference at `at`, or `at` when none starts there.
size_t ReferenceEnd(std::u16string_view html, size_t at) {
    size_t i = at + 1;
    if (i < html.size() && html[i] == u'#')
        ++i;
    const size_t nameStart = i;
    while (i < html.size() && IsAsciiAlnum(html[i]))
        ++i;
    if (i == nameStart)
        return at;
    if (i < html.size() && html[i] == u';')
        ++i;
    return i;
}

void Escape(std::u16string_view text, std::u16string& out) {
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        default:
            out += c;
        }
    }
}

// ReplaceWholeWords over one text segment, the replacement written by `put`.
template <typename Put>
void ReplaceInto(std::u16string_view text, std::u16string_view word, std::u16string& out, Put put) {
    if (word.empty()) {
        out += text;
        return;
    }
    size_t from = 0;
    size_t searchFrom = 0;
    while (true) {
        const size_t found = text.find(word, searchFrom);
        if (found == std::u16string_view::npos)
            break;
        if (!IsWholeWord(text, found, word.size())) {
            searchFrom = found + 1;
            continue;
        }
        out += text.substr(from, found - from);
        put(out);
        from = found + word.size();
        searchFrom = from;
    }
    out += text.substr(from);
}

} // namespace

std::vector<HtmlSegment> SplitHtmlSegments(std::u16string_view html) {
    std::vector<HtmlSegment> segments;
    size_t textStart = 0;
    auto flushText = [&](size_t end) {
        if (end > textStart)
            segments.push_back({HtmlSegment::Text, html.substr(textStart, end - textStart)});
    };
    size_t i = 0;
    while (i < html.size()) {
        const char16_t c = html[i];
        size_t end = i;
        HtmlSegment::Kind kind = HtmlSegment::Markup;
        if (c == u'<' && html.substr(i, 4) == u"<!--") {
            const size_t close = html.find(u"-->", i + 4);
            end = close == std::u16string_view::npos ? html.size() : close + 3;
        } else if (c == u'<' && StartsMarkup(html, i)) {
            end = TagEnd(html, i);
            const std::u16string_view name = OpeningTagName(html, i);
            if (EqualsIgnoringCase(name, u"script") || EqualsIgnoringCase(name, u"style"))
                end = RawTextEnd(html, end, EqualsIgnoringCase(name, u"script") ? u"script" : u"style");
        } else if (c == u'&') {
            end = ReferenceEnd(html, i);
            kind = HtmlSegment::Reference;
        }
        if (end == i) {
            ++i;
            continue;
        }
        flushText(i);
        segments.push_back({kind, html.substr(i, end - i)});
        i = end;
        textStart = end;
    }
    flushText(html.size());
    return segments;
}

std::u16string ReplaceWholeWords(std::u16string_view text, std::u16string_view word,
                                 std::u16string_view replacement) {
    std::u16string out;
    out.reserve(text.size());
    ReplaceInto(text, word, out, [&](std::u16string& into) { into += replacement; });
    return out;
}

std::u16string ReplaceWholeWordsInHtml(std::u16string_view html, std::u16string_view word,
                                       std::u16string_view replacement) {
    std::u16string out;
    out.reserve(html.size());
    for (const HtmlSegment& segment : SplitHtmlSegments(html)) {
        if (segment.kind != HtmlSegment::Text) {
            out += segment.content;
            continue;
        }
        const size_t segmentStart = out.size();
        ReplaceInto(segment.content, word, out, [&](std::u16string& into) {
            // A bare '<', '&' or "&#" of the text just before the replacement could start a tag
            // or a reference with it: its '<' or '&' is written escaped instead.
            const size_t written = into.size() - segmentStart;
            if (written >= 1 && into.back() == u'<') {
                into.replace(into.size() - 1, 1, u"&lt;");
            } else if (written >= 1 && into.back() == u'&') {
                into.replace(into.size() - 1, 1, u"&amp;");
            } else if (written >= 2 && into.back() == u'#' && into[into.size() - 2] == u'&') {
                into.replace(into.size() - 2, 1, u"&amp;");
            }
            Escape(replacement, into);
        });
    }
    return out;
}
