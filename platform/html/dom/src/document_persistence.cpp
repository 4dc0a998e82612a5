// The document's IPersistStreamInit: Load reads HTML from a stream into the document (its charset
// from the bytes, as any page's), InitNew empties it, Save writes the document as saving a page
// does (in its charset), and IsDirty tells whether it changed since it was loaded or saved.
#include "dom_objects.h"

#include "qx/com/error_info.h"
#include "qx/html/dom/serializer.h"

#include <algorithm>
#include <string>

namespace qx::html::dom {
namespace {

std::string EncodedDocument(const DomDocument& dom) {
    return EncodeDocumentText(DocumentHtml(dom.tree), dom.tree.charset);
}

// The stream's bytes to its end; one byte past the parser's limit is enough to refuse them.
HRESULT ReadStream(IStream* stream, std::string& bytes) {
    const std::size_t limit = ParseLimits{}.maxBytes + 1;
    char buffer[16384];
    while (bytes.size() < limit) {
        ULONG read = 0;
        const HRESULT hr = stream->Read(buffer, sizeof buffer, &read);
        if (FAILED(hr))
            return hr;
        bytes.append(buffer, read);
        if (hr == S_FALSE || read == 0)
            break;
    }
    return S_OK;
}

HRESULT Replace(const DomPtr& dom, const DocumentBytes* source) {
    // The browser showing the document completes the load as it completes a navigation.
    if (const std::shared_ptr<DocumentNavigation> navigation = dom->navigation)
        return navigation->ReplaceContent(*dom, source);
    return ReplaceDocumentContent(*dom, source);
}

} // namespace

HRESULT ReplaceDocumentContent(DomDocument& dom, const DocumentBytes* source) {
    NodeTree& tree = dom.tree;
    tree.RemoveChildren(tree.Document());
    tree.doctype.clear();
    ParseError error = LoadHtmlDocument(tree, source ? *source : DocumentBytes{});
    if (error != ParseError::None) {
        // The document stays usable: empty, as InitNew leaves it.
        LoadHtmlDocument(tree, DocumentBytes{});
    }
    dom.savedContentVersion = tree.ContentVersion();
    if (error != ParseError::None)
        return com::ReportError(IID_IPersistStreamInit, u"htmlfile", DescribeParseError(error), E_FAIL);
    return S_OK;
}

HRESULT DocumentClassId(CLSID* out) {
    if (!out)
        return E_POINTER;
    *out = CLSID_HTMLDocument;
    return S_OK;
}

HRESULT DocumentIsDirty(const DomDocument& dom) {
    return dom.tree.ContentVersion() != dom.savedContentVersion ? S_OK : S_FALSE;
}

HRESULT LoadDocument(const DomPtr& dom, IStream* stream) {
    if (!stream)
        return E_POINTER;
    std::string bytes;
    const HRESULT hr = ReadStream(stream, bytes);
    if (FAILED(hr))
        return hr;
    const DocumentBytes source{bytes, {}, {}};
    return Replace(dom, &source);
}

HRESULT SaveDocument(DomDocument& dom, IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    const std::string bytes = EncodedDocument(dom);
    std::size_t written = 0;
    while (written < bytes.size()) {
        ULONG wrote = 0;
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(bytes.size() - written, 1u << 20));
        const HRESULT hr = stream->Write(bytes.data() + written, chunk, &wrote);
        if (FAILED(hr))
            return hr;
        if (wrote == 0)
            return STG_E_MEDIUMFULL;
        written += wrote;
    }
    if (clearDirty)
        dom.savedContentVersion = dom.tree.ContentVersion();
    return S_OK;
}

HRESULT DocumentSizeMax(const DomDocument& dom, ULARGE_INTEGER* out) {
    if (!out)
        return E_POINTER;
    out->QuadPart = EncodedDocument(dom).size();
    return S_OK;
}

HRESULT InitNewDocument(const DomPtr& dom) {
    return Replace(dom, nullptr);
}

} // namespace qx::html::dom
