#include "vcard_text.h"

#include <algorithm>
#include <cstdlib>

namespace qx::wab {
namespace {

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

std::string ToUpper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), Upper);
    return result;
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Splits at `separator` outside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == separator && !quoted) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::string Unquote(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text);
}

Parameter ParseParameter(std::string_view text) {
    Parameter parameter;
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        // An older writer's bare type ("TEL;HOME:...").
        parameter.name = "TYPE";
        parameter.values.push_back(Unquote(text));
        return parameter;
    }
    parameter.name = ToUpper(text.substr(0, equals));
    // A quoted list ("work,voice") holds its values as a bare one does.
    for (std::string_view value : SplitOutsideQuotes(text.substr(equals + 1), ',')) {
        std::string unquoted = Unquote(value);
        for (std::string_view piece : SplitOutsideQuotes(unquoted, ',')) {
            parameter.values.emplace_back(piece);
        }
    }
    return parameter;
}

// "BEGIN" or "END" line: the name matches and the value is any word.
bool IsMarker(const std::optional<ContentLine>& line, std::string_view marker) {
    return line && line->name == marker;
}

} // namespace

bool IsWellFormedUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0) {
                low = 0xA0;
            } else if (c == 0xED) {
                high = 0x9F;
            }
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0) {
                low = 0x90;
            } else if (c == 0xF4) {
                high = 0x8F;
            }
        } else {
            return false;
        }
        if (end - p <= extra) {
            return false;
        }
        if (p[1] < low || p[1] > high) {
            return false;
        }
        for (int i = 2; i <= extra; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF) {
                return false;
            }
        }
        p += extra + 1;
    }
    return true;
}

std::optional<ContentLine> ParseContentLine(std::string_view line) {
    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && (IsNameChar(line[nameEnd]) || line[nameEnd] == '.')) {
        ++nameEnd;
    }
    if (nameEnd == 0 || nameEnd == line.size() || (line[nameEnd] != ';' && line[nameEnd] != ':')) {
        return std::nullopt;
    }
    std::string_view name = line.substr(0, nameEnd);
    if (auto dot = name.rfind('.'); dot != std::string_view::npos) {
        name = name.substr(dot + 1);
    }
    if (name.empty()) {
        return std::nullopt;
    }
    // The value starts at the first ':' outside quoted parameter values.
    bool quoted = false;
    std::size_t colon = std::string_view::npos;
    for (std::size_t i = nameEnd; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    ContentLine result;
    result.name = ToUpper(name);
    if (colon > nameEnd) {
        for (std::string_view piece :
             SplitOutsideQuotes(line.substr(nameEnd + 1, colon - nameEnd - 1), ';')) {
            if (!piece.empty()) {
                result.parameters.push_back(ParseParameter(piece));
            }
        }
    }
    result.value = std::string(line.substr(colon + 1));
    result.unfolded = std::string(line);
    return result;
}

std::optional<std::vector<RawCard>> SplitCards(std::string_view file) {
    if (file.size() > kMaxFileBytes) {
        return std::nullopt;
    }
    if (file.starts_with("\xEF\xBB\xBF")) {
        file.remove_prefix(3);
    }
    if (!IsWellFormedUtf8(file)) {
        return std::nullopt;
    }
    std::vector<RawCard> cards;
    int depth = 0;
    std::size_t cardStart = 0;
    std::size_t pos = 0;
    while (pos < file.size()) {
        // One logical line: a physical line and the ones folded onto it.
        std::size_t lineStart = pos;
        std::string logical;
        for (;;) {
            std::size_t newline = file.find('\n', pos);
            std::size_t stop = newline == std::string_view::npos ? file.size() : newline;
            std::size_t contentEnd = (stop > pos && file[stop - 1] == '\r') ? stop - 1 : stop;
            std::size_t from = (pos == lineStart) ? pos : pos + 1; // a fold drops its space
            logical.append(file.substr(from, contentEnd - from));
            if (logical.size() > kMaxLineBytes) {
                return std::nullopt;
            }
            pos = newline == std::string_view::npos ? file.size() : newline + 1;
            if (pos >= file.size() || (file[pos] != ' ' && file[pos] != '\t')) {
                break;
            }
        }
        if (logical.empty()) {
            continue;
        }
        std::optional<ContentLine> line = ParseContentLine(logical);
        if (IsMarker(line, "BEGIN")) {
            if (depth == 0) {
                if (!EqualNoCase(line->value, "VCARD")) {
                    return std::nullopt;
                }
                cardStart = lineStart;
                cards.emplace_back();
            }
            if (++depth > kMaxNesting) {
                return std::nullopt;
            }
            continue;
        }
        if (depth == 0) {
            return std::nullopt; // text outside a card
        }
        if (IsMarker(line, "END")) {
            if (--depth == 0) {
                cards.back().raw = std::string(file.substr(cardStart, pos - cardStart));
                if (cards.size() > kMaxCards) {
                    return std::nullopt;
                }
            }
            continue;
        }
        if (depth == 1) {
            if (line) {
                cards.back().lines.push_back(std::move(*line));
            } else {
                ContentLine unknown;
                unknown.unfolded = std::move(logical);
                cards.back().lines.push_back(std::move(unknown));
            }
        }
    }
    if (depth != 0) {
        return std::nullopt;
    }
    return cards;
}

bool HasParameterValue(const ContentLine& line, std::string_view name, std::string_view value) {
    for (const Parameter& parameter : line.parameters) {
        if (parameter.name != ToUpper(name)) {
            continue;
        }
        for (const std::string& v : parameter.values) {
            if (EqualNoCase(v, value)) {
                return true;
            }
        }
    }
    return false;
}

int Preference(const ContentLine& line) {
    int best = 101;
    for (const Parameter& parameter : line.parameters) {
        if (parameter.name != "PREF") {
            continue;
        }
        for (const std::string& v : parameter.values) {
            char* end = nullptr;
            long n = std::strtol(v.c_str(), &end, 10);
            if (end != v.c_str() && *end == 0 && n >= 1 && n <= 100) {
                best = std::min(best, static_cast<int>(n));
            }
        }
    }
    if (HasParameterValue(line, "TYPE", "pref")) {
        best = std::min(best, 1);
    }
    return best;
}

std::string EscapeText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case ',':
            result += "\\,";
            break;
        case ';':
            result += "\\;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string UnescapeText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            result += text[i];
            continue;
        }
        char next = text[++i];
        switch (next) {
        case 'n':
        case 'N':
            result += '\n';
            break;
        case '\\':
        case ',':
        case ';':
        case ':':
            result += next;
            break;
        default:
            result += '\\';
            result += next;
        }
    }
    return result;
}

std::vector<std::string> SplitUnescaped(std::string_view value, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
        } else if (value[i] == separator) {
            pieces.emplace_back(value.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.emplace_back(value.substr(std::min(start, value.size())));
    return pieces;
}

std::string FoldLine(std::string_view line) {
    constexpr std::size_t kOctets = 75;
    std::string result;
    result.reserve(line.size() + line.size() / 70 * 3 + 2);
    bool first = true;
    while (!line.empty()) {
        std::size_t room = first ? kOctets : kOctets - 1;
        std::size_t cut = std::min(room, line.size());
        while (cut < line.size() && cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        if (!first) {
            result += ' ';
        }
        result.append(line.substr(0, cut));
        result += "\r\n";
        line.remove_prefix(cut);
        first = false;
    }
    if (first) {
        result += "\r\n";
    }
    return result;
}

} // namespace qx::wab
