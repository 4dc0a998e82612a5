#include "compactor/script_files.h"

namespace compactor {

InputFile::~InputFile() {
    Close();
}

bool InputFile::Open(const char* name) {
    Close();
    m_failed = false;
    m_file = std::fopen(name, "r");
    if (m_file == nullptr)
        return false;
    if (!Fill()) {
        Close();
        return false;
    }
    return true;
}

bool InputFile::Fill() {
    m_next.resize(kPieceSize);
    const size_t got = std::fread(m_next.data(), 1, m_next.size(), m_file);
    m_next.resize(got);
    if (got < kPieceSize && std::ferror(m_file) != 0)
        m_failed = true;
    return !m_failed;
}

bool InputFile::ReadPiece(std::string& piece) {
    if (m_file == nullptr || m_failed || m_next.empty())
        return false;
    piece.swap(m_next);
    if (piece.size() == kPieceSize)
        Fill();
    else
        m_next.clear(); // a short read was the end of the file
    // A failed read after this piece shows on the next call.
    return true;
}

void InputFile::Close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

OutputFile::~OutputFile() {
    if (m_file != nullptr)
        std::fclose(m_file);
}

bool OutputFile::Create(const char* name) {
    m_file = std::fopen(name, "w");
    m_failed = false;
    m_buffer.clear();
    m_buffer.reserve(kPieceSize);
    return m_file != nullptr;
}

bool OutputFile::Write(std::string_view text) {
    if (m_file == nullptr || m_failed)
        return false;
    m_buffer.append(text);
    if (m_buffer.size() >= kPieceSize)
        return Flush();
    return true;
}

bool OutputFile::Flush() {
    if (!m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
    return !m_failed;
}

bool OutputFile::Close() {
    if (m_file == nullptr)
        return false;
    Flush();
    if (std::fflush(m_file) != 0 || std::ferror(m_file) != 0)
        m_failed = true;
    if (std::fclose(m_file) != 0)
        m_failed = true;
    m_file = nullptr;
    return !m_failed;
}

} // namespace compactor
