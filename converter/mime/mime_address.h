// MimeAddress: the abstract address of the address fields, either a mailbox or
// a group.
#pragma once

#include "mime_field_body.h"

class MimeAddress : public MimeFieldBody {
public:
    bool IsMailbox() const { return ClassId() == MIME_CLASS_MAILBOX; }
    bool IsGroup() const { return ClassId() == MIME_CLASS_GROUP; }
    // A mailbox is valid with a local part and a domain, a group with a name.
    bool IsValid() const { return m_valid; }

protected:
    MimeAddress(int classId, const char* className) : MimeFieldBody(classId, className) {}
    MimeAddress(const MimeString& text, MimeMessageComponent* parent, int classId, const char* className)
        : MimeFieldBody(text, parent, classId, className) {}
    MimeAddress(const MimeAddress& other) = default;
    MimeAddress& operator=(const MimeAddress& other) = default;

    void SetValid(bool valid) { m_valid = valid; }

private:
    bool m_valid = false;
};
