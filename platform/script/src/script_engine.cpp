#include "qx/script/script_engine.h"

#include "call_context_impl.h"
#include "dispatch_object.h"
#include "engine_core.h"
#include "script_error.h"
#include "script_text.h"
#include "value_conversion.h"
#include "vbarray.h"

#include <oleauto.h>
#include <qx/com/comptr.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

duk_bool_t qx_script_exec_timeout_check(void* udata) {
    auto* core = static_cast<qx::script::EngineCore*>(udata);
    if (!core)
        return 0;
    if (core->MustStop())
        return 1;
    if (core->hasDeadline && std::chrono::steady_clock::now() >= core->deadline) {
        core->outOfBudget = true;
        return 1;
    }
    return 0;
}

namespace qx::script {
namespace {

constexpr const char* kStashRefs = "\xFF"
                                   "qxRefs";

// Every block carries its size in front, so the heap can be held to its limit.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* HeapAlloc(void* udata, duk_size_t size) {
    auto* core = static_cast<EngineCore*>(udata);
    if (core->limits.memoryLimit && core->heapBytes + size > core->limits.memoryLimit)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (!block)
        return nullptr;
    std::memcpy(block, &size, sizeof size);
    core->heapBytes += size;
    return block + kHeader;
}

void HeapFree(void* udata, void* ptr) {
    if (!ptr)
        return;
    auto* core = static_cast<EngineCore*>(udata);
    unsigned char* block = static_cast<unsigned char*>(ptr) - kHeader;
    std::size_t size;
    std::memcpy(&size, block, sizeof size);
    core->heapBytes -= size;
    std::free(block);
}

void* HeapRealloc(void* udata, void* ptr, duk_size_t size) {
    if (!ptr)
        return HeapAlloc(udata, size);
    auto* core = static_cast<EngineCore*>(udata);
    unsigned char* block = static_cast<unsigned char*>(ptr) - kHeader;
    std::size_t old;
    std::memcpy(&old, block, sizeof old);
    if (size == 0) {
        HeapFree(udata, ptr);
        return nullptr;
    }
    if (size > old && core->limits.memoryLimit && core->heapBytes + (size - old) > core->limits.memoryLimit)
        return nullptr;
    auto* grown = static_cast<unsigned char*>(std::realloc(block, size + kHeader));
    if (!grown)
        return nullptr;
    std::memcpy(grown, &size, sizeof size);
    core->heapBytes = core->heapBytes - old + size;
    return grown + kHeader;
}

[[noreturn]] void Fatal(void*, const char* message) {
    std::fprintf(stderr, "script engine: fatal error: %s\n", message ? message : "(none)");
    std::fflush(stderr);
    std::abort();
}

std::string PathPart(std::string_view path, std::size_t& pos) {
    const std::size_t dot = path.find('.', pos);
    std::string part(path.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos));
    pos = dot == std::string_view::npos ? path.size() : dot + 1;
    return part;
}

// Leaves the object that holds the last part of path on the stack and returns that part.
std::string PushPathOwner(duk_context* ctx, std::string_view path) {
    duk_push_global_object(ctx);
    std::size_t pos = 0;
    std::string part = PathPart(path, pos);
    while (pos < path.size()) {
        if (!duk_get_prop_string(ctx, -1, part.c_str()) || !duk_is_object(ctx, -1)) {
            duk_pop(ctx);
            duk_push_object(ctx);
            duk_dup_top(ctx);
            duk_put_prop_string(ctx, -3, part.c_str());
        }
        duk_remove(ctx, -2);
        part = PathPart(path, pos);
    }
    return part;
}

void DefineAt(duk_context* ctx, std::string_view path) { // [ value ]
    const std::string name = PushPathOwner(ctx, path);   // [ value owner ]
    duk_push_string(ctx, name.c_str());
    duk_dup(ctx, -3);
    duk_def_prop(ctx, -3,
                 DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_FORCE | DUK_DEFPROP_SET_WRITABLE |
                     DUK_DEFPROP_SET_CONFIGURABLE | DUK_DEFPROP_CLEAR_ENUMERABLE);
    duk_pop_2(ctx);
}

