#include "mime_group.h"

#include "mime_tokenizer.h"

namespace {

bool IsSpecial(const MimeTokenizer& tokenizer, char c) {
    return tokenizer.Type() == MIME_TOKEN_SPECIAL && tokenizer.Token().length() == 1 &&
           tokenizer.Token()[0] == c;
}

} // namespace

MimeGroup::MimeGroup()
    : MimeAddress(MIME_CLASS_GROUP, "MimeGroup"), m_mailboxList(CreateMimeMailboxList("", this)) {}

MimeGroup::MimeGroup(const MimeString& text, MimeMessageComponent* parent)
    : MimeAddress(text, parent, MIME_CLASS_GROUP, "MimeGroup"),
      m_mailboxList(CreateMimeMailboxList("", this)) {}

MimeGroup::MimeGroup(const MimeGroup& other)
    : MimeAddress(other), m_groupName(other.m_groupName), m_mailboxList(MimeCloneAs(*other.m_mailboxList)) {
    m_mailboxList->SetParent(this);
}

MimeGroup& MimeGroup::operator=(const MimeGroup& other) {
    if (this != &other) {
        MimeAddress::operator=(other);
        m_groupName = other.m_groupName;
        m_mailboxList = MimeCloneAs(*other.m_mailboxList);
        m_mailboxList->SetParent(this);
    }
    return *this;
}

MimeGroup::~MimeGroup() = default;

std::unique_ptr<MimeMessageComponent> MimeGroup::Clone() const {
    return std::make_unique<MimeGroup>(*this);
}

void MimeGroup::SetGroupName(const MimeString& name) {
    m_groupName = name;
    SetModified();
}

void MimeGroup::Parse() {
    ClearModified();
    m_groupName.clear();

    Rfc822Tokenizer tokenizer(AsString());
    for (; tokenizer.Type() != MIME_TOKEN_NULL && !IsSpecial(tokenizer, ':'); tokenizer.Next()) {
        if (tokenizer.Type() == MIME_TOKEN_ATOM || tokenizer.Type() == MIME_TOKEN_QUOTED_STRING) {
            if (!m_groupName.empty()) {
                m_groupName.append(1, ' ');
            }
            m_groupName.append(tokenizer.Token());
        }
    }
    MimeString members;
    bool closed = false;
    if (tokenizer.Type() != MIME_TOKEN_NULL) {
        tokenizer.Next();
        MimeTokenSpan span;
        span.SetFirst(tokenizer);
        // The members end at ";", or before an unterminated quoted string, comment or domain
        // literal, which would otherwise swallow the ";" that Compose writes.
        while (tokenizer.Type() != MIME_TOKEN_NULL && tokenizer.Type() != MIME_TOKEN_ERROR &&
               !IsSpecial(tokenizer, ';')) {
            tokenizer.Next();
        }
        span.ExtendTo(tokenizer);
        members = span.Text();
        closed = IsSpecial(tokenizer, ';');
    }
    m_mailboxList = CreateMimeMailboxList(members, this);
    m_mailboxList->Parse();
    SetValid(!m_groupName.empty());
    // A group whose ";" is missing is written anew by the next Compose: kept as it was, it would
    // run on into the addresses that a composed list puts after it.
    SetModifiedFlag(!closed);
}

void MimeGroup::Compose() {
    if (!IsModified()) {
        return;
    }
    if (m_groupName.empty()) {
        SetStringForm(MimeString());
        SetValid(false);
    } else {
        m_mailboxList->Compose();
        SetStringForm(m_groupName + ":" + m_mailboxList->AsString() + ";");
        SetValid(true);
    }
    ClearModified();
}
