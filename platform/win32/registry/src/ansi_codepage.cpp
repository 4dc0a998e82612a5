#include "ansi_codepage.h"

#include "qxwin/codepage.h"

namespace qx::registry::detail {

std::u16string AnsiToWide(std::string_view ansi) {
    return qxwin::AnsiToWide(ansi);
}

std::string WideToAnsi(std::u16string_view wide) {
    return qxwin::WideToAnsi(wide);
}

} // namespace qx::registry::detail
