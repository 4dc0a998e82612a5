// The rules that every state pass tests before its own rule, in every quote state.
#pragma once

#include <cstddef>
#include <string>

#include "compactor/char_classes.h"

namespace compactor {

enum class QuoteRule {
    NotApplied, // the character at pos is for the pass's own rule
    Applied,    // characters were copied and pos moved past them
    NeedsMore   // a backslash ends the text that has arrived so far
};

// A quote switches the state; a backslash is copied together with the character after it, so an
// escaped quote never switches the state and an escaped backslash never hides a closing quote.
// Characters that the quote rules act on; no pass changes anything else inside a string.
inline constexpr CharSet kQuoteRuleChars{"\"'\\"};

// The first position at or after pos whose character is in `stops`: everything before it is
// copied unchanged by the pass that asks.
inline size_t findStop(const std::string& text, size_t pos, const CharSet& stops) {
    const size_t size = text.size();
    while (pos < size && !stops.Contains(static_cast<unsigned char>(text[pos])))
        ++pos;
    return pos;
}

// The first position at or after pos whose character is in `stops` or is followed by one in
// `nextStops`; the last character of the text is always a stop, since what follows it is unknown.
inline size_t findStopOrBeforeStop(const std::string& text, size_t pos, const CharSet& stops,
                                   const CharSet& nextStops) {
    const size_t size = text.size();
    while (pos + 1 < size && !stops.Contains(static_cast<unsigned char>(text[pos])) &&
           !nextStops.Contains(static_cast<unsigned char>(text[pos + 1])))
        ++pos;
    return pos;
}

inline QuoteRule applyQuoteRules(const std::string& text, size_t& pos, bool atEnd, int& q, std::string& out) {
    const char c = text[pos];
    if (c == '"') {
        out.push_back(c);
        q = change(q, kInDoubleQuotes);
        ++pos;
        return QuoteRule::Applied;
    }
    if (c == '\'') {
        out.push_back(c);
        q = change(q, kInSingleQuotes);
        ++pos;
        return QuoteRule::Applied;
    }
    if (c == '\\') {
        if (pos + 1 < text.size()) {
            out.push_back(c);
            out.push_back(text[pos + 1]);
            pos += 2;
            return QuoteRule::Applied;
        }
        // A backslash that ends the whole text is copied like any other character.
        return atEnd ? QuoteRule::NotApplied : QuoteRule::NeedsMore;
    }
    return QuoteRule::NotApplied;
}

} // namespace compactor
