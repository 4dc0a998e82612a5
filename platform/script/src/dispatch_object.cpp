#include "dispatch_object.h"

#include "script_dispatch.h"
#include "script_error.h"
#include "script_text.h"
#include "value_conversion.h"

#include <dispex.h>
#include <oleauto.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>

#include <algorithm>

namespace qx::script {
namespace {

constexpr GUID kNullIid{};
constexpr char kHiddenMethodDispatch[] = "\xFF"
                                         "qxMethodDispatch";
constexpr char kStashHandler[] = "\xFF"
                                 "qxDispatchHandler";
// On the function behind a proxy: the proxy itself, and the COM identity it was made for.
constexpr char kHiddenProxy[] = "\xFF"
                                "qxProxy";
constexpr char kHiddenIdentity[] = "\xFF"
                                   "qxIdentity";

// Value members stand in for toString/valueOf on objects that do not have them.
enum ValueMember { kCallMember = 0, kToString = 1, kValueOf = 2 };

template <std::size_t N>
IDispatch* DispatchOfCurrentFunction(duk_context* ctx, const char (&key)[N]) {
    duk_push_current_function(ctx);
    duk_get_prop_literal(ctx, -1, key);
    auto* dispatch = static_cast<IDispatch*>(duk_get_pointer(ctx, -1));
    duk_pop_2(ctx);
    return dispatch;
}

duk_ret_t ReleaseHeld(duk_context* ctx, const char* key) {
    duk_get_prop_string(ctx, 0, key);
    auto* dispatch = static_cast<IDispatch*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    if (dispatch) {
        duk_push_pointer(ctx, nullptr);
        duk_put_prop_string(ctx, 0, key);
        dispatch->Release();
    }
    return 0;
}

// The identity's entry goes first, so that nothing run by the release below finds this object
// again; dropping the proxy ends the cycle that kept it alive with its function.
duk_ret_t FinalizeObject(duk_context* ctx) {
    EngineCore& core = CoreOf(ctx);
    duk_get_prop_string(ctx, 0, kHiddenIdentity);
    auto* identity = static_cast<IUnknown*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    if (identity) {
        auto entry = core.scriptObjects.find(identity);
        if (entry != core.scriptObjects.end() && entry->second == duk_get_heapptr(ctx, 0))
            core.scriptObjects.erase(entry);
    }
    duk_del_prop_string(ctx, 0, kHiddenProxy);
    return ReleaseHeld(ctx, kHiddenDispatch);
}

duk_ret_t FinalizeMethod(duk_context* ctx) {
    return ReleaseHeld(ctx, kHiddenMethodDispatch);
}

void CheckRunnable(duk_context* ctx) {
    EngineCore& core = CoreOf(ctx);
    if (core.MustStop())
        UnwindForStop(ctx);
    DrainPendingReleases(core);
}

void FreeExcepInfo(EXCEPINFO& info) {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
}

// After a component call: when script run meanwhile asked to stop, unwind now.
void StopIfAsked(duk_context* ctx, EXCEPINFO& info) {
    if (CoreOf(ctx).MustStop()) {
        FreeExcepInfo(info);
        UnwindForStop(ctx);
    }
}

bool LooksLikeMethod(HRESULT hr) {
    return hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_PARAMNOTOPTIONAL ||
           hr == DISP_E_PARAMNOTFOUND;
}

HRESULT RawInvoke(IDispatch* dispatch, DISPID dispid, WORD flags, std::vector<com::Variant>& args,
                  VARIANT* result, EXCEPINFO* info) {
    // DISPPARAMS takes the arguments last first.
    std::reverse(args.begin(), args.end());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = args.empty() ? nullptr : args.data();
    params.cArgs = static_cast<UINT>(args.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    UINT argErr = 0;
    ClearErrorInfo();
    const HRESULT hr =
        dispatch->Invoke(dispid, kNullIid, LOCALE_USER_DEFAULT, flags, &params, result, info, &argErr);
    std::reverse(args.begin(), args.end());
    return hr;
}

void ThrowFailure(duk_context* ctx, HRESULT hr, EXCEPINFO& info) {
    ThrowInvokeFailure(ctx, hr, info);
}

void CollectArgs(EngineCore& core, duk_idx_t first, duk_idx_t count, std::vector<com::Variant>& args) {
    args.resize(static_cast<std::size_t>(count));
    for (duk_idx_t i = 0; i < count; ++i) {
        const HRESULT hr = ToVariant(core, first + i, &args[static_cast<std::size_t>(i)]);
        if (FAILED(hr))
            ThrowHresult(core.ctx, hr);
    }
}

void PushMemberFunction(duk_context* ctx, IDispatch* dispatch, DISPID dispid, int valueMember) {
    duk_push_c_function(
        ctx,
        [](duk_context* c) -> duk_ret_t {
            CheckRunnable(c);
            EngineCore& core = CoreOf(c);
            IDispatch* target = DispatchOfCurrentFunction(c, kHiddenMethodDispatch);
            if (!target)
                ThrowHresult(c, E_UNEXPECTED);
            duk_push_current_function(c);
            duk_get_prop_literal(c, -1, kHiddenDispid);
            const DISPID id = duk_get_int(c, -1);
            duk_get_prop_literal(c, -2, kHiddenKind);
            const int member = duk_get_int(c, -1);
            duk_pop_3(c);
            if (member == kCallMember) {
                InvokeAndPush(core, target, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, 0, duk_get_top(c));
                return 1;
            }
            std::vector<com::Variant> none;
            com::Variant result;
            EXCEPINFO info{};
            target->AddRef();
            com::ComPtr<IDispatch> hold = com::ComPtr<IDispatch>::Attach(target);
            const HRESULT hr = RawInvoke(target, DISPID_VALUE, DISPATCH_PROPERTYGET, none, &result, &info);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
            if (member == kToString) {
                com::Variant text;
                if (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(&text, &result, 0, VT_BSTR)))
                    PushVariant(core, text);
                else
                    duk_push_string(c, "[object Object]");
            } else if (SUCCEEDED(hr) && result.vt != VT_DISPATCH && result.vt != VT_UNKNOWN) {
                PushVariant(core, result);
            } else {
                duk_push_this(c);
            }
            return 1;
        },
        DUK_VARARGS);
    duk_push_c_function(ctx, FinalizeMethod, 1);
    duk_set_finalizer(ctx, -2);
    duk_push_int(ctx, dispid);
    duk_put_prop_literal(ctx, -2, kHiddenDispid);
    duk_push_int(ctx, valueMember);
    duk_put_prop_literal(ctx, -2, kHiddenKind);
    dispatch->AddRef();
    duk_push_pointer(ctx, dispatch);
    duk_put_prop_literal(ctx, -2, kHiddenMethodDispatch);
}

bool LookUpName(IDispatch* dispatch, const std::u16string& name, DISPID* dispid) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    return SUCCEEDED(dispatch->GetIDsOfNames(kNullIid, names, 1, LOCALE_USER_DEFAULT, dispid));
}

// A name the object does not know, made by an object that takes new members (an expando).
bool MakeName(IDispatch* dispatch, const std::u16string& name, DISPID* dispid) {
    com::ComPtr<IDispatchEx> ex;
    if (FAILED(dispatch->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&ex))) || !ex)
        return false;
    com::Bstr text(name);
    return SUCCEEDED(ex->GetDispID(text.Get(), fdexNameEnsure, dispid));
}

