// The same COM object handed to script again, while its script object lives, is the same script
// value: `==` and `===` compare COM identity (IUnknown), and every reference still comes back.
#include "script_harness.h"

#include <qx/com/variant.h>

#include <gtest/gtest.h>

#include <atomic>

namespace qx::test {
namespace {

const ThingScriptCase kCases[] = {
    {"SameObjectTwice",
     "t.Child = t.Items; var a = t.Child;"
     " echo(a === t.Child, a == t.Child, t.Child === t.Child, a !== t.Child, a != t.Child)",
     "true true true false false"},
    {"NewObjectsDiffer", "echo(t.Items === t.Items, t.Items == t.Items, t.Items != t.Items)",
     "false false true"},
    {"OtherInstanceDiffers", "var u = new ActiveXObject('Test.Thing'); echo(t === u, t == u, t === t)",
     "false false true"},
    {"StillCallable",
     "t.Child = t.Items; var c = t.Child; echo(typeof c, c(1), c.Count, c === t.Child, typeof t.Child)",
     "function beta 3 true function"},
    {"FoundInArrays", "t.Child = t.Items; var list = [t.Items, t.Child]; echo(list.indexOf(t.Child))", "1"},
    {"KeptAcrossCollections",
     "t.Child = t.Items; var a = t.Child; for (var i = 0; i < 3000; i++) { var junk = t.Items; }"
     " echo(a === t.Child)",
     "true"},
};

class IdentityTest : public ::testing::TestWithParam<ThingScriptCase> {};

TEST_P(IdentityTest, ScriptComparesComIdentity) {
    ExpectThingScript(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, IdentityTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// One object behind two dispatch interfaces, whose IDispatch pointers differ; the value member
// answers with the name of the interface it was called through. Counts its references.
class TwoFaces {
public:
    struct Face : IDispatch {
        Face(TwoFaces& owner, const char16_t* name) : owner_(owner), name_(name) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            return owner_.QueryInterface(riid, ppv);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++owner_.refs; }
        STDMETHODIMP_(ULONG) Release() override { return --owner_.refs; }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override {
            *count = 0;
            return S_OK;
        }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
            return DISP_E_UNKNOWNNAME;
        }
        STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                            UINT*) override {
            if (dispid != DISPID_VALUE)
                return DISP_E_MEMBERNOTFOUND;
            return result ? com::Variant(name_).CopyTo(result) : S_OK;
        }

    private:
        TwoFaces& owner_;
        const char16_t* name_;
    };

    HRESULT QueryInterface(REFIID riid, void** ppv) {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
            *ppv = static_cast<IDispatch*>(&first);
        else if (IsEqualIID(riid, kSecondIid))
            *ppv = static_cast<IDispatch*>(&second);
        else
            return E_NOINTERFACE;
        ++refs;
        return S_OK;
    }

    static constexpr GUID kSecondIid = MakeGuid("{7C3B2A10-5E4D-4F6A-9B8C-1D2E3F405162}");
    std::atomic<ULONG> refs{1};
    Face first{*this, u"first"};
    Face second{*this, u"second"};
};

TEST(IdentityReferences, InterfacesOfOneObjectAreOneScriptValue) {
    TwoFaces object;
    {
        ScriptHarness h;
        ASSERT_EQ(h.engine->DefineValue("a", com::Variant(static_cast<IDispatch*>(&object.first))), S_OK);
        ASSERT_EQ(h.engine->DefineValue("b", com::Variant(static_cast<IDispatch*>(&object.second))), S_OK);
        ASSERT_EQ(h.engine->DefineValue("u", com::Variant(static_cast<IUnknown*>(&object.second))), S_OK);
        // One script object, which calls through the interface it was first made for.
        ASSERT_EQ(h.Run("echo(a === b, a === u, a == b, a(), b(), u())"), script::RunResult::Completed)
            << h.error.message;
        EXPECT_EQ(h.Output(), "true true true first first first");
        EXPECT_EQ(object.refs.load(), 2u);
        ASSERT_EQ(h.Run("a = b = u = null;"), script::RunResult::Completed);
        h.engine->CollectGarbage();
        EXPECT_EQ(object.refs.load(), 1u);
        // Handed over again once the old script object is gone: a new one, held once.
        ASSERT_EQ(h.engine->DefineValue("b", com::Variant(static_cast<IDispatch*>(&object.second))), S_OK);
        ASSERT_EQ(h.Run("var c = b; echo(b(), c === b)"), script::RunResult::Completed) << h.error.message;
        EXPECT_EQ(h.Output(), "second true");
        EXPECT_EQ(object.refs.load(), 2u);
    }
    EXPECT_EQ(object.refs.load(), 1u);
}

TEST(IdentityReferences, DroppedObjectsAreCollected) {
    ScriptHarness h;
    ASSERT_EQ(h.Run("var t = new ActiveXObject('Test.Thing'); t.Child = t.Items;"
                    " for (var i = 0; i < 2000; i++) { var c = t.Items; var d = t.Child; }"),
              script::RunResult::Completed)
        << h.error.message;
    h.engine->CollectGarbage();
    // The thing and its child are held; the loop's collections are all gone.
    EXPECT_EQ(g_liveTestObjects.load(), 3);
    ASSERT_EQ(h.Run("c = d = null;"), script::RunResult::Completed);
    h.engine->CollectGarbage();
    EXPECT_EQ(g_liveTestObjects.load(), 2);
}

TEST(IdentityReferences, ObjectAskedForWhileItsScriptObjectAwaitsFinalizing) {
    {
        ScriptHarness h;
        // The script finalizer runs first and asks for the child while the child's script object,
        // unreachable too, still waits for its own finalizer: that object is taken back.
        ASSERT_EQ(h.Run("var t = new ActiveXObject('Test.Thing'); var seen = null;"
                        " (function () { var o = {}; Duktape.fin(o, function () { seen = t.Child; });"
                        " t.Child = t.Items; })();"),
                  script::RunResult::Completed)
            << h.error.message;
        h.engine->CollectGarbage();
        ASSERT_EQ(h.Run("echo(seen === t.Child, seen(2), seen.Count)"), script::RunResult::Completed)
            << h.error.message;
        EXPECT_EQ(h.Output(), "true gamma 3");
        ASSERT_EQ(h.Run("seen = null;"), script::RunResult::Completed);
        h.engine->CollectGarbage();
        EXPECT_EQ(g_liveTestObjects.load(), 2);
    }
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

TEST(IdentityReferences, ComponentHoldingItselfIsItself) {
    {
        ScriptHarness h;
        ASSERT_EQ(h.Run("var t = new ActiveXObject('Test.Thing'); t.Child = t; echo(t.Child === t, "
                        "t.Child.Child == t)"),
                  script::RunResult::Completed)
            << h.error.message;
        EXPECT_EQ(h.Output(), "true true");
    }
    // The component's own cycle is no leak of the engine's.
    ReleaseChildren();
    EXPECT_EQ(g_liveTestObjects.load(), 0);
}

} // namespace
} // namespace qx::test
