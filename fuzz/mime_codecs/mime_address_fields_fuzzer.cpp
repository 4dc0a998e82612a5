// Header field bodies of any shape (address and mailbox lists, a mailbox, a message id, a Received
// stamp) parse and compose without crashing or reading past their text; a composed address list
// reads back as the same addresses and composes again to the same text.
#include "mime_address_list.h"
#include "mime_mailbox.h"
#include "mime_mailbox_list.h"
#include "mime_msg_id.h"
#include "mime_stamp.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void MarkAll(MimeAddressList& list) {
    list.SetModified();
    for (int i = 0; i < list.AddressCount(); ++i) {
        list.AddressAt(i).SetModified();
    }
}

template <typename T>
void ParseAndCompose(const MimeString& text) {
    T body(text, nullptr);
    body.Parse();
    body.SetModified();
    body.Compose();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MimeString text(reinterpret_cast<const char*>(data), size);
    ParseAndCompose<MimeMailboxList>(text);
    ParseAndCompose<MimeMailbox>(text);
    ParseAndCompose<MimeMsgId>(text);
    ParseAndCompose<MimeStamp>(text);

    MimeAddressList list(text, nullptr);
    list.Parse();
    MarkAll(list);
    list.Compose();

    MimeAddressList again(list.AsString(), nullptr);
    again.Parse();
    if (again.AddressCount() != list.AddressCount()) {
        std::abort();
    }
    MarkAll(again);
    again.Compose();
    MimeAddressList third(again.AsString(), nullptr);
    third.Parse();
    MarkAll(third);
    third.Compose();
    if (third.AsString() != again.AsString()) {
        std::abort();
    }
    return 0;
}
