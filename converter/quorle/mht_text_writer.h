// Writes the MHT text of a multipart message part by part, laid out exactly as the MIME library
// composes the message (its header block, an empty line, the empty preamble, each part after
// its delimiter line, the closing delimiter), with CR LF line breaks. Each part is composed by
// the library, written and dropped, and a resource's base64 is read straight into the text;
// with room made once for the whole document, it is held once and never regrown.
#pragma once

#include <string>

#include "multipart_message.h"

class MhtTextWriter {
public:
    // The message has its header fields, its boundary among them, and no parts yet; room is
    // made for a text of the expected length.
    MhtTextWriter(MultipartMessage& message, size_t expectedLength);

    // Adds the part to the message as MultipartMessage::AddPart does and writes it; a
    // Content-ID, when given, is one more field after the part's own.
    void WritePart(const MultipartPartInfo& info, const MimeString& contentId = MimeString());

    // The same for a part whose body is the base64 of a URL's content (one line, read into the
    // text after the part's header block); writes nothing and returns false when the URL gives
    // nothing.
    bool WritePartFromUrl(const MultipartPartInfo& info, const char* url,
                          const MimeString& contentId = MimeString());

    // The whole text, with the closing delimiter.
    std::string Finish();

private:
    void Write(std::string_view text);

    MultipartMessage& m_message;
    std::string m_delimiter;
    std::string m_text;
    bool m_cut = false; // a NUL byte ended the text
};

// Room for a part's header block beyond its Content-Location, with its delimiter line.
constexpr size_t kMhtPartOverhead = 256;
