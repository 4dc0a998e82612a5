// Page script rows for the browser's pieces: a script runs against a document with `echo(...)`,
// which records its arguments joined by blanks as one line; the lines come back joined by "\n".
#pragma once

#include <gtest/gtest.h>
#include <qx/com/variant.h>
#include <qx/script/script_engine.h>
#include <qx/win32/codepage.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

namespace qx::test {

// A row: the page, the script run against it, and the lines it echoes.
struct EchoRow {
    const char* name;
    const char16_t* page;
    const char* script;
    const char* output;
};

inline std::string RunEchoScript(IDispatch* document, const std::string& script,
                                 const std::function<void(qx::script::ScriptEngine&)>& define = {}) {
    std::vector<std::string> lines;
    {
        qx::script::ScriptEngine engine;
        engine.DefineFunction("echo", [&lines](qx::script::CallContext& call) {
            std::u16string line;
            for (std::size_t i = 0; i < call.ArgCount(); ++i)
                line += (i ? u" " : u"") + call.ArgString(i);
            lines.push_back(qx::win32::WideToUtf8(line));
            return S_OK;
        });
        engine.DefineValue("document", qx::com::Variant(document));
        if (define)
            define(engine);
        qx::script::ScriptError error;
        EXPECT_EQ(engine.Run(script, "page.js", &error), qx::script::RunResult::Completed) << error.message;
    }
    std::string all;
    for (std::size_t i = 0; i < lines.size(); ++i)
        all += (i ? "\n" : "") + lines[i];
    return all;
}

// A test name from a row's name: letters and digits, anything else as "_".
template <typename Info>
std::string RowName(const Info& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

} // namespace qx::test
