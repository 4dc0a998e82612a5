#include "mime_message.h"

MimeMessage::MimeMessage() : MimeEntity(MIME_CLASS_MESSAGE, "MimeMessage") {}

MimeMessage::MimeMessage(const MimeString& text, MimeMessageComponent* parent)
    : MimeEntity(text, parent, MIME_CLASS_MESSAGE, "MimeMessage") {}

std::unique_ptr<MimeMessageComponent> MimeMessage::Clone() const {
    return std::make_unique<MimeMessage>(*this);
}

MimeBodyPart::MimeBodyPart() : MimeEntity(MIME_CLASS_BODY_PART, "MimeBodyPart") {}

MimeBodyPart::MimeBodyPart(const MimeString& text, MimeMessageComponent* parent)
    : MimeEntity(text, parent, MIME_CLASS_BODY_PART, "MimeBodyPart") {}

std::unique_ptr<MimeMessageComponent> MimeBodyPart::Clone() const {
    return std::make_unique<MimeBodyPart>(*this);
}
