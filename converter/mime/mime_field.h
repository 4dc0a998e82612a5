// MimeField: one header field, "Name: body text". The body object is chosen by the field's name
// (mime_field_body_factory.h) and owned by the field.
#pragma once

#include <memory>

#include "mime_field_body.h"

class MimeField : public MimeMessageComponent {
public:
    MimeField();
    MimeField(const MimeString& text, MimeMessageComponent* parent);
    MimeField(const MimeField& other);
    MimeField& operator=(const MimeField& other);
    ~MimeField() override;

    // Name before the first ':' (trailing blanks removed); the body text after it, leading
    // blanks and tabs and trailing white space removed, folded line breaks kept.
    void Parse() override;
    // "Name: body text\n", the body composed first.
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    const MimeString& FieldNameStr() const { return m_name; }
    void SetFieldNameStr(const MimeString& name);
    const MimeString& FieldBodyStr() const { return m_bodyText; }
    // The text is written as given: the body object is dropped.
    void SetFieldBodyStr(const MimeString& text);

    MimeFieldBody* FieldBody() const { return m_body.get(); }
    // Takes the body (its parent becomes this field) and hands the previous one back.
    std::unique_ptr<MimeFieldBody> SetFieldBody(std::unique_ptr<MimeFieldBody> body);
    // The same without marking anything modified.
    std::unique_ptr<MimeFieldBody> AttachFieldBody(std::unique_ptr<MimeFieldBody> body);
    // Creates the body for the field's name from its body text, parses it and attaches it.
    void CreateFieldBodyFromText();

private:
    MimeString m_name;
    MimeString m_bodyText;
    std::unique_ptr<MimeFieldBody> m_body;
};

inline std::unique_ptr<MimeField> CreateMimeField(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeField>::Create(text, parent);
}
