#include "call_context_impl.h"

#include "script_text.h"
#include "value_conversion.h"

#include <oleauto.h>

namespace qx::script {

std::u16string CallContextImpl::ArgString(std::size_t index) const {
    if (index >= count_)
        return u"undefined";
    return ToText(core_.ctx, static_cast<duk_idx_t>(index));
}

double CallContextImpl::ArgNumber(std::size_t index) const {
    if (index >= count_)
        return std::numeric_limits<double>::quiet_NaN();
    duk_dup(core_.ctx, static_cast<duk_idx_t>(index));
    const double result = duk_to_number(core_.ctx, -1);
    duk_pop(core_.ctx);
    return result;
}

HRESULT CallContextImpl::ArgVariant(std::size_t index, VARIANT* value) const {
    if (!value)
        return E_POINTER;
    if (index >= count_) {
        VariantInit(value);
        return S_OK;
    }
    return ToVariant(core_, static_cast<duk_idx_t>(index), value);
}

HRESULT CallContextImpl::SetResult(const VARIANT& value) {
    hasResult_ = true;
    return VariantCopy(&result_, &value);
}

ScriptEngine& CallContextImpl::Engine() const {
    return *core_.engine;
}

} // namespace qx::script
