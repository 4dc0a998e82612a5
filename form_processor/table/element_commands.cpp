// The element commands the dispatcher calls. They act on the attached document only; until the
// table commands are built they leave the document as it is.
#include "table_editor.h"

using qx::com::ComPtr;
using qx::com::Variant;

int CTableEditor::UpdateCurrentElement(ComPtr<IHTMLElement>& previous) {
    previous = nullptr;
    return 0;
}

void CTableEditor::ClearModes() {
    splitMode = false;
    mergeMode = false;
}

void CTableEditor::ToggleSplitMode() {
    splitMode = !splitMode;
    mergeMode = false;
}

void CTableEditor::ToggleMergeMode() {
    mergeMode = !mergeMode;
    splitMode = false;
}

void CTableEditor::ToggleTableLayout() {}

void CTableEditor::LockDocument() {}

void CTableEditor::MarkMemo() {}

void CTableEditor::InsertRuleAtCaret() {}

void CTableEditor::ResetRowHeights(IHTMLElement*) {}

int CTableEditor::SelectCellAtCaret() {
    return 0;
}

std::map<long, Variant> ListTableCells(IHTMLElement*) {
    return {};
}
