#include "mime_msg_id.h"

#include "mime_field_body_factory.h"
#include "mime_tokenizer.h"

namespace {

bool IsSpecial(const MimeTokenizer& tokenizer, char c) {
    return tokenizer.Type() == MIME_TOKEN_SPECIAL && tokenizer.Token().length() == 1 &&
           tokenizer.Token()[0] == c;
}

std::unique_ptr<MimeFieldBody> CreateMsgIdBody(const MimeString& text, MimeMessageComponent* parent) {
    return CreateMimeMsgId(text, parent);
}

const MimeFieldBodyRegistrar s_registrar(MIME_BODY_MSG_ID, &CreateMsgIdBody);

} // namespace

MimeMsgId::MimeMsgId() : MimeFieldBody(MIME_CLASS_MSG_ID, "MimeMsgId") {}

MimeMsgId::MimeMsgId(const MimeString& text, MimeMessageComponent* parent)
    : MimeFieldBody(text, parent, MIME_CLASS_MSG_ID, "MimeMsgId") {}

MimeMsgId::MimeMsgId(const MimeMsgId& other) = default;

MimeMsgId& MimeMsgId::operator=(const MimeMsgId& other) = default;

MimeMsgId::~MimeMsgId() = default;

std::unique_ptr<MimeMessageComponent> MimeMsgId::Clone() const {
    return std::make_unique<MimeMsgId>(*this);
}

void MimeMsgId::SetLocalPart(const MimeString& localPart) {
    m_localPart = localPart;
    SetModified();
}

void MimeMsgId::SetDomain(const MimeString& domain) {
    m_domain = domain;
    SetModified();
}

void MimeMsgId::Parse() {
    ClearModified();
    m_localPart.clear();
    m_domain.clear();

    Rfc822Tokenizer tokenizer(AsString());
    while (tokenizer.Type() != MIME_TOKEN_NULL && !IsSpecial(tokenizer, '<')) {
        tokenizer.Next();
    }
    if (tokenizer.Type() == MIME_TOKEN_NULL) {
        return;
    }
    for (tokenizer.Next(); tokenizer.Type() != MIME_TOKEN_NULL && !IsSpecial(tokenizer, '@');
         tokenizer.Next()) {
        const int type = tokenizer.Type();
        if (type == MIME_TOKEN_ATOM || type == MIME_TOKEN_QUOTED_STRING || IsSpecial(tokenizer, '.')) {
            m_localPart.append(tokenizer.Token());
        }
    }
    if (tokenizer.Type() == MIME_TOKEN_NULL) {
        return;
    }
    for (tokenizer.Next(); tokenizer.Type() != MIME_TOKEN_NULL && !IsSpecial(tokenizer, '>');
         tokenizer.Next()) {
        const int type = tokenizer.Type();
        if (type == MIME_TOKEN_ATOM || type == MIME_TOKEN_DOMAIN_LITERAL || IsSpecial(tokenizer, '.')) {
            m_domain.append(tokenizer.Token());
        }
    }
}

void MimeMsgId::Compose() {
    if (!IsModified()) {
        return;
    }
    SetStringForm("<" + m_localPart + "@" + m_domain + ">");
    ClearModified();
}
