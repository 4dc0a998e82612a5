// MimeMailboxList: the mailboxes of a From or Resent-From field (and of a
// group).
#pragma once

#include "mime_field_body.h"
#include "mime_mailbox.h"

#include <memory>
#include <vector>

class MimeMailboxList : public MimeFieldBody {
public:
    MimeMailboxList();
    MimeMailboxList(const MimeString& text, MimeMessageComponent* parent);
    MimeMailboxList(const MimeMailboxList& other);
    MimeMailboxList& operator=(const MimeMailboxList& other);
    ~MimeMailboxList() override;

    // Valid mailboxes only; the text of an invalid one is dropped.
    void Parse() override;
    // The valid mailboxes joined by ",\n  " when folding, else by ", ".
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    int MailboxCount() const { return static_cast<int>(m_mailboxes.size()); }
    // Indexes out of range throw MimeBoundsException.
    MimeMailbox& MailboxAt(int index) const;
    // The list owns what is added and becomes its parent.
    void AddMailbox(std::unique_ptr<MimeMailbox> mailbox);
    void InsertMailbox(int index, std::unique_ptr<MimeMailbox> mailbox);
    // Hands the mailbox back to the caller, without a parent.
    std::unique_ptr<MimeMailbox> RemoveMailbox(int index);
    void DeleteAllMailboxes();

private:
    void CopyMailboxes(const MimeMailboxList& other);

    std::vector<std::unique_ptr<MimeMailbox>> m_mailboxes;
};

// The creation function through which the library makes every MimeMailboxList it needs.
inline std::unique_ptr<MimeMailboxList> CreateMimeMailboxList(const MimeString& text,
                                                              MimeMessageComponent* parent) {
    return MimeCreation<MimeMailboxList>::Create(text, parent);
}
