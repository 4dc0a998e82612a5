// Script reaching an object of three interfaces behind one union dispatch: members of each in any
// case, expandos that script adds and deletes, a behaviour's shadowing members; and the bridge's
// per-type member cache telling apart two types whose DISPIDs mean different things.
#include "script_harness.h"
#include "union_shape.h"

#include <gtest/gtest.h>

namespace qx::test {
namespace {

struct UnionScriptCase {
    const char* name;
    const char* script; // s is a shape, t a "Test.Thing"
    const char* output;
};

const UnionScriptCase kCases[] = {
    {"MembersOfEveryInterfaceInAnyCase", "echo(s.name, s.AREA, s.color, s.Label, s.sides, typeof s.scale)",
     "square 12 blue square in blue 4 function"},
    {"MethodsReachTheirInterface", "s.Paint('red'); s.name = 'disc'; echo(s.Color, s.Scale(2), s.label)",
     "red 24 disc in red"},
    {"ConflictsGoToTheFirstInterface", "echo(s.Name, typeof s.Tally, s.Far)", "square undefined -1"},
    {"ExpandosAreMadeByWriting",
     "s.extra = 5; s.Other = 'x'; s.extra += 1; echo(s.extra, s.EXTRA, s.other, 'extra' in s)", "6 6 x true"},
    {"ExpandosAreDeleted",
     "s.temp = 1; echo(delete s.temp, typeof s.temp, 'temp' in s, delete s.Name, s.Name); s.temp = 2; "
     "echo(s.temp)",
     "true undefined false false square\n2"},
    {"AnExpandoFunctionIsCalled",
     "s.twice = function (x) { return 2 * x; }; echo(s.twice(21), s.twice === s.twice)", "42 true"},
    {"BehaviourMembersShadow",
     "s.Shadow('Area', 99); echo(s.area, s.Sides); s.area = 98; echo(s.AREA); s.Unshadow(); echo(s.area)",
     "99 4\n98\n12"},
    {"ObjectsWithoutDynamicNamesStillRefuseNewOnes",
     "try { t.nothing = 1; } catch (e) { echo(e.number); } echo(delete t.Name, t.Name)",
     "-2147352570\nfalse thing"},
    // DISPID 3 is t's method Add and s's property Sides; 4 is t's Increment (a by-reference
    // argument) and s's Scale.
    {"OneDispidMeansWhatEachTypeSays",
     "var out = []; for (var i = 0; i < 3; ++i) out.push(typeof t.Add, t.Add(i, 1), typeof s.Sides, s.Sides);"
     " var v = 4; echo(out.join(' ')); echo(t.Increment(v), v, s.Scale(v), t.Increment(v), v)",
     "function 1 number 4 function 2 number 4 function 3 number 4\n5 4 48 5 4"},
};

class UnionScriptTest : public ::testing::TestWithParam<UnionScriptCase> {};

TEST_P(UnionScriptTest, Runs) {
    const UnionScriptCase& c = GetParam();
    com::ComPtr<IDispatch> shape;
    ASSERT_EQ(com::CreateInstance<CShape>(nullptr, IID_IDispatch, reinterpret_cast<void**>(&shape)), S_OK);
    {
        ScriptHarness h;
        ASSERT_EQ(h.engine->DefineValue("s", com::Variant(shape.Get())), S_OK);
        const std::string script = std::string("var t = new ActiveXObject('Test.Thing');\n") + c.script;
        ASSERT_EQ(h.Run(script), script::RunResult::Completed) << h.error.message << " line " << h.error.line;
        EXPECT_EQ(h.Output(), c.output);
    }
    // The engine kept no reference (it keeps the types it read, not the objects).
    shape->AddRef();
    EXPECT_EQ(shape->Release(), 1u);
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnionScriptTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qx::test
