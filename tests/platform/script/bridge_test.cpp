// Script driving a component through the bridge: every step seen through the script's output,
// and every reference returned when the engine goes.
#include "script_harness.h"

#include <qx/com/dispatch.h>
#include <qx/com/variant.h>

#include <gtest/gtest.h>

namespace qx::test {
namespace {

const ThingScriptCase kCases[] = {
    {"ValuesCrossAsAutomationTypes",
     "echo(t.Describe(1), t.Describe(-7), t.Describe(2147483648), t.Describe(1.5), t.Describe('s'),"
     " t.Describe(true), t.Describe(null), t.Describe(undefined), t.Describe(new Date(2020, 0, 1)),"
     " t.Describe({}), t.Describe(function () {}), t.Describe(new VBArray(t.Values())))",
     "VT_I4 VT_I4 VT_R8 VT_R8 VT_BSTR VT_BOOL VT_NULL VT_EMPTY VT_DATE VT_DISPATCH VT_DISPATCH VT_ARRAY"},
    {"PropertiesReadAndWrite",
     "t.Name = 'box'; t.Count = 5; echo(t.Name, t.Count, t.Count + 1, typeof t.Count)", "box 5 6 number"},
    {"NamesIgnoreCase", "t.count = 2; echo(t.COUNT, t.name)", "2 thing"},
    {"OptionalArgument", "echo(t.Add(1), t.Add(1, 2), t.Add(1, '30'))", "11 3 31"},
    {"ByReferenceArgument", "var v = 4; echo(t.Increment(v), v)", "5 4"},
    {"MethodKeptAsFunction", "var add = t.Add; echo(typeof add, add(5, 5))", "function 10"},
    {"FailedCallIsCatchable",
     "try { t.Fail(); echo('no'); } catch (e) { echo(e.number, e.description, e.message, e instanceof "
     "Error); }",
     "-2147024809 the thing failed the thing failed true"},
    {"CollectionByIndexAndItem", "var c = t.Items; echo(c.Count, c(0), c.Item(1), c.item(2))",
     "3 alpha beta gamma"},
    {"CollectionBadIndex", "try { t.Items(7); } catch (e) { echo(e.number); }", "-2147352565"},
    {"Enumerator",
     "var out = []; for (var e = new Enumerator(t.Items); !e.atEnd(); e.moveNext()) out.push(e.item());"
     " echo(out.join(','), e.atEnd(), e.item()); e.moveFirst(); echo(e.item());",
     "alpha,beta,gamma true undefined\nalpha"},
    {"EnumeratorOfNothing", "var e = new Enumerator(); echo(e.atEnd(), e.item())", "true undefined"},
    {"EnumeratorNeedsCollection", "try { new Enumerator(t); } catch (e) { echo(e.number); }", "-2146827837"},
    {"ScriptFunctionAsCallback", "echo(t.Callback(function (x) { return x * 2; }))", "42"},
    {"CallbackExceptionReachesScript",
     "try { t.Callback(function () { throw new Error('inner'); }); } catch (e) { echo(e.number, e.message); "
     "}",
     "-2147352567 Error: inner"},
    {"DatesRoundTrip",
     "var d = new Date(2021, 4, 6, 7, 8, 9); t.Stamp = d; var b = t.Stamp;"
     " echo(b instanceof Date, b.getTime() == d.getTime());"
     " var old = new Date(1850, 0, 1, 6, 30, 0); t.Stamp = old; echo(t.Stamp.getTime() == old.getTime());",
     "true true\ntrue"},
    {"VBArrayToArray",
     "var a = new VBArray(t.Values()); echo(a.toArray().join('|'), a.dimensions(), a.lbound(), a.ubound(1), "
     "a.getItem(1))",
     "1|two|3.5 1 0 2 two"},
    {"ScriptObjectAnswersByName",
     "var o = { greeting: 'hi', Shout: function () { return 'HI'; } }; t.Child = o;"
     " echo(t.CallChild('greeting'), t.CallChild('shout'), t.Child === o);"
     " try { t.CallChild('missing'); } catch (e) { echo(e.number); }",
     "hi HI true\n-2147352570"},
    {"ScriptObjectThatThrows",
     "t.Child = { get boom() { throw new Error('x'); } }; try { t.CallChild('boom'); } catch (e) { "
     "echo(e.number); }"
     " t.Child = new Proxy({}, { has: function () { throw 1; } });"
     " try { t.CallChild('any'); } catch (e) { echo(e.number); }",
     "-2147352567\n-2147352570"},
    {"UnknownNames",
     "echo(t.NoSuch, 'NoSuch' in t, 'Name' in t); try { t.NoSuch = 1; } catch (e) { echo(e.number); }",
     "undefined false true\n-2147352570"},
    {"UnregisteredProgId",
     "try { new ActiveXObject('No.Such'); } catch (e) { echo(e.number, e.description); }",
     "-2147221164 Automation server can't create object"},
    {"TextOutsideTheBasicPlane",
     "t.Name = '\xED\x95\x9C\xEA\xB8\x80\xF0\x9F\x98\x80'; echo(t.Name.length, t.Name);"
     " echo('\\uD83D\\uDE00' === t.Name.substring(2))",
     "4 \xED\x95\x9C\xEA\xB8\x80\xF0\x9F\x98\x80\ntrue"},
};

class BridgeTest : public ::testing::TestWithParam<ThingScriptCase> {};

TEST_P(BridgeTest, ScriptSeesComponent) {
    ExpectThingScript(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, BridgeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BridgeReferences, ObjectReleasedWhenScriptDropsIt) {
    ScriptHarness h;
    ASSERT_EQ(h.Run("var t = new ActiveXObject('Test.Thing'); var c = t.Items;"),
              script::RunResult::Completed);
    EXPECT_EQ(g_liveTestObjects.load(), 2);
    ASSERT_EQ(h.Run("c = null;"), script::RunResult::Completed);
    h.engine->CollectGarbage();
    EXPECT_EQ(g_liveTestObjects.load(), 1);
    ASSERT_EQ(h.Run("t = null;"), script::RunResult::Completed);
    h.engine->CollectGarbage();
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

TEST(BridgeReferences, CycleThroughComponentEndsWithEngine) {
    {
        ScriptHarness h;
        // The component holds a script object that holds the component.
        ASSERT_EQ(h.Run("var t = new ActiveXObject('Test.Thing'); t.Child = { owner: t };"),
                  script::RunResult::Completed);
        EXPECT_EQ(g_liveTestObjects.load(), 1);
    }
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

TEST(BridgeReferences, ScriptValueHeldByComponentStaysUsable) {
    ScriptHarness h;
    ASSERT_EQ(h.Run("var t = new ActiveXObject('Test.Thing'); t.Child = { word: 'kept' };"),
              script::RunResult::Completed);
    h.engine->CollectGarbage();
    ASSERT_EQ(h.Run("echo(t.CallChild('word'));"), script::RunResult::Completed);
    EXPECT_EQ(h.Output(), "kept");
}

TEST(BridgeReferences, WrapperOutlivingEngineIsDisconnected) {
    com::ComPtr<IDispatch> thing;
    ASSERT_EQ(CreateTestThing(&thing), S_OK);
    {
        ScriptHarness h;
        com::Variant value(thing.Get());
        ASSERT_EQ(h.engine->DefineValue("t", value), S_OK);
        ASSERT_EQ(h.Run("t.Child = { word: 'x' };"), script::RunResult::Completed);
    }
    // The component still holds the script object; the engine behind it is gone.
    com::Variant result;
    com::Variant arg(u"word");
    EXPECT_EQ(com::InvokeByDispid(thing, 12, DISPATCH_METHOD, &arg, 1, &result), RPC_E_DISCONNECTED);
    thing.Reset();
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

} // namespace
} // namespace qx::test
