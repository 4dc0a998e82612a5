// hunspell's own command (`hunspell -a`) as the oracle of the spelling tests: what it says about
// each word with the system's dictionaries.
#pragma once

#include "qx/com/bstr.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qxtest {

// A misspelt word and the suggestions for it, in the dictionary's order.
struct Misspelling {
    std::u16string word;
    std::vector<std::u16string> suggestions;
    bool operator==(const Misspelling&) const = default;
};

// One answer per word: the misspelling with its suggestions, or nullopt for a word the
// dictionary ("en_US", "ko") accepts.
inline std::vector<std::optional<Misspelling>> HunspellSays(const std::vector<std::u16string>& words,
                                                            const char* dictionary) {
    // One file per process and call: tests of several programs ask at once.
    static int calls = 0;
    const std::string input = std::string(::testing::TempDir()) + "/qx-hunspell-oracle-" +
                              std::to_string(getpid()) + "-" + std::to_string(++calls) + ".txt";
    {
        std::ofstream file(input);
        for (const auto& word : words)
            file << '^' << qx::com::Utf16ToUtf8(word) << '\n';
    }
    const std::string command =
        std::string("hunspell -a -d /usr/share/hunspell/") + dictionary + " < " + input + " 2>/dev/null";
    std::vector<std::optional<Misspelling>> out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "hunspell does not run";
        return out;
    }
    char line[8192];
    while (fgets(line, sizeof line, pipe)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (text.empty() || text.starts_with("@(#)"))
            continue;
        if (text[0] != '&' && text[0] != '#') {
            out.emplace_back();
            continue;
        }
        std::istringstream fields(text.substr(2));
        std::string word;
        fields >> word;
        Misspelling miss{qx::com::Utf8ToUtf16(word), {}};
        if (text[0] == '&') {
            const std::string list = text.substr(text.find(": ") + 2);
            for (std::size_t from = 0;;) {
                const std::size_t comma = list.find(", ", from);
                miss.suggestions.push_back(qx::com::Utf8ToUtf16(list.substr(from, comma - from)));
                if (comma == std::string::npos)
                    break;
                from = comma + 2;
            }
        }
        out.push_back(std::move(miss));
    }
    pclose(pipe);
    std::remove(input.c_str());
    return out;
}

inline bool HoldsHangul(std::u16string_view word) {
    for (char16_t c : word)
        if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F))
            return true;
    return false;
}

// The misspellings among the words, in their order, each asked of the dictionary for its script.
inline std::vector<Misspelling> HunspellMisspellings(const std::vector<std::u16string>& words) {
    std::vector<std::u16string> english, korean;
    for (const auto& word : words)
        (HoldsHangul(word) ? korean : english).push_back(word);
    const auto englishSaid = HunspellSays(english, "en_US");
    const auto koreanSaid = HunspellSays(korean, "ko");
    std::vector<Misspelling> out;
    if (englishSaid.size() != english.size() || koreanSaid.size() != korean.size()) {
        ADD_FAILURE() << "hunspell answered another number of words";
        return out;
    }
    std::size_t nextEnglish = 0, nextKorean = 0;
    for (const auto& word : words) {
        const auto& said = HoldsHangul(word) ? koreanSaid[nextKorean++] : englishSaid[nextEnglish++];
        if (said)
            out.push_back(*said);
    }
    return out;
}

// Whether what the word processor gave for a word agrees with what hunspell said. hunspell stops
// its suggestion search at a time limit (in processor time), and the Korean dictionary's search
// is long enough to be cut in a slow (sanitized, loaded) process: there every suggestion given
// must be one of hunspell's, and there must be one when hunspell has one. Otherwise the lists are
// the same in the same order.
inline bool AgreesWithHunspell(const Misspelling& given, const Misspelling& said) {
    if (given.word != said.word)
        return false;
    if (!HoldsHangul(given.word))
        return given.suggestions == said.suggestions;
    if (given.suggestions.empty() != said.suggestions.empty())
        return false;
    for (const auto& suggestion : given.suggestions)
        if (std::find(said.suggestions.begin(), said.suggestions.end(), suggestion) == said.suggestions.end())
            return false;
    return true;
}

inline ::testing::AssertionResult AgreeWithHunspell(const std::vector<Misspelling>& given,
                                                    const std::vector<Misspelling>& said) {
    auto show = [](const std::vector<Misspelling>& list) {
        std::string out;
        for (const auto& miss : list) {
            out += qx::com::Utf16ToUtf8(miss.word) + ":";
            for (const auto& suggestion : miss.suggestions)
                out += " " + qx::com::Utf16ToUtf8(suggestion);
            out += "\n";
        }
        return out;
    };
    bool same = given.size() == said.size();
    for (std::size_t i = 0; same && i < given.size(); ++i)
        same = AgreesWithHunspell(given[i], said[i]);
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "given:\n" << show(given) << "hunspell:\n" << show(said);
}

} // namespace qxtest
