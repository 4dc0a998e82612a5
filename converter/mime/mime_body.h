// MimeBody: the body of an entity. For a multipart entity it holds the preamble, the body parts
// and the epilogue; for a message/... entity one enclosed MimeMessage; otherwise only its text.
// It reads its entity's Content-Type to know which, when parsing and when composing.
//
// Parsing is bounded: bodies nested deeper than kMimeMaxNesting levels stay unparsed text.
#pragma once

#include <memory>
#include <vector>

#include "mime_component.h"

class MimeBodyPart;
class MimeMessage;

inline constexpr size_t kMimeMaxNesting = 64;

class MimeBody : public MimeMessageComponent {
public:
    MimeBody();
    MimeBody(const MimeString& text, MimeMessageComponent* parent);
    MimeBody(const MimeBody& other);
    MimeBody& operator=(const MimeBody& other);
    ~MimeBody() override;

    void Parse() override;
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    const MimeString& Preamble() const { return m_preamble; }
    void SetPreamble(const MimeString& text);
    const MimeString& Epilogue() const { return m_epilogue; }
    void SetEpilogue(const MimeString& text);

    size_t NumBodyParts() const { return m_parts.size(); }
    // Throws MimeBoundsException when the index is out of range.
    MimeBodyPart& BodyPartAt(size_t index) const;
    // Added and inserted parts get this body as their parent.
    void AddBodyPart(std::unique_ptr<MimeBodyPart> part);
    void InsertBodyPartAt(size_t index, std::unique_ptr<MimeBodyPart> part);
    // Hands the part back to the caller, without a parent.
    std::unique_ptr<MimeBodyPart> RemoveBodyPartAt(size_t index);
    void DeleteAllBodyParts();

    MimeMessage* Message() const { return m_message.get(); }
    // Takes the message (its parent becomes this body) and hands the previous one back.
    std::unique_ptr<MimeMessage> SetMessage(std::unique_ptr<MimeMessage> message);

private:
    size_t NestingLevel() const;

    MimeString m_preamble;
    MimeString m_epilogue;
    std::vector<std::unique_ptr<MimeBodyPart>> m_parts;
    std::unique_ptr<MimeMessage> m_message;
};

inline std::unique_ptr<MimeBody> CreateMimeBody(const MimeString& text, MimeMessageComponent* parent) {
    return MimeCreation<MimeBody>::Create(text, parent);
}

// The pieces of a multipart text cut at the delimiter lines of boundary.
struct MimeMultipartPieces {
    bool found = false; // false: no delimiter at all
    MimeString preamble;
    std::vector<MimeString> parts;
    MimeString epilogue;
};
MimeMultipartPieces MimeSplitMultipart(const MimeString& text, const MimeString& boundary);
