// MimeGroup: a named group of mailboxes, "name: mailbox, mailbox;".
#pragma once

#include "mime_address.h"
#include "mime_mailbox_list.h"

#include <memory>

class MimeGroup : public MimeAddress {
public:
    MimeGroup();
    MimeGroup(const MimeString& text, MimeMessageComponent* parent);
    MimeGroup(const MimeGroup& other);
    MimeGroup& operator=(const MimeGroup& other);
    ~MimeGroup() override;

    void Parse() override;
    // name + ":" + the mailboxes + ";"; a group without a name composes to
    // nothing and is invalid.
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    const MimeString& GroupName() const { return m_groupName; }
    void SetGroupName(const MimeString& name);
    // Always present; owned by the group.
    MimeMailboxList& MailboxList() const { return *m_mailboxList; }

private:
    MimeString m_groupName;
    std::unique_ptr<MimeMailboxList> m_mailboxList;
};

// The creation function through which the library makes every MimeGroup it needs.
inline std::unique_ptr<MimeGroup> CreateMimeGroup(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeGroup>::Create(text, parent);
}
