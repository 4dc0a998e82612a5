// Name tables of content types, subtypes and transfer encodings. Numbers: 0 none (empty
// text), 1 unknown; the names are matched ignoring case.
#pragma once

#include "mime_string.h"

enum MimeType : int {
    MIME_TYPE_NONE = 0,
    MIME_TYPE_UNKNOWN = 1,
    MIME_TYPE_TEXT = 2,
    MIME_TYPE_MULTIPART = 3,
    MIME_TYPE_MESSAGE = 4,
    MIME_TYPE_APPLICATION = 5,
    MIME_TYPE_IMAGE = 6,
    MIME_TYPE_AUDIO = 7,
    MIME_TYPE_VIDEO = 8,
    MIME_TYPE_MODEL = 9,
};

enum MimeSubtype : int {
    MIME_SUBTYPE_NONE = 0,
    MIME_SUBTYPE_UNKNOWN = 1,
    MIME_SUBTYPE_PLAIN = 2,
    MIME_SUBTYPE_RICHTEXT = 3,
    MIME_SUBTYPE_ENRICHED = 4,
    MIME_SUBTYPE_HTML = 5,
    MIME_SUBTYPE_MIXED = 6,
    MIME_SUBTYPE_ALTERNATIVE = 7,
    MIME_SUBTYPE_DIGEST = 8,
    MIME_SUBTYPE_PARALLEL = 9,
    MIME_SUBTYPE_RFC822 = 10,
    MIME_SUBTYPE_PARTIAL = 11,
    MIME_SUBTYPE_EXTERNAL_BODY = 12,
    MIME_SUBTYPE_POSTSCRIPT = 13,
    MIME_SUBTYPE_OCTET_STREAM = 14,
    MIME_SUBTYPE_JPEG = 15,
    MIME_SUBTYPE_GIF = 16,
    MIME_SUBTYPE_BASIC = 17,
    MIME_SUBTYPE_MPEG = 18,
    MIME_SUBTYPE_SIGNED = 19,
    MIME_SUBTYPE_ENCRYPTED = 20,
    MIME_SUBTYPE_RFC822_HEADERS = 21,
    MIME_SUBTYPE_REPORT = 22,
    MIME_SUBTYPE_DELIVERY_STATUS = 23,
    MIME_SUBTYPE_RELATED = 24,
    MIME_SUBTYPE_APPLEDOUBLE = 25,
    MIME_SUBTYPE_APPLEFILE = 26,
};

enum MimeCte : int {
    MIME_CTE_NONE = 0,
    MIME_CTE_UNKNOWN = 1,
    MIME_CTE_7BIT = 2,
    MIME_CTE_8BIT = 3,
    MIME_CTE_BINARY = 4,
    MIME_CTE_QUOTED_PRINTABLE = 5,
    MIME_CTE_BASE64 = 6,
};

int TypeStrToEnum(const MimeString& text);
// Writes "Unknown" for a number outside the table.
void TypeEnumToStr(int type, MimeString& out);
int SubtypeStrToEnum(const MimeString& text);
void SubtypeEnumToStr(int subtype, MimeString& out);
// An empty text gives 1 (unknown).
int CteStrToEnum(const MimeString& text);
// Leaves out unchanged for 0, 1 and numbers outside the table.
void CteEnumToStr(int cte, MimeString& out);
