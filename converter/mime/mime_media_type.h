// MimeMediaType: the body of a Content-Type field: type, subtype and parameters, among them the
// multipart boundary and the name.
#pragma once

#include "mime_names.h"
#include "mime_parameterized_body.h"

class MimeMediaType : public MimeParameterizedBody {
public:
    MimeMediaType();
    MimeMediaType(const MimeString& text, MimeMessageComponent* parent);
    MimeMediaType(const MimeMediaType& other);
    MimeMediaType& operator=(const MimeMediaType& other);

    void Parse() override;
    // "type/subtype" and the parameters; empty (and still modified) while either is empty.
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;
    // Makes a new 39-character boundary ("Boundary-", the level's digits when it is not 0,
    // "=_", random letters) and sets it.
    virtual void CreateBoundary(int level);

    int Type() const { return m_type; }
    void SetType(int type);
    const MimeString& TypeStr() const { return m_typeText; }
    void SetTypeStr(const MimeString& text);
    int Subtype() const { return m_subtype; }
    void SetSubtype(int subtype);
    const MimeString& SubtypeStr() const { return m_subtypeText; }
    void SetSubtypeStr(const MimeString& text);

    // The value of the first "boundary" parameter, empty when there is none.
    const MimeString& Boundary();
    void SetBoundary(const MimeString& boundary);
    const MimeString& Name();
    void SetName(const MimeString& name);

private:
    int m_type = 0;
    int m_subtype = 0;
    MimeString m_typeText;
    MimeString m_subtypeText;
    MimeString m_boundary;
    MimeString m_name;
};

inline std::unique_ptr<MimeMediaType> CreateMimeMediaType(const MimeString& text,
                                                          MimeMessageComponent* parent) {
    return MimeCreation<MimeMediaType>::Create(text, parent);
}
