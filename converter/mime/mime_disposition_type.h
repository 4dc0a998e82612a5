// MimeDispositionType: the body of a Content-Disposition field: "inline" or "attachment" and
// its parameters, among them the file name.
#pragma once

#include "mime_field_body.h"
#include "mime_parameter.h"

enum MimeDisposition : int {
    MIME_DISPOSITION_NONE = 0,
    MIME_DISPOSITION_UNKNOWN = 1,
    MIME_DISPOSITION_INLINE = 2,
    MIME_DISPOSITION_ATTACHMENT = 3,
};

class MimeDispositionType : public MimeFieldBody {
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

    size_t NumParameters() const { return m_parameters.Count(); }
    MimeParameter& ParameterAt(size_t index) const { return m_parameters.At(index); }
    void AddParameter(std::unique_ptr<MimeParameter> parameter) { m_parameters.Add(std::move(parameter)); }
    void InsertParameterAt(size_t index, std::unique_ptr<MimeParameter> parameter) {
        m_parameters.Insert(index, std::move(parameter));
    }
    std::unique_ptr<MimeParameter> RemoveParameterAt(size_t index) { return m_parameters.Remove(index); }
    void DeleteAllParameters() { m_parameters.DeleteAll(); }

protected:
    virtual MimeString DispositionToText(int disposition) const;
    virtual int TextToDisposition(const MimeString& text) const;

private:
    int m_disposition = 0;
    MimeString m_dispositionText;
    MimeString m_filename;
    MimeParameterList m_parameters{this};
};

inline std::unique_ptr<MimeDispositionType> CreateMimeDispositionType(const MimeString& text,
                                                                      MimeMessageComponent* parent) {
    return MimeCreation<MimeDispositionType>::Create(text, parent);
}
