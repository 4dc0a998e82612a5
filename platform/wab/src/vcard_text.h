// The text layer of vCard files: content lines (folding, parameters, escapes) and the split of a
// file into cards, with the limits a book file must keep.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::wab {

inline constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kMaxCards = 100000;
inline constexpr std::size_t kMaxLineBytes = 1024u * 1024u;
inline constexpr int kMaxNesting = 8;

struct Parameter {
    std::string name;                // upper case
    std::vector<std::string> values; // as written, quotes removed
};

struct ContentLine {
    std::string name; // upper case, group removed
    std::vector<Parameter> parameters;
    std::string value;    // still escaped
    std::string unfolded; // the whole logical line as read
};

// One BEGIN:VCARD ... END:VCARD block: its bytes as read and its own logical lines (those of
// nested blocks stay in `raw` only).
struct RawCard {
    std::string raw;
    std::vector<ContentLine> lines;
};

// Splits a file into cards; nullopt when it is no vCard file (ill-formed UTF-8, unbalanced
// BEGIN/END, text outside a card, or over the limits). A leading byte order mark, bare LF line
// ends and blank lines between cards are accepted.
std::optional<std::vector<RawCard>> SplitCards(std::string_view file);

// Parses one unfolded line; nullopt when it has no name or no ':'.
std::optional<ContentLine> ParseContentLine(std::string_view line);

// True when the parameter (case ignored) holds `value` among its comma-separated values; TYPE
// values written bare, as older writers do, count as TYPE.
bool HasParameterValue(const ContentLine& line, std::string_view name, std::string_view value);
// The lowest PREF of the line (TYPE=pref counts as 1); 101 without one.
int Preference(const ContentLine& line);

// RFC 6350 text escapes: backslash, comma, semicolon and line break ("\n").
std::string EscapeText(std::string_view text);
std::string UnescapeText(std::string_view text);
// Splits at the separators that are not escaped; each piece stays escaped.
std::vector<std::string> SplitUnescaped(std::string_view value, char separator);

// The line with its CRLF, folded so that no physical line passes 75 octets and no fold falls
// inside a UTF-8 sequence.
std::string FoldLine(std::string_view line);

// Whether the bytes are well-formed UTF-8.
bool IsWellFormedUtf8(std::string_view text);

} // namespace qx::wab
