#include "text_helper.h"

#include "string_helpers.h"

#include <winnls.h>

#include <cctype>

std::string TextHelper::RemoveBlanks(const std::string& text) {
    std::string out;
    for (char ch : text)
        if (ch != ' ')
            out += ch;
    return out;
}

std::string TextHelper::RemoveTags(const std::string& text) {
    std::string out;
    bool inTag = false;
    for (char ch : text) {
        if (inTag) {
            inTag = ch != '>';
        } else if (ch == '<') {
            inTag = true;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string TextHelper::DoubleByteOnly(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(text[i])))
            continue;
        // A lead byte at the very end has no character to finish.
        if (i + 1 >= text.size())
            break;
        out += text[i];
        out += text[i + 1];
        ++i;
    }
    return out;
}

std::string TextHelper::LettersOnly(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(byte)) {
            ++i;
            continue;
        }
        // Letters of the "C" locale: bytes 0x80 and above never count.
        if (byte < 0x80 && std::isalpha(byte))
            out += static_cast<char>(byte);
    }
    return ReplaceAll(out, "nbsp", "", 1);
}
