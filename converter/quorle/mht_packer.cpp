#include "mht_packer.h"

#include <shlwapi_url.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "base64.h"
#include "downloads.h"
#include "html_references.h"
#include "mht_text_writer.h"
#include "mime_codecs.h"
#include "mime_component.h"
#include "mime_names.h"
#include "mime_time.h"
#include "multipart_message.h"
#include "string_array.h"
#include "string_helpers.h"

namespace {

const char kDefaultPathBase[] = "file://c:\\test.html";

bool BeginsWithNoCase(const std::string& text, const char* prefix) {
    return FindNoCase(text, prefix, 0) == 0;
}

// Header values are written as they are: a line break or other control byte would end the line
// and start a header of its own, so each becomes a blank.
std::string HeaderSafe(const std::string& text) {
    std::string result = text;
    for (char& ch : result) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F)
            ch = ' ';
    }
    return result;
}

bool IsDriveLetterPath(const std::string& path, size_t at) {
    return path.size() > at + 1 && path[at + 1] == ':' &&
           ((path[at] >= 'a' && path[at] <= 'z') || (path[at] >= 'A' && path[at] <= 'Z'));
}

// The scheme of a URL such as "https://..." with its "://", lower-cased; "" for file URLs and
// for text without a scheme.
std::string KeptScheme(const std::string& url) {
    const size_t colon = url.find("://");
    if (colon == std::string::npos || colon == 0)
        return std::string();
    for (size_t i = 0; i < colon; ++i) {
        const char ch = url[i];
        const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
        if (!letter && !(i > 0 && ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || ch == '.')))
            return std::string();
    }
    const std::string scheme = ToLowerAscii(url.substr(0, colon));
    if (scheme == "file" || colon == 1)
        return std::string(); // a single letter is a drive
    return scheme + "://";
}

struct Collected {
    ResourceRecords images, styleSheets, scripts, backgrounds;
};

// The records of one kind, each value once: images compare ignoring case, the others exactly.
ResourceRecords UniqueRecords(const HtmlReferences& references, bool ignoreCase) {
    ResourceRecords list;
    std::unordered_set<std::string> seen;
    for (const HtmlReference& ref : references) {
        if (!seen.insert(ignoreCase ? ToLowerAscii(ref.text) : ref.text).second)
            continue;
        ResourceRecord record;
        record.urlText = ref.text;
        list.push_back(std::move(record));
    }
    return list;
}

// The record of the last load whose file a resource was read from, if any.
const ResourceRecord* LoadedRecordOf(const ResourceRecord& record, const ResourceRecords* loaded) {
    if (loaded == nullptr)
        return nullptr;
    const std::string path = ReplaceAll(record.location, "file://", "", 0);
    for (const ResourceRecord& old : *loaded) {
        if (!old.tempPath.empty() && old.tempPath == path)
            return &old;
    }
    return nullptr;
}

// The page with every "file://" + temporary path of the last load put back to the reference
// text it had, in one pass over the page.
std::string RestoreLoadedReferences(const std::string& html, const ResourceRecords* loaded) {
    if (loaded == nullptr || loaded->empty())
        return html;
    std::unordered_map<std::string, const std::string*> byPath;
    std::vector<size_t> lengths;
    for (const ResourceRecord& old : *loaded) {
        if (old.tempPath.empty() || !byPath.emplace(old.tempPath, &old.urlText).second)
            continue;
        if (std::find(lengths.begin(), lengths.end(), old.tempPath.size()) == lengths.end())
            lengths.push_back(old.tempPath.size());
    }
    std::sort(lengths.rbegin(), lengths.rend()); // the longest path first
    static const std::string kScheme = "file://";
    std::string result;
    result.reserve(html.size());
    size_t copied = 0;
    for (size_t at = html.find(kScheme); at != std::string::npos; at = html.find(kScheme, at + 1)) {
        if (at < copied)
            continue;
        for (size_t length : lengths) {
            const auto found = byPath.find(html.substr(at + kScheme.size(), length));
            if (found == byPath.end())
                continue;
            result.append(html, copied, at - copied);
            result += *found->second;
            copied = at + kScheme.size() + length;
            break;
        }
    }
    result.append(html, copied, std::string::npos);
    return result;
}

// A part made from a loaded part keeps its Content-ID, which the page's "cid:" references name.
MimeString ContentIdOf(const ResourceRecord* old) {
    if (old == nullptr || old->contentId.empty())
        return MimeString();
    return MimeString("<" + HeaderSafe(old->contentId) + ">");
}

std::string PartLocation(const ResourceRecord& record, const ResourceRecord* old) {
    return old != nullptr ? old->location : record.location;
}

// The image subtype named by the location's extension; a name the table does not hold, and a
// location without an extension, give "Unknown".
MimeString ImageSubtype(const std::string& location) {
    const size_t dot = location.rfind('.');
    int subtype = MIME_SUBTYPE_UNKNOWN;
    if (dot != std::string::npos)
        subtype = SubtypeStrToEnum(MimeString(location.substr(dot + 1)));
    if (subtype == MIME_SUBTYPE_NONE)
        subtype = MIME_SUBTYPE_UNKNOWN;
    MimeString text;
    SubtypeEnumToStr(subtype, text);
    return text;
}

MimeString LineBrokenBase64(const std::string& bytes) {
    MimeString encoded;
    EncodeBase64(MimeString(bytes), encoded);
    return encoded;
}

void AddBinaryParts(MhtTextWriter& writer, const ResourceRecords& list, const ResourceRecords* loaded) {
    for (const ResourceRecord& record : list) {
        const ResourceRecord* old = LoadedRecordOf(record, loaded);
        const std::string location = PartLocation(record, old);
        MultipartPartInfo info;
        info.SetTypeStr("Image");
        info.SetSubtypeStr(ImageSubtype(location));
        info.SetContentTransferEncodingStr("base64");
        info.SetContentLocation(MimeString(HeaderSafe(location)));
        info.SetBody(MimeString());
        writer.WritePartFromUrl(info, record.location.c_str(), ContentIdOf(old));
    }
}

