// The character classes and small rules that the compactor's passes share.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace compactor {

// A set of byte values, built at compile time from the characters of a string.
class CharSet {
public:
    constexpr explicit CharSet(std::string_view members) : m_members{} {
        for (char c : members)
            m_members[static_cast<unsigned char>(c)] = true;
    }
    constexpr bool Contains(int c) const { return c >= 0 && c < 256 && m_members[static_cast<size_t>(c)]; }

private:
    std::array<bool, 256> m_members;
};

// Every operator and punctuation character the compactor knows (the union of the next two).
inline constexpr std::string_view symbols = ";{}\"'()[]!,+-=*/%&|><";
// Operator characters that may pair up with their neighbours ("++", "<=", "&&").
inline constexpr std::string_view doubleSyms = "+-=*/%;&|!><";
// Punctuation.
inline constexpr std::string_view singleSyms = ";{}\"'()[]!,";
// Characters after which a line break carries no meaning.
inline constexpr std::string_view newLineSyms = "+-=*/%&|!;{}><";

inline constexpr CharSet kSymbols{symbols};
inline constexpr CharSet kDoubleSyms{doubleSyms};
inline constexpr CharSet kSingleSyms{singleSyms};
inline constexpr CharSet kNewLineSyms{newLineSyms};
inline constexpr CharSet kSpaces{" \t\n\r\f\v"};

// Blank, tab, line feed, carriage return, form feed or vertical tab; nothing locale-dependent.
constexpr bool isSpace(int c) {
    return kSpaces.Contains(c);
}

constexpr bool isNotNewline(int c) {
    return c != '\n';
}

// White space that is not a line break: the only kind the symbol pass may drop.
constexpr bool isBlank(int c) {
    return c != '\n' && isSpace(c);
}

// One white-space character in place of two: a line feed wins, anything else becomes a blank.
constexpr char comb(char c1, char c2) {
    return (c1 == '\n' || c2 == '\n') ? '\n' : ' ';
}

// Quote state: 0 in code, 1 inside "...", 2 inside '...'.
enum QuoteState : int { kInCode = 0, kInDoubleQuotes = 1, kInSingleQuotes = 2 };

// The state after a quote of kind n: it opens a string in code and closes its own kind of string;
// a quote of the other kind inside a string changes nothing.
constexpr int change(int q, int n) {
    if (q == kInCode)
        return n;
    if (q == n)
        return kInCode;
    return q;
}

} // namespace compactor
