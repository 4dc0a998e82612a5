#include "mime_component.h"

#include <atomic>

namespace {

// Messages are built on the converter's worker thread as well as on the page's thread.
std::atomic<DWORD> g_nextComponentId{1};

} // namespace

MimeMessageComponent::MimeMessageComponent(int classId, const char* className)
    : m_marker(kMarker), m_modified(false), m_parent(nullptr), m_classId(classId), m_className(className),
      m_objectId(g_nextComponentId++) {}

MimeMessageComponent::MimeMessageComponent(const MimeString& text, MimeMessageComponent* parent, int classId,
                                           const char* className)
    : m_marker(kMarker), m_string(text), m_modified(false), m_parent(parent), m_classId(classId),
      m_className(className), m_objectId(g_nextComponentId++) {}

MimeMessageComponent::MimeMessageComponent(const MimeMessageComponent& other)
    : m_marker(kMarker), m_string(other.m_string), m_modified(other.m_modified), m_parent(nullptr),
      m_classId(other.m_classId), m_className(other.m_className), m_objectId(g_nextComponentId++) {}

MimeMessageComponent& MimeMessageComponent::operator=(const MimeMessageComponent& other) {
    if (this != &other) {
        m_string = other.m_string;
        m_modified = other.m_modified;
    }
    return *this;
}

MimeMessageComponent::~MimeMessageComponent() = default;

void MimeMessageComponent::FromString(const MimeString& text) {
    m_string = text;
    if (m_parent != nullptr)
        m_parent->SetModified();
}

void MimeMessageComponent::FromString(const char* text) {
    FromString(MimeString(text));
}

void MimeMessageComponent::SetModified() {
    // Parsed trees are at most a bounded number of levels deep, so the walk is short.
    for (MimeMessageComponent* c = this; c != nullptr; c = c->m_parent)
        c->m_modified = true;
}

void InitializeMimeLibrary() {}
