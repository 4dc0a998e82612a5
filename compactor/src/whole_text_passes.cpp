// Each pass on its own over a complete text.
#include "compactor/passes.h"

namespace compactor {

namespace {

template <class Pass>
std::string runOnWholeText(std::string_view s) {
    std::string text(s);
    std::string out;
    out.reserve(text.size());
    Pass pass;
    pass.Run(text, true, out);
    return out;
}

} // namespace

std::string removeComments(std::string_view s) {
    return runOnWholeText<RemoveCommentsPass>(s);
}

std::string removeDoubleWhites(std::string_view s) {
    return runOnWholeText<RemoveDoubleWhitesPass>(s);
}

std::string removeSymbWhite(std::string_view s) {
    return runOnWholeText<RemoveSymbWhitePass>(s);
}

std::string removeSpaceAfterQuote(std::string_view s) {
    return runOnWholeText<RemoveSpaceAfterQuotePass>(s);
}

std::string removeNewLines(std::string_view s) {
    return runOnWholeText<RemoveNewLinesPass>(s);
}

std::string removeIntro(std::string_view s) {
    return runOnWholeText<RemoveIntroPass>(s);
}

std::string removeTrailing(std::string_view s) {
    return runOnWholeText<RemoveTrailingPass>(s);
}

} // namespace compactor
