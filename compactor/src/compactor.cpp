// The pass chain.
#include "compactor/compactor.h"

namespace compactor {

void Compactor::Put(std::string_view piece, std::string& out) {
    m_beforeComments.append(piece);
    Flow(false, out);
}

void Compactor::Finish(std::string& out) {
    Flow(true, out);
}

void Compactor::Flow(bool atEnd, std::string& out) {
    m_removeComments.Run(m_beforeComments, atEnd, m_beforeDoubleWhites);
    m_removeDoubleWhites.Run(m_beforeDoubleWhites, atEnd, m_beforeSymbWhite);
    m_removeSymbWhite.Run(m_beforeSymbWhite, atEnd, m_beforeSpaceAfterQuote);
    m_removeSpaceAfterQuote.Run(m_beforeSpaceAfterQuote, atEnd, m_beforeNewLines);
    m_removeNewLines.Run(m_beforeNewLines, atEnd, m_beforeIntro);
    m_removeIntro.Run(m_beforeIntro, atEnd, m_beforeTrailing);
    m_removeTrailing.Run(m_beforeTrailing, atEnd, out);
}

size_t Compactor::HeldCharacters() const {
    return m_beforeComments.size() + m_beforeDoubleWhites.size() + m_beforeSymbWhite.size() +
           m_beforeSpaceAfterQuote.size() + m_beforeNewLines.size() + m_beforeIntro.size() +
           m_beforeTrailing.size() + m_removeTrailing.HeldCharacters();
}

std::string compact(std::string_view s) {
    Compactor compactor;
    std::string out;
    out.reserve(s.size());
    compactor.Put(s, out);
    compactor.Finish(out);
    return out;
}

} // namespace compactor
