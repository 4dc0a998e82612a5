// Enumerator: walks a collection through the IEnumVARIANT of its DISPID_NEWENUM.
#include "dispatch_object.h"
#include "script_error.h"
#include "value_conversion.h"
#include "vbarray.h"

#include <qx/com/comptr.h>
#include <qx/com/variant.h>

namespace qx::script {
namespace {

constexpr HRESULT kErrNotCollection = static_cast<HRESULT>(0x800A01C3);
constexpr const char* kStashPrototype = "\xFF"
                                        "qxEnumeratorPrototype";

struct EnumState {
    com::ComPtr<IEnumVARIANT> items;
    com::Variant current;
    bool atEnd = true;

    void Fetch() {
        current.Clear();
        atEnd = true;
        if (!items)
            return;
        ULONG fetched = 0;
        const HRESULT hr = items->Next(1, &current, &fetched);
        atEnd = hr != S_OK || fetched != 1;
        if (atEnd)
            current.Clear();
    }
};

EnumState& StateOfThis(duk_context* ctx) {
    duk_push_this(ctx);
    EnumState* state = nullptr;
    if (duk_is_object(ctx, -1)) {
        duk_get_prop_string(ctx, -1, kHiddenEnum);
        state = static_cast<EnumState*>(duk_get_pointer(ctx, -1));
        duk_pop(ctx);
    }
    duk_pop(ctx);
    if (!state)
        ThrowHresult(ctx, kErrObjectExpected, u"Enumerator expected");
    return *state;
}

duk_ret_t AtEnd(duk_context* ctx) {
    duk_push_boolean(ctx, StateOfThis(ctx).atEnd);
    return 1;
}

duk_ret_t Item(duk_context* ctx) {
    EnumState& state = StateOfThis(ctx);
    if (state.atEnd)
        duk_push_undefined(ctx);
    else
        PushVariant(CoreOf(ctx), state.current);
    return 1;
}

duk_ret_t MoveNext(duk_context* ctx) {
    EnumState& state = StateOfThis(ctx);
    if (!state.atEnd)
        state.Fetch();
    return 0;
}

duk_ret_t MoveFirst(duk_context* ctx) {
    EnumState& state = StateOfThis(ctx);
    if (state.items) {
        state.items->Reset();
        state.Fetch();
    }
    return 0;
}

duk_ret_t Finalize(duk_context* ctx) {
    duk_get_prop_string(ctx, 0, kHiddenEnum);
    auto* state = static_cast<EnumState*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    if (state) {
        duk_push_pointer(ctx, nullptr);
        duk_put_prop_string(ctx, 0, kHiddenEnum);
        delete state;
    }
    return 0;
}

// new Enumerator([collection])
duk_ret_t Construct(duk_context* ctx) {
    if (CoreOf(ctx).MustStop())
        UnwindForStop(ctx);
    com::ComPtr<IEnumVARIANT> items;
    if (!duk_is_undefined(ctx, 0)) {
        IDispatch* collection = WrappedDispatch(ctx, 0);
        if (!collection)
            ThrowHresult(ctx, kErrNotCollection, u"Object is not a collection");
        com::Variant result;
        DISPPARAMS none{};
        ClearErrorInfo();
        const HRESULT hr =
            collection->Invoke(DISPID_NEWENUM, GUID{}, LOCALE_USER_DEFAULT,
                               DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
        if (CoreOf(ctx).MustStop())
            UnwindForStop(ctx);
        if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME)
            ThrowHresult(ctx, kErrNotCollection, u"Object is not a collection");
        if (FAILED(hr))
            ThrowHresult(ctx, hr, TakeErrorDescription());
        IUnknown* unknown = result.vt == VT_UNKNOWN || result.vt == VT_DISPATCH ? result.punkVal : nullptr;
        if (!unknown || FAILED(unknown->QueryInterface(&items)) || !items)
            ThrowHresult(ctx, kErrNotCollection, u"Object is not a collection");
    }
    auto state = std::make_unique<EnumState>();
    state->items = std::move(items);
    state->Fetch();

    duk_push_object(ctx);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kStashPrototype);
    duk_set_prototype(ctx, -3);
    duk_pop(ctx);
    duk_push_c_function(ctx, Finalize, 1);
    duk_set_finalizer(ctx, -2);
    duk_push_pointer(ctx, state.release());
    duk_put_prop_string(ctx, -2, kHiddenEnum);
    return 1;
}

} // namespace

void DefineEnumerator(duk_context* ctx) {
    duk_push_c_function(ctx, Construct, 1);
    duk_push_object(ctx);
    static constexpr struct {
        const char* name;
        duk_c_function function;
    } kMethods[] = {{"atEnd", AtEnd}, {"item", Item}, {"moveNext", MoveNext}, {"moveFirst", MoveFirst}};
    for (const auto& m : kMethods) {
        duk_push_c_function(ctx, m.function, 0);
        duk_put_prop_string(ctx, -2, m.name);
    }
    duk_push_global_stash(ctx);
    duk_dup(ctx, -2);
    duk_put_prop_string(ctx, -2, kStashPrototype);
    duk_pop(ctx);
    duk_put_prop_string(ctx, -2, "prototype");
    duk_put_global_string(ctx, "Enumerator");
}

} // namespace qx::script