// The IDispatch behind the proxy whose trap runs: its target is argument 0. (A literal key: the
// engine's literal cache spares interning it on every access.)
IDispatch* TrapTarget(duk_context* ctx) {
    duk_get_prop_literal(ctx, 0, kHiddenDispatch);
    auto* dispatch = static_cast<IDispatch*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return dispatch;
}

// An index key (`rows[0]`) reaches a trap as a number: it is the name "0" to the object.
void IndexKeyAsName(duk_context* ctx) {
    if (duk_is_number(ctx, 1))
        duk_to_string(ctx, 1);
}

// get(target, key, receiver)
duk_ret_t TrapGet(duk_context* ctx) {
    CheckRunnable(ctx);
    IndexKeyAsName(ctx);
    EngineCore& core = CoreOf(ctx);
    if (duk_is_symbol(ctx, 1) || !duk_is_string(ctx, 1)) {
        duk_push_undefined(ctx);
        return 1;
    }
    IDispatch* dispatch = TrapTarget(ctx);
    if (!dispatch)
        ThrowHresult(ctx, E_UNEXPECTED);
    com::ComPtr<IDispatch> hold(dispatch);
    const std::u16string name = ToText(ctx, 1);
    DISPID dispid = DISPID_UNKNOWN;
    if (!LookUpName(dispatch, name, &dispid)) {
        if (name == u"toString")
            PushMemberFunction(ctx, dispatch, DISPID_VALUE, kToString);
        else if (name == u"valueOf")
            PushMemberFunction(ctx, dispatch, DISPID_VALUE, kValueOf);
        else
            duk_push_undefined(ctx);
        return 1;
    }
    const MemberKind kind = core.memberFacts.Of(dispatch, dispid).kind;
    if (kind == MemberKind::Method) {
        PushMemberFunction(ctx, dispatch, dispid, kCallMember);
        return 1;
    }
    std::vector<com::Variant> none;
    com::Variant result;
    EXCEPINFO info{};
    const HRESULT hr = RawInvoke(dispatch, dispid, DISPATCH_PROPERTYGET, none, &result, &info);
    StopIfAsked(ctx, info);
    if (FAILED(hr) && kind == MemberKind::Unknown && LooksLikeMethod(hr)) {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        PushMemberFunction(ctx, dispatch, dispid, kCallMember);
        return 1;
    }
    if (FAILED(hr))
        ThrowFailure(ctx, hr, info);
    PushVariant(core, result);
    return 1;
}

