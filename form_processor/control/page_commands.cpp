// The command switch behind "ExecCommand" and "QueryStatus". The commands that act on the
// document join this switch with the document commands; until then their ids answer VT_EMPTY.
#include "external_dispatch.h"

#include "document_io.h"
#include "velkor_control.h"

#include <string>

using qx::com::Bstr;
using qx::com::Variant;

namespace {

// The low 16 bits of the command's value, signed, whatever the VARIANT's type.
SHORT CommandId(const VARIANT& command) {
    Variant number;
    if (FAILED(VariantChangeType(&number, &command, 0, VT_I4)))
        return 0;
    return static_cast<SHORT>(number.lVal & 0xFFFF);
}

} // namespace

Variant CExternalDispatch::DoCommand(const VARIANT& command, const VARIANT&) {
    Variant result;
    if (!owner_)
        return result;
    switch (CommandId(command)) {
    case FPID_FontEnum:
        if (SAFEARRAY* fonts = CTableEditor::EnumFonts()) {
            result.vt = VT_ARRAY | VT_VARIANT;
            result.parray = fonts;
        }
        break;
    case FPID_GetTableStyle: {
        // Grown to fit: long font names are never cut.
        std::u16string style = u"font-family:";
        style += owner_->TableFontFamily().View();
        style += u";font-size:";
        style += owner_->TableFontSize().View();
        result = Variant(std::u16string_view{style});
        break;
    }
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
    switch (CommandId(command)) {
    case FPID_INIT_EDIT_MODE:
        result = Variant(owner_->StartModeValue());
        break;
    case FPID_QUERY_MODE:
        owner_->Fire_QueryMode();
        break;
    default:
        break;
    }
    return result;
}
