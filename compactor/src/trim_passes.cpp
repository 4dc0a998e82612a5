// The two last passes cut the white space at both ends of the text.
#include "compactor/passes.h"

namespace compactor {

void RemoveIntroPass::Run(std::string& text, bool /*atEnd*/, std::string& out) {
    size_t pos = 0;
    if (!m_started) {
        while (pos < text.size() && isSpace(static_cast<unsigned char>(text[pos])))
            ++pos;
        m_started = pos < text.size();
    }
    out.append(text, pos, std::string::npos);
    text.clear();
}

void RemoveTrailingPass::Run(std::string& text, bool atEnd, std::string& out) {
    size_t lastKept = text.size();
    while (lastKept > 0 && isSpace(static_cast<unsigned char>(text[lastKept - 1])))
        --lastKept;
    if (lastKept > 0) {
        // Something follows the held white space, so it was not the end after all.
        out += m_pendingSpaces;
        m_pendingSpaces.clear();
        out.append(text, 0, lastKept);
    }
    if (atEnd)
        m_pendingSpaces.clear();
    else
        m_pendingSpaces.append(text, lastKept, std::string::npos);
    text.clear();
}

} // namespace compactor
