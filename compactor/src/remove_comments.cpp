// Comment removal: the first pass, so that no later pass ever sees a comment.
#include "compactor/passes.h"

#include "quote_rules.h"

namespace compactor {

namespace {

// What may start a comment or change the quote state in code.
constexpr CharSet kCodeStops{"\"'\\/"};

} // namespace

void RemoveCommentsPass::Run(std::string& text, bool atEnd, std::string& out) {
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        if (m_mode == Mode::BlockComment) {
            const size_t close = text.find("*/", pos);
            if (close != std::string::npos) {
                pos = close + 2;
                m_mode = Mode::Code;
                continue;
            }
            // Without a closing "*/" the rest of the text is dropped; a final "*" may still
            // become one when more text arrives.
            pos = (!atEnd && text[size - 1] == '*') ? size - 1 : size;
            break;
        }
        if (m_mode == Mode::LineComment) {
            const size_t lineEnd = text.find('\n', pos);
            if (lineEnd == std::string::npos) {
                pos = size;
                break;
            }
            pos = lineEnd; // the line feed itself stays
            m_mode = Mode::Code;
            continue;
        }

        const size_t plainEnd = findStop(text, pos, m_q == kInCode ? kCodeStops : kQuoteRuleChars);
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
        if (m_q != kInCode || c != '/') {
            out.push_back(c);
            ++pos;
            continue;
        }
        if (pos + 1 >= size) {
            if (!atEnd)
                break;
            out.push_back(c);
            ++pos;
            continue;
        }
        const char next = text[pos + 1];
        if (next == '*') {
            m_mode = Mode::BlockComment;
            pos += 2;
        } else if (next == '/') {
            m_mode = Mode::LineComment;
            pos += 2;
        } else {
            out.push_back(c);
            ++pos;
        }
    }
    text.erase(0, pos);
}

} // namespace compactor
