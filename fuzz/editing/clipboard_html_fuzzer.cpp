// HTML on the clipboard comes from any program: its header offsets and comments may say anything.
// Reading it must never crash, and what a fragment made here reads back as must be the fragment.
#include "qx/html/editing/clipboard_html.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qx::html::editing::ClipboardHtmlFragment(bytes);
    // Text without NULs or unpaired surrogates survives the trip.
    std::u16string fragment;
    for (char c : bytes)
        if (c != 0)
            fragment.push_back(static_cast<unsigned char>(c));
    if (qx::html::editing::ClipboardHtmlFragment(qx::html::editing::MakeClipboardHtml(fragment)) != fragment)
        std::abort();
    return 0;
}
