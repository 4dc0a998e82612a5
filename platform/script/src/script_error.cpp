#include "script_error.h"

#include "script_text.h"

#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>

#include <cstdio>

namespace qx::script {

std::u16string DescribeHresult(HRESULT hr) {
    switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
        return u"Object doesn't support this property or method";
    case DISP_E_TYPEMISMATCH:
        return u"Type mismatch";
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
        return u"Wrong number of arguments or invalid property assignment";
    case DISP_E_OVERFLOW:
        return u"Overflow";
    case DISP_E_BADINDEX:
        return u"Subscript out of range";
    case DISP_E_NONAMEDARGS:
        return u"Object doesn't support named arguments";
    case DISP_E_DIVBYZERO:
        return u"Division by zero";
    case E_OUTOFMEMORY:
        return u"Out of memory";
    case E_INVALIDARG:
        return u"Invalid procedure call or argument";
    case E_NOTIMPL:
        return u"Not implemented";
    case E_NOINTERFACE:
        return u"No such interface supported";
    case E_POINTER:
        return u"Invalid pointer";
    case E_ACCESSDENIED:
        return u"Permission denied";
    case E_ABORT:
        return u"Operation aborted";
    case RPC_E_WRONG_THREAD:
        return u"The object was called on a thread other than its own";
    case REGDB_E_CLASSNOTREG:
    case CO_E_CLASSSTRING:
    case kErrCantCreate:
        return u"Automation server can't create object";
    default:
        break;
    }
    char text[48];
    std::snprintf(text, sizeof text, "Error 0x%08X", static_cast<unsigned>(hr));
    return com::Utf8ToUtf16(text);
}

void ThrowHresult(duk_context* ctx, HRESULT hr, std::u16string_view description) {
    const std::u16string text = description.empty() ? DescribeHresult(hr) : std::u16string(description);
    const std::string bytes = Utf16ToCesu8(text);
    // The engine's error-code flag for "do not blame the C call site": the line reported is
    // that of the script calling in.
    constexpr duk_errcode_t kNoBlameFileLine = 1L << 24;
    duk_push_error_object_raw(ctx, DUK_ERR_ERROR | kNoBlameFileLine, nullptr, 0, "%s", bytes.c_str());
    duk_push_int(ctx, static_cast<duk_int_t>(hr));
    duk_put_prop_string(ctx, -2, "number");
    duk_push_lstring(ctx, bytes.data(), bytes.size());
    duk_put_prop_string(ctx, -2, "description");
    duk_throw_raw(ctx);
    __builtin_unreachable(); // the engine throws a C++ exception
}

void ClearErrorInfo() {
    SetErrorInfo(0, nullptr);
}

std::u16string TakeErrorDescription() {
    com::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return {};
    com::Bstr description;
    if (FAILED(info->GetDescription(&description)))
        return {};
    return std::u16string(description.View());
}

void ThrowInvokeFailure(duk_context* ctx, HRESULT hr, EXCEPINFO& info) {
    std::u16string description;
    HRESULT number = hr;
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn)
            info.pfnDeferredFillIn(&info);
        if (info.scode != 0)
            number = info.scode;
        else if (info.wCode != 0)
            number = static_cast<HRESULT>(0x800A0000u | info.wCode);
        if (info.bstrDescription)
            description.assign(info.bstrDescription, SysStringLen(info.bstrDescription));
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
    if (description.empty())
        description = TakeErrorDescription();
    ThrowHresult(ctx, number, description);
}

namespace {

HRESULT NumberOfKind(const std::u16string& name) {
    if (name == u"SyntaxError")
        return kErrSyntax;
    if (name == u"TypeError")
        return kErrObjectExpected;
    if (name == u"ReferenceError")
        return kErrUndefined;
    return kErrNotCaught;
}

} // namespace

void ReadThrownValue(duk_context* ctx, duk_idx_t index, ScriptError* error) {
    index = duk_normalize_index(ctx, index);
    error->number = kErrNotCaught;
    error->line = 0;
    if (duk_is_error(ctx, index)) {
        duk_get_prop_string(ctx, index, "name");
        const std::u16string name = duk_is_string(ctx, -1) ? ToText(ctx, -1) : u"Error";
        duk_pop(ctx);
        duk_get_prop_string(ctx, index, "number");
        const bool hasNumber = duk_is_number(ctx, -1);
        error->number = hasNumber ? static_cast<HRESULT>(duk_to_int32(ctx, -1)) : NumberOfKind(name);
        duk_pop(ctx);
        duk_get_prop_string(ctx, index, "lineNumber");
        if (duk_is_number(ctx, -1))
            error->line = duk_get_int(ctx, -1);
        duk_pop(ctx);
        duk_get_prop_string(ctx, index, "message");
        const std::u16string message = duk_is_undefined(ctx, -1) ? std::u16string() : ToText(ctx, -1);
        duk_pop(ctx);
        // Errors from components carry their number; their text stands alone.
        if (hasNumber && !message.empty())
            error->message = Utf16ToUtf8Text(message);
        else
            error->message = Utf16ToUtf8Text(message.empty() ? name : name + u": " + message);
        return;
    }
    if (duk_is_object(ctx, index)) {
        duk_get_prop_string(ctx, index, "number");
        if (duk_is_number(ctx, -1))
            error->number = static_cast<HRESULT>(duk_to_int32(ctx, -1));
        duk_pop(ctx);
    }
    error->message = Utf16ToUtf8Text(u"Exception thrown and not caught: " + ToText(ctx, index));
}

} // namespace qx::script
