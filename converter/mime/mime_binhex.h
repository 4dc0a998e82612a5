// BinHex 4.0: a Macintosh file (name, type, creator, finder flags, data and
// resource forks) to and from its 6-bit text form with run-length coding and
// CRC-16 checks.
#pragma once

#include "mime_string.h"
#include "wintypes.h"

class BinHexCodec {
public:
    BinHexCodec();

    void Initialize();

    // Names are 1 to 63 bytes in the stream; a longer name is cut to 63 so that
    // its own encoding can be decoded again.
    const char* FileName() const { return m_fileName; }
    void SetFileName(const char* name);
    const BYTE* FileType() const { return m_fileType; }
    void SetFileType(const BYTE type[4]);
    const BYTE* FileCreator() const { return m_fileCreator; }
    void SetFileCreator(const BYTE creator[4]);
    BYTE Flag1() const { return m_flag1; }
    void SetFlag1(BYTE flag) { m_flag1 = flag; }
    BYTE Flag2() const { return m_flag2; }
    void SetFlag2(BYTE flag) { m_flag2 = flag; }
    const MimeString& DataFork() const { return m_dataFork; }
    void SetDataFork(const MimeString& fork) { m_dataFork = fork; }
    const MimeString& ResourceFork() const { return m_resourceFork; }
    void SetResourceFork(const MimeString& fork) { m_resourceFork = fork; }
    const MimeString& BinHexChars() const { return m_binHexChars; }
    void SetBinHexChars(const MimeString& text) { m_binHexChars = text; }

    // Fields to text.
    void Encode();
    // Text to fields: 0 on success, -1 on failure (the fields then hold what was
    // read so far).
    int Decode();

private:
    char m_fileName[64 + 1];
    BYTE m_fileType[4];
    BYTE m_fileCreator[4];
    BYTE m_flag1;
    BYTE m_flag2;
    MimeString m_dataFork;
    MimeString m_resourceFork;
    MimeString m_binHexChars;
};
