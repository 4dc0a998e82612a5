// MimeDispositionType: the body of a Content-Disposition field: "inline" or "attachment" and
// its parameters, among them the file name.
#pragma once

#include "mime_parameterized_body.h"

enum MimeDisposition : int {
    MIME_DISPOSITION_NONE = 0,
    MIME_DISPOSITION_UNKNOWN = 1,
    MIME_DISPOSITION_INLINE = 2,
    MIME_DISPOSITION_ATTACHMENT = 3,
};

class MimeDispositionType : public MimeParameterizedBody {
public:
    MimeDispositionType();
    MimeDispositionType(const MimeString& text, MimeMessageComponent* parent);
    MimeDispositionType(const MimeDispositionType& other);
    MimeDispositionType& operator=(const MimeDispositionType& other);

    void Parse() override;
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    int DispositionType() const { return m_disposition; }
    // 2 writes "inline", 3 "attachment" as the text; other numbers leave the text.
    void SetDispositionType(int disposition);
    const MimeString& DispositionTypeStr() const { return m_dispositionText; }
    void SetDispositionTypeStr(const MimeString& text);

    // The value of the first "filename" parameter (cleared by each Parse).
    const MimeString& Filename();
    void SetFilename(const MimeString& filename);

protected:
    virtual MimeString DispositionToText(int disposition) const;
    virtual int TextToDisposition(const MimeString& text) const;

private:
    int m_disposition = 0;
    MimeString m_dispositionText;
    MimeString m_filename;
};

inline std::unique_ptr<MimeDispositionType> CreateMimeDispositionType(const MimeString& text,
                                                                      MimeMessageComponent* parent) {
    return MimeCreation<MimeDispositionType>::Create(text, parent);
}
