// Escaping of URL text: blanks and the bytes of double-byte characters become %XX, and back.
#pragma once

#include <string>

class UrlText {
public:
    virtual ~UrlText() = default;

    // A blank becomes "%20" and each byte of a double-byte character "%" and two lower-case
    // hexadecimal digits; every other byte stays.
    static std::string Escape(const std::string& text);
    // "%" and two hexadecimal digits (either case) become that byte; a "%" without two digits
    // after it stays as it is.
    static std::string Unescape(const std::string& text);
};
