// The scan-and-copy loop that the state passes share. Each pass gives only its rule: where a
// run of characters it leaves alone ends, and what it does at a character it may change. The
// driver copies the plain runs, applies the quote rules (a quote switches the state, a
// backslash takes the next character along), and keeps back whatever text a rule or the quote
// rules cannot decide before more of it arrives.
#pragma once

#include <cstddef>
#include <string>

#include "quote_rules.h"

namespace compactor {

// What a pass's rule did at pos.
enum class RuleStep {
    Done, // it wrote what it wanted and moved pos past what it took
    Pass, // the character is not for the rule: the quote rules, then a plain copy, take it
    Wait  // it needs characters that have not arrived yet
};

// Whether the rule looks at a character before the quote rules do (a closing quote) or after.
enum class RuleOrder { BeforeQuotes, AfterQuotes };

// Runs one pass over `text`, writing to `out` and leaving in `text` what is kept back for the
// next call. plainEnd(text, pos) gives the end of the run from pos that is copied unchanged;
// rule(text, pos, out) is the pass's own rule.
template <class PlainEnd, class Rule>
void RunStatePass(std::string& text, bool atEnd, int& q, std::string& out, RuleOrder order, PlainEnd plainEnd,
                  Rule rule) {
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        const size_t end = plainEnd(text, pos);
        if (end > pos) {
            out.append(text, pos, end - pos);
            pos = end;
            continue;
        }
        RuleStep step = order == RuleOrder::BeforeQuotes ? rule(text, pos, out) : RuleStep::Pass;
        if (step == RuleStep::Pass) {
            const QuoteRule quote = applyQuoteRules(text, pos, atEnd, q, out);
            if (quote == QuoteRule::NeedsMore)
                step = RuleStep::Wait;
            else if (quote == QuoteRule::Applied)
                step = RuleStep::Done;
            else if (order == RuleOrder::AfterQuotes)
                step = rule(text, pos, out);
        }
        if (step == RuleStep::Wait)
            break;
        if (step == RuleStep::Done)
            continue;
        out.push_back(text[pos]);
        ++pos;
    }
    text.erase(0, pos);
}

} // namespace compactor
