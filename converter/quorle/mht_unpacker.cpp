#include "mht_unpacker.h"

#include <fileapi.h>
#include <handleapi.h>

#include <algorithm>

#include "base64.h"
#include "html_references.h"
#include "mime_codecs.h"
#include "string_array.h"
#include "string_helpers.h"
#include "temp_files.h"

namespace {

const char kBreak[] = "\r\n\r\n";

std::string DecodeQp(const std::string& text) {
    MimeString out;
    DecodeQuotedPrintable(MimeString(text), out);
    return out.ToStdString();
}

std::string DecodeB64(const std::string& text) {
    std::string out(Base64Decoder::MaxDecodedSize(text.size()), '\0');
    const Base64Decoder decoder;
    const size_t written = decoder.Decode(text, reinterpret_cast<unsigned char*>(&out[0]), out.size());
    out.resize(written);
    return out;
}

// Sub-pieces first to last, each followed by CR LF.
std::string JoinFrom(const StringArray& pieces, int first) {
    std::string joined;
    for (int i = first; i < pieces.Count; ++i)
        joined += pieces.At(static_cast<unsigned int>(i)) + "\r\n";
    return joined;
}

// The body of a part that is not encoded: everything after its header, without the line break
// that belongs to the next delimiter.
std::string RawBody(const std::string& piece) {
    const size_t start = piece.find(kBreak);
    if (start == std::string::npos)
        return std::string();
    std::string body = piece.substr(start + 4);
    if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
        body.resize(body.size() - 2);
    return body;
}

// The media type without its parameters, lower-cased.
std::string MediaType(const std::string& value) {
    return ToLowerAscii(TrimSpaces(value.substr(0, value.find(';'))));
}

bool IsIdentityEncoding(const std::string& encoding) {
    return encoding == "7bit" || encoding == "8bit" || encoding == "binary";
}

std::string DecodeBody(const std::string& piece, const StringArray& sub, const std::string& encoding,
                       bool stripBreaks) {
    if (encoding == "base64") {
        std::string body = sub.At(1);
        if (stripBreaks)
            body = ReplaceAll(ReplaceAll(body, "\r\n", "", 1), " ", "", 1);
        return DecodeB64(body);
    }
    if (encoding == "quoted-printable")
        return DecodeQp(JoinFrom(sub, 1));
    if (IsIdentityEncoding(encoding))
        return RawBody(piece);
    return std::string();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, NULL) && written == chunk;
        done += written;
    }
    CloseHandle(file);
    return ok;
}

std::string NormaliseReference(const std::string& text) {
    std::string normal = ReplaceAll(ReplaceAll(ReplaceAll(text, "../", "", 1), "./", "", 1), "'", "", 1);
    if (!normal.empty() && normal[0] == '/')
        normal.erase(0, 1);
    return ReplaceAll(normal, "\\", "/", 1);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The record a reference names: one whose location is the reference or ends with "/" and the
// reference comes before one that merely contains it.
ResourceRecord* MatchRecord(ResourceRecords& records, const std::string& normal) {
    if (normal.empty())
        return nullptr;
    const std::string tail = "/" + normal;
    ResourceRecord* contains = nullptr;
    for (ResourceRecord& record : records) {
        const std::string location = ReplaceAll(record.location, "\\", "/", 1);
        if (location == normal || EndsWith(location, tail))
            return &record;
        if (contains == nullptr && location.find(normal) != std::string::npos)
            contains = &record;
    }
    return contains;
}

struct Rewrite {
    size_t start;
    size_t length;
    const ResourceRecord* record;
};

std::string RewriteReferences(const std::string& html, ResourceRecords& records) {
    if (records.empty())
        return html;
    const std::string lowered = ToLowerAscii(html);
    std::vector<Rewrite> rewrites;
    for (ReferenceKind kind : {ReferenceKind::Image, ReferenceKind::StyleSheet, ReferenceKind::Script,
                               ReferenceKind::Background}) {
        for (const HtmlReference& ref : CollectReferences(html, lowered, kind)) {
            ResourceRecord* record = MatchRecord(records, NormaliseReference(ref.text));
            if (record == nullptr)
                continue;
            if (record->urlText.empty())
                record->urlText = ref.text;
            rewrites.push_back({ref.valueStart, ref.valueLength, record});
        }
    }
    std::sort(rewrites.begin(), rewrites.end(),
              [](const Rewrite& a, const Rewrite& b) { return a.start < b.start; });
    std::string result;
    result.reserve(html.size());
    size_t copied = 0;
    for (const Rewrite& rewrite : rewrites) {
        if (rewrite.start < copied)
            continue; // the same value found by two collectors
        result.append(html, copied, rewrite.start - copied);
        result += "file://" + rewrite.record->tempPath;
        copied = rewrite.start + rewrite.length;
    }
    result.append(html, copied, std::string::npos);
    return result;
}

} // namespace

