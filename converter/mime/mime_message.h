// MimeMessage (a whole message, or the one enclosed in a message/... body) and MimeBodyPart
// (one part of a multipart body): entities that differ only in their class.
#pragma once

#include "mime_body.h"
#include "mime_entity.h"
#include "mime_headers.h"

class MimeMessage : public MimeEntity {
public:
    MimeMessage();
    MimeMessage(const MimeString& text, MimeMessageComponent* parent);
    MimeMessage(const MimeMessage& other) = default;
    MimeMessage& operator=(const MimeMessage& other) = default;
    std::unique_ptr<MimeMessageComponent> Clone() const override;
};

class MimeBodyPart : public MimeEntity {
public:
    MimeBodyPart();
    MimeBodyPart(const MimeString& text, MimeMessageComponent* parent);
    MimeBodyPart(const MimeBodyPart& other) = default;
    MimeBodyPart& operator=(const MimeBodyPart& other) = default;
    std::unique_ptr<MimeMessageComponent> Clone() const override;
};

inline std::unique_ptr<MimeMessage> CreateMimeMessage(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeMessage>::Create(text, parent);
}

inline std::unique_ptr<MimeBodyPart> CreateMimeBodyPart(const MimeString& text,
                                                        MimeMessageComponent* parent) {
    return MimeCreation<MimeBodyPart>::Create(text, parent);
}
