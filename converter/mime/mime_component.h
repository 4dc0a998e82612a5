// MimeMessageComponent: the base of every piece of a MIME message (message, entity, headers,
// field, field body, body, parameter, ...). A component holds its text (the string form) and,
// parsed from it, its structured members:
//   - Parse rebuilds the members from the string form and clears the modified flag;
//   - Compose rebuilds the string form from the members when the modified flag is set (a parent
//     composes its children first and joins their texts) and clears the flag;
//   - every setter marks the component and all its ancestors modified, so one Compose of the
//     root rebuilds exactly the stale texts.
// Components own their children; the parent pointer is a back reference only.
#pragma once

#include <memory>

#include "mime_string.h"
#include "wintypes.h"

// The concrete classes' numbers, as ClassId reports them.
enum MimeClassId : int {
    MIME_CLASS_ADDRESS = 1,
    MIME_CLASS_ADDRESS_LIST = 2,
    MIME_CLASS_BODY = 3,
    MIME_CLASS_BODY_PART = 4,
    MIME_CLASS_DISPOSITION_TYPE = 5,
    MIME_CLASS_MECHANISM = 6,
    MIME_CLASS_MEDIA_TYPE = 7,
    MIME_CLASS_PARAMETER = 8,
    MIME_CLASS_DATE_TIME = 9,
    MIME_CLASS_ENTITY = 10,
    MIME_CLASS_FIELD = 11,
    MIME_CLASS_FIELD_BODY = 12,
    MIME_CLASS_GROUP = 13,
    MIME_CLASS_HEADERS = 14,
    MIME_CLASS_MAILBOX = 15,
    MIME_CLASS_MAILBOX_LIST = 16,
    MIME_CLASS_MESSAGE = 17,
    MIME_CLASS_MESSAGE_COMPONENT = 18,
    MIME_CLASS_MSG_ID = 19,
    MIME_CLASS_STAMP = 20,
    MIME_CLASS_TEXT = 21,
};

class MimeMessageComponent {
public:
    static constexpr DWORD kMarker = 0x22222222;

    virtual ~MimeMessageComponent();

    virtual void Parse() = 0;
    virtual void Compose() = 0;
    // A new heap copy of the object, without a parent.
    virtual std::unique_ptr<MimeMessageComponent> Clone() const = 0;

    // Stores the text as the string form and marks the ancestors (not the component itself)
    // modified; the members are rebuilt by the next Parse.
    void FromString(const MimeString& text);
    void FromString(const char* text);
    const MimeString& AsString() const { return m_string; }

    MimeMessageComponent* Parent() const { return m_parent; }
    void SetParent(MimeMessageComponent* parent) { m_parent = parent; }
    bool IsModified() const { return m_modified; }
    // Marks the component and every ancestor modified.
    void SetModified();
    int ClassId() const { return m_classId; }
    const char* ClassName() const { return m_className; }
    DWORD ObjectId() const { return m_objectId; }
    DWORD Marker() const { return m_marker; }

protected:
    MimeMessageComponent(int classId, const char* className);
    MimeMessageComponent(const MimeString& text, MimeMessageComponent* parent, int classId,
                         const char* className);
    // Copies the string form and the modified flag; the copy has no parent.
    MimeMessageComponent(const MimeMessageComponent& other);
    // Copies the string form and the modified flag, not the parent.
    MimeMessageComponent& operator=(const MimeMessageComponent& other);

    void ClearModified() { m_modified = false; }
    void SetModifiedFlag(bool modified) { m_modified = modified; }
    // For Compose: stores the composed text without touching any flag.
    void SetStringForm(const MimeString& text) { m_string = text; }
    MimeString& StringForm() { return m_string; }

private:
    DWORD m_marker;
    MimeString m_string;
    bool m_modified;
    MimeMessageComponent* m_parent;
    int m_classId;
    const char* m_className;
    DWORD m_objectId;
};

// Typed Clone for the library's own use: the clone of a T is a T.
template <typename T>
std::unique_ptr<T> MimeCloneAs(const T& component) {
    return std::unique_ptr<T>(static_cast<T*>(component.Clone().release()));
}

// The creation function of a concrete component class T: the library creates every object it
// needs from (text, parent) through it. A process-wide hook for T replaces the plain new when it
// is set (null by default).
template <typename T>
class MimeCreation {
public:
    using Hook = std::unique_ptr<T> (*)(const MimeString& text, MimeMessageComponent* parent);
    static void SetHook(Hook hook) { HookSlot() = hook; }
    static std::unique_ptr<T> Create(const MimeString& text, MimeMessageComponent* parent) {
        Hook hook = HookSlot();
        return hook != nullptr ? hook(text, parent) : std::make_unique<T>(text, parent);
    }

private:
    static Hook& HookSlot() {
        static Hook hook = nullptr;
        return hook;
    }
};

// Users call this once before building messages; the library needs no set-up, so it does nothing.
void InitializeMimeLibrary();
