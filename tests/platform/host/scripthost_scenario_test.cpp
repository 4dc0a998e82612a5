// The script host driving the test component end to end: properties, optional and by-reference
// arguments, a failing call, a collection, events (also while WScript.Sleep pumps), and every
// reference returned when the script ends.
#include "../script/test_component.h"
#include "script_host.h"

#include <processthreadsapi.h>
#include <qx/com/comptr.h>
#include <qx/com/dispatch.h>
#include <qx/com/variant.h>
#include <qx/win32/message_queue.h>
#include <winuser_message.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace qx::test {
namespace {

namespace fs = std::filesystem;

struct HostRun {
    int exitCode;
    std::string out;
    std::string err;
};

HostRun RunHost(const std::string& source, com::ComPtr<IDispatch>* created = nullptr) {
    const fs::path path = fs::temp_directory_path() / ("scenario-" + std::to_string(getpid()) + ".js");
    std::ofstream(path, std::ios::binary) << source;
    std::ostringstream out, err;
    host::HostOptions options;
    options.scriptPath = path.string();
    options.out = &out;
    options.err = &err;
    options.activator = [created](std::u16string_view progId, IDispatch** object) -> HRESULT {
        if (progId != u"Test.Thing")
            return CO_E_CLASSSTRING;
        const HRESULT hr = CreateTestThing(object);
        if (SUCCEEDED(hr) && created)
            *created = *object;
        return hr;
    };
    const int code = host::RunScriptHost(options);
    fs::remove(path);
    return {code, out.str(), err.str()};
}

TEST(ScriptHostScenario, DrivesTheComponent) {
    const HostRun run = RunHost(R"(
var t = new ActiveXObject("Test.Thing");
t.Name = "form"; t.Count = 41;
WScript.Echo("props", t.Name, t.Count + 1);
WScript.Echo("optional", t.Add(1), t.Add(1, 2));
var n = 9; WScript.Echo("byref", t.Increment(n), n);
try { t.Fail(); } catch (e) { WScript.Echo("failed", e.number, e.description); }
var seen = [];
for (var e = new Enumerator(t.Items); !e.atEnd(); e.moveNext()) seen.push(e.item());
WScript.Echo("items", seen.join(","), t.Items.Count, t.Items(1));
function thing_OnStart() { WScript.Echo("event start"); }
function thing_OnDone(code) { WScript.Echo("event done", code); }
WScript.ConnectObject(t, "thing_");
t.Fire(5);
WScript.DisconnectObject(t);
t.Fire(6);
WScript.ConnectObject(t, "thing_");
t.Fire(8);
)");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "props form 42\n"
                       "optional 11 3\n"
                       "byref 10 9\n"
                       "failed -2147024809 the thing failed\n"
                       "items alpha,beta,gamma 3 beta\n"
                       "event start\nevent done 5\n"
                       "event start\nevent done 8\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

TEST(ScriptHostScenario, SleepPumpsPostedCalls) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here on
    const DWORD self = GetCurrentThreadId();
    com::ComPtr<IDispatch> created;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // Runs on the script's thread while it sleeps.
        qx::win32::PostThreadCall(self, [&] {
            com::Variant code(LONG(77));
            if (created)
                com::InvokeByDispid(created, 7, DISPATCH_METHOD, &code, 1, nullptr);
        });
    });
    const HostRun run = RunHost(R"(
var t = new ActiveXObject("Test.Thing"), got = false;
function t_OnDone(code) { got = true; WScript.Echo("async", code); }
WScript.ConnectObject(t, "t_");
for (var i = 0; i < 500 && !got; i++) WScript.Sleep(10);
WScript.Echo("got", got);
)",
                                std::addressof(created));
    poster.join();
    created.Reset();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "async 77\ngot true\n");
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

TEST(ScriptHostScenario, UncaughtEventErrorStopsTheScript) {
    const HostRun run = RunHost(R"(
var t = new ActiveXObject("Test.Thing");
function e_OnDone(code) {
  throw new Error("handler broke");
}
WScript.ConnectObject(t, "e_");
t.Fire(1);
WScript.Echo("not reached");
)");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("(4): runtime error 0x800A139E: Error: handler broke"), std::string::npos)
        << run.err;
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

TEST(ScriptHostScenario, ObjectWithoutEventsIsNotConnectable) {
    const HostRun run = RunHost(R"(
var t = new ActiveXObject("Test.Thing");
try { WScript.ConnectObject(t.Items, "x_"); } catch (e) { WScript.Echo(e.number, e.description); }
)");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "-2147467262 Object is not connectable\n");
}

} // namespace
} // namespace qx::test
