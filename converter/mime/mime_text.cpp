#include "mime_text.h"

#include "mime_field_body_factory.h"

namespace {

std::unique_ptr<MimeFieldBody> CreateTextBody(const MimeString& text, MimeMessageComponent* parent) {
    return CreateMimeText(text, parent);
}

const MimeFieldBodyRegistrar s_registrar(MIME_BODY_TEXT, &CreateTextBody);

} // namespace

MimeText::MimeText() : MimeFieldBody(MIME_CLASS_TEXT, "MimeText") {}

MimeText::MimeText(const MimeString& text, MimeMessageComponent* parent)
    : MimeFieldBody(text, parent, MIME_CLASS_TEXT, "MimeText") {}

MimeText::MimeText(const MimeText& other) = default;

MimeText& MimeText::operator=(const MimeText& other) = default;

MimeText::~MimeText() = default;

std::unique_ptr<MimeMessageComponent> MimeText::Clone() const {
    return std::make_unique<MimeText>(*this);
}

void MimeText::Parse() {
    ClearModified();
}

void MimeText::Compose() {
    ClearModified();
}
