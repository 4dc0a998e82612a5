#include "mime_address_list.h"

#include "mime_address_split.h"
#include "mime_exception.h"
#include "mime_field_body_factory.h"
#include "mime_group.h"
#include "mime_mailbox.h"

namespace {

const size_t kInitialCapacity = 10;

std::unique_ptr<MimeFieldBody> CreateAddressListBody(const MimeString& text, MimeMessageComponent* parent) {
    return CreateMimeAddressList(text, parent);
}

const MimeFieldBodyRegistrar s_registrar(MIME_BODY_ADDRESS_LIST, &CreateAddressListBody);

} // namespace

MimeAddressList::MimeAddressList() : MimeFieldBody(MIME_CLASS_ADDRESS_LIST, "MimeAddressList") {
    m_addresses.reserve(kInitialCapacity);
}

MimeAddressList::MimeAddressList(const MimeString& text, MimeMessageComponent* parent)
    : MimeFieldBody(text, parent, MIME_CLASS_ADDRESS_LIST, "MimeAddressList") {
    m_addresses.reserve(kInitialCapacity);
}

MimeAddressList::MimeAddressList(const MimeAddressList& other) : MimeFieldBody(other) {
    CopyAddresses(other);
}

MimeAddressList& MimeAddressList::operator=(const MimeAddressList& other) {
    if (this != &other) {
        MimeFieldBody::operator=(other);
        CopyAddresses(other);
    }
    return *this;
}

MimeAddressList::~MimeAddressList() = default;

void MimeAddressList::CopyAddresses(const MimeAddressList& other) {
    std::vector<std::unique_ptr<MimeAddress>> copies;
    copies.reserve(other.m_addresses.size() > kInitialCapacity ? other.m_addresses.size() : kInitialCapacity);
    for (const std::unique_ptr<MimeAddress>& address : other.m_addresses) {
        copies.push_back(MimeCloneAs(*address));
        copies.back()->SetParent(this);
    }
    m_addresses.swap(copies);
}

std::unique_ptr<MimeMessageComponent> MimeAddressList::Clone() const {
    return std::make_unique<MimeAddressList>(*this);
}

void MimeAddressList::Parse() {
    m_addresses.clear();
    ClearModified();
    for (const MimeAddressText& text : SplitMimeAddresses(AsString(), true)) {
        std::unique_ptr<MimeAddress> address;
        if (text.isGroup) {
            address = CreateMimeGroup(text.text, this);
        } else {
            address = CreateMimeMailbox(text.text, this);
        }
        address->Parse();
        if (address->IsValid()) {
            m_addresses.push_back(std::move(address));
        }
    }
}

void MimeAddressList::Compose() {
    if (!IsModified()) {
        return;
    }
    const char* separator = IsFolding() ? ",\n " : ", ";
    MimeString text;
    bool first = true;
    for (const std::unique_ptr<MimeAddress>& address : m_addresses) {
        address->Compose();
        if (!address->IsValid()) {
            continue;
        }
        if (!first) {
            text.append(separator);
        }
        text.append(address->AsString());
        first = false;
    }
    SetStringForm(text);
    ClearModified();
}

MimeAddress& MimeAddressList::AddressAt(int index) const {
    if (index < 0 || index >= AddressCount()) {
        throw MimeBoundsException();
    }
    return *m_addresses[static_cast<size_t>(index)];
}

void MimeAddressList::AddAddress(std::unique_ptr<MimeAddress> address) {
    InsertAddress(AddressCount(), std::move(address));
}

void MimeAddressList::InsertAddress(int index, std::unique_ptr<MimeAddress> address) {
    if (index < 0 || index > AddressCount()) {
        throw MimeBoundsException();
    }
    if (address == nullptr) {
        return;
    }
    address->SetParent(this);
    m_addresses.insert(m_addresses.begin() + index, std::move(address));
    SetModified();
}

std::unique_ptr<MimeAddress> MimeAddressList::RemoveAddress(int index) {
    if (index < 0 || index >= AddressCount()) {
        throw MimeBoundsException();
    }
    std::unique_ptr<MimeAddress> address = std::move(m_addresses[static_cast<size_t>(index)]);
    m_addresses.erase(m_addresses.begin() + index);
    address->SetParent(nullptr);
    SetModified();
    return address;
}

void MimeAddressList::DeleteAllAddresses() {
    m_addresses.clear();
    SetModified();
}
