#include "value_conversion.h"

#include "dispatch_object.h"
#include "script_dispatch.h"
#include "script_text.h"
#include "vbarray.h"

#include <oleauto.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace qx::script {
namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kEpochDay = 25569.0; // 1970-01-01 as an OLE date

// Days since 1970-01-01 to a civil date.
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
}

bool IsDate(duk_context* ctx, duk_idx_t index) {
    if (!duk_is_object(ctx, index) || duk_is_function(ctx, index))
        return false;
    duk_get_global_string(ctx, "Date");
    const bool result = duk_is_function(ctx, -1) && duk_instanceof(ctx, index, -1);
    duk_pop(ctx);
    return result;
}

double CallNumberMethod(duk_context* ctx, duk_idx_t index, const char* method) {
    duk_get_prop_string(ctx, index, method);
    duk_dup(ctx, index);
    duk_call_method(ctx, 0);
    const double result = duk_to_number(ctx, -1);
    duk_pop(ctx);
    return result;
}

void PushDate(duk_context* ctx, double date) {
    const double localMs = DateToLocalMilliseconds(date);
    if (!std::isfinite(localMs) || std::fabs(localMs) > 8.64e15) {
        duk_get_global_string(ctx, "Date");
        duk_push_nan(ctx);
        duk_new(ctx, 1);
        return;
    }
    const double dayNumber = std::floor(localMs / kMsPerDay);
    double msOfDay = localMs - dayNumber * kMsPerDay;
    std::int64_t year;
    unsigned month, day;
    CivilFromDays(static_cast<std::int64_t>(dayNumber), year, month, day);
    duk_get_global_string(ctx, "Date");
    duk_push_number(ctx, static_cast<double>(year));
    duk_push_int(ctx, static_cast<duk_int_t>(month) - 1);
    duk_push_int(ctx, static_cast<duk_int_t>(day));
    duk_push_int(ctx, 0);
    duk_push_int(ctx, 0);
    duk_push_int(ctx, 0);
    duk_push_number(ctx, std::round(msOfDay));
    duk_new(ctx, 7);
    // Years 0-99 are taken as 1900-1999 by the constructor; set the real one.
    if (year >= 0 && year <= 99) {
        duk_get_prop_string(ctx, -1, "setFullYear");
        duk_dup(ctx, -2);
        duk_push_number(ctx, static_cast<double>(year));
        duk_call_method(ctx, 1);
        duk_pop(ctx);
    }
}

void PushScalar(EngineCore& core, VARTYPE vt, const VARIANT& v) {
    duk_context* ctx = core.ctx;
    switch (vt) {
    case VT_EMPTY:
        duk_push_undefined(ctx);
        return;
    case VT_NULL:
        duk_push_null(ctx);
        return;
    case VT_I1:
        duk_push_int(ctx, v.cVal);
        return;
    case VT_I2:
        duk_push_int(ctx, v.iVal);
        return;
    case VT_I4:
    case VT_INT:
        duk_push_int(ctx, v.lVal);
        return;
    case VT_UI1:
        duk_push_uint(ctx, v.bVal);
        return;
    case VT_UI2:
        duk_push_uint(ctx, v.uiVal);
        return;
    case VT_UI4:
    case VT_UINT:
        duk_push_number(ctx, static_cast<double>(v.ulVal));
        return;
    case VT_I8:
        duk_push_number(ctx, static_cast<double>(v.llVal));
        return;
    case VT_UI8:
        duk_push_number(ctx, static_cast<double>(v.ullVal));
        return;
    case VT_R4:
        duk_push_number(ctx, v.fltVal);
        return;
    case VT_R8:
        duk_push_number(ctx, v.dblVal);
        return;
    case VT_CY:
        duk_push_number(ctx, static_cast<double>(v.cyVal.int64) / 10000.0);
        return;
    case VT_BOOL:
        duk_push_boolean(ctx, v.boolVal != VARIANT_FALSE);
        return;
    case VT_BSTR:
        PushText(ctx,
                 std::u16string_view(v.bstrVal ? v.bstrVal : u"", v.bstrVal ? SysStringLen(v.bstrVal) : 0));
        return;
    case VT_DATE:
        PushDate(ctx, v.date);
        return;
    case VT_ERROR:
        if (v.scode == DISP_E_PARAMNOTFOUND)
            duk_push_undefined(ctx);
        else
            duk_push_int(ctx, static_cast<duk_int_t>(v.scode));
        return;
    case VT_DISPATCH:
        if (v.pdispVal)
            PushDispatch(core, v.pdispVal);
        else
            duk_push_null(ctx);
        return;
    case VT_UNKNOWN: {
        com::ComPtr<IDispatch> dispatch;
        if (v.punkVal && SUCCEEDED(v.punkVal->QueryInterface(&dispatch)) && dispatch)
            PushDispatch(core, dispatch.Get());
        else
            duk_push_null(ctx);
        return;
    }
    default: {
        com::Variant number;
        if (SUCCEEDED(VariantChangeType(&number, &v, 0, VT_R8)))
            duk_push_number(ctx, number.dblVal);
        else
            duk_push_undefined(ctx);
        return;
    }
    }
}

} // namespace

