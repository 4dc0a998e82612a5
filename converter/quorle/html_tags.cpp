#include "html_tags.h"

#include "string_helpers.h"

namespace {

bool IsLetter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

} // namespace

bool IsHtmlSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f';
}

const HtmlAttribute* HtmlStartTag::Find(std::string_view lowerName) const {
    for (const HtmlAttribute& attribute : attributes) {
        if (EqualsNoCase(attribute.name, lowerName))
            return &attribute;
    }
    return nullptr;
}

bool HtmlTagReader::Next(HtmlStartTag& tag) {
    const size_t size = m_html.size();
    for (;;) {
        const size_t open = m_html.find('<', m_pos);
        if (open == std::string_view::npos || open + 1 >= size) {
            m_pos = size;
            return false;
        }
        m_pos = open + 1;
        if (!IsLetter(m_html[open + 1]))
            continue;
        size_t pos = open + 1;
        while (pos < size && !IsHtmlSpace(m_html[pos]) && m_html[pos] != '/' && m_html[pos] != '>')
            ++pos;
        tag.name = m_html.substr(open + 1, pos - open - 1);
        tag.start = open;
        tag.attributes.clear();
        if (!ReadAttributes(tag, pos)) {
            m_pos = size;
            return false;
        }
        tag.end = pos;
        m_pos = pos;
        return true;
    }
}

// From just after the tag name to just after its ">"; false when the page ends first.
bool HtmlTagReader::ReadAttributes(HtmlStartTag& tag, size_t& pos) const {
    const std::string_view html = m_html;
    const size_t size = html.size();
    for (;;) {
        while (pos < size && (IsHtmlSpace(html[pos]) || html[pos] == '/'))
            ++pos;
        if (pos >= size)
            return false;
        if (html[pos] == '>') {
            ++pos;
            return true;
        }
        // A name runs to a blank, "/", ">" or "="; an "=" in first place belongs to the name.
        const size_t nameStart = pos++;
        while (pos < size && !IsHtmlSpace(html[pos]) && html[pos] != '/' && html[pos] != '>' &&
               html[pos] != '=')
            ++pos;
        HtmlAttribute attribute;
        attribute.name = html.substr(nameStart, pos - nameStart);
        size_t after = pos;
        while (after < size && IsHtmlSpace(html[after]))
            ++after;
        if (after < size && html[after] == '=') {
            pos = after + 1;
            while (pos < size && IsHtmlSpace(html[pos]))
                ++pos;
            if (pos >= size)
                return false;
            attribute.hasValue = true;
            const char first = html[pos];
            if (first == '"' || first == '\'') {
                const size_t close = html.find(first, pos + 1);
                if (close == std::string_view::npos)
                    return false;
                attribute.quote = first;
                attribute.valueStart = first == '"' ? pos + 1 : pos;
                attribute.valueLength = first == '"' ? close - pos - 1 : close + 1 - pos;
                pos = close + 1;
            } else {
                attribute.valueStart = pos;
                while (pos < size && !IsHtmlSpace(html[pos]) && html[pos] != '>')
                    ++pos;
                attribute.valueLength = pos - attribute.valueStart;
            }
        }
        tag.attributes.push_back(attribute);
    }
}
