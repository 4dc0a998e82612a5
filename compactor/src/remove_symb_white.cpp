// Blanks next to operators and punctuation go.
#include "compactor/passes.h"

#include "state_pass.h"

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
    RunStatePass(
        text, atEnd, m_q, out, RuleOrder::AfterQuotes,
        [this](const std::string& t, size_t pos) {
            // Only a character followed by a blank has anything to decide.
            return m_q == kInCode ? findStopOrBeforeStop(t, pos, kQuoteRuleChars, kBlanks)
                                  : findStop(t, pos, kQuoteRuleChars);
        },
        [this, atEnd](const std::string& t, size_t& pos, std::string& o) {
            const size_t size = t.size();
            if (m_q != kInCode)
                return RuleStep::Pass;
            // The rule looks at c1, a blank w and c3.
            if (pos + 1 >= size || (isBlank(static_cast<unsigned char>(t[pos + 1])) && pos + 2 >= size))
                return atEnd ? RuleStep::Pass : RuleStep::Wait;
            o.push_back(t[pos]);
            if (isBlank(static_cast<unsigned char>(t[pos + 1])) && isBlankDroppable(t[pos], t[pos + 2]))
                pos += 2; // on at c3
            else
                ++pos;
            return RuleStep::Done;
        });
}

} // namespace compactor
