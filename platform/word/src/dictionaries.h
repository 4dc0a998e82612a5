// The English and Korean hunspell dictionaries, loaded once per process.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx::word {

class Dictionaries {
public:
    // The process's dictionaries, loaded on first use from QX_HUNSPELL_DIR (else
    // /usr/share/hunspell): en_US and ko. Null when neither loads.
    static Dictionaries* Get();

    virtual ~Dictionaries() = default;
    // Whether the dictionary for the word accepts it; a word whose dictionary did not load is
    // accepted.
    virtual bool Accepts(std::u16string_view word, bool korean) = 0;
    // The dictionary's suggestions for the word, in its order.
    virtual std::vector<std::u16string> Suggest(std::u16string_view word, bool korean) = 0;
};

} // namespace qx::word
