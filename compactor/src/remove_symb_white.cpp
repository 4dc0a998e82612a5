// Blanks next to operators and punctuation go.
#include "compactor/passes.h"

#include "quote_rules.h"

namespace compactor {

namespace {

// Whether the blank between c1 and c3 carries no meaning. It does carry one between two words
// ("var x") and between two operator characters that would otherwise pair up ("a + +b").
bool isBlankDroppable(char c1, char c3) {
    const bool symbol1 = kSymbols.Contains(static_cast<unsigned char>(c1));
    const bool symbol3 = kSymbols.Contains(static_cast<unsigned char>(c3));
    if (symbol1 != symbol3)
        return true;
    if (!symbol1)
        return false;
    const bool double1 = kDoubleSyms.Contains(static_cast<unsigned char>(c1));
    const bool double3 = kDoubleSyms.Contains(static_cast<unsigned char>(c3));
    const bool single1 = kSingleSyms.Contains(static_cast<unsigned char>(c1));
    const bool single3 = kSingleSyms.Contains(static_cast<unsigned char>(c3));
    return (double1 && single3) || (single1 && double3) || (single1 && single3);
}

constexpr CharSet kBlanks{" \t\r\f\v"};

} // namespace

void RemoveSymbWhitePass::Run(std::string& text, bool atEnd, std::string& out) {
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        // Only a character followed by a blank has anything to decide.
        const size_t plainEnd = m_q == kInCode ? findStopOrBeforeStop(text, pos, kQuoteRuleChars, kBlanks)
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

        const char c1 = text[pos];
        if (m_q != kInCode) {
            out.push_back(c1);
            ++pos;
            continue;
        }
        // The rule looks at c1, a blank w and c3.
        if (pos + 1 >= size || (isBlank(static_cast<unsigned char>(text[pos + 1])) && pos + 2 >= size)) {
            if (!atEnd)
                break;
            out.push_back(c1);
            ++pos;
            continue;
        }
        out.push_back(c1);
        if (isBlank(static_cast<unsigned char>(text[pos + 1])) && isBlankDroppable(c1, text[pos + 2]))
            pos += 2; // on at c3
        else
            ++pos;
    }
    text.erase(0, pos);
}

} // namespace compactor
