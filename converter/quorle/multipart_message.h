// The multipart message with which the packer composes its MHT document: MultipartPartInfo
// describes one body part in texts, MultipartMessage reads, writes and appends body parts from
// such records.
#pragma once

#include "message_wrapper.h"

class MultipartPartInfo {
public:
    MultipartPartInfo();
    virtual ~MultipartPartInfo() = default;

    const MimeString& TypeStr() const { return m_type; }
    void SetTypeStr(const MimeString& text) { m_type = text; }
    int Type() const;
    void SetType(int type);

    const MimeString& SubtypeStr() const { return m_subtype; }
    void SetSubtypeStr(const MimeString& text) { m_subtype = text; }
    int Subtype() const;
    void SetSubtype(int subtype);

    const MimeString& ContentTransferEncodingStr() const { return m_cte; }
    void SetContentTransferEncodingStr(const MimeString& text) { m_cte = text; }
    int ContentTransferEncoding() const;
    // 2 ("7bit") to 6 ("base64"); any other number leaves the text as it is.
    void SetContentTransferEncoding(int encoding);
    const MimeString& CteStr() const { return ContentTransferEncodingStr(); }
    void SetCteStr(const MimeString& text) { SetContentTransferEncodingStr(text); }
    int Cte() const { return ContentTransferEncoding(); }
    void SetCte(int encoding) { SetContentTransferEncoding(encoding); }

    const MimeString& ContentDescription() const { return m_description; }
    void SetContentDescription(const MimeString& text) { m_description = text; }
    const MimeString& ContentDisposition() const { return m_disposition; }
    void SetContentDisposition(const MimeString& text) { m_disposition = text; }
    const MimeString& Body() const { return m_body; }
    void SetBody(const MimeString& text) { m_body = text; }
    const MimeString& ContentLocation() const { return m_location; }
    void SetContentLocation(const MimeString& text) { m_location = text; }

private:
    MimeString m_type;
    MimeString m_subtype;
    MimeString m_cte;
    MimeString m_description;
    MimeString m_disposition;
    MimeString m_body;
    MimeString m_location;
};

class MultipartMessage : public MessageWrapper {
public:
    MultipartMessage() = default;
    explicit MultipartMessage(MimeMessage* message) : MessageWrapper(message) {}

    // MIME-Version, then Content-Type Multipart/Mixed with a new boundary.
    void SetAutomaticFields() override;

    int PartCount() const;
    // Fills info from part index (the location is not touched); an index out of range empties
    // every other text.
    void GetPart(int index, MultipartPartInfo& info) const;
    // Appends empty parts until index exists, then sets its fields and body; negative: nothing.
    void SetPart(int index, const MultipartPartInfo& info);
    void AddPart(const MultipartPartInfo& info);

private:
    static void FillPart(MimeBodyPart& part, const MultipartPartInfo& info, bool withLocation);
};
