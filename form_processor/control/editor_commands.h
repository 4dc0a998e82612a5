// What the commands ask of the editing control, which the control holds only as IDispatch, and
// the "free" mark that makes a cell or BODY editable.
#pragma once

#include <mshtml.h>
#include <oaidl.h>
#include <qx/com/comptr.h>

// The editing control's command numbers that the commands and the context menu use.
constexpr LONG DECMD_COPY = 5002;
constexpr LONG DECMD_CUT = 5003;
constexpr LONG DECMD_FONT = 5009;
constexpr LONG DECMD_HYPERLINK = 5016;
constexpr LONG DECMD_INSERTTABLE = 5022;
constexpr LONG DECMD_PASTE = 5032;
constexpr LONG DECMDF_ENABLED = 3;

// The editing control's QueryStatus answer for a command; 0 (not supported) when it gives none.
LONG EditorCommandStatus(IDispatch* editor, LONG command);
// ExecCommand(command, OLECMDEXECOPT_PROMPTUSER, empty): the control shows its own dialog where it
// has one. Its result is not looked at.
void RunEditorCommand(IDispatch* editor, LONG command);
// Whether the editing control is reloading its document.
bool EditorBusy(IDispatch* editor);

// Whether the element carries the attribute "free".
bool HasFreeMark(IHTMLElement* element);
// Sets "free" to the empty string, or removes it when `set` is false.
void SetFreeMark(IHTMLElement* element, bool set);
// The document's BODY; null while it has none.
qx::com::ComPtr<IHTMLElement> DocumentBody(IHTMLDocument2* document);
// Whether the element's tag name is `tag`, case ignored.
bool TagNameIs(IHTMLElement* element, const char* tag);
