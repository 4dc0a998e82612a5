// An engine with an echo() that collects lines and a "Test.Thing" class behind ActiveXObject.
#pragma once

#include "test_component.h"

#include <qx/com/bstr.h>
#include <qx/script/script_engine.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qx::test {

class ScriptHarness {
public:
    explicit ScriptHarness(script::EngineLimits limits = {})
        : engine(std::make_unique<script::ScriptEngine>(limits)) {
        engine->DefineFunction("echo", [this](script::CallContext& call) {
            std::u16string line;
            for (std::size_t i = 0; i < call.ArgCount(); ++i)
                line += (i ? u" " : u"") + call.ArgString(i);
            lines.push_back(com::Utf16ToUtf8(line));
            return S_OK;
        });
        engine->SetActivator([](std::u16string_view progId, IDispatch** object) -> HRESULT {
            if (progId == u"Test.Thing")
                return CreateTestThing(object);
            return REGDB_E_CLASSNOTREG;
        });
    }

    script::RunResult Run(const std::string& source) {
        lines.clear();
        return engine->Run(source, "test.js", &error);
    }
    std::string Output() const {
        std::string all;
        for (std::size_t i = 0; i < lines.size(); ++i)
            all += (i ? "\n" : "") + lines[i];
        return all;
    }

    std::unique_ptr<script::ScriptEngine> engine;
    std::vector<std::string> lines;
    script::ScriptError error;
};

// A script run against a new "Test.Thing" named t, with the lines it must echo; every test object
// is gone once the engine is.
struct ThingScriptCase {
    const char* name;
    const char* script;
    const char* output;
};

inline void ExpectThingScript(const ThingScriptCase& c) {
    {
        ScriptHarness h;
        const std::string script = std::string("var t = new ActiveXObject('Test.Thing');\n") + c.script;
        ASSERT_EQ(h.Run(script), script::RunResult::Completed) << h.error.message << " line " << h.error.line;
        EXPECT_EQ(h.Output(), c.output);
    }
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

} // namespace qx::test
