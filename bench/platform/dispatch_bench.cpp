// Script reaching an object whose dual interface has a hundred members, through the bridge: a
// property read (the last property of the table) and a method call, each reported as the time
// of one access (`per_access`), beside the same loop over a plain script object for scale.
#include <objbase.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>
#include <qx/com/variant.h>
#include <qx/script/script_engine.h>

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "wide_interface.h"

// The bodies of IWide's ninety-nine properties p100 ... p198 (wide_interface.qxidl).
#define QX_BENCH_TEN(M, d) M(d##0) M(d##1) M(d##2) M(d##3) M(d##4) M(d##5) M(d##6) M(d##7) M(d##8) M(d##9)
#define QX_BENCH_PROPERTIES(M)                                                                               \
    QX_BENCH_TEN(M, 10)                                                                                      \
    QX_BENCH_TEN(M, 11)                                                                                      \
    QX_BENCH_TEN(M, 12)                                                                                      \
    QX_BENCH_TEN(M, 13)                                                                                      \
    QX_BENCH_TEN(M, 14)                                                                                      \
    QX_BENCH_TEN(M, 15)                                                                                      \
    QX_BENCH_TEN(M, 16)                                                                                      \
    QX_BENCH_TEN(M, 17)                                                                                      \
    QX_BENCH_TEN(M, 18)                                                                                      \
    M(190) M(191) M(192) M(193) M(194) M(195) M(196) M(197) M(198)

namespace {

#define QX_BENCH_BODY(n)                                                                                     \
    STDMETHODIMP get_p##n(LONG* pVal) override {                                                             \
        *pVal = n;                                                                                           \
        return S_OK;                                                                                         \
    }
class CWide : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IWide> {
public:
    QX_BEGIN_INTERFACES(CWide)
    QX_INTERFACE_ENTRY(IWide)
    QX_INTERFACE_ENTRY2(IDispatch, IWide)
    QX_END_INTERFACES()

    QX_BENCH_PROPERTIES(QX_BENCH_BODY)
    STDMETHODIMP Add(LONG a, LONG b, LONG* sum) override {
        *sum = a + b;
        return S_OK;
    }
};

constexpr int kAccessesPerCall = 1000;

constexpr const char* kScript = R"(
var plain = { p198: 198, Add: function (a, b) { return a + b; } };
function readWide(n) { var o = wide, v; for (var i = 0; i < n; ++i) v = o.p198; return v; }
function callWide(n) { var o = wide, v; for (var i = 0; i < n; ++i) v = o.Add(i, 1); return v; }
function readPlain(n) { var o = plain, v; for (var i = 0; i < n; ++i) v = o.p198; return v; }
function callPlain(n) { var o = plain, v; for (var i = 0; i < n; ++i) v = o.Add(i, 1); return v; }
)";

// Runs the global function `name` kAccessesPerCall times per iteration.
void RunLoop(benchmark::State& state, const char16_t* name) {
    qx::script::ScriptEngine engine;
    qx::com::ComPtr<IDispatch> wide;
    if (FAILED(qx::com::CreateInstance<CWide>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&wide)))) {
        state.SkipWithError("cannot create the object");
        return;
    }
    qx::com::Variant value(wide.Get());
    qx::script::ScriptError error;
    if (FAILED(engine.DefineValue("wide", value)) ||
        engine.Run(kScript, "bench.js", &error) != qx::script::RunResult::Completed) {
        state.SkipWithError("the script does not run");
        return;
    }
    qx::com::Variant count{LONG(kAccessesPerCall)};
    for (auto _ : state) {
        qx::com::Variant result;
        bool found = false;
        if (FAILED(engine.CallGlobal(name, &count, 1, &result, &found, &error)) || !found) {
            state.SkipWithError("the loop failed");
            return;
        }
        benchmark::DoNotOptimize(result.lVal);
    }
    state.counters["per_access"] =
        benchmark::Counter(static_cast<double>(kAccessesPerCall),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void PropertyRead(benchmark::State& state) {
    RunLoop(state, u"readWide");
}
void MethodCall(benchmark::State& state) {
    RunLoop(state, u"callWide");
}
void PlainPropertyRead(benchmark::State& state) {
    RunLoop(state, u"readPlain");
}
void PlainMethodCall(benchmark::State& state) {
    RunLoop(state, u"callPlain");
}

} // namespace

BENCHMARK(PropertyRead);
BENCHMARK(MethodCall);
BENCHMARK(PlainPropertyRead);
BENCHMARK(PlainMethodCall);
BENCHMARK_MAIN();
