#include "script_dispatch.h"

#include "script_error.h"
#include "script_text.h"
#include "value_conversion.h"

#include <oleauto.h>
#include <qx/com/comptr.h>
#include <qx/com/object.h>
#include <qx/com/variant.h>

#include <atomic>
#include <cwctype>
#include <string>
#include <vector>

namespace qx::script {
namespace {

// Asked for by PushScriptValueOf to recognise our own wrappers; never handed to components.
QX_DEFINE_GUID(kIidScriptValue, "{7A0E5C43-9B2D-4F1E-8C6A-3D5B1E9F2A70}");

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x < 0x80 && y < 0x80) {
            if (x >= 'A' && x <= 'Z')
                x = static_cast<char16_t>(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z')
                y = static_cast<char16_t>(y - 'A' + 'a');
        }
        if (x != y)
            return false;
    }
    return true;
}

class ScriptDispatch : public com::ObjectRoot, public IDispatch {
public:
    static constexpr bool kCountsInModuleLock = false;

    ScriptDispatch(std::shared_ptr<EngineCore> core, std::uint64_t id) : core_(std::move(core)), id_(id) {}

    QX_BEGIN_INTERFACES(ScriptDispatch)
    QX_INTERFACE_ENTRY(IDispatch)
    QX_INTERFACE_ENTRY_IID(kIidScriptValue, IDispatch)
    QX_END_INTERFACES()

    EngineCore& Core() const { return *core_; }
    std::uint64_t Id() const { return id_; }

    // The script value is let go at the engine's next safe point, on its own thread: the heap
    // is touched nowhere else.
    void FinalRelease() {
        if (core_->alive) {
            std::lock_guard lock(core_->pendingMutex);
            core_->pendingReleases.push_back(id_);
        }
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids)
            return E_POINTER;
        if (!core_->OnOwnerThread())
            return RPC_E_WRONG_THREAD;
        if (!core_->alive)
            return RPC_E_DISCONNECTED;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (!names[i]) {
                hr = DISP_E_UNKNOWNNAME;
                continue;
            }
            const std::u16string name(names[i]);
            const std::u16string found = i == 0 ? FindProperty(name) : std::u16string();
            if (found.empty()) {
                hr = DISP_E_UNKNOWNNAME;
                continue;
            }
            ids[i] = IdOf(found);
        }
        return hr;
    }

    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argErr) override;

private:
    // Finds the property by its exact name, else by a name that differs only in case. Getters
    // and proxies may run script here, so the lookup is a protected call.
    std::u16string FindProperty(const std::u16string& name) {
        struct Lookup {
            ScriptDispatch* self;
            const std::u16string* name;
            std::u16string found;
        } lookup{this, &name, {}};
        EntryScope entry(*core_);
        duk_safe_call(
            core_->ctx,
            [](duk_context* ctx, void* udata) -> duk_ret_t {
                auto& l = *static_cast<Lookup*>(udata);
                PushHeldValue(l.self->Core(), l.self->Id());
                if (!duk_is_object(ctx, -1))
                    return 0;
                PushText(ctx, *l.name);
                if (duk_has_prop(ctx, -2)) {
                    l.found = *l.name;
                    return 0;
                }
                duk_enum(ctx, -1, DUK_ENUM_INCLUDE_NONENUMERABLE);
                while (l.found.empty() && duk_next(ctx, -1, 0)) {
                    if (duk_is_string(ctx, -1) && !duk_is_symbol(ctx, -1)) {
                        std::u16string key = ToText(ctx, -1);
                        if (SameNameIgnoringCase(key, *l.name))
                            l.found = std::move(key);
                    }
                    duk_pop(ctx);
                }
                return 0;
            },
            &lookup, 0, 1);
        duk_pop(core_->ctx);
        return lookup.found;
    }

    DISPID IdOf(const std::u16string& name) {
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == name)
                return static_cast<DISPID>(i + 1);
        names_.push_back(name);
        return static_cast<DISPID>(names_.size());
    }

    std::shared_ptr<EngineCore> core_;
    std::uint64_t id_;
    std::vector<std::u16string> names_; // DISPID n is names_[n - 1]
};

struct InvokeCall {
    ScriptDispatch* self;
    const std::u16string* name; // null for DISPID_VALUE
    WORD flags;
    std::vector<com::Variant>* args; // in call order
    com::Variant* putValue;
    com::Variant result;
    HRESULT hr = S_OK;
};

// Callers that pass no EXCEPINFO still find the text in the thread's error object.
void SetThreadError(const ScriptError& error) {
    com::ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(&create)) || !create)
        return;
    const std::u16string text = Cesu8ToUtf16(error.message);
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    create->SetSource(const_cast<LPOLESTR>(u"script"));
    com::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(&info)) && info)
        SetErrorInfo(0, info);
}

