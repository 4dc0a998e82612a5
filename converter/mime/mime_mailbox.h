// MimeMailbox: one mailbox of an address field, "Full Name <local@domain>" or
// local@domain with an optional comment, optionally with a source route inside
// the angle brackets.
#pragma once

#include "mime_address.h"

#include <memory>

class MimeMailbox : public MimeAddress {
public:
    MimeMailbox();
    MimeMailbox(const MimeString& text, MimeMessageComponent* parent);
    MimeMailbox(const MimeMailbox& other);
    MimeMailbox& operator=(const MimeMailbox& other);
    ~MimeMailbox() override;

    void Parse() override;
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    const MimeString& FullName() const { return m_fullName; }
    void SetFullName(const MimeString& fullName);
    const MimeString& Route() const { return m_route; }
    void SetRoute(const MimeString& route);
    const MimeString& LocalPart() const { return m_localPart; }
    void SetLocalPart(const MimeString& localPart);
    const MimeString& Domain() const { return m_domain; }
    void SetDomain(const MimeString& domain);

private:
    MimeString m_fullName;
    MimeString m_route;
    MimeString m_localPart;
    MimeString m_domain;
};

// The creation function through which the library makes every MimeMailbox it needs.
inline std::unique_ptr<MimeMailbox> CreateMimeMailbox(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeMailbox>::Create(text, parent);
}