// set(target, key, value, receiver)
duk_ret_t TrapSet(duk_context* ctx) {
    CheckRunnable(ctx);
    IndexKeyAsName(ctx);
    EngineCore& core = CoreOf(ctx);
    if (duk_is_symbol(ctx, 1) || !duk_is_string(ctx, 1))
        ThrowHresult(ctx, DISP_E_UNKNOWNNAME);
    IDispatch* dispatch = TrapTarget(ctx);
    if (!dispatch)
        ThrowHresult(ctx, E_UNEXPECTED);
    com::ComPtr<IDispatch> hold(dispatch);
    const std::u16string name = ToText(ctx, 1);
    DISPID dispid = DISPID_UNKNOWN;
    if (!LookUpName(dispatch, name, &dispid) && !MakeName(dispatch, name, &dispid))
        ThrowHresult(ctx, DISP_E_UNKNOWNNAME);
    std::vector<com::Variant> args(1);
    const HRESULT converted = ToVariant(core, 2, &args[0]);
    if (FAILED(converted))
        ThrowHresult(ctx, converted);
    const bool isObject = args[0].vt == VT_DISPATCH || args[0].vt == VT_UNKNOWN;
    EXCEPINFO info{};
    HRESULT hr = RawInvoke(dispatch, dispid, isObject ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, args,
                           nullptr, &info);
    if (isObject && hr == DISP_E_MEMBERNOTFOUND) {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        info = EXCEPINFO{};
        hr = RawInvoke(dispatch, dispid, DISPATCH_PROPERTYPUT, args, nullptr, &info);
    }
    StopIfAsked(ctx, info);
    if (FAILED(hr))
        ThrowFailure(ctx, hr, info);
    duk_push_true(ctx);
    return 1;
}

// has(target, key)
duk_ret_t TrapHas(duk_context* ctx) {
    CheckRunnable(ctx);
    IndexKeyAsName(ctx);
    if (duk_is_symbol(ctx, 1) || !duk_is_string(ctx, 1)) {
        duk_push_false(ctx);
        return 1;
    }
    IDispatch* dispatch = TrapTarget(ctx);
    DISPID dispid = DISPID_UNKNOWN;
    duk_push_boolean(ctx, dispatch && LookUpName(dispatch, ToText(ctx, 1), &dispid));
    return 1;
}

// deleteProperty(target, key): only an object with members that come and go deletes one.
duk_ret_t TrapDelete(duk_context* ctx) {
    CheckRunnable(ctx);
    IDispatch* dispatch = nullptr;
    if (!duk_is_symbol(ctx, 1) && duk_is_string(ctx, 1))
        dispatch = TrapTarget(ctx);
    com::ComPtr<IDispatchEx> ex;
    if (!dispatch || FAILED(dispatch->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&ex))) ||
        !ex) {
        duk_push_false(ctx);
        return 1;
    }
    com::Bstr name(ToText(ctx, 1));
    const HRESULT hr = ex->DeleteMemberByName(name.Get(), 0);
    if (CoreOf(ctx).MustStop())
        UnwindForStop(ctx);
    duk_push_boolean(ctx, hr == S_OK);
    return 1;
}

// Calling the object itself: DISPID_VALUE with the call's arguments.
duk_ret_t CallObject(duk_context* ctx) {
    CheckRunnable(ctx);
    if (duk_is_constructor_call(ctx))
        ThrowHresult(ctx, DISP_E_MEMBERNOTFOUND);
    IDispatch* dispatch = DispatchOfCurrentFunction(ctx, kHiddenDispatch);
    if (!dispatch)
        ThrowHresult(ctx, E_UNEXPECTED);
    InvokeAndPush(CoreOf(ctx), dispatch, DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, 0,
                  duk_get_top(ctx));
    return 1;
}

