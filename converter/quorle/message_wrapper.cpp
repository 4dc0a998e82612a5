#include "message_wrapper.h"

#include "mime_date_time.h"
#include "mime_field.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"

MessageWrapper::MessageWrapper() : m_message(CreateMimeMessage(MimeString(), NULL)) {}

MessageWrapper::MessageWrapper(MimeMessage* message) : m_message(message) {
    if (!m_message)
        m_message = CreateMimeMessage(MimeString(), NULL);
}

MessageWrapper::~MessageWrapper() = default;

void MessageWrapper::SetAutomaticFields() {
    m_message->Headers().MimeVersion().FromString("1.0");
}

void MessageWrapper::SetMessage(MimeMessage* message) {
    m_message.reset(message);
    if (!m_message)
        m_message = CreateMimeMessage(MimeString(), NULL);
}

const MimeString& MessageWrapper::AsString() {
    m_message->Compose();
    return m_message->AsString();
}

const MimeString& MessageWrapper::TextField(const char* name) const {
    MimeField* field = m_message->Headers().FindField(name);
    if (field == NULL || field->FieldBody() == NULL)
        return m_empty;
    return field->FieldBody()->AsString();
}

void MessageWrapper::SetTextField(const char* name, const MimeString& text) {
    m_message->Headers().FieldBody(MimeString(name)).FromString(text);
}

const MimeString& MessageWrapper::DateStr() const {
    return TextField("date");
}

LONGLONG MessageWrapper::Date() const {
    if (!m_message->Headers().HasDate())
        return -1;
    return m_message->Headers().Date().AsUnixTime();
}

void MessageWrapper::SetDate(LONGLONG unixTime) {
    m_message->Headers().Date().FromUnixTime(unixTime, 1);
}

const MimeString& MessageWrapper::TypeStr() const {
    if (!m_message->Headers().HasContentType())
        return m_empty;
    return m_message->Headers().ContentType().TypeStr();
}

int MessageWrapper::Type() const {
    if (!m_message->Headers().HasContentType())
        return 0;
    return m_message->Headers().ContentType().Type();
}

void MessageWrapper::SetTypeStr(const MimeString& text) {
    m_message->Headers().ContentType().SetTypeStr(text);
}
void MessageWrapper::SetType(int type) {
    m_message->Headers().ContentType().SetType(type);
}

const MimeString& MessageWrapper::SubtypeStr() const {
    if (!m_message->Headers().HasContentType())
        return m_empty;
    return m_message->Headers().ContentType().SubtypeStr();
}

int MessageWrapper::Subtype() const {
    if (!m_message->Headers().HasContentType())
        return 0;
    return m_message->Headers().ContentType().Subtype();
}

void MessageWrapper::SetSubtypeStr(const MimeString& text) {
    m_message->Headers().ContentType().SetSubtypeStr(text);
}
void MessageWrapper::SetSubtype(int subtype) {
    m_message->Headers().ContentType().SetSubtype(subtype);
}

const MimeString& MessageWrapper::ContentTransferEncodingStr() const {
    MimeField* field = m_message->Headers().FindField("content-transfer-encoding");
    if (field == NULL || field->FieldBody() == NULL)
        return m_empty;
    return field->FieldBody()->AsString();
}

int MessageWrapper::ContentTransferEncoding() const {
    if (!m_message->Headers().HasContentTransferEncoding())
        return 0;
    return m_message->Headers().ContentTransferEncoding().AsEnum();
}

void MessageWrapper::SetContentTransferEncodingStr(const MimeString& text) {
    m_message->Headers().ContentTransferEncoding().FromString(text);
}

void MessageWrapper::SetContentTransferEncoding(int encoding) {
    m_message->Headers().ContentTransferEncoding().SetAsEnum(encoding);
}

const MimeString& MessageWrapper::BodyStr() const {
    return m_message->Body().AsString();
}
void MessageWrapper::SetBodyStr(const MimeString& text) {
    m_message->Body().FromString(text);
}
