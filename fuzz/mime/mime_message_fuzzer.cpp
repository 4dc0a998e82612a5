// Parses a message, composes it, parses the result again and composes once more: nothing may
// crash, hang or grow without bound. Every structured field body and body codec is visited.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mime_codecs.h"
#include "mime_date_time.h"
#include "mime_disposition_type.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"
#include "mime_message.h"

namespace {

void Visit(MimeEntity& entity, size_t depth) {
    MimeHeaders& headers = entity.Headers();
    if (headers.HasContentType()) {
        MimeMediaType& type = headers.ContentType();
        type.Boundary();
        type.Name();
    }
    if (headers.HasDate())
        headers.Date().AsUnixTime();
    if (headers.HasContentDisposition())
        headers.ContentDisposition().Filename();
    MimeString decoded;
    if (headers.HasContentTransferEncoding()) {
        int encoding = headers.ContentTransferEncoding().AsEnum();
        if (encoding == MIME_CTE_BASE64)
            DecodeBase64(entity.Body().AsString(), decoded);
        else if (encoding == MIME_CTE_QUOTED_PRINTABLE)
            DecodeQuotedPrintable(entity.Body().AsString(), decoded);
    }
    MimeBody& body = entity.Body();
    if (depth > kMimeMaxNesting + 2)
        std::abort();
    for (size_t i = 0; i < body.NumBodyParts(); ++i)
        Visit(body.BodyPartAt(i), depth + 1);
    if (body.Message() != nullptr)
        Visit(*body.Message(), depth + 1);
}

MimeString Round(const MimeString& text) {
    MimeMessage message(text, nullptr);
    message.Parse();
    Visit(message, 0);
    message.Compose();
    return message.AsString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MimeString input(reinterpret_cast<const char*>(data), size);
    MimeString first = Round(input);
    if (first.length() > 2 * size + 4096)
        std::abort();
    MimeString second = Round(first);
    if (second.length() > 2 * first.length() + 4096)
        std::abort();
    MimeString encoded;
    EncodeBase64(input, encoded);
    MimeString decoded;
    DecodeBase64(encoded, decoded);
    if (decoded != input)
        std::abort();
    EncodeQuotedPrintable(input, encoded);
    DecodeQuotedPrintable(encoded, decoded);
    return 0;
}
