// The blank after a closing quote goes; the symbol pass cannot see it, since a quote is always
// taken by the quote rules first.
#include "compactor/passes.h"

#include "state_pass.h"

namespace compactor {

void RemoveSpaceAfterQuotePass::Run(std::string& text, bool atEnd, std::string& out) {
    RunStatePass(
        text, atEnd, m_q, out, RuleOrder::BeforeQuotes,
        [](const std::string& t, size_t pos) { return findStop(t, pos, kQuoteRuleChars); },
        [this, atEnd](const std::string& t, size_t& pos, std::string& o) {
            const char c = t[pos];
            const bool closesString =
                (c == '"' && m_q == kInDoubleQuotes) || (c == '\'' && m_q == kInSingleQuotes);
            if (!closesString)
                return RuleStep::Pass;
            if (pos + 1 >= t.size())
                return atEnd ? RuleStep::Pass : RuleStep::Wait;
            if (!isBlank(static_cast<unsigned char>(t[pos + 1])))
                return RuleStep::Pass;
            o.push_back(c);
            pos += 2;
            m_q = kInCode;
            return RuleStep::Done;
        });
}

} // namespace compactor
