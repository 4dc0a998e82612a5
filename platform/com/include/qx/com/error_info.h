// Error information helpers: what an object's method calls to fail with a description, and a
// generic ISupportErrorInfo.
#pragma once

#include "oleauto.h"
#include "qx/com/interface.h"

#include <string_view>

namespace qx::com {

// Sets this thread's error information (GUID, source, description) and returns hr, so that a
// method can `return ReportError(IID_IThing, u"Thing.Method", u"what went wrong", E_FAIL);`.
// The dispatch layer turns it into DISP_E_EXCEPTION with an EXCEPINFO for script callers.
HRESULT ReportError(REFIID iid, std::u16string_view source, std::u16string_view description, HRESULT hr,
                    std::u16string_view helpFile = {}, DWORD helpContext = 0);

// ISupportErrorInfo answering S_OK for the listed interfaces and S_FALSE for every other.
template <typename... Interfaces>
class SupportErrorInfoImpl : public ISupportErrorInfo {
public:
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
        return ((IsEqualIID(riid, iid_of<Interfaces>)) || ...) ? S_OK : S_FALSE;
    }
};

} // namespace qx::com
