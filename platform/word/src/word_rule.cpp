// The word rule over UTF-16 text, with ICU's character properties.
#include "word_rule.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

namespace qx::word {
namespace {

struct CodePoint {
    UChar32 value;
    std::size_t start;
    std::size_t end;
};

CodePoint At(std::u16string_view text, std::size_t offset) {
    std::size_t end = offset;
    UChar32 c = 0;
    U16_NEXT(text.data(), end, text.size(), c);
    return {c, offset, end};
}

bool IsLetter(UChar32 c) {
    const auto mask = U_GET_GC_MASK(c);
    return (mask & U_GC_L_MASK) != 0;
}

bool IsWordPart(UChar32 c) {
    const auto mask = U_GET_GC_MASK(c);
    return (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_ND_MASK)) != 0;
}

bool IsApostrophe(UChar32 c) {
    return c == u'\'' || c == 0x2019;
}

bool IsBlank(UChar32 c) {
    return u_isUWhiteSpace(c) || c == 0;
}

// Whether the blank-free stretch around [start, end) holds "://" or "@".
bool InAddress(std::u16string_view text, std::size_t start, std::size_t end) {
    std::size_t from = start;
    while (from > 0 && !IsBlank(text[from - 1]))
        --from;
    std::size_t to = end;
    while (to < text.size() && !IsBlank(text[to]))
        ++to;
    const std::u16string_view stretch = text.substr(from, to - from);
    return stretch.find(u"://") != std::u16string_view::npos ||
           stretch.find(u'@') != std::u16string_view::npos;
}

} // namespace

std::vector<WordRun> FindWordRuns(std::u16string_view text) {
    std::vector<WordRun> runs;
    std::size_t offset = 0;
    while (offset < text.size()) {
        CodePoint point = At(text, offset);
        if (!IsWordPart(point.value)) {
            offset = point.end;
            continue;
        }
        WordRun run;
        run.start = offset;
        bool digit = false, upper = false, lower = false;
        UChar32 last = 0;
        while (offset < text.size()) {
            point = At(text, offset);
            if (IsApostrophe(point.value) && IsLetter(last) && point.end < text.size() &&
                IsLetter(At(text, point.end).value)) {
                offset = point.end;
                last = point.value;
                continue;
            }
            if (!IsWordPart(point.value))
                break;
            digit |= u_isdigit(point.value) != 0;
            upper |= u_isupper(point.value) != 0;
            lower |= u_islower(point.value) != 0;
            UErrorCode status = U_ZERO_ERROR;
            run.korean |= uscript_getScript(point.value, &status) == USCRIPT_HANGUL;
            last = point.value;
            offset = point.end;
        }
        run.length = offset - run.start;
        run.checked = !digit && !(upper && !lower) && !InAddress(text, run.start, offset);
        runs.push_back(run);
    }
    return runs;
}

} // namespace qx::word
