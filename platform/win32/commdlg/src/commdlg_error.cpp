#include "commdlg_error.h"

#include "commdlg.h"

namespace qx::win32 {
namespace {

thread_local DWORD t_error = 0;

} // namespace

void SetCommDlgError(DWORD error) {
    t_error = error;
}

} // namespace qx::win32

DWORD WINAPI CommDlgExtendedError() {
    return qx::win32::t_error;
}
