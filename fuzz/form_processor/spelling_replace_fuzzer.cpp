// The spelling dialog's replacer on arbitrary input: UTF-16 units, the HTML, the word and the
// suggestion separated by the first two NUL units. The markup (tags, comments, SCRIPT and STYLE)
// must come out byte for byte, the character references of the input in their order, and an
// absent word must change nothing.
#include "spelling_replace.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::u16string_view> Parts(std::u16string_view html, HtmlSegment::Kind kind) {
    std::vector<std::u16string_view> parts;
    for (const HtmlSegment& segment : SplitHtmlSegments(html))
        if (segment.kind == kind)
            parts.push_back(segment.content);
    return parts;
}

bool IsSubsequence(const std::vector<std::u16string_view>& small,
                   const std::vector<std::u16string_view>& big) {
    std::size_t at = 0;
    for (std::u16string_view part : big)
        if (at < small.size() && small[at] == part)
            ++at;
    return at == small.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string units(size / 2, u'\0');
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * 2);
    const std::size_t first = units.find(u'\0');
    if (first == std::u16string::npos)
        return 0;
    const std::size_t second = units.find(u'\0', first + 1);
    if (second == std::u16string::npos)
        return 0;
    const std::u16string_view all(units);
    const std::u16string_view html = all.substr(0, first);
    const std::u16string_view word = all.substr(first + 1, second - first - 1);
    const std::u16string_view suggestion = all.substr(second + 1);

    const std::u16string out = ReplaceWholeWordsInHtml(html, word, suggestion);
    if (Parts(out, HtmlSegment::Markup) != Parts(html, HtmlSegment::Markup))
        std::abort();
    if (!IsSubsequence(Parts(html, HtmlSegment::Reference), Parts(out, HtmlSegment::Reference)))
        std::abort();
    if ((word.empty() || html.find(word) == std::u16string_view::npos) && out != html)
        std::abort();
    std::u16string joined;
    for (const HtmlSegment& segment : SplitHtmlSegments(html))
        joined += segment.content;
    if (joined != html)
        std::abort();

    const std::u16string plain = ReplaceWholeWords(html, word, suggestion);
    if (word.empty() && plain != html)
        std::abort();
    return 0;
}
