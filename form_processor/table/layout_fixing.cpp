// Layout fixing and cell preparation of the edited document's tables. Until the grid is built
// they leave the document as it is.
#include "table_editor.h"

void CTableEditor::FillEmptyCells() {}

void CTableEditor::FixTableLayout(IHTMLElement*, int) {}

int HasTableLayoutStyle(IHTMLElement*) {
    return 0;
}
