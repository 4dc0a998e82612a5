// The engine's own behaviour: errors and their places, budgets, termination, threads, events.
#include "script_harness.h"

#include <qx/com/dispatch.h>
#include <qx/com/variant.h>
#include <qx/script/event_sink.h>

#include <gtest/gtest.h>

#include <thread>

namespace qx::test {
namespace {

using script::RunResult;

struct ErrorCase {
    const char* name;
    const char* script;
    HRESULT number;
    int line;
    const char* message;
    bool syntax;
};

const ErrorCase kErrors[] = {
    {"Syntax", "var a = 1;\nvar = ;", static_cast<HRESULT>(0x800A03EA), 2, nullptr, true},
    {"Undefined", "var a = 1;\n\nnosuch + 1;", static_cast<HRESULT>(0x800A1391), 3, nullptr, false},
    {"TypeError", "null.x;", static_cast<HRESULT>(0x800A138F), 1, nullptr, false},
    {"ThrownError", "\nthrow new Error('boom');", static_cast<HRESULT>(0x800A139E), 2, "Error: boom", false},
    {"ThrownNumber", "var e = new Error('sized'); e.number = -2147467259; throw e;",
     static_cast<HRESULT>(0x80004005), 1, "sized", false},
    {"ComponentFailure", "var t = new ActiveXObject('Test.Thing');\nt.Fail();", E_INVALIDARG, 2,
     "the thing failed", false},
    {"ThrownString", "throw 'plain';", static_cast<HRESULT>(0x800A139E), 0,
     "Exception thrown and not caught: plain", false},
};

class ErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorTest, ReportsNumberLineAndMessage) {
    ScriptHarness h;
    EXPECT_EQ(h.Run(GetParam().script), RunResult::Failed);
    EXPECT_EQ(h.error.number, GetParam().number);
    EXPECT_EQ(h.error.line, GetParam().line);
    EXPECT_EQ(h.error.syntax, GetParam().syntax);
    EXPECT_EQ(h.error.fileName, "test.js");
    if (GetParam().message) {
        EXPECT_EQ(h.error.message, GetParam().message);
    }
    EXPECT_FALSE(h.error.message.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorTest, ::testing::ValuesIn(kErrors),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EngineBudget, EndlessLoopEndsAndCatchDoesNotRun) {
    ScriptHarness h(script::EngineLimits{std::chrono::milliseconds(100), 0});
    EXPECT_EQ(h.Run("try { while (true) {} } catch (e) { echo('caught'); } finally { echo('finally'); }"),
              RunResult::TimedOut);
    EXPECT_EQ(h.Output(), "");
    // The budget is per run: the engine goes on working.
    EXPECT_EQ(h.Run("echo('again')"), RunResult::Completed);
    EXPECT_EQ(h.Output(), "again");
}

TEST(EngineBudget, MemoryLimitIsAnError) {
    ScriptHarness h(script::EngineLimits{std::chrono::milliseconds(2000), 8 << 20});
    EXPECT_EQ(h.Run("var s = 'x'; while (true) s += s;"), RunResult::Failed);
    EXPECT_EQ(h.Run("echo('alive')"), RunResult::Completed);
}

TEST(EngineTerminate, NoCatchOrFinallyRunsAfterQuit) {
    ScriptHarness h;
    h.engine->DefineFunction("quit", [](script::CallContext& call) {
        call.Engine().Terminate(static_cast<int>(call.ArgNumber(0)));
        return S_OK;
    });
    EXPECT_EQ(h.Run("echo('before'); try { quit(3); echo('after'); } catch (e) { echo('caught'); }"
                    " finally { echo('finally'); }"),
              RunResult::Terminated);
    EXPECT_EQ(h.Output(), "before");
    EXPECT_EQ(h.engine->ExitCode(), 3);
    EXPECT_EQ(h.Run("echo('more')"), RunResult::Terminated);
}

TEST(EngineNative, FailedHresultBecomesException) {
    ScriptHarness h;
    h.engine->DefineFunction("a.b.fail", [](script::CallContext& call) {
        call.SetErrorDescription(u"native refused");
        return E_ACCESSDENIED;
    });
    h.engine->DefineFunction("a.b.twice", [](script::CallContext& call) {
        com::Variant v(call.ArgNumber(0) * 2);
        return call.SetResult(v);
    });
    ASSERT_EQ(h.Run("try { a.b.fail(); } catch (e) { echo(e.number, e.description, a.b.twice(21)); }"),
              RunResult::Completed);
    EXPECT_EQ(h.Output(), "-2147024891 native refused 42");
}

TEST(EngineThreads, OtherThreadIsRefused) {
    ScriptHarness h;
    ASSERT_EQ(h.Run("var t = new ActiveXObject('Test.Thing'); t.Child = function () { return 1; };"),
              RunResult::Completed);
    com::Variant thing;
    ASSERT_EQ(h.engine->GetGlobal(u"t", &thing), S_OK);
    ASSERT_EQ(thing.vt, VT_DISPATCH);
    com::Variant child;
    ASSERT_EQ(com::InvokeByDispid(thing.pdispVal, 11, DISPATCH_PROPERTYGET, nullptr, 0, &child), S_OK);
    HRESULT fromOther = S_OK;
    RunResult run = RunResult::Completed;
    std::thread other([&] {
        com::Variant result;
        fromOther = child.pdispVal->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, nullptr, &result,
                                           nullptr, nullptr);
        script::ScriptError error;
        run = h.engine->Run("1", "x.js", &error);
    });
    other.join();
    EXPECT_EQ(fromOther, RPC_E_WRONG_THREAD);
    EXPECT_EQ(run, RunResult::Failed);
    com::Variant result;
    DISPPARAMS none{};
    EXPECT_EQ(
        child.pdispVal->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(result.vt, VT_I4);
}

TEST(EngineEvents, DefaultSourceCallsPrefixedGlobals) {
    {
        ScriptHarness h;
        script::EventConnections events(*h.engine);
        std::vector<std::string> errors;
        events.SetErrorHandler([&](const script::ScriptError& e) { errors.push_back(e.message); });
        h.engine->DefineFunction("connect", [&](script::CallContext& call) {
            com::Variant object;
            call.ArgVariant(0, &object);
            if (object.vt != VT_DISPATCH)
                return DISP_E_TYPEMISMATCH;
            return events.Connect(object.pdispVal, call.ArgString(1));
        });
        h.engine->DefineFunction("disconnect", [&](script::CallContext& call) {
            com::Variant object;
            call.ArgVariant(0, &object);
            return object.vt == VT_DISPATCH ? events.Disconnect(object.pdispVal) : DISP_E_TYPEMISMATCH;
        });
        ASSERT_EQ(
            h.Run("var t = new ActiveXObject('Test.Thing'); connect(t, 'ev_');"
                  "function ev_OnStart() { echo('start'); }"
                  "function ev_OnDone(code) { echo('done', code); if (code == 2) throw new Error('bad'); }"
                  "t.Fire(1); t.Fire(2); disconnect(t); t.Fire(3); echo('end');"),
            RunResult::Completed)
            << h.error.message;
        EXPECT_EQ(h.Output(), "start\ndone 1\nstart\ndone 2\nend");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], "Error: bad");
        EXPECT_EQ(h.Run("try { connect({}, 'x'); } catch (e) { echo(e.number); }"), RunResult::Completed);
        EXPECT_EQ(h.Output(), "-2147467262");
    }
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

} // namespace
} // namespace qx::test