duk_ret_t NativeTrampoline(duk_context* ctx) {
    EngineCore& core = CoreOf(ctx);
    if (core.MustStop())
        UnwindForStop(ctx);
    DrainPendingReleases(core);
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, kHiddenNative);
    auto* function = static_cast<NativeFunction*>(duk_get_pointer(ctx, -1));
    duk_pop_2(ctx);
    if (!function)
        ThrowHresult(ctx, E_UNEXPECTED);
    CallContextImpl call(core, static_cast<std::size_t>(duk_get_top(ctx)));
    ClearErrorInfo();
    const HRESULT hr = (*function)(call);
    if (core.MustStop())
        UnwindForStop(ctx);
    // A function that failed without a text of its own may have left one in the thread's error
    // information (an object it called did).
    if (FAILED(hr))
        ThrowHresult(ctx, hr,
                     call.ErrorDescription().empty() ? TakeErrorDescription() : call.ErrorDescription());
    if (call.HasResult())
        PushVariant(core, call.Result());
    else
        duk_push_undefined(ctx);
    return 1;
}

duk_ret_t ActiveXObject(duk_context* ctx) {
    EngineCore& core = CoreOf(ctx);
    if (core.MustStop())
        UnwindForStop(ctx);
    if (!core.activator)
        ThrowHresult(ctx, kErrCantCreate);
    const std::u16string progId = ToText(ctx, 0);
    IDispatch* object = nullptr;
    ClearErrorInfo();
    const HRESULT hr = core.activator(progId, &object);
    if (core.MustStop()) {
        if (object)
            object->Release();
        UnwindForStop(ctx);
    }
    if (FAILED(hr) || !object) {
        if (object)
            object->Release();
        ThrowHresult(ctx, FAILED(hr) ? hr : E_NOINTERFACE, TakeErrorDescription());
    }
    com::ComPtr<IDispatch> hold = com::ComPtr<IDispatch>::Attach(object);
    PushDispatch(core, object);
    return 1;
}

struct RunCall {
    EngineCore* core;
    std::u16string_view name;
    const VARIANT* args;
    std::size_t count;
    com::Variant result;
    bool found = false;
};

duk_ret_t RunCallGlobal(duk_context* ctx, void* udata) {
    auto& call = *static_cast<RunCall*>(udata);
    duk_push_global_object(ctx);
    PushText(ctx, call.name);
    duk_get_prop(ctx, -2);
    if (!duk_is_callable(ctx, -1))
        return 0;
    call.found = true;
    duk_dup(ctx, -2);
    for (std::size_t i = 0; i < call.count; ++i)
        PushVariant(*call.core, call.args[i]);
    duk_call_method(ctx, static_cast<duk_idx_t>(call.count));
    ToVariant(*call.core, -1, &call.result);
    return 0;
}

struct GlobalRead {
    EngineCore* core;
    std::u16string_view name;
    VARIANT* value;
    HRESULT hr = S_OK;
};

duk_ret_t RunGetGlobal(duk_context* ctx, void* udata) {
    auto& read = *static_cast<GlobalRead*>(udata);
    duk_push_global_object(ctx);
    PushText(ctx, read.name);
    duk_get_prop(ctx, -2);
    read.hr = ToVariant(*read.core, -1, read.value);
    return 0;
}

struct Definition {
    EngineCore* core;
    std::string_view path;
    NativeFunction* function;
    const VARIANT* value;
};

duk_ret_t RunDefine(duk_context* ctx, void* udata) {
    auto& def = *static_cast<Definition*>(udata);
    if (def.function) {
        duk_push_c_function(ctx, NativeTrampoline, DUK_VARARGS);
        duk_push_pointer(ctx, def.function);
        duk_put_prop_string(ctx, -2, kHiddenNative);
    } else {
        PushVariant(*def.core, *def.value);
    }
    DefineAt(ctx, def.path);
    return 0;
}

} // namespace

EngineCore& CoreOf(duk_context* ctx) {
    duk_memory_functions functions;
    duk_get_memory_functions(ctx, &functions);
    return *static_cast<EngineCore*>(functions.udata);
}

void UnwindForStop(duk_context* ctx) {
    // The engine's interrupt check now answers "stop" every time, so this loop ends at the next
    // interrupt with an error that no catch or finally block of the script gets to run in.
    duk_eval_string_noresult(ctx, "for (;;) {}");
    ThrowHresult(ctx, E_ABORT);
}

std::uint64_t HoldValue(EngineCore& core, duk_idx_t index) {
    duk_context* ctx = core.ctx;
    index = duk_normalize_index(ctx, index);
    const std::uint64_t id = core.nextRefId++;
    duk_push_global_stash(ctx);
    if (!duk_get_prop_string(ctx, -1, kStashRefs)) {
        duk_pop(ctx);
        duk_push_bare_object(ctx);
        duk_dup_top(ctx);
        duk_put_prop_string(ctx, -3, kStashRefs);
    }
    const std::string key = std::to_string(id);
    duk_dup(ctx, index);
    duk_put_prop_string(ctx, -2, key.c_str());
    duk_pop_2(ctx);
    return id;
}

