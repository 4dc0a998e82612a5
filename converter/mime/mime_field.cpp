#include "mime_field.h"

#include "mime_field_body_factory.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

MimeField::MimeField() : MimeMessageComponent(MIME_CLASS_FIELD, "MimeField") {}

MimeField::MimeField(const MimeString& text, MimeMessageComponent* parent)
    : MimeMessageComponent(text, parent, MIME_CLASS_FIELD, "MimeField") {}

MimeField::MimeField(const MimeField& other)
    : MimeMessageComponent(other), m_name(other.m_name), m_bodyText(other.m_bodyText) {
    if (other.m_body) {
        m_body = MimeCloneAs(*other.m_body);
        m_body->SetParent(this);
    }
}

MimeField& MimeField::operator=(const MimeField& other) {
    if (this != &other) {
        MimeMessageComponent::operator=(other);
        m_name = other.m_name;
        m_bodyText = other.m_bodyText;
        m_body.reset();
        if (other.m_body) {
            m_body = MimeCloneAs(*other.m_body);
            m_body->SetParent(this);
        }
    }
    return *this;
}

MimeField::~MimeField() = default;

std::unique_ptr<MimeMessageComponent> MimeField::Clone() const {
    return std::make_unique<MimeField>(*this);
}

void MimeField::Parse() {
    ClearModified();
    m_body.reset();
    const MimeString& text = AsString();
    const char* d = text.data();
    size_t n = text.length();
    size_t colon = text.find(':');
    size_t nameEnd = colon == MimeString::npos ? n : colon;
    while (nameEnd > 0 && IsWhite(d[nameEnd - 1]))
        --nameEnd;
    m_name.assign(text, 0, nameEnd);
    if (colon == MimeString::npos) {
        m_bodyText.clear();
    } else {
        size_t start = colon + 1;
        while (start < n && IsBlank(d[start]))
            ++start;
        // The value ends at the first line feed that ends the text or is not a fold.
        size_t end = start;
        while (end < n) {
            if (d[end] == '\n' && (end + 1 >= n || !IsBlank(d[end + 1])))
                break;
            ++end;
        }
        while (end > start && IsWhite(d[end - 1]))
            --end;
        m_bodyText.assign(text, start, end - start);
    }
    CreateFieldBodyFromText();
}

void MimeField::CreateFieldBodyFromText() {
    std::unique_ptr<MimeFieldBody> body = CreateMimeFieldBody(m_name, m_bodyText, this);
    body->Parse();
    m_body = std::move(body);
}

void MimeField::Compose() {
    if (!IsModified())
        return;
    if (m_body) {
        m_body->Compose();
        m_bodyText = m_body->AsString();
    }
    MimeString text;
    text.reserve(m_name.length() + m_bodyText.length() + 3);
    text.append(m_name).append(": ").append(m_bodyText).append("\n");
    SetStringForm(text);
    ClearModified();
}

void MimeField::SetFieldNameStr(const MimeString& name) {
    m_name = name;
    SetModified();
}

void MimeField::SetFieldBodyStr(const MimeString& text) {
    m_bodyText = text;
    m_body.reset();
    SetModified();
}

std::unique_ptr<MimeFieldBody> MimeField::SetFieldBody(std::unique_ptr<MimeFieldBody> body) {
    bool changed = body.get() != m_body.get();
    std::unique_ptr<MimeFieldBody> previous = AttachFieldBody(std::move(body));
    if (changed)
        SetModified();
    return previous;
}

std::unique_ptr<MimeFieldBody> MimeField::AttachFieldBody(std::unique_ptr<MimeFieldBody> body) {
    std::unique_ptr<MimeFieldBody> previous = std::move(m_body);
    m_body = std::move(body);
    if (m_body)
        m_body->SetParent(this);
    if (previous)
        previous->SetParent(nullptr);
    return previous;
}
