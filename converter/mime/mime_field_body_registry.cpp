#include <atomic>

#include "mime_field_body_factory.h"

namespace {

// Function-local so that registrars in other files may run before this file's statics.
std::atomic<MimeFieldBodyCreator>* Creators() {
    static std::atomic<MimeFieldBodyCreator> creators[MIME_BODY_KIND_COUNT];
    return creators;
}

std::atomic<MimeFieldBodyRuleHook>& RuleHook() {
    static std::atomic<MimeFieldBodyRuleHook> hook{nullptr};
    return hook;
}

} // namespace

void RegisterMimeFieldBodyCreator(MimeFieldBodyKind kind, MimeFieldBodyCreator creator) {
    if (kind >= 0 && kind < MIME_BODY_KIND_COUNT)
        Creators()[kind].store(creator);
}

MimeFieldBodyCreator RegisteredMimeFieldBodyCreator(MimeFieldBodyKind kind) {
    if (kind < 0 || kind >= MIME_BODY_KIND_COUNT)
        return nullptr;
    return Creators()[kind].load();
}

void SetMimeFieldBodyRuleHook(MimeFieldBodyRuleHook hook) {
    RuleHook().store(hook);
}

MimeFieldBodyRuleHook CurrentMimeFieldBodyRuleHook() {
    return RuleHook().load();
}