void PushHeldValue(EngineCore& core, std::uint64_t id) {
    duk_context* ctx = core.ctx;
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kStashRefs);
    const std::string key = std::to_string(id);
    if (duk_is_object(ctx, -1))
        duk_get_prop_string(ctx, -1, key.c_str());
    else
        duk_push_undefined(ctx);
    duk_remove(ctx, -2);
    duk_remove(ctx, -2);
}

void DropHeldValue(EngineCore& core, std::uint64_t id) {
    duk_context* ctx = core.ctx;
    duk_push_global_stash(ctx);
    if (duk_get_prop_string(ctx, -1, kStashRefs)) {
        const std::string key = std::to_string(id);
        duk_del_prop_string(ctx, -1, key.c_str());
    }
    duk_pop_2(ctx);
}

void DrainPendingReleases(EngineCore& core) {
    if (!core.alive || !core.OnOwnerThread())
        return;
    for (;;) {
        std::vector<std::uint64_t> ids;
        {
            std::lock_guard lock(core.pendingMutex);
            ids.swap(core.pendingReleases);
        }
        if (ids.empty())
            return;
        for (std::uint64_t id : ids)
            DropHeldValue(core, id);
    }
}

EntryScope::EntryScope(EngineCore& core) : core_(core) {
    if (core_.entryDepth++ == 0 && core_.limits.timeBudget.count() > 0) {
        core_.deadline = std::chrono::steady_clock::now() + core_.limits.timeBudget;
        core_.hasDeadline = true;
    }
}

EntryScope::~EntryScope() {
    if (--core_.entryDepth == 0) {
        core_.hasDeadline = false;
        core_.outOfBudget = false;
        DrainPendingReleases(core_);
    }
}

ScriptEngine::ScriptEngine(EngineLimits limits) : core_(std::make_shared<EngineCore>()) {
    core_->engine = this;
    core_->owner = std::this_thread::get_id();
    core_->limits = limits;
    core_->ctx = duk_create_heap(HeapAlloc, HeapRealloc, HeapFree, core_.get(), Fatal);
    if (!core_->ctx)
        Fatal(nullptr, "cannot create the engine heap");
    core_->alive = true;
    duk_context* ctx = core_->ctx;
    DefineEnumerator(ctx);
    DefineVBArray(ctx);
}

ScriptEngine::~ScriptEngine() {
    // Finalizers release every object script still holds; wrappers released meanwhile must not
    // reach back into the heap that is going away.
    core_->alive = false;
    duk_destroy_heap(core_->ctx);
    core_->ctx = nullptr;
    core_->engine = nullptr;
    core_->natives.clear();
    core_->memberFacts.Clear();
    std::lock_guard lock(core_->pendingMutex);
    core_->pendingReleases.clear();
}

bool ScriptEngine::OnOwnerThread() const {
    return core_->OnOwnerThread();
}

RunResult ScriptEngine::Run(std::string_view sourceUtf8, std::string_view fileName, ScriptError* error) {
    ScriptError ignored;
    if (!error)
        error = &ignored;
    *error = ScriptError{};
    error->fileName = std::string(fileName);
    if (!OnOwnerThread()) {
        error->number = RPC_E_WRONG_THREAD;
        error->message = "The script engine was called on a thread other than its own";
        return RunResult::Failed;
    }
    if (core_->terminating)
        return RunResult::Terminated;
    duk_context* ctx = core_->ctx;
    EntryScope entry(*core_);
    const std::string source = Utf8ToCesu8(sourceUtf8);
    const std::string name = Utf8ToCesu8(fileName);
    duk_push_lstring(ctx, source.data(), source.size());
    duk_push_lstring(ctx, name.data(), name.size());
    if (duk_pcompile(ctx, 0) != 0) {
        ReadThrownValue(ctx, -1, error);
        duk_pop(ctx);
        error->syntax = true;
        error->number = kErrSyntax;
        return core_->outOfBudget ? RunResult::TimedOut : RunResult::Failed;
    }
    const duk_int_t rc = duk_pcall(ctx, 0);
    RunResult result = RunResult::Completed;
    if (core_->terminating) {
        result = RunResult::Terminated;
    } else if (rc != DUK_EXEC_SUCCESS) {
        if (core_->outOfBudget) {
            result = RunResult::TimedOut;
            error->number = E_ABORT;
            error->message = "The script ran past its time budget";
        } else {
            ReadThrownValue(ctx, -1, error);
            result = RunResult::Failed;
        }
    }
    duk_pop(ctx);
    return result;
}

