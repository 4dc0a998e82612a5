// The editor's mode and the toolbar states of the table commands.
#include "external_dispatch.h"

#include "ansi_text.h"
#include "editor_commands.h"
#include "string_helpers.h"
#include "velkor_control.h"

using qx::com::Bstr;
using qx::com::ComPtr;

// 0 browse, 1 edit, 2 busy. Without an editor or a document there is no mode to switch, and the
// page takes 2 as "wait".
SHORT CExternalDispatch::EditMode() {
    IHTMLDocument2* document = owner_ ? owner_->TableEditor().Document() : nullptr;
    IDispatch* editor = owner_ ? owner_->EditorObject() : nullptr;
    if (!editor || !document || EditorBusy(editor))
        return 2;
    Bstr mode;
    if (FAILED(document->get_designMode(&mode)))
        return 2;
    return EqualsNoCase(BstrToAnsi(mode.Get(), mode.Length()), "Off") ? 0 : 1;
}

LONG CExternalDispatch::InsertTableStatus() {
    CTableEditor& engine = owner_->TableEditor();
    if (EditMode() == 0 || EditorCommandStatus(owner_->EditorObject(), DECMD_INSERTTABLE) != DECMDF_ENABLED ||
        !engine.IsSelectionEditable())
        return FPF_DISABLED;
    if (ComPtr<IHTMLElement> cell = FindAncestorByTag(engine.GetSelectedElement().Get(), u"TD")) {
        Bstr id;
        cell->get_id(&id);
        return EqualsNoCase(BstrToAnsi(id.Get(), id.Length()), "docTitle") ? FPF_DISABLED : FPF_ENABLED;
    }
    return HasFreeMark(DocumentBody(engine.Document()).Get()) ? FPF_ENABLED : FPF_DISABLED;
}

LONG CExternalDispatch::TableLayoutStatus() {
    ComPtr<IHTMLElement> table =
        FindAncestorByTag(owner_->TableEditor().GetSelectedElement().Get(), u"TABLE");
    if (!table)
        return FPF_NOTSUPPORTED;
    return HasTableLayoutStyle(table.Get()) ? FPF_DISABLED : FPF_ENABLED;
}

LONG CExternalDispatch::CellLockStatus() {
    CTableEditor& engine = owner_->TableEditor();
    ComPtr<IHTMLElement> target = engine.GetCurrentCell();
    if (!target)
        target = DocumentBody(engine.Document());
    return HasFreeMark(target.Get()) ? FPF_ENABLED : FPF_DISABLED;
}
