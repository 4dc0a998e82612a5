// Orrin's component file through COM: the factory's safety options and behaviour lookup as a
// browser calls them.
#include "component_test_support.h"
#include "orrin_ids.h"

#include <mshtml.h>
#include <objsafe.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/xml/xml_dom.h>

namespace {

using qx::com::Bstr;
using qx::com::ComPtr;

class OrrinModule : public qxtest::ComponentFileTest {
protected:
    OrrinModule() : ComponentFileTest(QX_ORRIN_COMPONENT) {}
    // A list view makes its XML document by the parser's ProgID, as a host makes it creatable.
    void SetUp() override {
        ComponentFileTest::SetUp();
        qx::xml::RegisterXmlDomClass();
    }
    void TearDown() override {
        qx::xml::RevokeXmlDomClass();
        ComponentFileTest::TearDown();
    }
    ComPtr<IUnknown> Make(REFCLSID clsid) {
        ComPtr<IClassFactory> classFactory;
        EXPECT_EQ(GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&classFactory)), S_OK);
        ComPtr<IUnknown> made;
        if (classFactory) {
            EXPECT_EQ(classFactory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&made)),
                      S_OK);
        }
        return made;
    }
};

TEST_F(OrrinModule, FactorySafetyOptions) {
    auto safety = ComPtr<IObjectSafety>::QueryFrom(Make(CLSID_ComCtrlFactory).Get());
    ASSERT_TRUE(safety);
    DWORD supported = 7;
    DWORD enabled = 7;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr), E_POINTER);
    const IID unanswered = {};
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(unanswered, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
    struct Step {
        DWORD mask, options, enabled;
    };
    for (const Step& step : {Step{3, 1, 1}, Step{1, 0, 0}, Step{2, 2, 2}, Step{0, 1, 3}}) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, step.mask, step.options), S_OK);
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IElementBehaviorFactory, &supported, &enabled), S_OK);
        EXPECT_EQ(supported, 1u);
        EXPECT_EQ(enabled, step.enabled) << step.mask << " " << step.options;
    }
    auto errors = ComPtr<ISupportErrorInfo>::QueryFrom(safety.Get());
    ASSERT_TRUE(errors);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IComCtrlFactory), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

TEST_F(OrrinModule, FactoryFindsBehaviours) {
    auto factory = ComPtr<IElementBehaviorFactory>::QueryFrom(Make(CLSID_ComCtrlFactory).Get());
    ASSERT_TRUE(factory);
    struct Row {
        const char16_t* name;
        const char16_t* url;
        HRESULT hr;
        bool made;
    };
    const Row rows[] = {
        {u"listview", u"", S_OK, true},       {u"ListView", u"#x#ListView", S_OK, true},
        {u"other", u"#header_", S_OK, false}, {u"", u"#HEADER_", S_OK, true},
        {u"", u"#ROW_", E_POINTER, false},    {u"LISTVIEWS", u"", S_OK, false},
    };
    for (const Row& row : rows) {
        IElementBehavior* behavior = nullptr;
        EXPECT_EQ(factory->FindBehavior(Bstr(row.name), Bstr(row.url), nullptr, &behavior), row.hr)
            << qxtest::Utf8(row.name) << " " << qxtest::Utf8(row.url);
        EXPECT_EQ(behavior != nullptr, row.made) << qxtest::Utf8(row.name);
        if (behavior)
            behavior->Release();
    }
    EXPECT_EQ(factory->FindBehavior(Bstr(u"LISTVIEW"), Bstr(u""), nullptr, nullptr), E_POINTER);
}

} // namespace
