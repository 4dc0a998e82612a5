// MimeStamp: the body of a Received field, "from a by b via c with d id e for f; date".
#pragma once

#include "mime_date_time.h"
#include "mime_field_body.h"

#include <memory>

class MimeStamp : public MimeFieldBody {
public:
    // A new stamp's date is the current local time.
    MimeStamp();
    MimeStamp(const MimeString& text, MimeMessageComponent* parent);
    MimeStamp(const MimeStamp& other);
    MimeStamp& operator=(const MimeStamp& other);
    ~MimeStamp() override;

    void Parse() override;
    // The clauses in their order, "; " and the date, folded to 75 columns after "Received: ".
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    const MimeString& From() const { return m_from; }
    void SetFrom(const MimeString& text);
    const MimeString& By() const { return m_by; }
    void SetBy(const MimeString& text);
    const MimeString& Via() const { return m_via; }
    void SetVia(const MimeString& text);
    const MimeString& With() const { return m_with; }
    void SetWith(const MimeString& text);
    const MimeString& Id() const { return m_id; }
    void SetId(const MimeString& text);
    const MimeString& For() const { return m_for; }
    void SetFor(const MimeString& text);

    // The date is the stamp's child: a change made through Date() marks the stamp modified as
    // SetDate does, so the next Compose writes it.
    const MimeDateTime& Date() const { return m_date; }
    MimeDateTime& Date() { return m_date; }
    void SetDate(const MimeDateTime& date);

private:
    MimeString* Clause(int index);
    void SetClause(MimeString& clause, const MimeString& text);

    MimeString m_from;
    MimeString m_by;
    MimeString m_via;
    MimeString m_with;
    MimeString m_id;
    MimeString m_for;
    MimeDateTime m_date;
};

// The creation function through which the library makes every MimeStamp it needs.
inline std::unique_ptr<MimeStamp> CreateMimeStamp(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeStamp>::Create(text, parent);
}
