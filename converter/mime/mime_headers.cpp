#include "mime_headers.h"

#include "mime_date_time.h"
#include "mime_disposition_type.h"
#include "mime_exception.h"
#include "mime_field_body_factory.h"
#include "mime_mechanism.h"
#include "mime_media_type.h"

MimeHeaders::MimeHeaders() : MimeMessageComponent(MIME_CLASS_HEADERS, "MimeHeaders") {
    m_fields.reserve(30);
}

MimeHeaders::MimeHeaders(const MimeString& text, MimeMessageComponent* parent)
    : MimeMessageComponent(text, parent, MIME_CLASS_HEADERS, "MimeHeaders") {
    m_fields.reserve(30);
}

MimeHeaders::MimeHeaders(const MimeHeaders& other) : MimeMessageComponent(other) {
    m_fields.reserve(other.m_fields.size());
    for (const auto& field : other.m_fields) {
        m_fields.push_back(MimeCloneAs(*field));
        m_fields.back()->SetParent(this);
    }
}

MimeHeaders& MimeHeaders::operator=(const MimeHeaders& other) {
    if (this != &other) {
        MimeHeaders copy(other);
        MimeMessageComponent::operator=(other);
        m_fields.swap(copy.m_fields);
        for (auto& field : m_fields)
            field->SetParent(this);
    }
    return *this;
}

MimeHeaders::~MimeHeaders() = default;

std::unique_ptr<MimeMessageComponent> MimeHeaders::Clone() const {
    return std::make_unique<MimeHeaders>(*this);
}

void MimeHeaders::Parse() {
    ClearModified();
    m_fields.clear();
    const MimeString& text = AsString();
    const char* d = text.data();
    size_t n = text.length();
    size_t pos = 0;
    while (pos < n) {
        // A field runs to the first line feed that is not followed by a blank or tab.
        size_t end = pos;
        while (end < n) {
            if (d[end] == '\n' && (end + 1 >= n || (d[end + 1] != ' ' && d[end + 1] != '\t'))) {
                ++end;
                break;
            }
            ++end;
        }
        std::unique_ptr<MimeField> field = CreateMimeField(MimeString(text, pos, end - pos), this);
        field->Parse();
        m_fields.push_back(std::move(field));
        pos = end;
    }
}

void MimeHeaders::Compose() {
    if (!IsModified())
        return;
    size_t total = 0;
    for (auto& field : m_fields) {
        field->Compose();
        total += field->AsString().length();
    }
    MimeString text;
    text.reserve(total);
    for (auto& field : m_fields)
        text.append(field->AsString());
    SetStringForm(text);
    ClearModified();
}

MimeField& MimeHeaders::FieldAt(size_t index) const {
    if (index >= m_fields.size())
        throw MimeBoundsException();
    return *m_fields[index];
}

void MimeHeaders::AddField(std::unique_ptr<MimeField> field) {
    if (!field)
        return;
    field->SetParent(this);
    m_fields.push_back(std::move(field));
    SetModified();
}

void MimeHeaders::InsertFieldAt(size_t index, std::unique_ptr<MimeField> field) {
    if (index > m_fields.size())
        throw MimeBoundsException();
    if (!field)
        return;
    field->SetParent(this);
    m_fields.insert(m_fields.begin() + static_cast<std::ptrdiff_t>(index), std::move(field));
    SetModified();
}

std::unique_ptr<MimeField> MimeHeaders::RemoveFieldAt(size_t index) {
    if (index >= m_fields.size())
        throw MimeBoundsException();
    std::unique_ptr<MimeField> field = std::move(m_fields[index]);
    m_fields.erase(m_fields.begin() + static_cast<std::ptrdiff_t>(index));
    field->SetParent(nullptr);
    SetModified();
    return field;
}

void MimeHeaders::DeleteAllFields() {
    m_fields.clear();
    SetModified();
}

MimeField* MimeHeaders::FindField(const MimeString& name) const {
    for (const auto& field : m_fields)
        if (MimeCompareNoCase(field->FieldNameStr(), name) == 0)
            return field.get();
    return nullptr;
}

MimeFieldBody& MimeHeaders::FieldBody(const MimeString& name) {
    MimeField* field = FindField(name);
    if (field == nullptr) {
        std::unique_ptr<MimeField> created = CreateMimeField(MimeString(), this);
        created->SetFieldNameStr(name);
        created->AttachFieldBody(CreateMimeFieldBody(name, MimeString(), created.get()));
        field = created.get();
        AddField(std::move(created));
    } else if (field->FieldBody() == nullptr) {
        field->SetFieldBody(CreateMimeFieldBody(field->FieldNameStr(), field->FieldBodyStr(), field));
        field->FieldBody()->Parse();
    }
    return *field->FieldBody();
}

// A field whose body is not of the class its name calls for (set by hand, or by a replaced
// rule) gets a body of that class, parsed from the old body's text.
template <typename T>
T& MimeHeaders::TypedFieldBody(const char* name) {
    MimeFieldBody& body = FieldBody(name);
    if (T* typed = dynamic_cast<T*>(&body))
        return *typed;
    MimeField* field = FindField(name);
    body.Compose();
    auto replacement = std::make_unique<T>(body.AsString(), field);
    replacement->Parse();
    T& result = *replacement;
    field->SetFieldBody(std::move(replacement));
    return result;
}

MimeDateTime& MimeHeaders::Date() {
    return TypedFieldBody<MimeDateTime>("Date");
}

MimeDateTime& MimeHeaders::ResentDate() {
    return TypedFieldBody<MimeDateTime>("Resent-Date");
}

MimeMediaType& MimeHeaders::ContentType() {
    return TypedFieldBody<MimeMediaType>("Content-Type");
}

MimeMechanism& MimeHeaders::ContentTransferEncoding() {
    return TypedFieldBody<MimeMechanism>("Content-Transfer-Encoding");
}

MimeDispositionType& MimeHeaders::ContentDisposition() {
    return TypedFieldBody<MimeDispositionType>("Content-Disposition");
}
