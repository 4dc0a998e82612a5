// MimeFieldBody: the abstract base of every header field body (text, address lists, mailbox,
// date, message id, stamp, media type, mechanism, disposition). The fold flag chooses, in the
// bodies that join items (parameters, address and mailbox lists), the folded separators
// ";\n  " and ",\n " instead of "; " and ", ".
#pragma once

#include "mime_component.h"

class MimeFieldBody : public MimeMessageComponent {
public:
    LONG LineOffset() const { return m_lineOffset; }
    void SetLineOffset(LONG offset) { m_lineOffset = offset; }
    bool IsFolding() const { return m_folding; }
    void SetFolding(bool folding) { m_folding = folding; }

protected:
    MimeFieldBody(int classId, const char* className) : MimeMessageComponent(classId, className) {}
    MimeFieldBody(const MimeString& text, MimeMessageComponent* parent, int classId, const char* className)
        : MimeMessageComponent(text, parent, classId, className) {}
    MimeFieldBody(const MimeFieldBody& other) = default;
    MimeFieldBody& operator=(const MimeFieldBody& other) = default;

private:
    LONG m_lineOffset = 0;
    bool m_folding = true;
};
