#include "mht_document.h"

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

bool IsHtml(const MhtEntity& entity) {
    return entity.mediaType.type == "text/html" && !entity.IsAttachment();
}

// Where the delimiter line "--boundary" at pos ends (after its line break), and whether it
// closes the multipart; npos when pos does not start a delimiter line.
size_t DelimiterEnd(std::string_view body, size_t pos, size_t length, bool& closing) {
    if (pos > 0 && body[pos - 1] != '\n')
        return std::string_view::npos;
    size_t at = pos + length;
    closing = body.compare(at, 2, "--") == 0;
    if (closing)
        at += 2;
    while (at < body.size() && IsBlank(body[at]))
        ++at;
    if (at >= body.size())
        return at;
    if (body.compare(at, 2, "\r\n") == 0)
        return at + 2;
    if (body[at] == '\n')
        return at + 1;
    return closing ? at : std::string_view::npos;
}

// The part ends before the line break that opens the next delimiter.
std::string_view PartBefore(std::string_view body, size_t start, size_t delimiter) {
    size_t end = delimiter;
    if (end > start && body[end - 1] == '\n')
        --end;
    if (end > start && body[end - 1] == '\r')
        --end;
    return body.substr(start, end - start);
}

void SplitMultipart(MhtEntity& entity, const std::string& boundary, int depth) {
    const std::string delimiter = "--" + boundary;
    const std::string_view body = entity.body;
    size_t partStart = std::string_view::npos; // none open before the first delimiter
    size_t pos = 0;
    for (;;) {
        const size_t hit = body.find(delimiter, pos);
        if (hit == std::string_view::npos)
            return; // a part that no delimiter closes is not read
        bool closing = false;
        const size_t end = DelimiterEnd(body, hit, delimiter.size(), closing);
        if (end == std::string_view::npos) {
            pos = hit + 1;
            continue;
        }
        if (partStart != std::string_view::npos) {
            MhtEntity part;
            if (ReadMhtEntity(PartBefore(body, partStart, hit), part, depth + 1))
                entity.parts.push_back(std::move(part));
        }
        if (closing)
            return;
        partStart = end;
        pos = end;
    }
}

const MhtEntity* FindPage(const MhtEntity& entity) {
    if (entity.IsAttachment())
        return nullptr;
    if (!entity.mediaType.IsMultipart())
        return IsHtml(entity) ? &entity : nullptr;
    if (entity.parts.empty())
        return nullptr;
    if (entity.mediaType.type == "multipart/related") {
        const MhtEntity* root = &entity.parts[0];
        const std::string start = MhtBareId(entity.mediaType.Parameter("start"));
        if (!start.empty()) {
            for (const MhtEntity& part : entity.parts) {
                if (MhtBareId(MhtHeaderValue(part.header, "Content-ID")) == start) {
                    root = &part;
                    break;
                }
            }
        }
        return FindPage(*root);
    }
    for (const MhtEntity& part : entity.parts) {
        if (const MhtEntity* page = FindPage(part))
            return page;
    }
    return nullptr;
}

const MhtEntity* FirstHtml(const MhtEntity& entity) {
    if (!entity.split)
        return IsHtml(entity) ? &entity : nullptr;
    for (const MhtEntity& part : entity.parts) {
        if (const MhtEntity* page = FirstHtml(part))
            return page;
    }
    return nullptr;
}

} // namespace

bool MhtEntity::IsAttachment() const {
    const std::string disposition = MhtHeaderValue(header, "Content-Disposition");
    return ParseMhtMediaType(disposition).type == "attachment";
}

bool ReadMhtEntity(std::string_view text, MhtEntity& entity, int depth) {
    // The header block ends at the first empty line; lines end with CR LF or with LF alone.
    size_t line = 0;
    for (;;) {
        const size_t feed = text.find('\n', line);
        if (feed == std::string_view::npos)
            return false;
        const size_t end = feed > line && text[feed - 1] == '\r' ? feed - 1 : feed;
        if (end == line) {
            entity.header = text.substr(0, line);
            entity.body = text.substr(feed + 1);
            break;
        }
        line = feed + 1;
    }
    entity.mediaType = ParseMhtMediaType(MhtHeaderValue(entity.header, "Content-Type"));
    entity.parts.clear();
    const std::string boundary = entity.mediaType.Parameter("boundary");
    entity.split = entity.mediaType.IsMultipart() && !boundary.empty() && depth < kMhtMaxNesting;
    if (entity.split)
        SplitMultipart(entity, boundary, depth);
    return true;
}

const MhtEntity* FindMhtPage(const MhtEntity& top) {
    if (const MhtEntity* page = FindPage(top))
        return page;
    return FirstHtml(top);
}

void CollectMhtLeaves(const MhtEntity& top, std::vector<const MhtEntity*>& leaves) {
    if (!top.split) {
        leaves.push_back(&top);
        return;
    }
    for (const MhtEntity& part : top.parts)
        CollectMhtLeaves(part, leaves);
}
