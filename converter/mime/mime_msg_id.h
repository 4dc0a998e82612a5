// MimeMsgId: the body of the Message-Id, Resent-Message-Id and Content-Id
// fields, <local@domain>.
#pragma once

#include "mime_field_body.h"

#include <memory>

class MimeMsgId : public MimeFieldBody {
public:
    MimeMsgId();
    MimeMsgId(const MimeString& text, MimeMessageComponent* parent);
    MimeMsgId(const MimeMsgId& other);
    MimeMsgId& operator=(const MimeMsgId& other);
    ~MimeMsgId() override;

    // Text before "<" and after ">" is ignored.
    void Parse() override;
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    const MimeString& LocalPart() const { return m_localPart; }
    void SetLocalPart(const MimeString& localPart);
    const MimeString& Domain() const { return m_domain; }
    void SetDomain(const MimeString& domain);

private:
    MimeString m_localPart;
    MimeString m_domain;
};

// The creation function through which the library makes every MimeMsgId it needs.
inline std::unique_ptr<MimeMsgId> CreateMimeMsgId(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeMsgId>::Create(text, parent);
}
