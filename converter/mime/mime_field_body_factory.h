// The rule by which a header field chooses the class of its body from its name, and the
// registry through which the field-body classes that live in their own files take part in it.
//
// For the classes kept elsewhere in this library (address list, mailbox list, mailbox, message
// id, stamp, text): each one registers its creation function once, from a static registrar in
// its own .cpp file:
//
//     static const MimeFieldBodyRegistrar s_registrar(MIME_BODY_ADDRESS_LIST, &CreateMimeAddressList);
//
// Programs that parse header fields must therefore link qx_mime whole (CMake:
// "$<LINK_LIBRARY:WHOLE_ARCHIVE,qx_mime>"), so that every registrar runs. While a kind has no
// creator, a field of that kind gets the plain text body (the registered MIME_BODY_TEXT
// creator, else a built-in body that keeps its text exactly as written).
#pragma once

#include <memory>

#include "mime_field_body.h"

// Which class a field's body is, by the field's name.
enum MimeFieldBodyKind : int {
    MIME_BODY_TEXT = 0,         // every other name: Subject, MIME-Version, Content-Location, ...
    MIME_BODY_ADDRESS_LIST,     // To, Cc, Bcc, Reply-To, Resent-Cc, Resent-Bcc, Resent-Reply-To
    MIME_BODY_MAILBOX_LIST,     // From, Resent-From
    MIME_BODY_MAILBOX,          // Sender, Resent-Sender, Return-Path
    MIME_BODY_DATE_TIME,        // Date, Resent-Date
    MIME_BODY_MSG_ID,           // Message-Id, Resent-Message-Id, Content-Id
    MIME_BODY_STAMP,            // Received
    MIME_BODY_MEDIA_TYPE,       // Content-Type
    MIME_BODY_MECHANISM,        // Content-Transfer-Encoding
    MIME_BODY_DISPOSITION_TYPE, // Content-Disposition
    MIME_BODY_KIND_COUNT
};

using MimeFieldBodyCreator = std::unique_ptr<MimeFieldBody> (*)(const MimeString& text,
                                                                MimeMessageComponent* parent);

// The kind of body a field of that name gets (the name compared ignoring case).
MimeFieldBodyKind MimeFieldBodyKindFor(const MimeString& fieldName);

// Sets (or, with null, clears) the creation function of one kind. Registration happens during
// static initialisation, before any message is parsed.
void RegisterMimeFieldBodyCreator(MimeFieldBodyKind kind, MimeFieldBodyCreator creator);
MimeFieldBodyCreator RegisteredMimeFieldBodyCreator(MimeFieldBodyKind kind);

struct MimeFieldBodyRegistrar {
    MimeFieldBodyRegistrar(MimeFieldBodyKind kind, MimeFieldBodyCreator creator) {
        RegisterMimeFieldBodyCreator(kind, creator);
    }
};

// A process-wide hook that replaces the whole rule when set (null by default).
using MimeFieldBodyRuleHook = std::unique_ptr<MimeFieldBody> (*)(const MimeString& fieldName,
                                                                 const MimeString& text,
                                                                 MimeMessageComponent* parent);
void SetMimeFieldBodyRuleHook(MimeFieldBodyRuleHook hook);

// Creates the body of a field of that name from its text (not yet parsed).
std::unique_ptr<MimeFieldBody> CreateMimeFieldBody(const MimeString& fieldName, const MimeString& text,
                                                   MimeMessageComponent* parent);
