// The compactor: the seven passes chained over a text that arrives piece by piece.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "compactor/passes.h"

namespace compactor {

// Feeds the text through removeComments, removeDoubleWhites, removeSymbWhite, removeSpaceAfterQuote,
// removeNewLines, removeIntro and removeTrailing in turn. Output is produced as input arrives; the
// passes hold only a few characters between pieces, apart from a run of white space that may still
// turn out to end the text.
class Compactor {
public:
    // Appends to `out` the compacted text that `piece` settles.
    void Put(std::string_view piece, std::string& out);
    // The text is complete: appends the rest of the compacted text.
    void Finish(std::string& out);
    // Characters held between pieces, for watching memory use.
    size_t HeldCharacters() const;

private:
    void Flow(bool atEnd, std::string& out);

    RemoveCommentsPass m_removeComments;
    RemoveDoubleWhitesPass m_removeDoubleWhites;
    RemoveSymbWhitePass m_removeSymbWhite;
    RemoveSpaceAfterQuotePass m_removeSpaceAfterQuote;
    RemoveNewLinesPass m_removeNewLines;
    RemoveIntroPass m_removeIntro;
    RemoveTrailingPass m_removeTrailing;

    // The text waiting in front of each pass.
    std::string m_beforeComments;
    std::string m_beforeDoubleWhites;
    std::string m_beforeSymbWhite;
    std::string m_beforeSpaceAfterQuote;
    std::string m_beforeNewLines;
    std::string m_beforeIntro;
    std::string m_beforeTrailing;
};

// The whole pipeline over a complete text.
std::string compact(std::string_view s);

} // namespace compactor
