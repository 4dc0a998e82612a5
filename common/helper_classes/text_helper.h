// Small text filters over ANSI (code page 949) text.
#pragma once

#include <string>

class TextHelper {
public:
    virtual ~TextHelper() = default;

    // A copy without any blank.
    static std::string RemoveBlanks(const std::string& text);
    // A copy without the text from each "<" to the following ">"; an unclosed "<" drops the rest.
    static std::string RemoveTags(const std::string& text);
    // Only the double-byte characters (lead byte and the byte after it).
    static std::string DoubleByteOnly(const std::string& text);
    // Only the single-byte letters, double-byte characters skipped, and then every "nbsp" removed.
    static std::string LettersOnly(const std::string& text);
};
