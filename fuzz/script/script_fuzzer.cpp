// Feeds arbitrary text to the engine as a script that can reach a test component: no crash, no
// leak, no hang (the time budget ends endless loops), and every component reference returns.
#include "test_component.h"

#include <qx/script/script_engine.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        qx::script::ScriptEngine engine(qx::script::EngineLimits{std::chrono::milliseconds(200), 32u << 20});
        engine.DefineFunction("echo", [](qx::script::CallContext& call) {
            for (std::size_t i = 0; i < call.ArgCount(); ++i)
                (void)call.ArgString(i);
            return S_OK;
        });
        engine.DefineFunction("quit", [](qx::script::CallContext& call) {
            call.Engine().Terminate(1);
            return S_OK;
        });
        engine.SetActivator([](std::u16string_view progId, IDispatch** object) -> HRESULT {
            return progId == u"Test.Thing" ? qx::test::CreateTestThing(object) : REGDB_E_CLASSNOTREG;
        });
        qx::script::ScriptError error;
        engine.Run(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.js", &error);
        // A second entry after whatever the first left behind.
        engine.CallGlobal(u"f", nullptr, 0, nullptr, nullptr, nullptr);
    }
    qx::test::ReleaseChildren();
    if (qx::test::g_liveTestObjects.load() != 0)
        std::abort(); // a reference was lost
    return 0;
}
