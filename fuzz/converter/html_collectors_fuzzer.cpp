// The packer's collectors and the META charset reader over any page text: every value they
// report lies inside the page.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "html_references.h"
#include "page_charset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string html(reinterpret_cast<const char*>(data), size);
    for (ReferenceKind kind : {ReferenceKind::Image, ReferenceKind::StyleSheet, ReferenceKind::Script,
                               ReferenceKind::Background}) {
        for (const HtmlReference& ref : CollectReferences(html, kind)) {
            if (ref.valueStart > html.size() || ref.valueLength > html.size() - ref.valueStart)
                abort();
        }
    }
    const std::string charset = MetaCharset(html);
    if (charset.size() > html.size())
        abort();
    CodePageOfCharset(charset);
    return 0;
}
