// Line feeds after operators and braces go.
#include "compactor/passes.h"

#include "state_pass.h"

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
    RunStatePass(
        text, atEnd, m_q, out, RuleOrder::AfterQuotes,
        [this](const std::string& t, size_t pos) {
            // Only a character followed by a line feed has anything to decide.
            return m_q == kInCode ? findStopOrBeforeStop(t, pos, kQuoteRuleChars, kLineFeed)
                                  : findStop(t, pos, kQuoteRuleChars);
        },
        [this, atEnd](const std::string& t, size_t& pos, std::string& o) {
            const size_t size = t.size();
            const char c = t[pos];
            if (m_q != kInCode || !kNewLineSyms.Contains(static_cast<unsigned char>(c)))
                return RuleStep::Pass;
            const bool lookAhead = dependsOnNextCharacter(c);
            if (!atEnd && (pos + 1 >= size || (lookAhead && t[pos + 1] == '\n' && pos + 2 >= size)))
                return RuleStep::Wait;
            o.push_back(c);
            if (pos + 1 < size && t[pos + 1] == '\n') {
                const int next = pos + 2 < size ? static_cast<unsigned char>(t[pos + 2]) : -1;
                pos += mustKeepLineFeed(c, next) ? 1 : 2;
            } else {
                ++pos;
            }
            return RuleStep::Done;
        });
}

} // namespace compactor
