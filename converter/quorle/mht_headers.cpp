#include "mht_headers.h"

#include "string_helpers.h"

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

std::string Lower(std::string_view text) {
    return ToLowerAscii(std::string(text));
}

// The end of the line that starts at pos: the position of its line feed, or the block's end.
size_t LineEnd(std::string_view header, size_t pos) {
    const size_t feed = header.find('\n', pos);
    return feed == std::string_view::npos ? header.size() : feed;
}

// The raw value of the first field of that name: from after its colon to the end of its last
// continuation line, folds included; false when there is no such field.
bool RawValue(std::string_view header, std::string_view name, std::string_view& value) {
    size_t pos = 0;
    while (pos < header.size()) {
        const size_t end = LineEnd(header, pos);
        const std::string_view line = header.substr(pos, end - pos);
        const size_t colon = line.find(':');
        if (!line.empty() && !IsBlank(line[0]) && colon != std::string_view::npos) {
            std::string_view field = line.substr(0, colon);
            while (!field.empty() && IsBlank(field.back()))
                field.remove_suffix(1);
            if (EqualsNoCase(field, name)) {
                size_t last = end;
                while (last + 1 < header.size() && IsBlank(header[last + 1]))
                    last = LineEnd(header, last + 1);
                const size_t start = pos + colon + 1;
                value = header.substr(start, last - start);
                return true;
            }
        }
        pos = end + 1;
    }
    return false;
}

// The value with its line breaks taken out; dropBlanks also drops the blanks that open each
// continuation line.
std::string Unfold(std::string_view raw, bool dropBlanks) {
    std::string value;
    value.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const char ch = raw[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\n' && dropBlanks) {
                while (i + 1 < raw.size() && IsBlank(raw[i + 1]))
                    ++i;
            }
            continue;
        }
        value += ch;
    }
    return std::string(TrimWhite(value));
}

// The text of a quoted string that opens value, backslash escapes undone.
std::string Unquote(std::string_view value) {
    std::string text;
    for (size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        text += value[i];
    }
    return text;
}

} // namespace

std::string MhtHeaderValue(std::string_view header, std::string_view name) {
    std::string_view raw;
    if (!RawValue(header, name, raw))
        return std::string();
    return Unfold(raw, false);
}

std::string MhtLocationValue(std::string_view header) {
    std::string_view raw;
    if (!RawValue(header, "Content-Location", raw))
        return std::string();
    return Unfold(raw, true);
}

std::string MhtMediaType::Parameter(std::string_view lowerName) const {
    for (const auto& [name, value] : parameters) {
        if (name == lowerName)
            return value;
    }
    return std::string();
}

MhtMediaType ParseMhtMediaType(std::string_view value) {
    MhtMediaType media;
    // Parameters are split at the semicolons outside quoted strings; a name runs to the first
    // "=", and a value that does not open with a quote is taken as it stands.
    std::vector<std::string_view> pieces;
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size()) {
            if (value[i] == '\\' && quoted) {
                ++i;
                continue;
            }
            if (value[i] == '"')
                quoted = !quoted;
            if (value[i] != ';' || quoted)
                continue;
        }
        pieces.push_back(value.substr(start, i - start));
        start = i + 1;
    }
    media.type = Lower(TrimWhite(pieces[0]));
    for (size_t i = 1; i < pieces.size(); ++i) {
        const size_t equals = pieces[i].find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string name = Lower(TrimWhite(pieces[i].substr(0, equals)));
        const std::string_view text = TrimWhite(pieces[i].substr(equals + 1));
        if (name.empty())
            continue;
        media.parameters.emplace_back(name,
                                      !text.empty() && text[0] == '"' ? Unquote(text) : std::string(text));
    }
    return media;
}

std::string MhtBoundary(std::string_view header) {
    return ParseMhtMediaType(MhtHeaderValue(header, "Content-Type")).Parameter("boundary");
}

std::string MhtBareId(std::string_view id) {
    id = TrimWhite(id);
    if (id.size() >= 2 && id.front() == '<' && id.back() == '>')
        id = id.substr(1, id.size() - 2);
    return std::string(TrimWhite(id));
}
