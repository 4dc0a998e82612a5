// The spelling dialog's replacement: every whole occurrence of a word, case-sensitive, left to
// right, in plain text or in the text content of an HTML fragment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One stretch of an HTML fragment: text content, a character reference, or markup (a tag, a
// comment, the inside of SCRIPT or STYLE).
struct HtmlSegment {
    enum Kind { Text, Reference, Markup };
    Kind kind;
    std::u16string_view content;
};

// The fragment cut into segments in order; joined again they give the fragment.
std::vector<HtmlSegment> SplitHtmlSegments(std::u16string_view html);

// Replaces each occurrence of `word` that stands as a whole word (letters, marks and digits
// around it end there, an apostrophe between two letters belongs to the word). An empty word
// changes nothing; an empty replacement removes the word.
std::u16string ReplaceWholeWords(std::u16string_view text, std::u16string_view word,
                                 std::u16string_view replacement);

// The same inside the fragment's text segments only; the replacement enters with &, < and >
// escaped, so the fragment's markup stays byte for byte what it was.
std::u16string ReplaceWholeWordsInHtml(std::u16string_view html, std::u16string_view word,
                                       std::u16string_view replacement);
