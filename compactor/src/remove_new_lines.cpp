// Line feeds after operators and braces go.
#include "compactor/passes.h"

#include "quote_rules.h"

namespace compactor {

namespace {

// Whether c, the line feed and next must stay apart: without the line feed "+" and "+" or "-" and
// "-" would read as one operator, and "/" with "/" or "*" would open a comment.
bool mustKeepLineFeed(char c, int next) {
    switch (c) {
    case '+':
        return next == '+';
    case '-':
        return next == '-';
    case '/':
        return next == '/' || next == '*';
    default:
        return false;
    }
}

bool dependsOnNextCharacter(char c) {
    return c == '+' || c == '-' || c == '/';
}

constexpr CharSet kLineFeed{"\n"};

} // namespace

void RemoveNewLinesPass::Run(std::string& text, bool atEnd, std::string& out) {
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        // Only a character followed by a line feed has anything to decide.
        const size_t plainEnd = m_q == kInCode ? findStopOrBeforeStop(text, pos, kQuoteRuleChars, kLineFeed)
                                               : findStop(text, pos, kQuoteRuleChars);
        if (plainEnd > pos) {
            out.append(text, pos, plainEnd - pos);
            pos = plainEnd;
            continue;
        }

        const QuoteRule rule = applyQuoteRules(text, pos, atEnd, m_q, out);
        if (rule == QuoteRule::NeedsMore)
            break;
        if (rule == QuoteRule::Applied)
            continue;

        const char c = text[pos];
        if (m_q != kInCode || !kNewLineSyms.Contains(static_cast<unsigned char>(c))) {
            out.push_back(c);
            ++pos;
            continue;
        }
        const bool lookAhead = dependsOnNextCharacter(c);
        if (!atEnd && (pos + 1 >= size || (lookAhead && text[pos + 1] == '\n' && pos + 2 >= size)))
            break;
        out.push_back(c);
        if (pos + 1 < size && text[pos + 1] == '\n') {
            const int next = pos + 2 < size ? static_cast<unsigned char>(text[pos + 2]) : -1;
            pos += mustKeepLineFeed(c, next) ? 1 : 2;
        } else {
            ++pos;
        }
    }
    text.erase(0, pos);
}

} // namespace compactor
