#include "test_hooks.h"

#include "qx/wab/wab_testing.h"

namespace qx::wab {
namespace {

std::atomic<bool> g_failContentsTable{false};
std::atomic<ULONG> g_mailUserOpensToFault{0};
std::atomic<bool> g_failSave{false};

} // namespace

bool TakeContentsTableFault() {
    return g_failContentsTable.exchange(false);
}

bool TakeMailUserOpenFault() {
    ULONG n = g_mailUserOpensToFault.load();
    while (n != 0 && !g_mailUserOpensToFault.compare_exchange_weak(n, n - 1)) {
    }
    return n == 1;
}

bool TakeSaveFault() {
    return g_failSave.exchange(false);
}

std::atomic<long>& OutstandingBuffers() {
    static std::atomic<long> count{0};
    return count;
}

} // namespace qx::wab

extern "C" {

[[gnu::visibility("default")]] void WABTestFailNextContentsTable() {
    qx::wab::g_failContentsTable = true;
}

[[gnu::visibility("default")]] void WABTestFailMailUserOpen(ULONG n) {
    qx::wab::g_mailUserOpensToFault = n;
}

[[gnu::visibility("default")]] void WABTestFailNextSave() {
    qx::wab::g_failSave = true;
}

[[gnu::visibility("default")]] LONG WABTestOutstandingBuffers() {
    return static_cast<LONG>(qx::wab::OutstandingBuffers().load());
}
}
