// The state of one engine shared by its parts and by the IDispatch objects it hands out, which
// may outlive it (a component can hold a script callback longer than the page lives).
#pragma once

#include "member_facts.h"
#include "qx/script/script_engine.h"

#include <duktape.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace qx::script {

struct EngineCore {
    duk_context* ctx = nullptr;
    ScriptEngine* engine = nullptr;
    std::thread::id owner;
    bool alive = false; // false once teardown has begun: the heap must not be touched

    EngineLimits limits;
    std::size_t heapBytes = 0;
    bool outOfBudget = false; // the time budget or memory limit ran out in this entry
    std::chrono::steady_clock::time_point deadline{};
    bool hasDeadline = false;
    int entryDepth = 0;

    // Set by Terminate(), which any thread may call (a signal watcher, a time limit); the
    // interrupt check on the engine's thread reads it.
    std::atomic<bool> terminating{false};
    std::mutex stopMutex; // orders exitCode with terminating among threads that stop the script
    int exitCode = 0;

    Activator activator;
    std::vector<std::unique_ptr<NativeFunction>> natives;

    // Script values held by IDispatch wrappers live in the heap stash under these ids.
    std::uint64_t nextRefId = 1;
    std::mutex pendingMutex;
    std::vector<std::uint64_t> pendingReleases; // wrappers released on another thread

    // The script object of each COM identity (its IUnknown) that has a live one, so that the same
    // object handed to script twice is the same script value and `==` compares identity. The value
    // is the heap pointer of the function behind the proxy, which carries the finalizer; no
    // reference is held, the finalizer takes the entry out.
    std::unordered_map<IUnknown*, void*> scriptObjects;

    // Method or property, and the [out] arguments, per type and DISPID of the objects script uses.
    MemberFactsCache memberFacts;

    bool OnOwnerThread() const { return std::this_thread::get_id() == owner; }
    bool MustStop() const { return terminating.load(std::memory_order_acquire) || outOfBudget; }
};

// Marks a call into script from outside (Run, CallGlobal, a wrapper's Invoke): the outermost
// one starts the time budget and, when it ends, clears the budget state and drains releases.
class EntryScope {
public:
    explicit EntryScope(EngineCore& core);
    ~EntryScope();
    EntryScope(const EntryScope&) = delete;
    EntryScope& operator=(const EntryScope&) = delete;

private:
    EngineCore& core_;
};

// The core of the engine whose heap runs ctx.
EngineCore& CoreOf(duk_context* ctx);

// Stash slots of script values held from outside.
std::uint64_t HoldValue(EngineCore& core, duk_idx_t index);
void PushHeldValue(EngineCore& core, std::uint64_t id);
void DropHeldValue(EngineCore& core, std::uint64_t id);
void DrainPendingReleases(EngineCore& core);

// Unwinds the running script after Terminate() or when the budget ran out: no catch or finally
// block of the script runs any more. Never returns.
[[noreturn]] void UnwindForStop(duk_context* ctx);

// Hidden property names (the leading 0xFF byte keeps them out of script's reach).
inline constexpr char kHiddenDispatch[] = "\xFF"
                                          "qxDispatch";
inline constexpr char kHiddenDispid[] = "\xFF"
                                        "qxDispid";
inline constexpr char kHiddenName[] = "\xFF"
                                      "qxName";
inline constexpr char kHiddenKind[] = "\xFF"
                                      "qxKind";
inline constexpr char kHiddenNative[] = "\xFF"
                                        "qxNative";
inline constexpr char kHiddenEnum[] = "\xFF"
                                      "qxEnum";
inline constexpr char kHiddenArray[] = "\xFF"
                                       "qxArray";

} // namespace qx::script
