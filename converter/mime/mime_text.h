// MimeText: the body of every field without a structured class (Subject,
// MIME-Version, Content-Description, Content-Location, ...). Its text is its
// string form, set with FromString and read with AsString, and is written
// exactly as given: no encoded words, no folding.
#pragma once

#include "mime_field_body.h"

#include <memory>

class MimeText : public MimeFieldBody {
public:
    MimeText();
    MimeText(const MimeString& text, MimeMessageComponent* parent);
    MimeText(const MimeText& other);
    MimeText& operator=(const MimeText& other);
    ~MimeText() override;

    void Parse() override;
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;
};

// The creation function through which the library makes every MimeText it needs.
inline std::unique_ptr<MimeText> CreateMimeText(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeText>::Create(text, parent);
}
