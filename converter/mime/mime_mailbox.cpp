#include "mime_mailbox.h"

#include "mime_field_body_factory.h"
#include "mime_tokenizer.h"

namespace {

enum MailboxState { kPhrase, kAngle, kRoute, kLocal, kDomain, kEnd };

bool IsSpecial(const MimeTokenizer& tokenizer, char c) {
    return tokenizer.Type() == MIME_TOKEN_SPECIAL && tokenizer.Token().length() == 1 &&
           tokenizer.Token()[0] == c;
}

bool IsWord(int type) {
    return type == MIME_TOKEN_ATOM || type == MIME_TOKEN_QUOTED_STRING;
}

// Each CR LF, and each other CR or LF, becomes one space.
MimeString LineBreaksToSpaces(const MimeString& text) {
    if (text.find_first_of("\r\n") == MimeString::npos) {
        return text;
    }
    MimeString out;
    for (size_t i = 0; i < text.length(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.length() && text[i + 1] == '\n') {
                ++i;
            }
            out.append(1, ' ');
        } else {
            out.append(1, c);
        }
    }
    return out;
}

// A full name is written as it is when it reads back as the same words (atoms,
// quoted strings and dots); otherwise, say with a comma, "<" or "@" in it, it
// is written as one quoted string so that the mailbox parses back as one
// address with the same name.
MimeString FullNameForHeader(const MimeString& fullName) {
    Rfc822Tokenizer tokenizer(fullName);
    bool plain = true;
    for (; tokenizer.Type() != MIME_TOKEN_NULL; tokenizer.Next()) {
        if (!IsWord(tokenizer.Type()) && !IsSpecial(tokenizer, '.')) {
            plain = false;
            break;
        }
    }
    if (plain) {
        return fullName;
    }
    MimeString quoted("\"");
    for (size_t i = 0; i < fullName.length(); ++i) {
        const char c = fullName[i];
        if (c == '"' || c == '\\') {
            quoted.append(1, '\\');
        }
        quoted.append(1, c);
    }
    quoted.append(1, '"');
    return quoted;
}

std::unique_ptr<MimeFieldBody> CreateMailboxBody(const MimeString& text, MimeMessageComponent* parent) {
    return CreateMimeMailbox(text, parent);
}

const MimeFieldBodyRegistrar s_registrar(MIME_BODY_MAILBOX, &CreateMailboxBody);

} // namespace

MimeMailbox::MimeMailbox() : MimeAddress(MIME_CLASS_MAILBOX, "MimeMailbox") {}

MimeMailbox::MimeMailbox(const MimeString& text, MimeMessageComponent* parent)
    : MimeAddress(text, parent, MIME_CLASS_MAILBOX, "MimeMailbox") {}

MimeMailbox::MimeMailbox(const MimeMailbox& other) = default;

MimeMailbox& MimeMailbox::operator=(const MimeMailbox& other) = default;

MimeMailbox::~MimeMailbox() = default;

std::unique_ptr<MimeMessageComponent> MimeMailbox::Clone() const {
    return std::make_unique<MimeMailbox>(*this);
}

void MimeMailbox::SetFullName(const MimeString& fullName) {
    m_fullName = fullName;
    SetModified();
}

void MimeMailbox::SetRoute(const MimeString& route) {
    m_route = route;
    SetModified();
}

void MimeMailbox::SetLocalPart(const MimeString& localPart) {
    m_localPart = localPart;
    SetModified();
}

void MimeMailbox::SetDomain(const MimeString& domain) {
    m_domain = domain;
    SetModified();
}

void MimeMailbox::Parse() {
    ClearModified();
    m_fullName.clear();
    m_route.clear();
    m_localPart.clear();
    m_domain.clear();

    MimeString phrase;
    MimeString lastComment;
    bool haveComment = false;
    bool angleForm = false;
    MailboxState state = kPhrase;

    Rfc822Tokenizer tokenizer(AsString());
    for (; tokenizer.Type() != MIME_TOKEN_NULL; tokenizer.Next()) {
        const int type = tokenizer.Type();
        if (type == MIME_TOKEN_COMMENT) {
            tokenizer.StripDelimiters();
            lastComment = tokenizer.Token();
            haveComment = true;
            continue;
        }
        const MimeString& token = tokenizer.Token();
        switch (state) {
        case kPhrase:
            if (IsWord(type)) {
                if (!phrase.empty()) {
                    phrase.append(1, ' ');
                }
                phrase.append(token);
                m_localPart.append(token);
            } else if (IsSpecial(tokenizer, '.')) {
                // The dot stays in the name too ("John Q. Public").
                phrase.append(token);
                m_localPart.append(token);
            } else if (IsSpecial(tokenizer, '<')) {
                angleForm = true;
                m_localPart.clear();
                state = kAngle;
            } else if (IsSpecial(tokenizer, '@')) {
                state = kDomain;
            }
            break;
        case kAngle:
            if (IsSpecial(tokenizer, '@')) {
                m_route = token;
                state = kRoute;
            } else if (IsWord(type) || IsSpecial(tokenizer, '.')) {
                // A local part may begin with a dot (the bare form keeps one), so that what
                // Compose writes reads back the same.
                m_localPart = token;
                state = kLocal;
            }
            break;
        case kRoute:
            if (IsSpecial(tokenizer, ':')) {
                state = kLocal;
            } else if (IsSpecial(tokenizer, ',') || IsSpecial(tokenizer, '.') || IsSpecial(tokenizer, '@') ||
                       type == MIME_TOKEN_ATOM || type == MIME_TOKEN_DOMAIN_LITERAL) {
                m_route.append(token);
            }
            break;
        case kLocal:
            if (IsSpecial(tokenizer, '@')) {
                state = kDomain;
            } else if (IsWord(type) || IsSpecial(tokenizer, '.')) {
                m_localPart.append(token);
            }
            break;
        case kDomain:
            if (IsSpecial(tokenizer, '>')) {
                state = kEnd;
            } else if (type == MIME_TOKEN_ATOM || type == MIME_TOKEN_DOMAIN_LITERAL ||
                       IsSpecial(tokenizer, '.')) {
                m_domain.append(token);
            }
            break;
        case kEnd:
            break;
        }
    }

    if (angleForm && !phrase.empty()) {
        m_fullName = phrase;
    } else if (haveComment) {
        m_fullName = lastComment;
    }
    SetValid(!m_localPart.empty() && !m_domain.empty());
    m_fullName = LineBreaksToSpaces(m_fullName);
    m_localPart = LineBreaksToSpaces(m_localPart);
}

void MimeMailbox::Compose() {
    if (!IsModified()) {
        return;
    }
    if (m_localPart.empty() || m_domain.empty()) {
        SetStringForm(MimeString());
        SetValid(false);
        ClearModified();
        return;
    }
    SetValid(true);
    MimeString text;
    // A name set with line breaks in it would end the header line; they become
    // spaces as in Parse.
    const MimeString fullName = LineBreaksToSpaces(m_fullName);
    if (!fullName.empty()) {
        text.append(FullNameForHeader(fullName));
        text.append(1, ' ');
    }
    text.append(1, '<');
    if (!m_route.empty()) {
        text.append(m_route);
        text.append(1, ':');
    }
    text.append(m_localPart);
    text.append(1, '@');
    text.append(m_domain);
    text.append(1, '>');
    SetStringForm(text);
    ClearModified();
}
