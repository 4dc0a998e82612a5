#include "vbarray.h"

#include "script_error.h"
#include "value_conversion.h"

#include <oleauto.h>

#include <cstring>
#include <vector>

namespace qx::script {
namespace {

constexpr const char* kStashPrototype = "\xFF"
                                        "qxVBArrayPrototype";

SAFEARRAY* ArrayOfThis(duk_context* ctx) {
    duk_push_this(ctx);
    SAFEARRAY* array = WrappedSafeArray(ctx, -1);
    duk_pop(ctx);
    if (!array)
        ThrowHresult(ctx, kErrObjectExpected, u"VBArray expected");
    return array;
}

// Pushes the element whose memory is at cell.
void PushElement(EngineCore& core, VARTYPE vt, ULONG size, const void* cell) {
    if (vt == VT_VARIANT) {
        PushVariant(core, *static_cast<const VARIANT*>(cell));
        return;
    }
    VARIANT view;
    VariantInit(&view);
    if (vt == VT_DECIMAL) {
        std::memcpy(&view.decVal, cell, sizeof(DECIMAL));
    } else if (size <= sizeof(view.llVal) + sizeof(void*)) {
        std::memcpy(&view.llVal, cell, size);
    }
    view.vt = vt;
    PushVariant(core, view);
}

VARTYPE ElementType(SAFEARRAY* array) {
    VARTYPE vt = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(array, &vt))) {
        if (array->fFeatures & FADF_VARIANT)
            vt = VT_VARIANT;
        else if (array->fFeatures & FADF_BSTR)
            vt = VT_BSTR;
        else if (array->fFeatures & FADF_DISPATCH)
            vt = VT_DISPATCH;
        else if (array->fFeatures & FADF_UNKNOWN)
            vt = VT_UNKNOWN;
    }
    return vt;
}

std::size_t ElementCount(SAFEARRAY* array) {
    if (array->cDims == 0)
        return 0;
    std::size_t count = 1;
    for (USHORT d = 0; d < array->cDims; ++d)
        count *= array->rgsabound[d].cElements;
    return count;
}

