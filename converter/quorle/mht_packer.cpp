#include "mht_packer.h"

#include <shlwapi_url.h>

#include <unordered_set>

#include "base64.h"
#include "downloads.h"
#include "html_references.h"
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

void AddUnique(ResourceRecords& list, std::unordered_set<std::string>& seen, const HtmlReference& ref,
               bool ignoreCase) {
    const std::string key = ignoreCase ? ToLowerAscii(ref.text) : ref.text;
    if (!seen.insert(key).second)
        return;
    ResourceRecord record;
    record.urlText = ref.text;
    list.push_back(std::move(record));
}

ResourceRecords CollectList(const std::string& html, const std::string& lowered, ReferenceKind kind,
                            bool ignoreCase) {
    ResourceRecords list;
    std::unordered_set<std::string> seen;
    for (const HtmlReference& ref : CollectReferences(html, lowered, kind))
        AddUnique(list, seen, ref, ignoreCase);
    return list;
}

std::string PartLocation(const ResourceRecord& record, const ResourceRecords* loaded) {
    if (loaded != nullptr) {
        const std::string path = ReplaceAll(record.location, "file://", "", 0);
        for (const ResourceRecord& old : *loaded) {
            if (!old.tempPath.empty() && old.tempPath == path)
                return old.location;
        }
    }
    return record.location;
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

void AddBinaryParts(MultipartMessage& message, const ResourceRecords& list, const ResourceRecords* loaded) {
    for (const ResourceRecord& record : list) {
        const std::string body = DownloadUrlToBase64(record.location.c_str());
        if (body.empty())
            continue;
        const std::string location = PartLocation(record, loaded);
        MultipartPartInfo info;
        info.SetTypeStr("Image");
        info.SetSubtypeStr(ImageSubtype(location));
        info.SetContentTransferEncodingStr("base64");
        info.SetContentLocation(MimeString(HeaderSafe(location)));
        info.SetBody(MimeString(body));
        message.AddPart(info);
    }
}

void AddTextParts(MultipartMessage& message, const ResourceRecords& list, const ResourceRecords* loaded,
                  const char* type, const char* subtype) {
    for (const ResourceRecord& record : list) {
        const std::string text = DownloadUrlToString(record.location.c_str());
        if (text.empty())
            continue;
        MultipartPartInfo info;
        info.SetTypeStr(type);
        info.SetSubtypeStr(subtype);
        info.SetContentTransferEncodingStr("base64");
        info.SetContentLocation(MimeString(HeaderSafe(PartLocation(record, loaded))));
        info.SetBody(LineBrokenBase64(text));
        message.AddPart(info);
    }
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

    const std::string lowered = ToLowerAscii(html);
    Collected found;
    found.images = CollectList(html, lowered, ReferenceKind::Image, true);
    found.styleSheets = CollectList(html, lowered, ReferenceKind::StyleSheet, false);
    found.scripts = CollectList(html, lowered, ReferenceKind::Script, false);
    found.backgrounds = CollectList(html, lowered, ReferenceKind::Background, false);

    if (input.pathBase.empty())
        input.pathBase = kDefaultPathBase;
    const std::string base = MhtBaseDirectory(input.pathBase);
    for (ResourceRecords* list : {&found.images, &found.styleSheets, &found.scripts, &found.backgrounds}) {
        for (ResourceRecord& record : *list) {
            record.urlText = ReplaceAll(ReplaceAll(record.urlText, "'", "", 1), "\"", "", 1);
            record.location = ResolveReference(base, record.urlText);
        }
    }

    std::string restored = html;
    if (input.loaded != nullptr) {
        for (const ResourceRecord& old : *input.loaded) {
            if (!old.tempPath.empty())
                restored = ReplaceAll(restored, "file://" + old.tempPath, old.urlText, 1);
        }
    }

    MultipartMessage message;
    message.SetAutomaticFields();
    message.SetSubtypeStr("related");
    message.SetFrom("Dovrel MHT Component");
    message.SetSubject(
        MimeString(input.subject.empty() ? std::string("HTML to Mime-HTML") : HeaderSafe(input.subject)));
    message.SetDate(MimeCurrentTime());

    MultipartPartInfo page;
    page.SetTypeStr("Text");
    page.SetSubtypeStr("HTML");
    page.SetContentTransferEncodingStr("base64");
    page.SetContentLocation(MimeString(HeaderSafe(input.pathBase)));
    page.SetBody(LineBrokenBase64(restored));
    message.AddPart(page);

    AddBinaryParts(message, found.images, input.loaded);
    AddTextParts(message, found.styleSheets, input.loaded, "Text", "css");
    AddTextParts(message, found.scripts, input.loaded, "application", "x-javascript");
    AddBinaryParts(message, found.backgrounds, input.loaded);

    return LfToCrLf(message.AsString().ToStdString());
}
