// MimeParameter: one attribute=value pair of a Content-Type or Content-Disposition field.
#pragma once

#include <memory>
#include <vector>

#include "mime_component.h"

class MimeTokenizer;

class MimeParameter : public MimeMessageComponent {
public:
    MimeParameter();
    MimeParameter(const MimeString& text, MimeMessageComponent* parent);
    MimeParameter(const MimeParameter& other) = default;
    MimeParameter& operator=(const MimeParameter& other) = default;

    void Parse() override;
    // attribute="value", with '"' and '\' inside the value escaped by a backslash; an extended
    // attribute ("name*") with a percent-encoded value is written without quotes.
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    const MimeString& Attribute() const { return m_attribute; }
    void SetAttribute(const MimeString& attribute);
    // The value without quotes or escapes.
    const MimeString& Value() const { return m_value; }
    void SetValue(const MimeString& value);

private:
    MimeString m_attribute;
    MimeString m_value;
};

inline std::unique_ptr<MimeParameter> CreateMimeParameter(const MimeString& text,
                                                          MimeMessageComponent* parent) {
    return MimeCreation<MimeParameter>::Create(text, parent);
}

// The parameter list of a media type or disposition; the owner is the parameters' parent.
class MimeParameterList {
public:
    explicit MimeParameterList(MimeMessageComponent* owner) : m_owner(owner) {}
    MimeParameterList(const MimeParameterList& other, MimeMessageComponent* owner);
    void CopyFrom(const MimeParameterList& other);

    size_t Count() const { return m_items.size(); }
    MimeParameter& At(size_t index) const;
    void Add(std::unique_ptr<MimeParameter> parameter);
    void Insert(size_t index, std::unique_ptr<MimeParameter> parameter);
    std::unique_ptr<MimeParameter> Remove(size_t index);
    void DeleteAll();
    void Clear() { m_items.clear(); }
    MimeParameter* Find(const char* attribute) const;
    // Appends to text the separator and the composed text of every parameter.
    void ComposeInto(MimeString& text, bool folding);
    // From the tokenizer's position on: every "; attribute=value" becomes a parameter.
    void ParseFrom(MimeTokenizer& tokenizer);

private:
    MimeMessageComponent* m_owner;
    std::vector<std::unique_ptr<MimeParameter>> m_items;
};
