#include "mime_mailbox_list.h"

#include "mime_address_split.h"
#include "mime_exception.h"
#include "mime_field_body_factory.h"

namespace {

const size_t kInitialCapacity = 10;

std::unique_ptr<MimeFieldBody> CreateMailboxListBody(const MimeString& text, MimeMessageComponent* parent) {
    return CreateMimeMailboxList(text, parent);
}

const MimeFieldBodyRegistrar s_registrar(MIME_BODY_MAILBOX_LIST, &CreateMailboxListBody);

} // namespace

MimeMailboxList::MimeMailboxList() : MimeFieldBody(MIME_CLASS_MAILBOX_LIST, "MimeMailboxList") {
    m_mailboxes.reserve(kInitialCapacity);
}

MimeMailboxList::MimeMailboxList(const MimeString& text, MimeMessageComponent* parent)
    : MimeFieldBody(text, parent, MIME_CLASS_MAILBOX_LIST, "MimeMailboxList") {
    m_mailboxes.reserve(kInitialCapacity);
}

MimeMailboxList::MimeMailboxList(const MimeMailboxList& other) : MimeFieldBody(other) {
    CopyMailboxes(other);
}

MimeMailboxList& MimeMailboxList::operator=(const MimeMailboxList& other) {
    if (this != &other) {
        MimeFieldBody::operator=(other);
        CopyMailboxes(other);
    }
    return *this;
}

MimeMailboxList::~MimeMailboxList() = default;

void MimeMailboxList::CopyMailboxes(const MimeMailboxList& other) {
    std::vector<std::unique_ptr<MimeMailbox>> copies;
    copies.reserve(other.m_mailboxes.size() > kInitialCapacity ? other.m_mailboxes.size() : kInitialCapacity);
    for (const std::unique_ptr<MimeMailbox>& mailbox : other.m_mailboxes) {
        copies.push_back(MimeCloneAs(*mailbox));
        copies.back()->SetParent(this);
    }
    m_mailboxes.swap(copies);
}

std::unique_ptr<MimeMessageComponent> MimeMailboxList::Clone() const {
    return std::make_unique<MimeMailboxList>(*this);
}

void MimeMailboxList::Parse() {
    m_mailboxes.clear();
    ClearModified();
    for (const MimeAddressText& address : SplitMimeAddresses(AsString(), false)) {
        std::unique_ptr<MimeMailbox> mailbox = CreateMimeMailbox(address.text, this);
        mailbox->Parse();
        if (mailbox->IsValid()) {
            m_mailboxes.push_back(std::move(mailbox));
        }
    }
}

void MimeMailboxList::Compose() {
    if (!IsModified()) {
        return;
    }
    const char* separator = IsFolding() ? ",\n  " : ", ";
    MimeString text;
    bool first = true;
    for (const std::unique_ptr<MimeMailbox>& mailbox : m_mailboxes) {
        mailbox->Compose();
        if (!mailbox->IsValid()) {
            continue;
        }
        if (!first) {
            text.append(separator);
        }
        text.append(mailbox->AsString());
        first = false;
    }
    SetStringForm(text);
    ClearModified();
}

MimeMailbox& MimeMailboxList::MailboxAt(int index) const {
    if (index < 0 || index >= MailboxCount()) {
        throw MimeBoundsException();
    }
    return *m_mailboxes[static_cast<size_t>(index)];
}

void MimeMailboxList::AddMailbox(std::unique_ptr<MimeMailbox> mailbox) {
    InsertMailbox(MailboxCount(), std::move(mailbox));
}

void MimeMailboxList::InsertMailbox(int index, std::unique_ptr<MimeMailbox> mailbox) {
    if (index < 0 || index > MailboxCount()) {
        throw MimeBoundsException();
    }
    if (mailbox == nullptr) {
        return;
    }
    mailbox->SetParent(this);
    m_mailboxes.insert(m_mailboxes.begin() + index, std::move(mailbox));
    SetModified();
}

std::unique_ptr<MimeMailbox> MimeMailboxList::RemoveMailbox(int index) {
    if (index < 0 || index >= MailboxCount()) {
        throw MimeBoundsException();
    }
    std::unique_ptr<MimeMailbox> mailbox = std::move(m_mailboxes[static_cast<size_t>(index)]);
    m_mailboxes.erase(m_mailboxes.begin() + index);
    mailbox->SetParent(nullptr);
    SetModified();
    return mailbox;
}

void MimeMailboxList::DeleteAllMailboxes() {
    m_mailboxes.clear();
    SetModified();
}