void DeleteResourceFiles(ResourceRecords& records) {
    for (const ResourceRecord& record : records) {
        if (!record.tempPath.empty())
            DeleteFileA(record.tempPath.c_str());
    }
    records.clear();
}

std::string MhtHeaderValue(const std::string& header, const char* name) {
    const std::string field = std::string(name) + ": ";
    const long at = FindNoCase(header, field, 0);
    if (at < 0)
        return std::string();
    const size_t start = static_cast<size_t>(at) + field.size();
    const size_t end = header.find("\r\n", start);
    return header.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string MhtBoundary(const std::string& header) {
    const long word = FindNoCase(header, "boundary", 0);
    if (word < 0)
        return std::string();
    size_t i = static_cast<size_t>(word) + 8;
    while (i < header.size() && (header[i] == ' ' || header[i] == '\t'))
        ++i;
    if (i < header.size() && header[i] == '=') {
        ++i;
        while (i < header.size() && (header[i] == ' ' || header[i] == '\t'))
            ++i;
        if (i < header.size() && header[i] != '"') {
            const size_t end = header.find_first_of("; \t\r\n", i);
            return header.substr(i, end == std::string::npos ? std::string::npos : end - i);
        }
    }
    const size_t open = header.find('"', static_cast<size_t>(word));
    if (open == std::string::npos)
        return std::string();
    const size_t close = header.find('"', open + 1);
    if (close == std::string::npos)
        return std::string();
    return header.substr(open + 1, close - open - 1);
}

bool UnpackMht(const std::string& mhtIn, std::string& html, ResourceRecords& records) {
    std::string text = mhtIn;
    if (text.substr(0, 100).find("\r\n") == std::string::npos)
        text = ReplaceAll(text, "\n", "\r\n", 1);
    DeleteResourceFiles(records);
    if (text.empty())
        return false;

    StringArray blocks;
    blocks.Split(text, kBreak, 1);
    const std::string header = blocks.At(0);
    if (FindNoCase(header, "boundary", 0) < 0) {
        const std::string encoding =
            ToLowerAscii(TrimSpaces(MhtHeaderValue(header, "Content-Transfer-Encoding")));
        std::string decoded;
        if (encoding == "base64")
            decoded = DecodeB64(blocks.At(1));
        else if (encoding == "quoted-printable")
            decoded = DecodeQp(JoinFrom(blocks, 1));
        else
            return false;
        decoded = BeforeFirstNul(decoded);
        if (decoded.empty())
            return false;
        html = decoded;
        return true;
    }

    const std::string boundary = MhtBoundary(header);
    if (boundary.empty())
        return false;
    StringArray parts;
    parts.Split(text, "--" + boundary, 1);
    bool haveHtml = false;
    std::string page;
    for (int i = 1; i + 1 < parts.Count; ++i) {
        const std::string piece = parts.At(static_cast<unsigned int>(i));
        StringArray sub;
        sub.Split(piece, kBreak, 1);
        if (sub.Count < 2)
            continue;
        const std::string partHeader = sub.At(0);
        const std::string type = MediaType(MhtHeaderValue(partHeader, "Content-Type"));
        const std::string encoding =
            ToLowerAscii(TrimSpaces(MhtHeaderValue(partHeader, "Content-Transfer-Encoding")));
        const std::string location = MhtHeaderValue(partHeader, "Content-Location");
        if (type == "text/html") {
            std::string decoded = BeforeFirstNul(DecodeBody(piece, sub, encoding, false));
            if (decoded.empty())
                return false; // the parts after it are not read
            page = decoded;
            haveHtml = true;
            continue;
        }
        const std::string bytes = DecodeBody(piece, sub, encoding, true);
        if (bytes.empty())
            continue;
        const std::string path = MakeTempFileName(TempPathForm::Short);
        if (path.empty())
            continue;
        if (!WriteWholeFile(path, bytes)) {
            DeleteFileA(path.c_str());
            continue;
        }
        records.push_back({location, std::string(), path});
    }
    if (!haveHtml)
        return false;
    html = RewriteReferences(page, records);
    return true;
}
