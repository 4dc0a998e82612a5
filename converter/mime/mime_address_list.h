// MimeAddressList: the addresses (mailboxes and groups) of the To, Cc, Bcc,
// Reply-To and Resent- fields.
#pragma once

#include "mime_address.h"
#include "mime_field_body.h"

#include <memory>
#include <vector>

class MimeAddressList : public MimeFieldBody {
public:
    MimeAddressList();
    MimeAddressList(const MimeString& text, MimeMessageComponent* parent);
    MimeAddressList(const MimeAddressList& other);
    MimeAddressList& operator=(const MimeAddressList& other);
    ~MimeAddressList() override;

    // Valid addresses only; the text of an invalid one is dropped.
    void Parse() override;
    // The valid addresses joined by ",\n " when folding, else by ", ".
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    int AddressCount() const { return static_cast<int>(m_addresses.size()); }
    // Indexes out of range throw MimeBoundsException.
    MimeAddress& AddressAt(int index) const;
    // The list owns what is added and becomes its parent.
    void AddAddress(std::unique_ptr<MimeAddress> address);
    void InsertAddress(int index, std::unique_ptr<MimeAddress> address);
    // Hands the address back to the caller, without a parent.
    std::unique_ptr<MimeAddress> RemoveAddress(int index);
    void DeleteAllAddresses();

private:
    void CopyAddresses(const MimeAddressList& other);

    std::vector<std::unique_ptr<MimeAddress>> m_addresses;
};

// The creation function through which the library makes every MimeAddressList it needs.
inline std::unique_ptr<MimeAddressList> CreateMimeAddressList(const MimeString& text,
                                                              MimeMessageComponent* parent) {
    return MimeCreation<MimeAddressList>::Create(text, parent);
}
