// Errors of the page that no script raised, reported the way script errors are.
#include "qx/html/script/page_script.h"

namespace qx::html::script {

void PageScript::ReportError(std::string_view messageUtf8) {
    qx::script::ScriptError error;
    error.number = E_FAIL;
    error.message = messageUtf8;
    Report(error);
}

} // namespace qx::html::script
