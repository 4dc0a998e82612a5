// MimeHeaders: the ordered header fields of an entity. The getters create a missing field
// (appended at the end, under the capitalised standard name) and give back its body; the
// has-accessors only look. Bodies of the classes kept in their own files (address lists,
// mailboxes, message ids, stamps, texts) come back as MimeFieldBody&: dynamic_cast them to
// their class.
#pragma once

#include <memory>
#include <vector>

#include "mime_field.h"

class MimeDateTime;
class MimeDispositionType;
class MimeMechanism;
class MimeMediaType;

// name of the accessors, tested (lower-case) name, created name
#define MIME_STANDARD_FIELDS(X)                                                                              \
    X(Bcc, "bcc", "Bcc")                                                                                     \
    X(Cc, "cc", "Cc")                                                                                        \
    X(Comments, "comments", "Comments")                                                                      \
    X(Encrypted, "encrypted", "Encrypted")                                                                   \
    X(From, "from", "From")                                                                                  \
    X(InReplyTo, "in-reply-to", "In-Reply-To")                                                               \
    X(Keywords, "keywords", "Keywords")                                                                      \
    X(MessageId, "message-id", "Message-Id")                                                                 \
    X(Received, "received", "Received")                                                                      \
    X(References, "references", "References")                                                                \
    X(ReplyTo, "reply-to", "Reply-To")                                                                       \
    X(ResentBcc, "resent-bcc", "Resent-Bcc")                                                                 \
    X(ResentCc, "resent-cc", "Resent-Cc")                                                                    \
    X(ResentFrom, "resent-from", "Resent-From")                                                              \
    X(ResentMessageId, "resent-message-id", "Resent-Message-Id")                                             \
    X(ResentReplyTo, "resent-reply-to", "Resent-Reply-To")                                                   \
    X(ResentSender, "resent-sender", "Resent-Sender")                                                        \
    X(ResentTo, "resent-to", "Resent-To")                                                                    \
    X(ReturnPath, "return-path", "Return-Path")                                                              \
    X(Sender, "sender", "Sender")                                                                            \
    X(Subject, "subject", "Subject")                                                                         \
    X(To, "to", "To")                                                                                        \
    X(Approved, "approved", "Approved")                                                                      \
    X(Control, "control", "Control")                                                                         \
    X(Distribution, "distribution", "Distribution")                                                          \
    X(Expires, "expires", "Expires")                                                                         \
    X(FollowupTo, "followup-to", "Followup-To")                                                              \
    X(Lines, "lines", "Lines")                                                                               \
    X(Newsgroups, "newsgroups", "Newsgroups")                                                                \
    X(Organization, "organization", "Organization")                                                          \
    X(Path, "path", "Path")                                                                                  \
    X(Summary, "summary", "Summary")                                                                         \
    X(Xref, "xref", "Xref")                                                                                  \
    X(ContentDescription, "content-description", "Content-Description")                                      \
    X(ContentId, "content-id", "Content-Id")                                                                 \
    X(MimeVersion, "mime-version", "MIME-Version")

class MimeHeaders : public MimeMessageComponent {
public:
    MimeHeaders();
    MimeHeaders(const MimeString& text, MimeMessageComponent* parent);
    MimeHeaders(const MimeHeaders& other);
    MimeHeaders& operator=(const MimeHeaders& other);
    ~MimeHeaders() override;

    void Parse() override;
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    size_t NumFields() const { return m_fields.size(); }
    // Throws MimeBoundsException when the index is out of range.
    MimeField& FieldAt(size_t index) const;
    // The field's parent becomes these headers.
    void AddField(std::unique_ptr<MimeField> field);
    // index 0 to NumFields().
    void InsertFieldAt(size_t index, std::unique_ptr<MimeField> field);
    // Hands the field back to the caller, without a parent.
    std::unique_ptr<MimeField> RemoveFieldAt(size_t index);
    void DeleteAllFields();

    // The first field of that name, ignoring case; null when there is none.
    MimeField* FindField(const MimeString& name) const;
    MimeField* FindField(const char* name) const { return FindField(MimeString(name)); }
    bool HasField(const MimeString& name) const { return FindField(name) != nullptr; }
    bool HasField(const char* name) const { return FindField(name) != nullptr; }
    // Get or create: the body of the first field of that name, created (field and body) when
    // missing.
    MimeFieldBody& FieldBody(const MimeString& name);

#define MIME_DECLARE_FIELD(Accessor, tested, created)                                                        \
    bool Has##Accessor() const {                                                                             \
        return HasField(tested);                                                                             \
    }                                                                                                        \
    MimeFieldBody& Accessor() {                                                                              \
        return FieldBody(created);                                                                           \
    }
    MIME_STANDARD_FIELDS(MIME_DECLARE_FIELD)
#undef MIME_DECLARE_FIELD

    bool HasDate() const {
        return HasField("date");
    }
    MimeDateTime& Date();
    bool HasResentDate() const {
        return HasField("resent-date");
    }
    MimeDateTime& ResentDate();
    bool HasContentType() const {
        return HasField("content-type");
    }
    MimeMediaType& ContentType();
    bool HasContentTransferEncoding() const {
        return HasField("content-transfer-encoding");
    }
    MimeMechanism& ContentTransferEncoding();
    bool HasCte() const {
        return HasContentTransferEncoding();
    }
    MimeMechanism& Cte() {
        return ContentTransferEncoding();
    }
    bool HasContentDisposition() const {
        return HasField("content-disposition");
    }
    MimeDispositionType& ContentDisposition();
    MimeFieldBody& ContentLocation() {
        return FieldBody("Content-Location");
    }

private:
    template <typename T>
    T& TypedFieldBody(const char* name);

    std::vector<std::unique_ptr<MimeField>> m_fields;
};

inline std::unique_ptr<MimeHeaders> CreateMimeHeaders(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeHeaders>::Create(text, parent);
}
