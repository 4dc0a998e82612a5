// Which stretches of a document's text are words, and which of them the spelling check asks a
// dictionary about.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace qx::word {

struct WordRun {
    std::size_t start = 0;  // in UTF-16 units
    std::size_t length = 0; // in UTF-16 units
    bool checked = false;   // false: holds a digit, is all capitals, or is part of an address
    bool korean = false;    // holds Hangul: the Korean dictionary answers for it
};

// The maximal runs of letters, marks and digits, an apostrophe between two letters kept inside,
// in text order. Runs with a digit, runs whose letters are all capitals and runs inside a
// blank-free stretch holding "://" or "@" are not checked.
std::vector<WordRun> FindWordRuns(std::u16string_view text);

} // namespace qx::word
