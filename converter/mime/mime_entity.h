// MimeEntity: a header block followed by a body; the common base of MimeMessage and
// MimeBodyPart. An entity always has both its headers and its body.
#pragma once

#include <memory>

#include "mime_component.h"

class MimeBody;
class MimeHeaders;

class MimeEntity : public MimeMessageComponent {
public:
    ~MimeEntity() override;

    // Splits the text at the first empty line, then parses the headers and, with the
    // Content-Type known, the body.
    void Parse() override;
    // Header text, "\n", body text.
    void Compose() override;

    MimeHeaders& Headers() const { return *m_headers; }
    MimeBody& Body() const { return *m_body; }

protected:
    MimeEntity(int classId, const char* className);
    MimeEntity(const MimeString& text, MimeMessageComponent* parent, int classId, const char* className);
    MimeEntity(const MimeEntity& other);
    MimeEntity& operator=(const MimeEntity& other);

private:
    std::unique_ptr<MimeHeaders> m_headers;
    std::unique_ptr<MimeBody> m_body;
};

// Where the header block of text ends and where its body starts.
void MimeSplitEntity(const MimeString& text, size_t* headerLength, size_t* bodyStart);
