// An MHT document read into its entities: each entity's header block and body are views into
// the document text, and a multipart holds its parts, nested multiparts included.
#pragma once

#include <string_view>
#include <vector>

#include "mht_headers.h"

struct MhtEntity {
    std::string_view header; // the header lines, each with its line break
    std::string_view body;
    MhtMediaType mediaType;
    std::vector<MhtEntity> parts; // the parts of a multipart that a delimiter closes
    bool split = false;           // a multipart whose body was split into parts

    bool IsAttachment() const;
};

// Multiparts nested deeper than this are kept whole, as one part.
constexpr int kMhtMaxNesting = 8;

// Reads text as one entity, its lines ended by CR LF or by LF alone: false when it has no empty
// line that ends a header block. A multipart's body is split at its boundary's delimiter lines; the preamble,
// the epilogue and a last part that no delimiter closes are not parts.
bool ReadMhtEntity(std::string_view text, MhtEntity& entity, int depth = 0);

// The page of a document: the HTML part that the root of each multipart/related leads to (the
// part its "start" parameter names, else its first part), taking the first HTML part of any
// other multipart (the preferred one of an alternative); attachments are never the page. When
// that finds none, the first HTML part that is not an attachment; null when there is none.
const MhtEntity* FindMhtPage(const MhtEntity& top);

// Every part that is not a multipart, in document order.
void CollectMhtLeaves(const MhtEntity& top, std::vector<const MhtEntity*>& leaves);
