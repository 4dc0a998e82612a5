// MessageWrapper: one MimeMessage with plain getters and setters for the header fields that a
// mail or MHT writer needs, so that callers never touch fields and field bodies.
#pragma once

#include <memory>

#include "mime_message.h"

class MessageWrapper {
public:
    // A new empty message. Neither constructor runs SetAutomaticFields; the caller does.
    MessageWrapper();
    // Takes ownership of the message.
    explicit MessageWrapper(MimeMessage* message);
    virtual ~MessageWrapper();
    MessageWrapper(const MessageWrapper&) = delete;
    MessageWrapper& operator=(const MessageWrapper&) = delete;

    // Sets MIME-Version to "1.0".
    virtual void SetAutomaticFields();

    MimeMessage* Message() const { return m_message.get(); }
    // Deletes the held message and takes the new one.
    void SetMessage(MimeMessage* message);

    // Composes the message and returns its text.
    const MimeString& AsString();

    // Getters of absent fields give the empty text (or the number shown) and create nothing.
    const MimeString& DateStr() const;
    LONGLONG Date() const; // -1 when absent
    // Local time with the local zone.
    void SetDate(LONGLONG unixTime);

    const MimeString& To() const { return TextField("to"); }
    void SetTo(const MimeString& text) { SetTextField("To", text); }
    const MimeString& Cc() const { return TextField("cc"); }
    void SetCc(const MimeString& text) { SetTextField("Cc", text); }
    const MimeString& Bcc() const { return TextField("bcc"); }
    void SetBcc(const MimeString& text) { SetTextField("Bcc", text); }
    const MimeString& From() const { return TextField("from"); }
    void SetFrom(const MimeString& text) { SetTextField("From", text); }
    const MimeString& Subject() const { return TextField("subject"); }
    void SetSubject(const MimeString& text) { SetTextField("Subject", text); }

    const MimeString& TypeStr() const;
    int Type() const; // 0 when absent
    void SetTypeStr(const MimeString& text);
    void SetType(int type);
    const MimeString& SubtypeStr() const;
    int Subtype() const; // 0 when absent
    void SetSubtypeStr(const MimeString& text);
    void SetSubtype(int subtype);

    const MimeString& ContentTransferEncodingStr() const;
    int ContentTransferEncoding() const; // 0 when absent
    void SetContentTransferEncodingStr(const MimeString& text);
    void SetContentTransferEncoding(int encoding);
    const MimeString& CteStr() const { return ContentTransferEncodingStr(); }
    int Cte() const { return ContentTransferEncoding(); }
    void SetCteStr(const MimeString& text) { SetContentTransferEncodingStr(text); }
    void SetCte(int encoding) { SetContentTransferEncoding(encoding); }

    // The body's current text (nothing is composed first).
    const MimeString& BodyStr() const;
    void SetBodyStr(const MimeString& text);

private:
    const MimeString& TextField(const char* name) const;
    void SetTextField(const char* name, const MimeString& text);

    std::unique_ptr<MimeMessage> m_message;
    MimeString m_empty;
};
