// The small DOM steps every part of the list view repeats: named properties of objects that
// answer only IDispatch (styles), an element's "UniqueID", creating and placing elements, the
// component's string table, and the number and upper-case rules of the list data.
#pragma once

#include <mshtml.h>
#include <msxml.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

#include <optional>
#include <string>
#include <string_view>

namespace orrin {

// A property read or written by name through IDispatch (the name looked up each time).
HRESULT GetNamedProperty(IDispatch* object, const OLECHAR* name, VARIANT* value);
HRESULT PutNamedProperty(IDispatch* object, const OLECHAR* name, const VARIANT& value);

// A property read by name through the object's IDispatchEx, the name matched in any case.
HRESULT GetExpandoProperty(IUnknown* object, const OLECHAR* name, VARIANT* value);

// The element's "UniqueID"; none for a null element or one that has no such property.
std::optional<std::u16string> UniqueIdOf(IUnknown* element);

// The style (or runtime style) of an element, as the dispatch object it is.
HRESULT StyleOf(IHTMLElement* element, qx::com::ComPtr<IDispatch>& style);
HRESULT RuntimeStyleOf(IHTMLElement2* element, qx::com::ComPtr<IDispatch>& style);

// A new element of the document, placed at `where` of the anchor.
HRESULT CreateElementAt(IHTMLDocument2* document, const OLECHAR* tag, IHTMLElement* anchor,
                        const OLECHAR* where, qx::com::ComPtr<IHTMLElement>& created);

// Takes the element out of the page (with its content when deep, else leaving its children in
// its place), removes its behaviour by the cookie, or both; failures are not reported.
void RemoveFromPage(IHTMLElement* element, bool deep);
void RemoveBehavior(IHTMLElement* element, LONG cookie);
void RemoveWithBehavior(IHTMLElement* element, bool deep, LONG cookie);

// The element's parent element; S_FALSE and nothing at the top.
HRESULT ParentOf(IHTMLElement* element, qx::com::ComPtr<IHTMLElement>& parent);
// The element's tag name compared with an upper-case name.
bool HasTag(IHTMLElement* element, std::u16string_view tag);
// A DOM node's previous or next sibling; S_OK and nothing when there is none.
HRESULT SiblingOf(IUnknown* element, bool next, IDispatch** sibling);

// A text of the component's string table.
qx::com::Bstr LoadText(UINT id);

// Upper-cases the letters a-z only, so that every text keeps its other characters.
std::u16string UpperAsciiLetters(std::u16string_view text);

// The list data's numbers: an optional sign and the leading digits, 0 when there are none, held to
// the 32-bit range. A text of 20 or more characters is not accepted (none).
inline constexpr size_t kLongestNumberText = 19;
std::optional<LONG> ReadListNumber(std::u16string_view text);

// The text of the child element `name` of an XML node; none when the node has no such child.
std::optional<std::u16string> ChildText(IXMLDOMNode* node, const OLECHAR* name);

// The string table's identifiers.
enum ListText : UINT {
    kTextListView = 101,
    kTextHeaderUrl = 102,
    kTextRowUrl = 103,
    kTextDefaultBorder = 105,
    kTextHeaderTableStyle = 106,
    kTextBodyTableStyle = 107,
    kTextNone = 110,
    kTextTableBackground = 112,
    kTextBorderLight = 113,
    kTextBorderDark = 114,
    kTextNormalColor = 117,
    kTextHotTrackColor = 118,
    kTextSelectColor = 119,
    kTextHeaderPath = 200,
    kTextHeaderItem = 201,
    kTextHeaderList = 202,
    kTextRowPath = 203,
    kTextRowItem = 204,
    kTextRowList = 205,
    kTextCell = 206,
    kTextSelChanging = 300,
    kTextSelChanged = 301,
    kTextHeaderClick = 302,
    kTextHeaderDblClick = 303,
    kTextCellClick = 304,
    kTextCellDblClick = 305,
    kTextRowClick = 306,
    kTextRowDblClick = 307,
    kTextHeaderDelete = 313,
    kTextRowMoveUp = 316,
    kTextRowMoveDown = 317,
    kTextHeaderMoveLeft = 318,
    kTextHeaderMoveRight = 319,
};

} // namespace orrin
