#include "mime_media_type.h"

#include "mime_names.h"
#include "mime_time.h"
#include "mime_tokenizer.h"

MimeMediaType::MimeMediaType() : MimeParameterizedBody(MIME_CLASS_MEDIA_TYPE, "MimeMediaType") {}

MimeMediaType::MimeMediaType(const MimeString& text, MimeMessageComponent* parent)
    : MimeParameterizedBody(text, parent, MIME_CLASS_MEDIA_TYPE, "MimeMediaType") {}

MimeMediaType::MimeMediaType(const MimeMediaType& other)
    : MimeParameterizedBody(other), m_type(other.m_type), m_subtype(other.m_subtype),
      m_typeText(other.m_typeText), m_subtypeText(other.m_subtypeText), m_boundary(other.m_boundary),
      m_name(other.m_name) {}

MimeMediaType& MimeMediaType::operator=(const MimeMediaType& other) {
    if (this != &other) {
        MimeParameterizedBody::operator=(other);
        m_type = other.m_type;
        m_subtype = other.m_subtype;
        m_typeText = other.m_typeText;
        m_subtypeText = other.m_subtypeText;
        m_boundary = other.m_boundary;
        m_name = other.m_name;
    }
    return *this;
}

std::unique_ptr<MimeMessageComponent> MimeMediaType::Clone() const {
    return std::make_unique<MimeMediaType>(*this);
}

void MimeMediaType::Parse() {
    ClearModified();
    m_typeText.clear();
    m_subtypeText.clear();
    m_type = 0;
    m_subtype = 0;
    m_parameters.Clear();
    if (AsString().empty())
        return;
    MimeHeaderTokenizer t(AsString());
    while (t.Type() != MIME_TOKEN_NULL && t.Type() != MIME_TOKEN_ERROR && t.Type() != MIME_TOKEN_TOKEN)
        t.Next();
    if (t.Type() == MIME_TOKEN_TOKEN) {
        m_typeText = t.Token();
        t.Next();
        bool slash = false;
        while (!slash && t.Type() != MIME_TOKEN_NULL && t.Type() != MIME_TOKEN_ERROR) {
            slash = t.Type() == MIME_TOKEN_TSPECIAL && t.Token()[0] == '/';
            t.Next();
        }
        if (slash && t.Type() == MIME_TOKEN_TOKEN) {
            m_subtypeText = t.Token();
            t.Next();
        }
        m_parameters.ParseFrom(t);
    }
    m_type = TypeStrToEnum(m_typeText);
    m_subtype = SubtypeStrToEnum(m_subtypeText);
}

void MimeMediaType::Compose() {
    if (!IsModified())
        return;
    if (m_typeText.empty() || m_subtypeText.empty()) {
        SetStringForm(MimeString());
        return;
    }
    MimeString text;
    text.append(m_typeText).append("/").append(m_subtypeText);
    m_parameters.ComposeInto(text, IsFolding());
    SetStringForm(text);
    ClearModified();
}

void MimeMediaType::SetType(int type) {
    m_type = type;
    TypeEnumToStr(type, m_typeText);
    SetModified();
}

void MimeMediaType::SetTypeStr(const MimeString& text) {
    m_typeText = text;
    m_type = TypeStrToEnum(text);
    SetModified();
}

void MimeMediaType::SetSubtype(int subtype) {
    m_subtype = subtype;
    SubtypeEnumToStr(subtype, m_subtypeText);
    SetModified();
}

void MimeMediaType::SetSubtypeStr(const MimeString& text) {
    m_subtypeText = text;
    m_subtype = SubtypeStrToEnum(text);
    SetModified();
}

const MimeString& MimeMediaType::Boundary() {
    m_boundary.clear();
    if (MimeParameter* parameter = m_parameters.Find("boundary"))
        m_boundary = parameter->Value();
    return m_boundary;
}

void MimeMediaType::SetBoundary(const MimeString& boundary) {
    m_boundary = boundary;
    SetParameterValue("boundary", boundary);
}

const MimeString& MimeMediaType::Name() {
    m_name.clear();
    if (MimeParameter* parameter = m_parameters.Find("name"))
        m_name = parameter->Value();
    return m_name;
}

void MimeMediaType::SetName(const MimeString& name) {
    m_name = name;
    SetParameterValue("name", name);
}

void MimeMediaType::CreateBoundary(int level) {
    const size_t kLength = 39;
    MimeString text("Boundary-");
    if (level != 0) {
        unsigned magnitude = static_cast<unsigned>(level < 0 ? -static_cast<long long>(level) : level) % 1000;
        if (magnitude >= 100)
            text.append(1, static_cast<char>('0' + magnitude / 100));
        if (magnitude >= 10)
            text.append(1, static_cast<char>('0' + magnitude / 10 % 10));
        text.append(1, static_cast<char>('0' + magnitude % 10));
    }
    text.append("=_");
    DWORD state = static_cast<DWORD>(MimeCurrentTime());
    if (state % 2147483647u == 0)
        state = 1;
    while (text.length() < kLength) {
        DWORD r = NextRandom(&state) % 52;
        text.append(1, static_cast<char>(r < 26 ? 'A' + r : 'a' + (r - 26)));
    }
    SetBoundary(text);
}
