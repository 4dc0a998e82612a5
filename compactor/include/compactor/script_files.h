// The script file read and the compacted file written, through the C runtime in text mode.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace compactor {

// Size of the pieces the input is read in and of the output buffer.
inline constexpr size_t kPieceSize = 64 * 1024;

class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Opens the file and reads its first piece, so that a name that opens but cannot be read
    // (a folder) fails here, before anything else is done.
    bool Open(const char* name);
    // Replaces `piece` with the next piece of the file; false at the end or on a read error.
    bool ReadPiece(std::string& piece);
    // A read failed after the file was opened.
    bool Failed() const { return m_failed; }
    void Close();

private:
    bool Fill();

    std::FILE* m_file = nullptr;
    std::string m_next; // the piece read ahead
    bool m_failed = false;
};

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates the file, or empties it when it exists.
    bool Create(const char* name);
    // Buffers the text and writes full buffers; false once any write has failed.
    bool Write(std::string_view text);
    // Writes what is buffered and closes the file; false when any write or the close failed
    // (a full disk often shows only here).
    bool Close();

private:
    bool Flush();

    std::FILE* m_file = nullptr;
    std::string m_buffer;
    bool m_failed = false;
};

} // namespace compactor
