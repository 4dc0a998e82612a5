// The blank after a closing quote goes; the symbol pass cannot see it, since a quote is always
// taken by the quote rules first.
#include "compactor/passes.h"

#include "quote_rules.h"

namespace compactor {

void RemoveSpaceAfterQuotePass::Run(std::string& text, bool atEnd, std::string& out) {
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        const size_t plainEnd = findStop(text, pos, kQuoteRuleChars);
        if (plainEnd > pos) {
            out.append(text, pos, plainEnd - pos);
            pos = plainEnd;
            continue;
        }

        const char c = text[pos];
        const bool closesString =
            (c == '"' && m_q == kInDoubleQuotes) || (c == '\'' && m_q == kInSingleQuotes);
        if (closesString) {
            if (pos + 1 >= size && !atEnd)
                break;
            if (pos + 1 < size && isBlank(static_cast<unsigned char>(text[pos + 1]))) {
                out.push_back(c);
                pos += 2;
                m_q = kInCode;
                continue;
            }
        }

        const QuoteRule rule = applyQuoteRules(text, pos, atEnd, m_q, out);
        if (rule == QuoteRule::NeedsMore)
            break;
        if (rule == QuoteRule::Applied)
            continue;
        out.push_back(c);
        ++pos;
    }
    text.erase(0, pos);
}

} // namespace compactor
