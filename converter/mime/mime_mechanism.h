// MimeMechanism: the body of a Content-Transfer-Encoding field.
#pragma once

#include "mime_field_body.h"
#include "mime_names.h"

class MimeMechanism : public MimeFieldBody {
public:
    MimeMechanism();
    MimeMechanism(const MimeString& text, MimeMessageComponent* parent);
    MimeMechanism(const MimeMechanism& other) = default;
    MimeMechanism& operator=(const MimeMechanism& other) = default;

    // Empty text 0, the known names 2 to 6 (ignoring case), anything else 1.
    void Parse() override;
    // The text is the one that SetAsEnum wrote (or the parsed one).
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    int AsEnum() const { return m_encoding; }
    // For 2 to 6 the text becomes the encoding's name; other numbers leave the text.
    void SetAsEnum(int encoding);

private:
    int m_encoding = 0;
};

inline std::unique_ptr<MimeMechanism> CreateMimeMechanism(const MimeString& text,
                                                          MimeMessageComponent* parent) {
    return MimeCreation<MimeMechanism>::Create(text, parent);
}