duk_ret_t ToArray(duk_context* ctx) {
    SAFEARRAY* array = ArrayOfThis(ctx);
    EngineCore& core = CoreOf(ctx);
    const VARTYPE vt = ElementType(array);
    const std::size_t count = ElementCount(array);
    duk_push_array(ctx);
    void* data = nullptr;
    if (count == 0 || FAILED(SafeArrayAccessData(array, &data)))
        return 1;
    // Elements in storage order: the first dimension varies fastest, each further dimension
    // follows the previous one, as VBArray.toArray gives them.
    for (std::size_t i = 0; i < count; ++i) {
        PushElement(core, vt, array->cbElements, static_cast<const BYTE*>(data) + i * array->cbElements);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    SafeArrayUnaccessData(array);
    return 1;
}

duk_ret_t Dimensions(duk_context* ctx) {
    duk_push_uint(ctx, SafeArrayGetDim(ArrayOfThis(ctx)));
    return 1;
}

UINT DimensionArg(duk_context* ctx, SAFEARRAY* array) {
    const double d = duk_is_undefined(ctx, 0) ? 1 : duk_to_number(ctx, 0);
    if (!(d >= 1 && d <= array->cDims))
        ThrowHresult(ctx, DISP_E_BADINDEX);
    return static_cast<UINT>(d);
}

duk_ret_t LBound(duk_context* ctx) {
    SAFEARRAY* array = ArrayOfThis(ctx);
    LONG bound = 0;
    if (FAILED(SafeArrayGetLBound(array, DimensionArg(ctx, array), &bound)))
        ThrowHresult(ctx, DISP_E_BADINDEX);
    duk_push_int(ctx, bound);
    return 1;
}

duk_ret_t UBound(duk_context* ctx) {
    SAFEARRAY* array = ArrayOfThis(ctx);
    LONG bound = 0;
    if (FAILED(SafeArrayGetUBound(array, DimensionArg(ctx, array), &bound)))
        ThrowHresult(ctx, DISP_E_BADINDEX);
    duk_push_int(ctx, bound);
    return 1;
}

duk_ret_t GetItem(duk_context* ctx) {
    SAFEARRAY* array = ArrayOfThis(ctx);
    const duk_idx_t given = duk_get_top(ctx);
    if (given != static_cast<duk_idx_t>(array->cDims))
        ThrowHresult(ctx, DISP_E_BADPARAMCOUNT);
    // Script names the left-most dimension first; the element functions take it last.
    std::vector<LONG> indices(array->cDims);
    for (duk_idx_t i = 0; i < given; ++i) {
        const double v = duk_to_number(ctx, i);
        if (!(v >= -2147483648.0 && v <= 2147483647.0))
            ThrowHresult(ctx, DISP_E_BADINDEX);
        indices[array->cDims - 1 - static_cast<std::size_t>(i)] = static_cast<LONG>(v);
    }
    void* cell = nullptr;
    if (FAILED(SafeArrayPtrOfIndex(array, indices.data(), &cell)) || !cell)
        ThrowHresult(ctx, DISP_E_BADINDEX);
    PushElement(CoreOf(ctx), ElementType(array), array->cbElements, cell);
    return 1;
}

duk_ret_t Finalize(duk_context* ctx) {
    duk_get_prop_string(ctx, 0, kHiddenArray);
    auto* array = static_cast<SAFEARRAY*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    if (array) {
        duk_push_pointer(ctx, nullptr);
        duk_put_prop_string(ctx, 0, kHiddenArray);
        SafeArrayDestroy(array);
    }
    return 0;
}

// new VBArray(safeArray)
duk_ret_t Construct(duk_context* ctx) {
    SAFEARRAY* source = WrappedSafeArray(ctx, 0);
    if (!source)
        ThrowHresult(ctx, kErrObjectExpected, u"VBArray expected");
    PushVBArray(CoreOf(ctx), source);
    return 1;
}

} // namespace

SAFEARRAY* WrappedSafeArray(duk_context* ctx, duk_idx_t index) {
    if (!duk_is_object(ctx, index))
        return nullptr;
    duk_get_prop_string(ctx, index, kHiddenArray);
    auto* array = static_cast<SAFEARRAY*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return array;
}

void PushVBArray(EngineCore& core, SAFEARRAY* array) {
    duk_context* ctx = core.ctx;
    SAFEARRAY* copy = nullptr;
    if (!array || FAILED(SafeArrayCopy(array, &copy)) || !copy)
        copy = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    if (!copy)
        ThrowHresult(ctx, E_OUTOFMEMORY);
    duk_push_object(ctx);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kStashPrototype);
    duk_set_prototype(ctx, -3);
    duk_pop(ctx);
    duk_push_c_function(ctx, Finalize, 1);
    duk_set_finalizer(ctx, -2);
    duk_push_pointer(ctx, copy);
    duk_put_prop_string(ctx, -2, kHiddenArray);
}

void DefineVBArray(duk_context* ctx) {
    duk_push_c_function(ctx, Construct, 1);
    duk_push_object(ctx);
    static constexpr struct {
        const char* name;
        duk_c_function function;
        duk_idx_t args;
    } kMethods[] = {{"toArray", ToArray, 0},
                    {"dimensions", Dimensions, 0},
                    {"lbound", LBound, 1},
                    {"ubound", UBound, 1},
                    {"getItem", GetItem, DUK_VARARGS}};
    for (const auto& m : kMethods) {
        duk_push_c_function(ctx, m.function, m.args);
        duk_put_prop_string(ctx, -2, m.name);
    }
    duk_push_global_stash(ctx);
    duk_dup(ctx, -2);
    duk_put_prop_string(ctx, -2, kStashPrototype);
    duk_pop(ctx);
    duk_put_prop_string(ctx, -2, "prototype");
    duk_put_global_string(ctx, "VBArray");
}

} // namespace qx::script
