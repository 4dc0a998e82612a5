#include "editor_commands.h"

#include "ansi_text.h"
#include "dispatch_names.h"
#include "string_helpers.h"

#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr LONG kPromptUser = 1; // OLECMDEXECOPT_PROMPTUSER

} // namespace

LONG EditorCommandStatus(IDispatch* editor, LONG command) {
    Variant id(command), status;
    if (!editor || FAILED(CallMethodByName(editor, u"QueryStatus", &id, 1, &status)) ||
        FAILED(status.ChangeType(VT_I4)))
        return 0;
    return status.lVal;
}

void RunEditorCommand(IDispatch* editor, LONG command) {
    if (!editor)
        return;
    const Variant args[3] = {Variant(command), Variant(kPromptUser), Variant()};
    CallMethodByName(editor, u"ExecCommand", args, 3, nullptr);
}

bool EditorBusy(IDispatch* editor) {
    Variant busy;
    if (!editor || FAILED(GetPropertyByName(editor, u"Busy", &busy)) || FAILED(busy.ChangeType(VT_BOOL)))
        return false;
    return busy.boolVal != VARIANT_FALSE;
}

bool HasFreeMark(IHTMLElement* element) {
    Variant free;
    return element && SUCCEEDED(element->getAttribute(Bstr(u"free"), 0, &free)) && free.vt != VT_NULL;
}

void SetFreeMark(IHTMLElement* element, bool set) {
    if (!element)
        return;
    if (set) {
        element->setAttribute(Bstr(u"free"), Variant(u""), 0);
    } else {
        VARIANT_BOOL removed = VARIANT_FALSE;
        element->removeAttribute(Bstr(u"free"), 0, &removed);
    }
}

ComPtr<IHTMLElement> DocumentBody(IHTMLDocument2* document) {
    ComPtr<IDispatch> body;
    if (!document || FAILED(document->get_body(&body)))
        return nullptr;
    return ComPtr<IHTMLElement>::QueryFrom(body.Get());
}

bool TagNameIs(IHTMLElement* element, const char* tag) {
    Bstr name;
    if (!element || FAILED(element->get_tagName(&name)))
        return false;
    return EqualsNoCase(BstrToAnsi(name.Get(), name.Length()), tag);
}
