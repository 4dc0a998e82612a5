// The command switch behind "ExecCommand" and "QueryStatus", IVelkor.ExecCommand and QueryStatus
// and the context menu. Dialogs that the control does not have yet (image, HTML source) leave
// their commands without effect.
#include "external_dispatch.h"

#include "document_io.h"
#include "velkor_control.h"

#include <string>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

// The low 16 bits of the command's value, signed, whatever the VARIANT's type.
SHORT CommandId(const VARIANT& command) {
    Variant number;
    if (FAILED(VariantChangeType(&number, &command, 0, VT_I4)))
        return 0;
    return static_cast<SHORT>(number.lVal & 0xFFFF);
}

// A text argument: text as it is, anything else converted; false when it cannot be.
bool ArgumentText(const VARIANT& argument, Variant& text) {
    return SUCCEEDED(VariantChangeType(&text, &argument, 0, VT_BSTR)) && text.vt == VT_BSTR;
}

Variant Status(LONG flags) {
    return Variant(static_cast<SHORT>(flags));
}

} // namespace

Variant CExternalDispatch::DoCommand(const VARIANT& command, const VARIANT& argument) {
    Variant result;
    if (!owner_)
        return result;
    CTableEditor& engine = owner_->TableEditor();
    switch (CommandId(command)) {
    case FPID_NONE:
        engine.ClearModes();
        break;
    case FPID_SPLIT:
        engine.ToggleSplitMode();
        break;
    case FPID_MERGE:
        engine.ToggleMergeMode();
        break;
    case FPID_CurSelElementFromCaret:
        if (ComPtr<IHTMLElement> element = engine.GetSelectedElement()) {
            ComPtr<IDispatch> dispatch = ComPtr<IDispatch>::QueryFrom(element.Get());
            if (dispatch)
                result = Variant(dispatch.Get());
        }
        break;
    case FPID_TableLayout:
        engine.ToggleTableLayout();
        break;
    case FPID_Print:
        engine.FillEmptyCells();
        if (engine.Document())
            owner_->PrintDocument();
        break;
    case FPID_LoadURL: {
        Variant url;
        if (ArgumentText(argument, url))
            owner_->LoadURL(url.bstrVal);
        break;
    }
    case FPID_MODE_CHANGE:
        ChangeMode();
        break;
    case FPID_DocumentLock:
        engine.LockDocument();
        break;
    case FPID_FontEnum:
        if (SAFEARRAY* fonts = CTableEditor::EnumFonts()) {
            result.vt = VT_ARRAY | VT_VARIANT;
            result.parray = fonts;
        }
        break;
    case FPID_ValidSelect:
        result = Variant(engine.IsSelectionEditable());
        break;
    case FPID_SetCurTD: {
        ComPtr<IHTMLElement> previous;
        if (engine.UpdateCurrentElement(previous)) {
            ComPtr<IDispatch> element = ComPtr<IDispatch>::QueryFrom(previous.Get());
            owner_->Fire_ElementChange(element.Get());
        }
        break;
    }
    case FPID_IsEditMode:
        result = Variant(EditMode());
        break;
    case FPID_SHOW_PROPERTY_DLG:
        ShowContextMenu();
        break;
    case FPID_TD_LOCK_MODE:
        ToggleCellLock();
        break;
    case FPID_MEMO:
        engine.MarkMemo();
        break;
    case FPID_TD_BACKCOLOR: {
        Variant colour;
        if (ArgumentText(argument, colour))
            ColourCells(colour);
        break;
    }
    case FPID_GetTableStyle: {
        // Grown to fit: long font names are never cut.
        std::u16string style = u"font-family:";
        style += owner_->TableFontFamily().View();
        style += u";font-size:";
        style += owner_->TableFontSize().View();
        result = Variant(std::u16string_view{style});
        break;
    }
    case FPID_SPELLING_CHECK:
        owner_->SpellingCheck();
        break;
    case FPID_TEST:
        engine.InsertRuleAtCaret();
        break;
    case FPID_SAVE_DOCUMENT:
        result = SaveDocumentDialog(*owner_);
        break;
    case FPID_LOAD_DOCUMENT:
        result = LoadDocumentDialog(*owner_);
        break;
    default:
        break;
    }
    return result;
}

Variant CExternalDispatch::QueryCommand(const VARIANT& command, const VARIANT&) {
    Variant result;
    if (!owner_)
        return result;
    const SHORT id = CommandId(command);
    if (id == FPID_INIT_EDIT_MODE)
        return Variant(owner_->StartModeValue());
    if (id == FPID_QUERY_MODE) {
        owner_->Fire_QueryMode();
        return result;
    }
    CTableEditor& engine = owner_->TableEditor();
    if (!engine.Document())
        return result;
    switch (id) {
    case FPID_SPLIT:
    case FPID_MERGE: {
        if (EditMode() == 0)
            return Status(FPF_DISABLED);
        const bool latched = id == FPID_SPLIT ? engine.splitMode : engine.mergeMode;
        return Status(latched ? FPF_LATCHED : FPF_ENABLED);
    }
    case FPID_TableLayout:
        return Status(TableLayoutStatus());
    case FPID_INSERTTABLE:
    case FPID_WORD_INSERTTABLE:
        return Status(InsertTableStatus());
    case FPID_TD_LOCK_MODE:
        return Status(CellLockStatus());
    default:
        return result;
    }
}
