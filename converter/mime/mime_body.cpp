#include "mime_body.h"

#include "mime_exception.h"
#include "mime_media_type.h"
#include "mime_message.h"
#include "mime_names.h"

MimeBody::MimeBody() : MimeMessageComponent(MIME_CLASS_BODY, "MimeBody") {}

MimeBody::MimeBody(const MimeString& text, MimeMessageComponent* parent)
    : MimeMessageComponent(text, parent, MIME_CLASS_BODY, "MimeBody") {}

MimeBody::MimeBody(const MimeBody& other)
    : MimeMessageComponent(other), m_preamble(other.m_preamble), m_epilogue(other.m_epilogue) {
    m_parts.reserve(other.m_parts.size());
    for (const auto& part : other.m_parts) {
        m_parts.push_back(MimeCloneAs(*part));
        m_parts.back()->SetParent(this);
    }
    if (other.m_message) {
        m_message = MimeCloneAs(*other.m_message);
        m_message->SetParent(this);
    }
}

MimeBody& MimeBody::operator=(const MimeBody& other) {
    if (this != &other) {
        MimeBody copy(other);
        MimeMessageComponent::operator=(other);
        m_preamble = other.m_preamble;
        m_epilogue = other.m_epilogue;
        m_parts.swap(copy.m_parts);
        m_message.swap(copy.m_message);
        for (auto& part : m_parts)
            part->SetParent(this);
        if (m_message)
            m_message->SetParent(this);
    }
    return *this;
}

MimeBody::~MimeBody() = default;

std::unique_ptr<MimeMessageComponent> MimeBody::Clone() const {
    return std::make_unique<MimeBody>(*this);
}

size_t MimeBody::NestingLevel() const {
    size_t level = 0;
    for (const MimeMessageComponent* c = this; c != nullptr; c = c->Parent())
        if (c->ClassId() == MIME_CLASS_BODY)
            ++level;
    return level;
}

void MimeBody::Parse() {
    ClearModified();
    m_parts.clear();
    m_message.reset();
    m_preamble.clear();
    m_epilogue.clear();
    MimeEntity* entity = dynamic_cast<MimeEntity*>(Parent());
    if (entity == nullptr || !entity->Headers().HasField("content-type"))
        return;
    // Deeper bodies stay text: no input can nest the parser without bound.
    if (NestingLevel() > kMimeMaxNesting)
        return;
    MimeMediaType& mediaType = entity->Headers().ContentType();
    int type = mediaType.Type();
    if (type == MIME_TYPE_MULTIPART) {
        MimeMultipartPieces pieces = MimeSplitMultipart(AsString(), mediaType.Boundary());
        if (!pieces.found)
            return;
        m_preamble = pieces.preamble;
        m_epilogue = pieces.epilogue;
        m_parts.reserve(pieces.parts.size());
        for (const MimeString& text : pieces.parts) {
            std::unique_ptr<MimeBodyPart> part = CreateMimeBodyPart(text, this);
            part->Parse();
            m_parts.push_back(std::move(part));
        }
    } else if (type == MIME_TYPE_MESSAGE) {
        std::unique_ptr<MimeMessage> message = CreateMimeMessage(AsString(), this);
        message->Parse();
        m_message = std::move(message);
    }
}

void MimeBody::Compose() {
    if (!IsModified())
        return;
    MimeEntity* entity = dynamic_cast<MimeEntity*>(Parent());
    if ((m_parts.empty() && !m_message) || entity == nullptr) {
        ClearModified();
        return;
    }
    MimeMediaType& mediaType = entity->Headers().ContentType();
    int type = mediaType.Type();
    if (type == MIME_TYPE_MULTIPART) {
        MimeString boundary = mediaType.Boundary();
        size_t total = m_preamble.length() + m_epilogue.length() + boundary.length() + 8;
        for (auto& part : m_parts) {
            part->Compose();
            total += part->AsString().length() + boundary.length() + 4;
        }
        MimeString text;
        text.reserve(total);
        text.append(m_preamble);
        for (auto& part : m_parts)
            text.append("\n--").append(boundary).append("\n").append(part->AsString());
        text.append("\n--").append(boundary).append("--\n").append(m_epilogue);
        SetStringForm(text);
        ClearModified();
    } else if (type == MIME_TYPE_MESSAGE && m_message) {
        m_message->Compose();
        SetStringForm(m_message->AsString());
        ClearModified();
    }
}

void MimeBody::SetPreamble(const MimeString& text) {
    m_preamble = text;
    SetModified();
}

void MimeBody::SetEpilogue(const MimeString& text) {
    m_epilogue = text;
    SetModified();
}

MimeBodyPart& MimeBody::BodyPartAt(size_t index) const {
    if (index >= m_parts.size())
        throw MimeBoundsException();
    return *m_parts[index];
}

void MimeBody::AddBodyPart(std::unique_ptr<MimeBodyPart> part) {
    if (!part)
        return;
    part->SetParent(this);
    m_parts.push_back(std::move(part));
    SetModified();
}

void MimeBody::InsertBodyPartAt(size_t index, std::unique_ptr<MimeBodyPart> part) {
    if (index > m_parts.size())
        throw MimeBoundsException();
    if (!part)
        return;
    part->SetParent(this);
    m_parts.insert(m_parts.begin() + static_cast<std::ptrdiff_t>(index), std::move(part));
    SetModified();
}

std::unique_ptr<MimeBodyPart> MimeBody::RemoveBodyPartAt(size_t index) {
    if (index >= m_parts.size())
        throw MimeBoundsException();
    std::unique_ptr<MimeBodyPart> part = std::move(m_parts[index]);
    m_parts.erase(m_parts.begin() + static_cast<std::ptrdiff_t>(index));
    part->SetParent(nullptr);
    SetModified();
    return part;
}

void MimeBody::DeleteAllBodyParts() {
    m_parts.clear();
    SetModified();
}

std::unique_ptr<MimeMessage> MimeBody::SetMessage(std::unique_ptr<MimeMessage> message) {
    std::unique_ptr<MimeMessage> previous = std::move(m_message);
    m_message = std::move(message);
    if (m_message)
        m_message->SetParent(this);
    if (previous)
        previous->SetParent(nullptr);
    SetModified();
    return previous;
}
