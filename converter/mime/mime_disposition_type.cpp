#include "mime_disposition_type.h"

#include "mime_tokenizer.h"

MimeDispositionType::MimeDispositionType()
    : MimeParameterizedBody(MIME_CLASS_DISPOSITION_TYPE, "MimeDispositionType") {}

MimeDispositionType::MimeDispositionType(const MimeString& text, MimeMessageComponent* parent)
    : MimeParameterizedBody(text, parent, MIME_CLASS_DISPOSITION_TYPE, "MimeDispositionType") {}

MimeDispositionType::MimeDispositionType(const MimeDispositionType& other)
    : MimeParameterizedBody(other), m_disposition(other.m_disposition),
      m_dispositionText(other.m_dispositionText), m_filename(other.m_filename) {}

MimeDispositionType& MimeDispositionType::operator=(const MimeDispositionType& other) {
    if (this != &other) {
        MimeParameterizedBody::operator=(other);
        m_disposition = other.m_disposition;
        m_dispositionText = other.m_dispositionText;
        m_filename = other.m_filename;
    }
    return *this;
}

std::unique_ptr<MimeMessageComponent> MimeDispositionType::Clone() const {
    return std::make_unique<MimeDispositionType>(*this);
}

void MimeDispositionType::Parse() {
    ClearModified();
    m_disposition = MIME_DISPOSITION_NONE;
    m_dispositionText.clear();
    m_filename.clear();
    m_parameters.Clear();
    if (AsString().empty())
        return;
    MimeHeaderTokenizer t(AsString());
    while (t.Type() != MIME_TOKEN_NULL && t.Type() != MIME_TOKEN_ERROR && t.Type() != MIME_TOKEN_TOKEN)
        t.Next();
    if (t.Type() == MIME_TOKEN_TOKEN) {
        m_dispositionText = t.Token();
        t.Next();
    }
    m_parameters.ParseFrom(t);
    m_disposition = TextToDisposition(m_dispositionText);
}

void MimeDispositionType::Compose() {
    if (!IsModified())
        return;
    MimeString text;
    if (!m_dispositionText.empty()) {
        text.append(m_dispositionText);
        m_parameters.ComposeInto(text, IsFolding());
    }
    SetStringForm(text);
    ClearModified();
}

MimeString MimeDispositionType::DispositionToText(int disposition) const {
    if (disposition == MIME_DISPOSITION_INLINE)
        return "inline";
    if (disposition == MIME_DISPOSITION_ATTACHMENT)
        return "attachment";
    return MimeString();
}

int MimeDispositionType::TextToDisposition(const MimeString& text) const {
    if (text.empty())
        return MIME_DISPOSITION_NONE;
    if (MimeCompareNoCase(text, "inline") == 0)
        return MIME_DISPOSITION_INLINE;
    if (MimeCompareNoCase(text, "attachment") == 0)
        return MIME_DISPOSITION_ATTACHMENT;
    return MIME_DISPOSITION_UNKNOWN;
}

void MimeDispositionType::SetDispositionType(int disposition) {
    m_disposition = disposition;
    MimeString text = DispositionToText(disposition);
    if (!text.empty())
        m_dispositionText = text;
    SetModified();
}

void MimeDispositionType::SetDispositionTypeStr(const MimeString& text) {
    m_dispositionText = text;
    m_disposition = TextToDisposition(text);
    SetModified();
}

const MimeString& MimeDispositionType::Filename() {
    if (MimeParameter* parameter = m_parameters.Find("filename"))
        m_filename = parameter->Value();
    return m_filename;
}

void MimeDispositionType::SetFilename(const MimeString& filename) {
    m_filename = filename;
    SetParameterValue("Filename", filename);
}