void PushHandler(duk_context* ctx) {
    duk_push_global_stash(ctx);
    if (!duk_get_prop_string(ctx, -1, kStashHandler)) {
        duk_pop(ctx);
        duk_push_bare_object(ctx);
        duk_push_c_function(ctx, TrapGet, 3);
        duk_put_prop_string(ctx, -2, "get");
        duk_push_c_function(ctx, TrapSet, 4);
        duk_put_prop_string(ctx, -2, "set");
        duk_push_c_function(ctx, TrapHas, 2);
        duk_put_prop_string(ctx, -2, "has");
        duk_push_c_function(ctx, TrapDelete, 2);
        duk_put_prop_string(ctx, -2, "deleteProperty");
        duk_dup_top(ctx);
        duk_put_prop_string(ctx, -3, kStashHandler);
    }
    duk_remove(ctx, -2);
}

// The proxy of an identity that has one; false when it has none.
bool PushKnownObject(EngineCore& core, IUnknown* identity) {
    auto known = core.scriptObjects.find(identity);
    if (known == core.scriptObjects.end())
        return false;
    duk_context* ctx = core.ctx;
    // The function is alive until its finalizer has run, and the finalizer takes the entry out.
    // One that only waits for its finalizer is taken back by the push, with its proxy.
    duk_push_heapptr(ctx, known->second);
    duk_get_prop_string(ctx, -1, kHiddenProxy);
    duk_remove(ctx, -2);
    if (duk_is_object(ctx, -1))
        return true;
    duk_pop(ctx);
    return false;
}

} // namespace

// The proxy's function holds the proxy: the two live and die together, by the collector, and the
// function's finalizer, which releases the object, is the one place an identity's entry leaves.
void PushDispatch(EngineCore& core, IDispatch* dispatch) {
    duk_context* ctx = core.ctx;
    if (PushScriptValueOf(core, dispatch))
        return;
    com::ComPtr<IUnknown> identity;
    if (FAILED(dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity))))
        identity = nullptr;
    if (identity && PushKnownObject(core, identity.Get()))
        return;
    duk_push_c_function(ctx, CallObject, DUK_VARARGS);
    duk_push_c_function(ctx, FinalizeObject, 1);
    duk_set_finalizer(ctx, -2);
    dispatch->AddRef();
    duk_push_pointer(ctx, dispatch);
    duk_put_prop_string(ctx, -2, kHiddenDispatch);
    duk_dup_top(ctx);
    PushHandler(ctx);
    duk_push_proxy(ctx, 0); // [ function proxy ]
    if (identity) {
        duk_push_pointer(ctx, identity.Get());
        duk_put_prop_string(ctx, -3, kHiddenIdentity);
        duk_dup_top(ctx);
        duk_put_prop_string(ctx, -3, kHiddenProxy);
        core.scriptObjects.insert_or_assign(identity.Get(), duk_get_heapptr(ctx, -2));
    }
    duk_remove(ctx, -2);
}

IDispatch* WrappedDispatch(duk_context* ctx, duk_idx_t index) {
    if (!duk_is_object(ctx, index))
        return nullptr;
    duk_get_prop_string(ctx, index, kHiddenDispatch);
    auto* dispatch = static_cast<IDispatch*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return dispatch;
}

void InvokeOrThrow(duk_context* ctx, IDispatch* dispatch, DISPID dispid, WORD flags,
                   std::vector<com::Variant>& args, VARIANT* result) {
    com::ComPtr<IDispatch> hold(dispatch);
    EXCEPINFO info{};
    const HRESULT hr = RawInvoke(dispatch, dispid, flags, args, result, &info);
    // The component may have run script that asked to stop.
    StopIfAsked(ctx, info);
    if (FAILED(hr))
        ThrowFailure(ctx, hr, info);
}

void InvokeAndPush(EngineCore& core, IDispatch* dispatch, DISPID dispid, WORD flags, duk_idx_t first,
                   duk_idx_t count) {
    std::vector<com::Variant> args;
    CollectArgs(core, first, count, args);
    // A by-reference parameter gets a reference to a copy of the script's value: the script's
    // own variable is passed by value, as in JScript.
    std::vector<com::Variant> referenced;
    if (count > 0) {
        const std::vector<bool>& out = core.memberFacts.Of(dispatch, dispid).out;
        referenced.resize(args.size());
        for (std::size_t i = 0; i < args.size() && i < out.size(); ++i) {
            if (!out[i])
                continue;
            referenced[i] = std::move(args[i]);
            args[i] = com::Variant::ByRef(VT_VARIANT, &referenced[i]);
        }
    }
    com::Variant result;
    InvokeOrThrow(core.ctx, dispatch, dispid, flags, args, &result);
    PushVariant(core, result);
}

} // namespace qx::script
