// A forward reader of an HTML page's start tags that reads names and attribute values as
// browsers do: a value may be double-quoted, single-quoted or bare; a quoted value may hold
// blanks and ">", and the tag ends at the first ">" outside a quoted value.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

struct HtmlAttribute {
    std::string_view name; // as written; compare with EqualsNoCase
    // The value as it stands in the page: inside its double quotes, with its single quotes
    // (the converter keeps those as characters of the value), or bare.
    size_t valueStart = 0;
    size_t valueLength = 0;
    char quote = 0;        // '"', '\'' or 0
    bool hasValue = false; // false for a name without "="
};

struct HtmlStartTag {
    std::string_view name;
    size_t start = 0; // the "<"
    size_t end = 0;   // just after the ">"
    std::vector<HtmlAttribute> attributes;

    // The first attribute of that name, in any case, or null.
    const HtmlAttribute* Find(std::string_view lowerName) const;
};

// The white space of HTML: blank, tab, LF, CR and form feed.
bool IsHtmlSpace(char ch);

class HtmlTagReader {
public:
    explicit HtmlTagReader(std::string_view html) : m_html(html) {}

    // The next start tag ("<" and a letter); false at the end of the page and at a tag that
    // the page ends inside, which browsers drop.
    bool Next(HtmlStartTag& tag);

private:
    bool ReadAttributes(HtmlStartTag& tag, size_t& pos) const;

    std::string_view m_html;
    size_t m_pos = 0;
};
