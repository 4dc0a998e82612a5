#include "mime_mechanism.h"

#include "mime_names.h"

MimeMechanism::MimeMechanism() : MimeFieldBody(MIME_CLASS_MECHANISM, "MimeMechanism") {}

MimeMechanism::MimeMechanism(const MimeString& text, MimeMessageComponent* parent)
    : MimeFieldBody(text, parent, MIME_CLASS_MECHANISM, "MimeMechanism") {}

std::unique_ptr<MimeMessageComponent> MimeMechanism::Clone() const {
    return std::make_unique<MimeMechanism>(*this);
}

void MimeMechanism::Parse() {
    ClearModified();
    m_encoding = AsString().empty() ? MIME_CTE_NONE : CteStrToEnum(AsString());
}

void MimeMechanism::Compose() {
    ClearModified();
}

void MimeMechanism::SetAsEnum(int encoding) {
    m_encoding = encoding;
    MimeString name;
    CteEnumToStr(encoding, name);
    if (!name.empty())
        SetStringForm(name);
    SetModified();
}
