// The XML DOM parser's interfaces ("Microsoft.XMLDOM", class DOMDocument). Every interface is
// dual; object parameters travel as IDispatch* (query the result for the interface you need).
#pragma once

#include "oaidl.h"
#include "qx/com/dispatch_decl.h"
#include "qx/com/interface.h"

#include <iterator>

#ifndef DISPID_READYSTATE
#define DISPID_READYSTATE (-525)
#endif

QX_DEFINE_GUID(CLSID_DOMDocument, "{2933BF90-7B36-11D2-B20E-00C04F983E60}");
QX_DEFINE_GUID(CLSID_DOMDocumentMsxml2, "{F6D90F11-9C73-11D3-B32E-00C04F990BB4}"); // "Msxml2.DOMDocument"

QX_DECLARE_INTERFACE(IXMLDOMNode, "{2933BF80-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMDocument, "{2933BF81-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMNodeList, "{2933BF82-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMNamedNodeMap, "{2933BF83-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMCharacterData, "{2933BF84-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMAttribute, "{2933BF85-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMElement, "{2933BF86-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMText, "{2933BF87-7B36-11D2-B20E-00C04F983E60}");
QX_DECLARE_INTERFACE(IXMLDOMParseError, "{3EFAA426-272F-11D2-836F-0000F87A7782}");

enum DOMNodeType {
    NODE_INVALID = 0,
    NODE_ELEMENT = 1,
    NODE_ATTRIBUTE = 2,
    NODE_TEXT = 3,
    NODE_CDATA_SECTION = 4,
    NODE_ENTITY_REFERENCE = 5,
    NODE_ENTITY = 6,
    NODE_PROCESSING_INSTRUCTION = 7,
    NODE_COMMENT = 8,
    NODE_DOCUMENT = 9,
    NODE_DOCUMENT_TYPE = 10,
    NODE_DOCUMENT_FRAGMENT = 11,
    NODE_NOTATION = 12
};

struct IXMLDOMNode : IDispatch {
    STDMETHOD(get_nodeName)(BSTR* name) PURE;
    STDMETHOD(get_nodeValue)(VARIANT* value) PURE;
    STDMETHOD(put_nodeValue)(VARIANT value) PURE;
    STDMETHOD(get_nodeType)(LONG* type) PURE;
    STDMETHOD(get_parentNode)(IDispatch** parent) PURE;
    STDMETHOD(get_childNodes)(IDispatch** childList) PURE;
    STDMETHOD(get_firstChild)(IDispatch** firstChild) PURE;
    STDMETHOD(get_lastChild)(IDispatch** lastChild) PURE;
    STDMETHOD(get_previousSibling)(IDispatch** previousSibling) PURE;
    STDMETHOD(get_nextSibling)(IDispatch** nextSibling) PURE;
    STDMETHOD(get_attributes)(IDispatch** attributeMap) PURE;
    STDMETHOD(insertBefore)(IDispatch* newChild, VARIANT refChild, IDispatch** outNewChild) PURE;
    STDMETHOD(replaceChild)(IDispatch* newChild, IDispatch* oldChild, IDispatch** outOldChild) PURE;
    STDMETHOD(removeChild)(IDispatch* childNode, IDispatch** oldChild) PURE;
    STDMETHOD(appendChild)(IDispatch* newChild, IDispatch** outNewChild) PURE;
    STDMETHOD(hasChildNodes)(VARIANT_BOOL* hasChild) PURE;
    STDMETHOD(get_ownerDocument)(IDispatch** document) PURE;
    STDMETHOD(cloneNode)(VARIANT_BOOL deep, IDispatch** cloneRoot) PURE;
    STDMETHOD(get_nodeTypeString)(BSTR* nodeType) PURE;
    STDMETHOD(get_text)(BSTR* text) PURE;
    STDMETHOD(put_text)(BSTR text) PURE;
    STDMETHOD(get_xml)(BSTR* xmlString) PURE;
    STDMETHOD(selectNodes)(BSTR queryString, IDispatch** resultList) PURE;
    STDMETHOD(selectSingleNode)(BSTR queryString, IDispatch** resultNode) PURE;

protected:
    ~IXMLDOMNode() = default;
};

struct IXMLDOMNodeList : IDispatch {
    STDMETHOD(get_item)(LONG index, IDispatch** listItem) PURE;
    STDMETHOD(get_length)(LONG* listLength) PURE;
    STDMETHOD(nextNode)(IDispatch** nextItem) PURE;
    STDMETHOD(reset)() PURE;
    STDMETHOD(get__newEnum)(IUnknown** ppUnk) PURE;

protected:
    ~IXMLDOMNodeList() = default;
};

struct IXMLDOMNamedNodeMap : IDispatch {
    STDMETHOD(getNamedItem)(BSTR name, IDispatch** namedItem) PURE;
    STDMETHOD(setNamedItem)(IDispatch* newItem, IDispatch** nameItem) PURE;
    STDMETHOD(removeNamedItem)(BSTR name, IDispatch** namedItem) PURE;
    STDMETHOD(get_item)(LONG index, IDispatch** listItem) PURE;
    STDMETHOD(get_length)(LONG* listLength) PURE;
    STDMETHOD(nextNode)(IDispatch** nextItem) PURE;
    STDMETHOD(reset)() PURE;
    STDMETHOD(get__newEnum)(IUnknown** ppUnk) PURE;

protected:
    ~IXMLDOMNamedNodeMap() = default;
};

struct IXMLDOMParseError : IDispatch {
    STDMETHOD(get_errorCode)(LONG* errorCode) PURE;
    STDMETHOD(get_url)(BSTR* urlString) PURE;
    STDMETHOD(get_reason)(BSTR* reasonString) PURE;
    STDMETHOD(get_srcText)(BSTR* sourceString) PURE;
    STDMETHOD(get_line)(LONG* lineNumber) PURE;
    STDMETHOD(get_linepos)(LONG* linePosition) PURE;
    STDMETHOD(get_filepos)(LONG* filePosition) PURE;

protected:
    ~IXMLDOMParseError() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
    STDMETHOD(get_documentElement)(IDispatch** element) PURE;
    STDMETHOD(putref_documentElement)(IDispatch* element) PURE;
    STDMETHOD(createElement)(BSTR tagName, IDispatch** element) PURE;
    STDMETHOD(createTextNode)(BSTR data, IDispatch** text) PURE;
    STDMETHOD(createComment)(BSTR data, IDispatch** comment) PURE;
    STDMETHOD(createCDATASection)(BSTR data, IDispatch** cdata) PURE;
    STDMETHOD(createProcessingInstruction)(BSTR target, BSTR data, IDispatch** pi) PURE;
    STDMETHOD(createAttribute)(BSTR name, IDispatch** attribute) PURE;
    STDMETHOD(getElementsByTagName)(BSTR tagName, IDispatch** resultList) PURE;
    STDMETHOD(load)(VARIANT xmlSource, VARIANT_BOOL* isSuccessful) PURE;
    STDMETHOD(get_readyState)(LONG* value) PURE;
    STDMETHOD(get_parseError)(IDispatch** errorObj) PURE;
    STDMETHOD(get_url)(BSTR* urlString) PURE;
    STDMETHOD(get_async)(VARIANT_BOOL* isAsync) PURE;
    STDMETHOD(put_async)(VARIANT_BOOL isAsync) PURE;
    STDMETHOD(abort)() PURE;
    STDMETHOD(loadXML)(BSTR bstrXML, VARIANT_BOOL* isSuccessful) PURE;
    STDMETHOD(save)(VARIANT destination) PURE;
    STDMETHOD(get_validateOnParse)(VARIANT_BOOL* isValidating) PURE;
    STDMETHOD(put_validateOnParse)(VARIANT_BOOL isValidating) PURE;
    STDMETHOD(get_resolveExternals)(VARIANT_BOOL* isResolving) PURE;
    STDMETHOD(put_resolveExternals)(VARIANT_BOOL isResolving) PURE;
    STDMETHOD(get_preserveWhiteSpace)(VARIANT_BOOL* isPreserving) PURE;
    STDMETHOD(put_preserveWhiteSpace)(VARIANT_BOOL isPreserving) PURE;

protected:
    ~IXMLDOMDocument() = default;
};

struct IXMLDOMElement : IXMLDOMNode {
    STDMETHOD(get_tagName)(BSTR* tagName) PURE;
    STDMETHOD(getAttribute)(BSTR name, VARIANT* value) PURE;
    STDMETHOD(setAttribute)(BSTR name, VARIANT value) PURE;
    STDMETHOD(removeAttribute)(BSTR name) PURE;
    STDMETHOD(getAttributeNode)(BSTR name, IDispatch** attributeNode) PURE;
    STDMETHOD(getElementsByTagName)(BSTR tagName, IDispatch** resultList) PURE;

protected:
    ~IXMLDOMElement() = default;
};

struct IXMLDOMAttribute : IXMLDOMNode {
    STDMETHOD(get_name)(BSTR* attributeName) PURE;
    STDMETHOD(get_value)(VARIANT* attributeValue) PURE;
    STDMETHOD(put_value)(VARIANT attributeValue) PURE;

protected:
    ~IXMLDOMAttribute() = default;
};

struct IXMLDOMCharacterData : IXMLDOMNode {
    STDMETHOD(get_data)(BSTR* data) PURE;
    STDMETHOD(put_data)(BSTR data) PURE;
    STDMETHOD(get_length)(LONG* dataLength) PURE;
    STDMETHOD(appendData)(BSTR data) PURE;

protected:
    ~IXMLDOMCharacterData() = default;
};

struct IXMLDOMText : IXMLDOMCharacterData {
    STDMETHOD(splitText)(LONG offset, IDispatch** rightHandTextNode) PURE;

protected:
    ~IXMLDOMText() = default;
};

// Dispatch declarations, with the DISPIDs the classic parser documents.
namespace qx::xml::decl {
using qx::com::DispMember;
using qx::com::DispMethod;
using qx::com::DispParam;
using qx::com::DispPropGet;
using qx::com::DispPropPut;

inline constexpr USHORT kIn = PARAMFLAG_FIN;
inline constexpr USHORT kRet = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

inline constexpr DispParam kInsertBeforeParams[] = {
    {u"newChild", VT_DISPATCH, kIn}, {u"refChild", VT_VARIANT, kIn}, {u"outNewChild", VT_DISPATCH, kRet}};
inline constexpr DispParam kReplaceChildParams[] = {
    {u"newChild", VT_DISPATCH, kIn}, {u"oldChild", VT_DISPATCH, kIn}, {u"outOldChild", VT_DISPATCH, kRet}};
inline constexpr DispParam kRemoveChildParams[] = {{u"childNode", VT_DISPATCH, kIn},
                                                   {u"oldChild", VT_DISPATCH, kRet}};
inline constexpr DispParam kAppendChildParams[] = {{u"newChild", VT_DISPATCH, kIn},
                                                   {u"outNewChild", VT_DISPATCH, kRet}};
inline constexpr DispParam kHasChildNodesParams[] = {{u"hasChild", VT_BOOL, kRet}};
inline constexpr DispParam kCloneNodeParams[] = {{u"deep", VT_BOOL, kIn}, {u"cloneRoot", VT_DISPATCH, kRet}};
inline constexpr DispParam kSelectNodesParams[] = {{u"queryString", VT_BSTR, kIn},
                                                   {u"resultList", VT_DISPATCH, kRet}};
inline constexpr DispParam kSelectSingleNodeParams[] = {{u"queryString", VT_BSTR, kIn},
                                                        {u"resultNode", VT_DISPATCH, kRet}};

// The members of IXMLDOMNode, in vtable order; every interface deriving from it starts with them.
#define QX_XML_NODE_MEMBERS(I)                                                                               \
    DispPropGet<&I::get_nodeName>(u"nodeName", 2), DispPropGet<&I::get_nodeValue>(u"nodeValue", 3),          \
        DispPropPut<&I::put_nodeValue>(u"nodeValue", 3), DispPropGet<&I::get_nodeType>(u"nodeType", 4),      \
        DispPropGet<&I::get_parentNode>(u"parentNode", 6),                                                   \
        DispPropGet<&I::get_childNodes>(u"childNodes", 7),                                                   \
        DispPropGet<&I::get_firstChild>(u"firstChild", 8), DispPropGet<&I::get_lastChild>(u"lastChild", 9),  \
        DispPropGet<&I::get_previousSibling>(u"previousSibling", 10),                                        \
        DispPropGet<&I::get_nextSibling>(u"nextSibling", 11),                                                \
        DispPropGet<&I::get_attributes>(u"attributes", 12),                                                  \
        DispMethod<&I::insertBefore>(u"insertBefore", 13, ::qx::xml::decl::kInsertBeforeParams),             \
        DispMethod<&I::replaceChild>(u"replaceChild", 14, ::qx::xml::decl::kReplaceChildParams),             \
        DispMethod<&I::removeChild>(u"removeChild", 15, ::qx::xml::decl::kRemoveChildParams),                \
        DispMethod<&I::appendChild>(u"appendChild", 16, ::qx::xml::decl::kAppendChildParams),                \
        DispMethod<&I::hasChildNodes>(u"hasChildNodes", 17, ::qx::xml::decl::kHasChildNodesParams),          \
        DispPropGet<&I::get_ownerDocument>(u"ownerDocument", 18),                                            \
        DispMethod<&I::cloneNode>(u"cloneNode", 19, ::qx::xml::decl::kCloneNodeParams),                      \
        DispPropGet<&I::get_nodeTypeString>(u"nodeTypeString", 21), DispPropGet<&I::get_text>(u"text", 24),  \
        DispPropPut<&I::put_text>(u"text", 24), DispPropGet<&I::get_xml>(u"xml", 27),                        \
        DispMethod<&I::selectNodes>(u"selectNodes", 29, ::qx::xml::decl::kSelectNodesParams),                \
        DispMethod<&I::selectSingleNode>(u"selectSingleNode", 30, ::qx::xml::decl::kSelectSingleNodeParams)

inline constexpr DispMember kNodeMembers[] = {QX_XML_NODE_MEMBERS(IXMLDOMNode)};

inline constexpr DispParam kItemParams[] = {{u"index", VT_I4, kIn}, {u"listItem", VT_DISPATCH, kRet}};
inline constexpr DispParam kNextNodeParams[] = {{u"nextItem", VT_DISPATCH, kRet}};
inline constexpr DispMember kNodeListMembers[] = {
    qx::com::DispProperty<&IXMLDOMNodeList::get_item>(INVOKE_PROPERTYGET, u"item", DISPID_VALUE, kItemParams),
    DispPropGet<&IXMLDOMNodeList::get_length>(u"length", 74),
    DispMethod<&IXMLDOMNodeList::nextNode>(u"nextNode", 76, kNextNodeParams),
    DispMethod<&IXMLDOMNodeList::reset>(u"reset", 77),
    DispPropGet<&IXMLDOMNodeList::get__newEnum>(u"_newEnum", DISPID_NEWENUM, nullptr,
                                                FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED),
};

inline constexpr DispParam kGetNamedItemParams[] = {{u"name", VT_BSTR, kIn},
                                                    {u"namedItem", VT_DISPATCH, kRet}};
inline constexpr DispParam kSetNamedItemParams[] = {{u"newItem", VT_DISPATCH, kIn},
                                                    {u"nameItem", VT_DISPATCH, kRet}};
inline constexpr DispMember kNamedNodeMapMembers[] = {
    DispMethod<&IXMLDOMNamedNodeMap::getNamedItem>(u"getNamedItem", 83, kGetNamedItemParams),
    DispMethod<&IXMLDOMNamedNodeMap::setNamedItem>(u"setNamedItem", 84, kSetNamedItemParams),
    DispMethod<&IXMLDOMNamedNodeMap::removeNamedItem>(u"removeNamedItem", 85, kGetNamedItemParams),
    qx::com::DispProperty<&IXMLDOMNamedNodeMap::get_item>(INVOKE_PROPERTYGET, u"item", DISPID_VALUE,
                                                          kItemParams),
    DispPropGet<&IXMLDOMNamedNodeMap::get_length>(u"length", 74),
    DispMethod<&IXMLDOMNamedNodeMap::nextNode>(u"nextNode", 89, kNextNodeParams),
    DispMethod<&IXMLDOMNamedNodeMap::reset>(u"reset", 90),
    DispPropGet<&IXMLDOMNamedNodeMap::get__newEnum>(u"_newEnum", DISPID_NEWENUM, nullptr,
                                                    FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED),
};

inline constexpr DispMember kParseErrorMembers[] = {
    DispPropGet<&IXMLDOMParseError::get_errorCode>(u"errorCode", DISPID_VALUE),
    DispPropGet<&IXMLDOMParseError::get_url>(u"url", 179),
    DispPropGet<&IXMLDOMParseError::get_reason>(u"reason", 180),
    DispPropGet<&IXMLDOMParseError::get_srcText>(u"srcText", 181),
    DispPropGet<&IXMLDOMParseError::get_line>(u"line", 182),
    DispPropGet<&IXMLDOMParseError::get_linepos>(u"linepos", 183),
    DispPropGet<&IXMLDOMParseError::get_filepos>(u"filepos", 184),
};

inline constexpr DispParam kCreateElementParams[] = {{u"tagName", VT_BSTR, kIn},
                                                     {u"element", VT_DISPATCH, kRet}};
inline constexpr DispParam kCreateDataParams[] = {{u"data", VT_BSTR, kIn}, {u"node", VT_DISPATCH, kRet}};
inline constexpr DispParam kCreatePiParams[] = {
    {u"target", VT_BSTR, kIn}, {u"data", VT_BSTR, kIn}, {u"pi", VT_DISPATCH, kRet}};
inline constexpr DispParam kCreateAttributeParams[] = {{u"name", VT_BSTR, kIn},
                                                       {u"attribute", VT_DISPATCH, kRet}};
inline constexpr DispParam kByTagNameParams[] = {{u"tagName", VT_BSTR, kIn},
                                                 {u"resultList", VT_DISPATCH, kRet}};
inline constexpr DispParam kLoadParams[] = {{u"xmlSource", VT_VARIANT, kIn},
                                            {u"isSuccessful", VT_BOOL, kRet}};
inline constexpr DispParam kLoadXmlParams[] = {{u"bstrXML", VT_BSTR, kIn}, {u"isSuccessful", VT_BOOL, kRet}};
inline constexpr DispParam kSaveParams[] = {{u"destination", VT_VARIANT, kIn}};

inline constexpr DispMember kDocumentMembers[] = {
    QX_XML_NODE_MEMBERS(IXMLDOMDocument),
    DispPropGet<&IXMLDOMDocument::get_documentElement>(u"documentElement", 40),
    qx::com::DispPropPutRef<&IXMLDOMDocument::putref_documentElement>(u"documentElement", 40),
    DispMethod<&IXMLDOMDocument::createElement>(u"createElement", 41, kCreateElementParams),
    DispMethod<&IXMLDOMDocument::createTextNode>(u"createTextNode", 43, kCreateDataParams),
    DispMethod<&IXMLDOMDocument::createComment>(u"createComment", 44, kCreateDataParams),
    DispMethod<&IXMLDOMDocument::createCDATASection>(u"createCDATASection", 45, kCreateDataParams),
    DispMethod<&IXMLDOMDocument::createProcessingInstruction>(u"createProcessingInstruction", 46,
                                                              kCreatePiParams),
    DispMethod<&IXMLDOMDocument::createAttribute>(u"createAttribute", 47, kCreateAttributeParams),
    DispMethod<&IXMLDOMDocument::getElementsByTagName>(u"getElementsByTagName", 50, kByTagNameParams),
    DispMethod<&IXMLDOMDocument::load>(u"load", 58, kLoadParams),
    DispPropGet<&IXMLDOMDocument::get_readyState>(u"readyState", DISPID_READYSTATE),
    DispPropGet<&IXMLDOMDocument::get_parseError>(u"parseError", 59),
    DispPropGet<&IXMLDOMDocument::get_url>(u"url", 60),
    DispPropGet<&IXMLDOMDocument::get_async, VT_BOOL>(u"async", 61),
    DispPropPut<&IXMLDOMDocument::put_async, VT_BOOL>(u"async", 61),
    DispMethod<&IXMLDOMDocument::abort>(u"abort", 62),
    DispMethod<&IXMLDOMDocument::loadXML>(u"loadXML", 63, kLoadXmlParams),
    DispMethod<&IXMLDOMDocument::save>(u"save", 64, kSaveParams),
    DispPropGet<&IXMLDOMDocument::get_validateOnParse, VT_BOOL>(u"validateOnParse", 65),
    DispPropPut<&IXMLDOMDocument::put_validateOnParse, VT_BOOL>(u"validateOnParse", 65),
    DispPropGet<&IXMLDOMDocument::get_resolveExternals, VT_BOOL>(u"resolveExternals", 66),
    DispPropPut<&IXMLDOMDocument::put_resolveExternals, VT_BOOL>(u"resolveExternals", 66),
    DispPropGet<&IXMLDOMDocument::get_preserveWhiteSpace, VT_BOOL>(u"preserveWhiteSpace", 67),
    DispPropPut<&IXMLDOMDocument::put_preserveWhiteSpace, VT_BOOL>(u"preserveWhiteSpace", 67),
};

inline constexpr DispParam kGetAttributeParams[] = {{u"name", VT_BSTR, kIn}, {u"value", VT_VARIANT, kRet}};
inline constexpr DispParam kSetAttributeParams[] = {{u"name", VT_BSTR, kIn}, {u"value", VT_VARIANT, kIn}};
inline constexpr DispParam kRemoveAttributeParams[] = {{u"name", VT_BSTR, kIn}};
inline constexpr DispParam kGetAttributeNodeParams[] = {{u"name", VT_BSTR, kIn},
                                                        {u"attributeNode", VT_DISPATCH, kRet}};
inline constexpr DispMember kElementMembers[] = {
    QX_XML_NODE_MEMBERS(IXMLDOMElement),
    DispPropGet<&IXMLDOMElement::get_tagName>(u"tagName", 97),
    DispMethod<&IXMLDOMElement::getAttribute>(u"getAttribute", 99, kGetAttributeParams),
    DispMethod<&IXMLDOMElement::setAttribute>(u"setAttribute", 100, kSetAttributeParams),
    DispMethod<&IXMLDOMElement::removeAttribute>(u"removeAttribute", 101, kRemoveAttributeParams),
    DispMethod<&IXMLDOMElement::getAttributeNode>(u"getAttributeNode", 102, kGetAttributeNodeParams),
    DispMethod<&IXMLDOMElement::getElementsByTagName>(u"getElementsByTagName", 105, kByTagNameParams),
};

inline constexpr DispMember kAttributeMembers[] = {
    QX_XML_NODE_MEMBERS(IXMLDOMAttribute),
    DispPropGet<&IXMLDOMAttribute::get_name>(u"name", 118),
    DispPropGet<&IXMLDOMAttribute::get_value>(u"value", 120),
    DispPropPut<&IXMLDOMAttribute::put_value>(u"value", 120),
};

inline constexpr DispParam kAppendDataParams[] = {{u"data", VT_BSTR, kIn}};
inline constexpr DispParam kSplitTextParams[] = {{u"offset", VT_I4, kIn},
                                                 {u"rightHandTextNode", VT_DISPATCH, kRet}};
#define QX_XML_CHARACTER_DATA_MEMBERS(I)                                                                     \
    DispPropGet<&I::get_data>(u"data", 109), DispPropPut<&I::put_data>(u"data", 109),                        \
        DispPropGet<&I::get_length>(u"length", 110),                                                         \
        DispMethod<&I::appendData>(u"appendData", 112, ::qx::xml::decl::kAppendDataParams)

inline constexpr DispMember kCharacterDataMembers[] = {QX_XML_NODE_MEMBERS(IXMLDOMCharacterData),
                                                       QX_XML_CHARACTER_DATA_MEMBERS(IXMLDOMCharacterData)};
inline constexpr DispMember kTextMembers[] = {
    QX_XML_NODE_MEMBERS(IXMLDOMText), QX_XML_CHARACTER_DATA_MEMBERS(IXMLDOMText),
    DispMethod<&IXMLDOMText::splitText>(u"splitText", 123, kSplitTextParams)};

} // namespace qx::xml::decl

QX_DISPATCH_INTERFACE(IXMLDOMNode, u"IXMLDOMNode", qx::xml::decl::kNodeMembers, u"Core DOM node interface");
QX_DISPATCH_INTERFACE(IXMLDOMNodeList, u"IXMLDOMNodeList", qx::xml::decl::kNodeListMembers, nullptr);
QX_DISPATCH_INTERFACE(IXMLDOMNamedNodeMap, u"IXMLDOMNamedNodeMap", qx::xml::decl::kNamedNodeMapMembers,
                      nullptr);
QX_DISPATCH_INTERFACE(IXMLDOMParseError, u"IXMLDOMParseError", qx::xml::decl::kParseErrorMembers,
                      u"structure for reporting parser errors");
QX_DISPATCH_INTERFACE(IXMLDOMDocument, u"IXMLDOMDocument", qx::xml::decl::kDocumentMembers, nullptr);
QX_DISPATCH_INTERFACE(IXMLDOMElement, u"IXMLDOMElement", qx::xml::decl::kElementMembers, nullptr);
QX_DISPATCH_INTERFACE(IXMLDOMAttribute, u"IXMLDOMAttribute", qx::xml::decl::kAttributeMembers, nullptr);
QX_DISPATCH_INTERFACE(IXMLDOMCharacterData, u"IXMLDOMCharacterData", qx::xml::decl::kCharacterDataMembers,
                      nullptr);
QX_DISPATCH_INTERFACE(IXMLDOMText, u"IXMLDOMText", qx::xml::decl::kTextMembers, nullptr);