HRESULT ScriptEngine::CallGlobal(std::u16string_view name, const VARIANT* args, std::size_t argCount,
                                 VARIANT* result, bool* found, ScriptError* error) {
    if (found)
        *found = false;
    if (!OnOwnerThread())
        return RPC_E_WRONG_THREAD;
    if (core_->MustStop())
        return E_ABORT;
    if (argCount > 0 && !args)
        return E_INVALIDARG;
    duk_context* ctx = core_->ctx;
    RunCall call{core_.get(), name, args, argCount, {}, false};
    HRESULT hr = S_OK;
    {
        EntryScope entry(*core_);
        if (duk_safe_call(ctx, RunCallGlobal, &call, 0, 1) != DUK_EXEC_SUCCESS) {
            if (core_->MustStop()) {
                hr = E_ABORT;
            } else {
                ScriptError thrown;
                ReadThrownValue(ctx, -1, &thrown);
                hr = thrown.number;
                if (error)
                    *error = thrown;
            }
        }
        duk_pop(ctx);
    }
    if (found)
        *found = call.found;
    if (SUCCEEDED(hr) && result)
        call.result.Detach(result);
    return hr;
}

HRESULT ScriptEngine::GetGlobal(std::u16string_view name, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    if (!OnOwnerThread())
        return RPC_E_WRONG_THREAD;
    GlobalRead read{core_.get(), name, value};
    EntryScope entry(*core_);
    const bool ok = duk_safe_call(core_->ctx, RunGetGlobal, &read, 0, 1) == DUK_EXEC_SUCCESS;
    duk_pop(core_->ctx);
    return ok ? read.hr : E_FAIL;
}

HRESULT ScriptEngine::DefineFunction(std::string_view path, NativeFunction function) {
    if (!OnOwnerThread())
        return RPC_E_WRONG_THREAD;
    if (path.empty() || !function)
        return E_INVALIDARG;
    core_->natives.push_back(std::make_unique<NativeFunction>(std::move(function)));
    Definition def{core_.get(), path, core_->natives.back().get(), nullptr};
    const bool ok = duk_safe_call(core_->ctx, RunDefine, &def, 0, 1) == DUK_EXEC_SUCCESS;
    duk_pop(core_->ctx);
    return ok ? S_OK : E_FAIL;
}

HRESULT ScriptEngine::DefineValue(std::string_view path, const VARIANT& value) {
    if (!OnOwnerThread())
        return RPC_E_WRONG_THREAD;
    if (path.empty())
        return E_INVALIDARG;
    Definition def{core_.get(), path, nullptr, &value};
    const bool ok = duk_safe_call(core_->ctx, RunDefine, &def, 0, 1) == DUK_EXEC_SUCCESS;
    duk_pop(core_->ctx);
    return ok ? S_OK : E_FAIL;
}

void ScriptEngine::SetActivator(Activator activator) {
    if (!OnOwnerThread())
        return;
    const bool first = !core_->activator;
    core_->activator = std::move(activator);
    if (first && core_->activator) {
        duk_push_c_function(core_->ctx, ActiveXObject, 1);
        duk_put_global_string(core_->ctx, "ActiveXObject");
    }
}

bool ScriptEngine::Terminate(int exitCode) {
    std::lock_guard lock(core_->stopMutex);
    if (core_->terminating.load(std::memory_order_relaxed))
        return false;
    core_->exitCode = exitCode;
    core_->terminating.store(true, std::memory_order_release);
    return true;
}

bool ScriptEngine::IsTerminated() const {
    return core_->terminating.load(std::memory_order_acquire);
}

int ScriptEngine::ExitCode() const {
    std::lock_guard lock(core_->stopMutex);
    return core_->exitCode;
}

void ScriptEngine::CollectGarbage() {
    if (!OnOwnerThread())
        return;
    DrainPendingReleases(*core_);
    // Twice: objects freed by the first pass's finalizers go in the second.
    duk_gc(core_->ctx, 0);
    duk_gc(core_->ctx, 0);
    DrainPendingReleases(*core_);
}

} // namespace qx::script
