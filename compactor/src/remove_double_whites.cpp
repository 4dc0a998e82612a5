// White-space runs in code collapse to one character.
#include "compactor/passes.h"

#include "quote_rules.h"

namespace compactor {

namespace {

// What may start a run of white space or change the quote state in code.
constexpr CharSet kCodeStops{"\"'\\ \t\n\r\f\v"};

} // namespace

void RemoveDoubleWhitesPass::Run(std::string& text, bool atEnd, std::string& out) {
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        const char c = text[pos];
        if (m_pendingSpace < 0) {
            const size_t plainEnd = findStop(text, pos, m_q == kInCode ? kCodeStops : kQuoteRuleChars);
            if (plainEnd > pos) {
                out.append(text, pos, plainEnd - pos);
                pos = plainEnd;
                continue;
            }
        }
        if (m_q == kInCode && isSpace(c)) {
            m_pendingSpace = m_pendingSpace < 0 ? c : comb(static_cast<char>(m_pendingSpace), c);
            ++pos;
            continue;
        }
        // The run ends at the first character that is not white space.
        if (m_pendingSpace >= 0) {
            out.push_back(static_cast<char>(m_pendingSpace));
            m_pendingSpace = -1;
        }

        const QuoteRule rule = applyQuoteRules(text, pos, atEnd, m_q, out);
        if (rule == QuoteRule::NeedsMore)
            break;
        if (rule == QuoteRule::Applied)
            continue;
        out.push_back(c);
        ++pos;
    }
    if (atEnd && m_pendingSpace >= 0) {
        out.push_back(static_cast<char>(m_pendingSpace));
        m_pendingSpace = -1;
    }
    text.erase(0, pos);
}

} // namespace compactor