double LocalMillisecondsToDate(double localMs) {
    const double days = std::floor(localMs / kMsPerDay);
    const double fraction = (localMs - days * kMsPerDay) / kMsPerDay;
    const double day = days + kEpochDay;
    // Before the epoch day the fraction still counts forward from midnight: -1.25 is 29 December
    // 1899, 6:00.
    return day >= 0 ? day + fraction : day - fraction;
}

double DateToLocalMilliseconds(double date) {
    const double day = std::trunc(date);
    const double fraction = std::fabs(date - day);
    return (day - kEpochDay) * kMsPerDay + fraction * kMsPerDay;
}

void PushVariant(EngineCore& core, const VARIANT& value) {
    const VARIANT* v = &value;
    com::Variant direct;
    if (value.vt & VT_BYREF) {
        if (FAILED(VariantCopyInd(&direct, &value))) {
            duk_push_undefined(core.ctx);
            return;
        }
        v = &direct;
    }
    if (v->vt & VT_ARRAY) {
        PushVBArray(core, v->parray);
        return;
    }
    PushScalar(core, v->vt, *v);
}

HRESULT ToVariant(EngineCore& core, duk_idx_t index, VARIANT* value) {
    duk_context* ctx = core.ctx;
    index = duk_normalize_index(ctx, index);
    VariantInit(value);
    switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_NONE:
    case DUK_TYPE_UNDEFINED:
        return S_OK;
    case DUK_TYPE_NULL:
        value->vt = VT_NULL;
        return S_OK;
    case DUK_TYPE_BOOLEAN:
        value->vt = VT_BOOL;
        value->boolVal = duk_get_boolean(ctx, index) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case DUK_TYPE_NUMBER: {
        const double d = duk_get_number(ctx, index);
        if (std::trunc(d) == d && d >= -2147483648.0 && d <= 2147483647.0 && !(d == 0 && std::signbit(d))) {
            value->vt = VT_I4;
            value->lVal = static_cast<LONG>(d);
        } else {
            value->vt = VT_R8;
            value->dblVal = d;
        }
        return S_OK;
    }
    case DUK_TYPE_STRING: {
        duk_size_t length = 0;
        const char* bytes = duk_get_lstring(ctx, index, &length);
        const std::u16string text = Cesu8ToUtf16(std::string_view(bytes, length));
        value->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!value->bstrVal)
            return E_OUTOFMEMORY;
        value->vt = VT_BSTR;
        return S_OK;
    }
    case DUK_TYPE_OBJECT:
        break;
    default:
        // Buffers, pointers and lightfuncs have no Automation form.
        return DISP_E_TYPEMISMATCH;
    }

    if (IDispatch* wrapped = WrappedDispatch(ctx, index)) {
        wrapped->AddRef();
        value->vt = VT_DISPATCH;
        value->pdispVal = wrapped;
        return S_OK;
    }
    if (SAFEARRAY* array = WrappedSafeArray(ctx, index)) {
        VARTYPE vt = VT_VARIANT;
        if (FAILED(SafeArrayGetVartype(array, &vt)))
            vt = VT_VARIANT;
        SAFEARRAY* copy = nullptr;
        const HRESULT hr = SafeArrayCopy(array, &copy);
        if (FAILED(hr))
            return hr;
        value->vt = static_cast<VARTYPE>(VT_ARRAY | vt);
        value->parray = copy;
        return S_OK;
    }
    if (IsDate(ctx, index)) {
        const double time = CallNumberMethod(ctx, index, "getTime");
        if (!std::isfinite(time)) {
            value->vt = VT_NULL;
            return S_OK;
        }
        const double offsetMinutes = CallNumberMethod(ctx, index, "getTimezoneOffset");
        value->vt = VT_DATE;
        value->date = LocalMillisecondsToDate(time - offsetMinutes * 60000.0);
        return S_OK;
    }
    IDispatch* dispatch = nullptr;
    const HRESULT hr = CreateScriptDispatch(core, index, &dispatch);
    if (FAILED(hr))
        return hr;
    value->vt = VT_DISPATCH;
    value->pdispVal = dispatch;
    return S_OK;
}

} // namespace qx::script
