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
