#include "mime_field_body_factory.h"

#include "mime_date_time.h"
#include "mime_disposition_type.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"

MimeFieldBodyRuleHook CurrentMimeFieldBodyRuleHook();

namespace {

// The body of a field whose class is not linked into the program: it keeps its text exactly as
// written, so nothing is lost.
class MimeVerbatimFieldBody : public MimeFieldBody {
public:
    MimeVerbatimFieldBody(const MimeString& text, MimeMessageComponent* parent)
        : MimeFieldBody(text, parent, MIME_CLASS_FIELD_BODY, "MimeFieldBody") {}
    void Parse() override { ClearModified(); }
    void Compose() override { ClearModified(); }
    std::unique_ptr<MimeMessageComponent> Clone() const override {
        return std::make_unique<MimeVerbatimFieldBody>(*this);
    }
};

struct KindByName {
    const char* name;
    MimeFieldBodyKind kind;
};

const KindByName kKinds[] = {
    {"to", MIME_BODY_ADDRESS_LIST},
    {"cc", MIME_BODY_ADDRESS_LIST},
    {"bcc", MIME_BODY_ADDRESS_LIST},
    {"reply-to", MIME_BODY_ADDRESS_LIST},
    {"resent-cc", MIME_BODY_ADDRESS_LIST},
    {"resent-bcc", MIME_BODY_ADDRESS_LIST},
    {"resent-reply-to", MIME_BODY_ADDRESS_LIST},
    {"from", MIME_BODY_MAILBOX_LIST},
    {"resent-from", MIME_BODY_MAILBOX_LIST},
    {"sender", MIME_BODY_MAILBOX},
    {"resent-sender", MIME_BODY_MAILBOX},
    {"return-path", MIME_BODY_MAILBOX},
    {"date", MIME_BODY_DATE_TIME},
    {"resent-date", MIME_BODY_DATE_TIME},
    {"message-id", MIME_BODY_MSG_ID},
    {"resent-message-id", MIME_BODY_MSG_ID},
    {"content-id", MIME_BODY_MSG_ID},
    {"received", MIME_BODY_STAMP},
    {"content-type", MIME_BODY_MEDIA_TYPE},
    {"content-transfer-encoding", MIME_BODY_MECHANISM},
    {"content-disposition", MIME_BODY_DISPOSITION_TYPE},
};

std::unique_ptr<MimeFieldBody> CreateCore(MimeFieldBodyKind kind, const MimeString& text,
                                          MimeMessageComponent* parent) {
    switch (kind) {
    case MIME_BODY_DATE_TIME:
        return CreateMimeDateTime(text, parent);
    case MIME_BODY_MEDIA_TYPE:
        return CreateMimeMediaType(text, parent);
    case MIME_BODY_MECHANISM:
        return CreateMimeMechanism(text, parent);
    case MIME_BODY_DISPOSITION_TYPE:
        return CreateMimeDispositionType(text, parent);
    default:
        return nullptr;
    }
}

} // namespace

MimeFieldBodyKind MimeFieldBodyKindFor(const MimeString& fieldName) {
    for (const KindByName& entry : kKinds)
        if (MimeCompareNoCase(fieldName, entry.name) == 0)
            return entry.kind;
    return MIME_BODY_TEXT;
}

std::unique_ptr<MimeFieldBody> CreateMimeFieldBody(const MimeString& fieldName, const MimeString& text,
                                                   MimeMessageComponent* parent) {
    if (MimeFieldBodyRuleHook hook = CurrentMimeFieldBodyRuleHook()) {
        if (std::unique_ptr<MimeFieldBody> body = hook(fieldName, text, parent))
            return body;
    }
    MimeFieldBodyKind kind = MimeFieldBodyKindFor(fieldName);
    // A registered creator comes first, so a program may replace a class of its own.
    MimeFieldBodyCreator creator = RegisteredMimeFieldBodyCreator(kind);
    if (creator == nullptr) {
        if (std::unique_ptr<MimeFieldBody> body = CreateCore(kind, text, parent))
            return body;
        creator = RegisteredMimeFieldBodyCreator(MIME_BODY_TEXT);
    }
    if (creator != nullptr) {
        if (std::unique_ptr<MimeFieldBody> body = creator(text, parent))
            return body;
    }
    return std::make_unique<MimeVerbatimFieldBody>(text, parent);
}
