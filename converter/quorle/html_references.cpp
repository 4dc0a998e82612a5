#include "html_references.h"

#include "string_helpers.h"

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

bool IsNameChar(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
           ch == '_' || ch == ':' || ch == '.';
}

// Finds text at or after a start that only grows from call to call; the last result is kept,
// so the whole scan touches every byte a bounded number of times.
class ForwardFinder {
public:
    ForwardFinder(const std::string& text, std::string pattern, bool wholeName)
        : m_text(text), m_pattern(std::move(pattern)), m_wholeName(wholeName) {}

    size_t Next(size_t start) {
        if (m_searched && (m_found == std::string::npos || m_found >= start))
            return m_found;
        m_searched = true;
        size_t pos = start;
        for (;;) {
            pos = m_text.find(m_pattern, pos);
            if (pos == std::string::npos || !m_wholeName || IsWholeName(pos))
                break;
            ++pos;
        }
        m_found = pos;
        return m_found;
    }

private:
    // An attribute name stands after a blank, a quote or "/" and, unless the pattern ends with
    // its "=", is not followed by another name character.
    bool IsWholeName(size_t pos) const {
        if (pos == 0)
            return false;
        const char before = m_text[pos - 1];
        if (!IsBlank(before) && before != '"' && before != '\'' && before != '/' && before != '\f')
            return false;
        if (m_pattern.back() == '=')
            return true;
        const size_t after = pos + m_pattern.size();
        return after >= m_text.size() || !IsNameChar(m_text[after]);
    }

    const std::string& m_text;
    std::string m_pattern;
    bool m_wholeName;
    bool m_searched = false;
    size_t m_found = std::string::npos;
};

// Reads the value that follows the attribute name (ending at nameEnd) within its tag.
bool ReadValue(const std::string& html, size_t nameEnd, size_t tagEnd, bool takeUpToEquals,
               HtmlReference& ref) {
    std::string prefix;
    size_t i = nameEnd;
    if (takeUpToEquals) {
        while (i < tagEnd && html[i] != '=')
            ++i;
        prefix.assign(html, nameEnd, i - nameEnd);
        if (i < tagEnd)
            ++i;
    }
    while (i < tagEnd && IsBlank(html[i]))
        ++i;
    size_t start = i;
    size_t end = i;
    if (prefix.empty() && i < tagEnd && html[i] == '"') {
        start = i + 1;
        end = html.find('"', start);
        if (end == std::string::npos || end > tagEnd)
            end = tagEnd;
    } else {
        while (end < tagEnd && !IsBlank(html[end]))
            ++end;
    }
    ref.valueStart = start;
    ref.valueLength = end - start;
    ref.text = prefix + html.substr(start, end - start);
    return !TrimSpaces(ref.text).empty();
}

} // namespace

std::vector<HtmlReference> CollectReferences(const std::string& html, const std::string& lowered,
                                             ReferenceKind kind) {
    std::vector<ForwardFinder> tags;
    const char* attribute = "src";
    switch (kind) {
    case ReferenceKind::Image:
        tags.emplace_back(lowered, "<img", false);
        break;
    case ReferenceKind::StyleSheet:
        tags.emplace_back(lowered, "<link", false);
        attribute = "href";
        break;
    case ReferenceKind::Script:
        tags.emplace_back(lowered, "<script", false);
        break;
    case ReferenceKind::Background:
        tags.emplace_back(lowered, "<body", false);
        tags.emplace_back(lowered, "<table", false);
        tags.emplace_back(lowered, "<td", false);
        attribute = "background=";
        break;
    }
    const bool takeUpToEquals = kind != ReferenceKind::Background;
    const size_t nameLength = std::char_traits<char>::length(attribute);
    ForwardFinder names(lowered, attribute, true);
    ForwardFinder tagEnds(html, ">", false);

    std::vector<HtmlReference> found;
    size_t pos = 0;
    for (;;) {
        size_t tagStart = std::string::npos;
        for (ForwardFinder& tag : tags) {
            const size_t at = tag.Next(pos);
            if (at < tagStart)
                tagStart = at;
        }
        if (tagStart == std::string::npos)
            break;
        const size_t name = names.Next(tagStart);
        if (name == std::string::npos)
            break;
        const size_t tagEnd = tagEnds.Next(tagStart);
        if (tagEnd == std::string::npos)
            break;
        pos = tagStart + 1;
        if (tagEnd < name)
            continue;
        HtmlReference ref;
        if (ReadValue(html, name + nameLength, tagEnd, takeUpToEquals, ref))
            found.push_back(std::move(ref));
    }
    return found;
}
