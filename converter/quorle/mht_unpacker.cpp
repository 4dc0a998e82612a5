#include "mht_unpacker.h"

#include <fileapi.h>
#include <handleapi.h>
#include <winnls.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "base64.h"
#include "html_references.h"
#include "mht_document.h"
#include "mime_codecs.h"
#include "page_charset.h"
#include "page_text.h"
#include "string_helpers.h"
#include "temp_files.h"
#include "url_text.h"

namespace {

// The fixed From of the packer's own documents, whose page is always in the ANSI code page.
const char kOwnWriter[] = "Dovrel MHT Component";

std::string EncodingOf(const MhtEntity& entity) {
    return ToLowerAscii(MhtHeaderValue(entity.header, "Content-Transfer-Encoding"));
}

// A part without Content-Transfer-Encoding is 7bit: its body is its bytes.
bool IsIdentityEncoding(const std::string& encoding) {
    return encoding.empty() || encoding == "7bit" || encoding == "8bit" || encoding == "binary";
}

// The decoded bytes of a body. The buffer is kept from part to part, so the document's
// parts are decoded through one allocation.
class BodyDecoder {
public:
    // Decodes body; false when the encoding is not one the unpacker reads. The bytes stay valid
    // until the next call.
    bool Decode(std::string_view body, const std::string& encoding, std::string_view& bytes) {
        if (IsIdentityEncoding(encoding)) {
            bytes = body;
            return true;
        }
        if (encoding == "base64") {
            const size_t room = Base64Decoder::MaxDecodedSize(body.size());
            if (room > m_capacity) {
                m_buffer.reset(new unsigned char[room]);
                m_capacity = room;
            }
            const Base64Decoder decoder;
            const size_t written = decoder.Decode(body.data(), body.size(), m_buffer.get(), room);
            bytes = std::string_view(reinterpret_cast<const char*>(m_buffer.get()), written);
            return true;
        }
        if (encoding == "quoted-printable") {
            m_text.clear();
            DecodeQuotedPrintable(MimeString(body), m_text);
            bytes = m_text.view();
            return true;
        }
        return false;
    }

private:
    std::unique_ptr<unsigned char[]> m_buffer;
    size_t m_capacity = 0;
    MimeString m_text;
};

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
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

// The page's code page: the charset its part declares; for a document of the packer's own, the
// ANSI code page; else the charset its META names (UTF-8 only when the bytes are UTF-8); else
// the ANSI code page.
UINT PageCodePage(const MhtEntity& page, bool ownDocument, const std::string& html) {
    const UINT declared = CodePageOfCharset(page.mediaType.Parameter("charset"));
    if (declared != 0)
        return NormaliseCodePage(declared);
    if (ownDocument)
        return CP_ACP;
    const UINT named = CodePageOfCharset(MetaCharset(html));
    if (named == 0 || (named == CP_UTF8 && !IsWellFormed(html, CP_UTF8)))
        return CP_ACP;
    return NormaliseCodePage(named);
}

// A reference as it is compared with the locations: without "../", "./" and single quotes,
// one leading "/" dropped, "\" as "/", escapes undone.
std::string NormaliseReference(const std::string& text) {
    std::string normal = ReplaceAll(ReplaceAll(ReplaceAll(text, "../", "", 1), "./", "", 1), "'", "", 1);
    if (!normal.empty() && normal[0] == '/')
        normal.erase(0, 1);
    std::replace(normal.begin(), normal.end(), '\\', '/');
    return UrlText::Unescape(normal);
}

// Finds the record a page's reference names: a "cid:" reference names the part of that
// Content-ID; any other the part whose location is the reference or ends with "/" and the
// reference, before one whose location merely contains it.
class RecordMatcher {
public:
    explicit RecordMatcher(ResourceRecords& records) : m_records(records) {
        m_locations.reserve(records.size());
        for (size_t i = 0; i < records.size(); ++i) {
            std::string location = records[i].location;
            std::replace(location.begin(), location.end(), '\\', '/');
            location = UrlText::Unescape(location);
            m_byName.emplace(LastSegment(location), i);
            m_locations.push_back(std::move(location));
            if (!records[i].contentId.empty())
                m_byId.emplace(records[i].contentId, i);
        }
    }

    ResourceRecord* Match(const std::string& text) {
        const std::string bare = ReplaceAll(text, "'", "", 1);
        if (FindNoCase(bare, "cid:", 0) == 0) {
            const auto found = m_byId.find(UrlText::Unescape(bare.substr(4)));
            if (found != m_byId.end())
                return &m_records[found->second];
        }
        const std::string normal = NormaliseReference(text);
        if (normal.empty())
            return nullptr;
        // A page names the same resource again and again: each text is looked up once.
        const auto known = m_found.find(normal);
        if (known != m_found.end())
            return known->second < m_records.size() ? &m_records[known->second] : nullptr;
        const size_t index = Find(normal);
        m_found.emplace(normal, index);
        return index < m_records.size() ? &m_records[index] : nullptr;
    }

private:
    // The index of the record the normalised reference names, or the number of records.
    size_t Find(const std::string& normal) const {
        const std::string tail = "/" + normal;
        size_t best = m_records.size();
        const auto range = m_byName.equal_range(LastSegment(normal));
        for (auto it = range.first; it != range.second; ++it) {
            const std::string& location = m_locations[it->second];
            const bool whole = location == normal ||
                               (location.size() >= tail.size() &&
                                location.compare(location.size() - tail.size(), tail.size(), tail) == 0);
            if (whole && it->second < best)
                best = it->second;
        }
        if (best < m_records.size())
            return best;
        for (size_t i = 0; i < m_locations.size(); ++i) {
            if (m_locations[i].find(normal) != std::string::npos)
                return i;
        }
        return m_records.size();
    }

