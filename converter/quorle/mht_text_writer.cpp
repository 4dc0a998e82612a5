#include "mht_text_writer.h"

#include "downloads.h"
#include "mime_field.h"
#include "mime_media_type.h"
#include "string_helpers.h"

MhtTextWriter::MhtTextWriter(MultipartMessage& message, size_t expectedLength) : m_message(message) {
    m_text.reserve(expectedLength);
    MimeHeaders& headers = message.Message()->Headers();
    m_delimiter = "\n--" + headers.ContentType().Boundary().ToStdString();
    headers.Compose();
    Write(headers.AsString().view());
    Write("\n"); // the empty line, then the empty preamble
}

void MhtTextWriter::WritePart(const MultipartPartInfo& info, const MimeString& contentId) {
    m_message.AddPart(info);
    MimeBody& body = m_message.Message()->Body();
    const size_t index = body.NumBodyParts() - 1;
    MimeBodyPart& part = body.BodyPartAt(index);
    if (!contentId.empty())
        part.Headers().FieldBody(MimeString("Content-ID")).FromString(contentId);
    part.Compose();
    Write(m_delimiter);
    Write("\n");
    Write(part.AsString().view());
    body.RemoveBodyPartAt(index);
}

bool MhtTextWriter::WritePartFromUrl(const MultipartPartInfo& info, const char* url,
                                     const MimeString& contentId) {
    if (m_cut)
        return false;
    const size_t start = m_text.size();
    WritePart(info, contentId);
    // The base64 text holds no line break and no NUL byte: it is written as it is read.
    if (!m_cut && DownloadUrlToBase64(url, m_text))
        return true;
    m_text.resize(start);
    m_cut = false;
    return false;
}

std::string MhtTextWriter::Finish() {
    Write(m_delimiter);
    Write("--\n");
    return std::move(m_text);
}

void MhtTextWriter::Write(std::string_view text) {
    if (!m_cut)
        m_cut = !AppendLfToCrLf(m_text, text);
}