duk_ret_t RunInvoke(duk_context* ctx, void* udata) {
    auto& call = *static_cast<InvokeCall*>(udata);
    EngineCore& core = call.self->Core();
    PushHeldValue(core, call.self->Id()); // [ value ]
    const bool wantsCall = call.flags & DISPATCH_METHOD;
    if (!call.name) {
        if (wantsCall && duk_is_callable(ctx, -1)) {
            duk_push_undefined(ctx);
            for (auto& arg : *call.args)
                PushVariant(core, arg);
            duk_call_method(ctx, static_cast<duk_idx_t>(call.args->size()));
            ToVariant(core, -1, &call.result);
        } else if (call.flags & DISPATCH_PROPERTYGET) {
            PushText(ctx, ToText(ctx, -1));
            ToVariant(core, -1, &call.result);
        } else {
            call.hr = DISP_E_MEMBERNOTFOUND;
        }
        return 0;
    }
    if (call.putValue) {
        PushText(ctx, *call.name);
        PushVariant(core, *call.putValue);
        duk_put_prop(ctx, -3);
        return 0;
    }
    PushText(ctx, *call.name);
    duk_get_prop(ctx, -2); // [ value member ]
    if (wantsCall && duk_is_callable(ctx, -1)) {
        duk_dup(ctx, -2);
        for (auto& arg : *call.args)
            PushVariant(core, arg);
        duk_call_method(ctx, static_cast<duk_idx_t>(call.args->size()));
        ToVariant(core, -1, &call.result);
    } else if ((call.flags & DISPATCH_PROPERTYGET) && call.args->empty()) {
        ToVariant(core, -1, &call.result);
    } else {
        call.hr = DISP_E_MEMBERNOTFOUND;
    }
    return 0;
}

STDMETHODIMP ScriptDispatch::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* exception, UINT* argErr) {
    if (!core_->OnOwnerThread())
        return RPC_E_WRONG_THREAD;
    if (!core_->alive)
        return RPC_E_DISCONNECTED;
    if (core_->MustStop())
        return E_ABORT;
    DISPPARAMS empty{};
    if (!params)
        params = &empty;
    if (params->cArgs > 0 && !params->rgvarg)
        return E_INVALIDARG;
    const bool isPut = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (params->cNamedArgs > (isPut ? 1u : 0u) ||
        (params->cNamedArgs == 1 &&
         (!params->rgdispidNamedArgs || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)))
        return DISP_E_NONAMEDARGS;
    if (isPut && params->cArgs != 1)
        return DISP_E_BADPARAMCOUNT;
    if (argErr)
        *argErr = 0;
    const std::u16string* name = nullptr;
    if (dispid != DISPID_VALUE) {
        if (dispid < 1 || static_cast<std::size_t>(dispid) > names_.size())
            return DISP_E_MEMBERNOTFOUND;
        name = &names_[static_cast<std::size_t>(dispid) - 1];
    } else if (isPut) {
        return DISP_E_MEMBERNOTFOUND;
    }

    std::vector<com::Variant> args;
    com::Variant putValue;
    if (isPut) {
        putValue = params->rgvarg[0];
    } else {
        for (UINT i = params->cArgs; i > 0; --i)
            args.emplace_back(params->rgvarg[i - 1]);
    }
    InvokeCall call{this, name, flags, &args, isPut ? &putValue : nullptr, {}, S_OK};
    AddRef(); // the script may drop the last outside reference while it runs
    HRESULT hr;
    {
        EntryScope entry(*core_);
        duk_context* ctx = core_->ctx;
        if (duk_safe_call(ctx, RunInvoke, &call, 0, 1) != DUK_EXEC_SUCCESS) {
            ScriptError error;
            ReadThrownValue(ctx, -1, &error);
            hr = DISP_E_EXCEPTION;
            SetThreadError(error);
            if (exception) {
                *exception = EXCEPINFO{};
                exception->scode = error.number;
                const std::u16string text = Cesu8ToUtf16(error.message);
                exception->bstrDescription = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
                exception->bstrSource = SysAllocString(u"script");
            }
        } else {
            hr = call.hr;
        }
        duk_pop(ctx);
    }
    if (SUCCEEDED(hr) && result)
        call.result.Detach(result);
    Release();
    return hr;
}

} // namespace

HRESULT CreateScriptDispatch(EngineCore& core, duk_idx_t index, IDispatch** dispatch) {
    const std::uint64_t id = HoldValue(core, index);
    com::ObjectPtr<ScriptDispatch> wrapper;
    const HRESULT hr = com::CreateObject<ScriptDispatch>(wrapper, core.engine->Core(), id);
    if (FAILED(hr)) {
        std::lock_guard lock(core.pendingMutex);
        core.pendingReleases.push_back(id);
        *dispatch = nullptr;
        return hr;
    }
    *dispatch = static_cast<IDispatch*>(wrapper.Detach());
    return S_OK;
}

bool PushScriptValueOf(EngineCore& core, IDispatch* dispatch) {
    IUnknown* found = nullptr;
    if (FAILED(dispatch->QueryInterface(kIidScriptValue, reinterpret_cast<void**>(&found))) || !found)
        return false;
    auto* wrapper = static_cast<ScriptDispatch*>(static_cast<IDispatch*>(found));
    const bool ours = &wrapper->Core() == &core && core.alive;
    if (ours)
        PushHeldValue(core, wrapper->Id());
    found->Release();
    return ours;
}

} // namespace qx::script