    static std::string LastSegment(const std::string& path) {
        const size_t slash = path.rfind('/');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }

    ResourceRecords& m_records;
    std::vector<std::string> m_locations;
    std::unordered_multimap<std::string, size_t> m_byName;
    std::unordered_map<std::string, size_t> m_byId;
    std::unordered_map<std::string, size_t> m_found;
};

struct Rewrite {
    size_t start;
    size_t length;
    const ResourceRecord* record;
};

// Points the page's references at the records' files; each record keeps the text of the
// first reference that names it.
std::string RewriteReferences(const std::string& html, ResourceRecords& records, UINT codePage) {
    if (records.empty())
        return html;
    HtmlReferences lists[kReferenceKinds];
    CollectAllReferences(html, lists);
    RecordMatcher matcher(records);
    std::vector<Rewrite> rewrites;
    for (const HtmlReferences& list : lists) {
        for (const HtmlReference& ref : list) {
            ResourceRecord* record = matcher.Match(ref.text);
            if (record == nullptr)
                continue;
            if (record->urlText.empty())
                record->urlText = RecodeText(ref.text, codePage, CP_ACP);
            rewrites.push_back({ref.valueStart, ref.valueLength, record});
        }
    }
    std::sort(rewrites.begin(), rewrites.end(),
              [](const Rewrite& a, const Rewrite& b) { return a.start < b.start; });
    std::string result;
    result.reserve(html.size() + rewrites.size() * 64);
    size_t copied = 0;
    for (const Rewrite& rewrite : rewrites) {
        if (rewrite.start < copied)
            continue;
        result.append(html, copied, rewrite.start - copied);
        result += "file://" + RecodeText(rewrite.record->tempPath, CP_ACP, codePage);
        copied = rewrite.start + rewrite.length;
    }
    result.append(html, copied, std::string::npos);
    return result;
}

// The page of a document without parts: base64 and quoted-printable bodies of any type (the
// latter read as if its text ended with a line break), and HTML sent as it is.
bool DecodeSinglePart(const MhtEntity& top, std::string& page) {
    const std::string encoding = EncodingOf(top);
    BodyDecoder decoder;
    std::string_view bytes;
    if (encoding == "quoted-printable") {
        const std::string body = std::string(top.body) + "\r\n";
        decoder.Decode(body, encoding, bytes);
        page.assign(bytes);
    } else if (encoding == "base64" || (IsIdentityEncoding(encoding) && top.mediaType.type == "text/html")) {
        decoder.Decode(top.body, encoding, bytes);
        page.assign(bytes);
    } else {
        return false;
    }
    return true;
}

// A page ends at its first NUL byte.
void CutAtNul(std::string& page) {
    const size_t nul = page.find('\0');
    if (nul != std::string::npos)
        page.resize(nul);
}

} // namespace

void DeleteResourceFiles(ResourceRecords& records) {
    for (const ResourceRecord& record : records) {
        if (!record.tempPath.empty())
            DeleteFileA(record.tempPath.c_str());
    }
    records.clear();
}

bool UnpackMht(const std::string& mht, std::string& html, ResourceRecords& records, UINT* pageCodePage) {
    DeleteResourceFiles(records);
    if (mht.empty())
        return false;
    // The document is read where it lies, as written: its line breaks may be CR LF or LF alone,
    // and the bytes of its parts are kept.
    MhtEntity top;
    if (!ReadMhtEntity(mht, top))
        return false;
    const bool ownDocument = MhtHeaderValue(top.header, "From") == kOwnWriter;

    std::string page;
    const MhtEntity* pageEntity = &top;
    if (!top.split) {
        if (!DecodeSinglePart(top, page))
            return false;
    } else {
        pageEntity = FindMhtPage(top);
        if (pageEntity == nullptr)
            return false;
        BodyDecoder decoder;
        std::string_view bytes;
        if (!decoder.Decode(pageEntity->body, EncodingOf(*pageEntity), bytes))
            return false;
        page.assign(bytes);
    }
    CutAtNul(page);
    if (page.empty())
        return false;
    const UINT codePage = PageCodePage(*pageEntity, ownDocument, page);

    std::vector<const MhtEntity*> leaves;
    if (top.split)
        CollectMhtLeaves(top, leaves);
    BodyDecoder decoder;
    for (const MhtEntity* part : leaves) {
        if (part == pageEntity)
            continue;
        std::string_view bytes;
        if (!decoder.Decode(part->body, EncodingOf(*part), bytes) || bytes.empty())
            continue;
        const std::string path = MakeTempFileName(TempPathForm::Short);
        if (path.empty())
            continue;
        if (!WriteWholeFile(path, bytes)) {
            DeleteFileA(path.c_str());
            continue;
        }
        ResourceRecord record;
        record.location = MhtLocationValue(part->header);
        record.tempPath = path;
        record.contentId = MhtBareId(MhtHeaderValue(part->header, "Content-ID"));
        records.push_back(std::move(record));
    }
    html = RewriteReferences(page, records, codePage);
    if (pageCodePage != nullptr)
        *pageCodePage = codePage;
    return true;
}
