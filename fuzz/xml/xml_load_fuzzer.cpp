// Document bytes through load (encoding detection, code pages) and the same bytes as text through
// loadXML; whatever loads is walked, queried, serialised and cloned.
#include "msxml.h"
#include "objbase.h"
#include "oleauto.h"
#include "qxcom/bstr.h"
#include "qxcom/comptr.h"
#include "qxcom/variant.h"
#include "qxxml/xml_dom.h"

#include <cstddef>
#include <cstdint>

namespace {

using qx::com::Bstr;
using qx::com::ComPtr;

void Exercise(IXMLDOMDocument* doc) {
    Bstr xml;
    doc->get_xml(xml.ReleaseAndGetAddressOf());
    Bstr text;
    doc->get_text(text.ReleaseAndGetAddressOf());
    ComPtr<IDispatch> list;
    if (SUCCEEDED(doc->selectNodes(Bstr(u"//*[@*]|//text()").Get(), &list)) && list) {
        ComPtr<IXMLDOMNodeList> nodes = list.As<IXMLDOMNodeList>();
        LONG length = 0;
        nodes->get_length(&length);
        for (LONG i = 0; i < length && i < 64; ++i) {
            ComPtr<IDispatch> item;
            nodes->get_item(i, &item);
            if (ComPtr<IXMLDOMNode> node = item.As<IXMLDOMNode>()) {
                Bstr name;
                node->get_nodeName(name.ReleaseAndGetAddressOf());
                Bstr nodeXml;
                node->get_xml(nodeXml.ReleaseAndGetAddressOf());
                ComPtr<IDispatch> copy;
                node->cloneNode(VARIANT_TRUE, &copy);
            }
        }
    }
    ComPtr<IDispatch> root;
    doc->get_documentElement(&root);
    if (ComPtr<IXMLDOMNode> node = root.As<IXMLDOMNode>()) {
        ComPtr<IDispatch> removed;
        doc->removeChild(root.Get(), &removed);
        ComPtr<IDispatch> back;
        doc->appendChild(removed.Get(), &back);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ComPtr<IXMLDOMDocument> doc;
    if (FAILED(qxxml::CreateDOMDocument(nullptr, IID_IXMLDOMDocument, reinterpret_cast<void**>(&doc))))
        return 0;
    doc->put_async(VARIANT_FALSE);

    ComPtr<IStream> stream;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        ULONG written = 0;
        stream->Write(data, static_cast<ULONG>(size), &written);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        qx::com::Variant source(static_cast<IUnknown*>(stream.Get()));
        VARIANT_BOOL ok = VARIANT_FALSE;
        doc->load(source, &ok);
        Exercise(doc.Get());
    }

    Bstr text = Bstr::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc->loadXML(text.Get(), &ok);
    Exercise(doc.Get());
    return 0;
}
