// Uuencode: a file's bytes, name and permission mode to and from the "begin ...
// end" text form.
#pragma once

#include "mime_string.h"
#include "wintypes.h"

class UuencodeCodec {
public:
    UuencodeCodec();

    // Names longer than 255 bytes are cut.
    void SetFileName(const char* name);
    const char* FileName() const { return m_fileName; }
    void SetFileMode(WORD mode) { m_fileMode = mode; }
    WORD FileMode() const { return m_fileMode; }

    void SetBinaryChars(const MimeString& bytes) { m_binaryChars = bytes; }
    const MimeString& BinaryChars() const { return m_binaryChars; }
    void SetAsciiChars(const MimeString& text) { m_asciiChars = text; }
    const MimeString& AsciiChars() const { return m_asciiChars; }

    // Binary bytes to text form.
    void Encode();
    // Text form to binary bytes, file name and mode: 0, or -1 when "begin" or the
    // closing "end" is missing (the bytes decoded so far are kept).
    int Decode();

private:
    char m_fileName[256 + 1];
    WORD m_fileMode;
    MimeString m_binaryChars;
    MimeString m_asciiChars;
};
