#include "mime_entity.h"

#include "mime_body.h"
#include "mime_headers.h"

void MimeSplitEntity(const MimeString& text, size_t* headerLength, size_t* bodyStart) {
    const char* d = text.data();
    size_t n = text.length();
    *headerLength = 0;
    *bodyStart = 0;
    if (n == 0)
        return;
    if (d[0] == '\n') {
        *bodyStart = 1;
        return;
    }
    if (n >= 2 && d[0] == '\r' && d[1] == '\n') {
        *bodyStart = 2;
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        if (d[i] != '\n')
            continue;
        if (i + 1 < n && d[i + 1] == '\n') {
            *headerLength = i + 1;
            *bodyStart = i + 2;
            return;
        }
        if (i >= 1 && d[i - 1] == '\r' && i + 2 < n && d[i + 1] == '\r' && d[i + 2] == '\n') {
            *headerLength = i + 1;
            *bodyStart = i + 3;
            return;
        }
    }
    *headerLength = n;
    *bodyStart = n;
}

MimeEntity::MimeEntity(int classId, const char* className) : MimeMessageComponent(classId, className) {
    m_headers = CreateMimeHeaders(MimeString(), this);
    m_body = CreateMimeBody(MimeString(), this);
}

MimeEntity::MimeEntity(const MimeString& text, MimeMessageComponent* parent, int classId,
                       const char* className)
    : MimeMessageComponent(text, parent, classId, className) {
    m_headers = CreateMimeHeaders(MimeString(), this);
    m_body = CreateMimeBody(MimeString(), this);
}

MimeEntity::MimeEntity(const MimeEntity& other) : MimeMessageComponent(other) {
    m_headers = MimeCloneAs(*other.m_headers);
    m_headers->SetParent(this);
    m_body = MimeCloneAs(*other.m_body);
    m_body->SetParent(this);
}

MimeEntity& MimeEntity::operator=(const MimeEntity& other) {
    if (this != &other) {
        std::unique_ptr<MimeHeaders> headers = MimeCloneAs(*other.m_headers);
        std::unique_ptr<MimeBody> body = MimeCloneAs(*other.m_body);
        MimeMessageComponent::operator=(other);
        m_headers = std::move(headers);
        m_headers->SetParent(this);
        m_body = std::move(body);
        m_body->SetParent(this);
    }
    return *this;
}

MimeEntity::~MimeEntity() = default;

void MimeEntity::Parse() {
    ClearModified();
    const MimeString& text = AsString();
    size_t headerLength = 0;
    size_t bodyStart = 0;
    MimeSplitEntity(text, &headerLength, &bodyStart);
    m_headers->FromString(MimeString(text, 0, headerLength));
    m_body->FromString(MimeString(text, bodyStart));
    m_headers->Parse();
    m_body->Parse();
}

void MimeEntity::Compose() {
    if (!IsModified())
        return;
    m_body->Compose();
    m_headers->Compose();
    const MimeString& headerText = m_headers->AsString();
    const MimeString& bodyText = m_body->AsString();
    MimeString text;
    text.reserve(headerText.length() + 1 + bodyText.length());
    text.append(headerText).append("\n").append(bodyText);
    SetStringForm(text);
    ClearModified();
}