void AddTextParts(MhtTextWriter& writer, const ResourceRecords& list, const ResourceRecords* loaded,
                  const char* type, const char* subtype) {
    for (const ResourceRecord& record : list) {
        const std::string text = DownloadUrlToString(record.location.c_str());
        if (text.empty())
            continue;
        const ResourceRecord* old = LoadedRecordOf(record, loaded);
        MultipartPartInfo info;
        info.SetTypeStr(type);
        info.SetSubtypeStr(subtype);
        info.SetContentTransferEncodingStr("base64");
        info.SetContentLocation(MimeString(HeaderSafe(PartLocation(record, old))));
        info.SetBody(LineBrokenBase64(text));
        writer.WritePart(info, ContentIdOf(old));
    }
}

// The length of the base64 of n bytes with a CR LF after every 76 characters and at its end.
size_t LineBrokenLength(unsigned long long n) {
    const unsigned long long encoded = (n + 2) / 3 * 4;
    return static_cast<size_t>(encoded + (encoded / 76 + 2) * 2);
}

// The length the document will have: its header, the page and each resource whose length can
// be known before it is read (local files), so that the text is made in one piece.
size_t ExpectedLength(const Collected& found, size_t pageLength, const ResourceRecords* loaded) {
    size_t length = 1024 + LineBrokenLength(pageLength);
    for (const ResourceRecords* list :
         {&found.images, &found.styleSheets, &found.scripts, &found.backgrounds}) {
        for (const ResourceRecord& record : *list) {
            const unsigned long long bytes = LocalUrlLength(record.location.c_str());
            const ResourceRecord* old = LoadedRecordOf(record, loaded);
            length += kMhtPartOverhead + PartLocation(record, old).size() + LineBrokenLength(bytes);
        }
    }
    return length;
}

} // namespace

std::string MhtBaseDirectory(const std::string& pathBase) {
    const std::string scheme = KeptScheme(pathBase);
    StringArray halves;
    halves.Split(pathBase, "//", 1);
    const std::string rest = halves.At(1);

    // A file URL of an absolute path keeps its root; one of a drive-letter path does not.
    std::string base = scheme;
    if (scheme.empty() && !rest.empty() && rest[0] == '/' && !IsDriveLetterPath(rest, 1))
        base += "/";

    StringArray pieces;
    pieces.Split(rest, "/", 1);
    if (scheme.empty() && rest.find('/') == std::string::npos)
        pieces.Split(rest, "\\", 1);
    for (int i = 0; i + 1 < pieces.Count; ++i)
        base += pieces.At(static_cast<unsigned int>(i)) + "/";
    return base;
}

std::string ResolveReference(const std::string& baseDirectory, const std::string& urlText) {
    if (BeginsWithNoCase(urlText, "http://") || BeginsWithNoCase(urlText, "file://"))
        return urlText;
    char combined[1024] = {0};
    DWORD size = sizeof(combined);
    if (FAILED(UrlCombineA(baseDirectory.c_str(), urlText.c_str(), combined, &size, URL_ESCAPE_PERCENT)))
        return std::string();
    return std::string(combined);
}

std::string PackHtml(PackInput& input) {
    const std::string& html = input.html;
    if (html.empty())
        return std::string();
    InitializeMimeLibrary();

    HtmlReferences references[kReferenceKinds];
    CollectAllReferences(html, references);
    Collected found;
    found.images = UniqueRecords(references[static_cast<int>(ReferenceKind::Image)], true);
    found.styleSheets = UniqueRecords(references[static_cast<int>(ReferenceKind::StyleSheet)], false);
    found.scripts = UniqueRecords(references[static_cast<int>(ReferenceKind::Script)], false);
    found.backgrounds = UniqueRecords(references[static_cast<int>(ReferenceKind::Background)], false);

    if (input.pathBase.empty())
        input.pathBase = kDefaultPathBase;
    const std::string base = MhtBaseDirectory(input.pathBase);
    for (ResourceRecords* list : {&found.images, &found.styleSheets, &found.scripts, &found.backgrounds}) {
        for (ResourceRecord& record : *list) {
            record.urlText = ReplaceAll(ReplaceAll(record.urlText, "'", "", 1), "\"", "", 1);
            record.location = ResolveReference(base, record.urlText);
        }
    }

    const std::string restored = RestoreLoadedReferences(html, input.loaded);

    MultipartMessage message;
    message.SetAutomaticFields();
    message.SetSubtypeStr("related");
    message.SetFrom("Dovrel MHT Component");
    message.SetSubject(
        MimeString(input.subject.empty() ? std::string("HTML to Mime-HTML") : HeaderSafe(input.subject)));
    message.SetDate(MimeCurrentTime());

    MhtTextWriter writer(message, ExpectedLength(found, restored.size(), input.loaded));
    MultipartPartInfo page;
    page.SetTypeStr("Text");
    page.SetSubtypeStr("HTML");
    page.SetContentTransferEncodingStr("base64");
    page.SetContentLocation(MimeString(HeaderSafe(input.pathBase)));
    page.SetBody(LineBrokenBase64(restored));
    writer.WritePart(page);

    AddBinaryParts(writer, found.images, input.loaded);
    AddTextParts(writer, found.styleSheets, input.loaded, "Text", "css");
    AddTextParts(writer, found.scripts, input.loaded, "application", "x-javascript");
    AddBinaryParts(writer, found.backgrounds, input.loaded);
    return writer.Finish();
}
