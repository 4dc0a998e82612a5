// The server module seen from outside: the test component loaded as a file, its server functions
// called directly and through activation, its registry keys read back.
#include "component_test_support.h"
#include "probe_interfaces.h"

#include "objbase.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"

#include <fstream>
#include <sstream>

using namespace qxtest;

namespace {

const std::u16string kWidgetKey = u"CLSID\\{8C2F0B12-5D1E-4C7A-9B3E-1A2B3C4D5E60}";
const std::u16string kSoloKey = u"CLSID\\{8C2F0B13-5D1E-4C7A-9B3E-1A2B3C4D5E60}";
const std::u16string kFlakyKey = u"CLSID\\{8C2F0B14-5D1E-4C7A-9B3E-1A2B3C4D5E60}";
const std::u16string kHiddenKey = u"CLSID\\{8C2F0B15-5D1E-4C7A-9B3E-1A2B3C4D5E60}";
const std::u16string kTypeLibKey = u"TypeLib\\{8C2F0B11-5D1E-4C7A-9B3E-1A2B3C4D5E60}";

class ServerModuleTest : public ComponentFileTest {
protected:
    ServerModuleTest() : ComponentFileTest(QX_PROBE_COMPONENT) {}
};

TEST_F(ServerModuleTest, UnknownClassGivesClassNotAvailableAndNullPointer) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(GetClassObject(CLSID_Hidden, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(GetClassObject(IID_IClassFactory, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(GetClassObject(CLSID_Widget, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ServerModuleTest, TwoRequestsShareOneCachedFactory) {
    qx::com::ComPtr<IClassFactory> first, second;
    ASSERT_EQ(GetClassObject(CLSID_Widget, IID_IClassFactory, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(GetClassObject(CLSID_Widget, IID_IClassFactory, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_EQ(first.Get(), second.Get());
    qx::com::ComPtr<IUnknown> other;
    ASSERT_EQ(GetClassObject(CLSID_Solo, IID_IUnknown, reinterpret_cast<void**>(&other)), S_OK);
    EXPECT_NE(static_cast<IUnknown*>(first.Get()), other.Get());
    void* none = nullptr;
    EXPECT_EQ(GetClassObject(CLSID_Widget, IID_IProbe, &none), E_NOINTERFACE);
}

TEST_F(ServerModuleTest, FailedFactoryCreationIsRetried) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(GetClassObject(CLSID_Flaky, IID_IClassFactory, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    qx::com::ComPtr<IClassFactory> factory, again;
    ASSERT_EQ(GetClassObject(CLSID_Flaky, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    ASSERT_EQ(GetClassObject(CLSID_Flaky, IID_IClassFactory, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(factory.Get(), again.Get());
}

TEST_F(ServerModuleTest, AggregationFollowsEachClass) {
    qx::com::ComPtr<IClassFactory> widget, solo;
    ASSERT_EQ(GetClassObject(CLSID_Widget, IID_IClassFactory, reinterpret_cast<void**>(&widget)), S_OK);
    ASSERT_EQ(GetClassObject(CLSID_Solo, IID_IClassFactory, reinterpret_cast<void**>(&solo)), S_OK);
    qx::com::ComPtr<IProbe> plain;
    ASSERT_EQ(solo->CreateInstance(nullptr, IID_IProbe, reinterpret_cast<void**>(&plain)), S_OK);
    qx::com::Bstr kind;
    ASSERT_EQ(plain->get_Kind(&kind), S_OK);
    EXPECT_EQ(std::u16string(kind.Get()), u"solo");

    // Any IUnknown stands in for the outer object here.
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(solo->CreateInstance(plain.Get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    qx::com::ComPtr<IUnknown> inner;
    EXPECT_EQ(widget->CreateInstance(plain.Get(), IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    EXPECT_EQ(widget->CreateInstance(plain.Get(), IID_IProbe, &out), CLASS_E_NOAGGREGATION);
}

TEST_F(ServerModuleTest, LockCountFollowsObjectsAndServerLocks) {
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
    qx::com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(CLSID_Widget, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK) << "the cached factory does not count";
    qx::com::ComPtr<IProbe> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProbe, reinterpret_cast<void**>(&object)), S_OK);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    object = nullptr;
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
    factory->LockServer(TRUE);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
}

// An object of the test program's own, made by the same object framework.
class LocalThing : public qx::com::ObjectRoot, public IUnknown {
public:
    QX_BEGIN_INTERFACES(LocalThing)
    QX_INTERFACE_ENTRY(IUnknown)
    QX_END_INTERFACES()
};

TEST_F(ServerModuleTest, ObjectsOfAnotherModuleDoNotHoldTheComponent) {
    qx::com::ComPtr<IUnknown> local;
    ASSERT_EQ(qx::com::CreateInstance<LocalThing>(nullptr, IID_IUnknown, reinterpret_cast<void**>(&local)),
              S_OK);
    qx::com::ComPtr<IClassFactory> localFactory;
    ASSERT_EQ(qx::com::CreateClassFactory(&qx::com::CreateInstance<LocalThing>, IID_IClassFactory,
                                          reinterpret_cast<void**>(&localFactory)),
              S_OK);
    localFactory->LockServer(TRUE);
    EXPECT_EQ(qx::com::ModuleLockCount(), 2);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK) << "the program's object and lock are not the component's";

    qx::com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(CLSID_Widget, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    qx::com::ComPtr<IProbe> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProbe, reinterpret_cast<void**>(&object)), S_OK);
    EXPECT_EQ(qx::com::ModuleLockCount(), 2) << "the component's object is not the program's";
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    object = nullptr;
    localFactory->LockServer(FALSE);
    EXPECT_EQ(qx::com::ModuleLockCount(), 1);
}

TEST_F(ServerModuleTest, RegistrationWritesEveryKeyOfTheMappedClasses) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    const std::u16string path = qx::com::Utf8ToUtf16(std::filesystem::path(QX_PROBE_COMPONENT).string());
    EXPECT_EQ(DefaultValue(u"Probe.Widget.1"), u"Widget Class");
    EXPECT_EQ(DefaultValue(u"Probe.Widget.1\\CLSID"), u"{8C2F0B12-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
    EXPECT_EQ(DefaultValue(u"Probe.Widget\\CurVer"), u"Probe.Widget.1");
    EXPECT_EQ(DefaultValue(kWidgetKey), u"Widget Class");
    EXPECT_EQ(DefaultValue(kWidgetKey + u"\\ProgID"), u"Probe.Widget.1");
    EXPECT_EQ(DefaultValue(kWidgetKey + u"\\VersionIndependentProgID"), u"Probe.Widget");
    EXPECT_TRUE(KeyExists(kWidgetKey + u"\\Programmable"));
    EXPECT_EQ(DefaultValue(kWidgetKey + u"\\InprocServer32"), path);
    EXPECT_EQ(DefaultValue(kWidgetKey + u"\\InprocServer32", u"ThreadingModel"), u"Apartment");
    EXPECT_EQ(DefaultValue(kWidgetKey + u"\\TypeLib"), u"{8C2F0B11-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
    EXPECT_TRUE(KeyExists(kWidgetKey + u"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_TRUE(KeyExists(kWidgetKey + u"\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_TRUE(KeyExists(kWidgetKey + u"\\Required Categories\\{8C2F0B16-5D1E-4C7A-9B3E-1A2B3C4D5E60}"));
    EXPECT_FALSE(KeyExists(kSoloKey + u"\\Implemented Categories"));
    EXPECT_TRUE(KeyExists(kSoloKey + u"\\InprocServer32"));
    EXPECT_TRUE(KeyExists(kFlakyKey + u"\\InprocServer32"));
    EXPECT_TRUE(KeyExists(kTypeLibKey + u"\\1.0"));
    // A class with a script but no row never gets keys.
    EXPECT_FALSE(KeyExists(kHiddenKey));
    EXPECT_FALSE(KeyExists(u"Probe.Hidden"));
    EXPECT_FALSE(KeyExists(u"Probe.Hidden.1"));
}

TEST_F(ServerModuleTest, RegisteringTwiceLeavesTheSameKeys) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    const std::string once = RegistryDump(u"");
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    EXPECT_EQ(RegistryDump(u""), once);
}

TEST_F(ServerModuleTest, UnregisteringRemovesClassAndProgIdKeysAndKeepsClsid) {
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{00000000-1111-2222-3333-444444444444}", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
    for (const auto& key :
         {kWidgetKey, kSoloKey, kFlakyKey, std::u16string(u"Probe.Widget"), std::u16string(u"Probe.Widget.1"),
          std::u16string(u"Probe.Solo"), std::u16string(u"Probe.Flaky.1"), kTypeLibKey})
        EXPECT_FALSE(KeyExists(key)) << Utf8(key);
    EXPECT_TRUE(KeyExists(u"CLSID"));
    EXPECT_TRUE(KeyExists(u"CLSID\\{00000000-1111-2222-3333-444444444444}"));
    // Unregistering what is not registered is no error.
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
}

TEST_F(ServerModuleTest, ActivationByProgIdCreatesTheRegisteredClass) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Probe.Widget", &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_Widget));
    qx::com::ComPtr<IProbe> probe;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, 0x17, IID_IProbe, reinterpret_cast<void**>(&probe)), S_OK);
    qx::com::Bstr kind;
    ASSERT_EQ(probe->get_Kind(&kind), S_OK);
    EXPECT_EQ(std::u16string(kind.Get()), u"widget");
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_Widget, &progId), S_OK);
    EXPECT_EQ(std::u16string(progId), u"Probe.Widget.1");
    CoTaskMemFree(progId);
}

TEST(ServerModuleUnload, AnUnloadedComponentLeavesNoInterfaceDeclarationsBehind) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    HMODULE module = qx::module::LoadModule(QX_PROBE_COMPONENT);
    ASSERT_NE(module, nullptr);
    const qx::com::DispInterface* loaded = qx::com::FindDispInterface(IID_IProbe);
    ASSERT_NE(loaded, nullptr);
    qx::module::FreeModule(module);
    // Every declaration is looked at: none may be one of the unloaded file's.
    EXPECT_EQ(qx::com::FindDispInterface(IID_NULL), nullptr);
    const qx::com::DispInterface* after = qx::com::FindDispInterface(IID_IProbe);
    EXPECT_EQ(after, &kDisp_IProbe) << "the program's own declaration of the interface remains";
    CoUninitialize();
}

TEST(ServerModuleUnload, FreeUnusedLibrariesUnloadsOnlyAnIdleComponent) {
    TempRegistry registry;
    const std::string log = registry.Parent() / "probe.log";
    setenv("QX_TEST_COMPONENT_LOG", log.c_str(), 1);
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        LoadedComponent component(QX_PROBE_COMPONENT);
        ASSERT_TRUE(component.Loaded());
        ASSERT_EQ(component.Call("DllRegisterServer"), S_OK);
    }
    auto read = [&] {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    ASSERT_EQ(read(), "widget start\nwidget end\n");
    qx::com::ComPtr<IProbe> probe;
    ASSERT_EQ(CoCreateInstance(CLSID_Widget, nullptr, CLSCTX_INPROC_SERVER, IID_IProbe,
                               reinterpret_cast<void**>(&probe)),
              S_OK);
    EXPECT_EQ(read(), "widget start\nwidget end\nwidget start\n");
    CoFreeUnusedLibraries();
    EXPECT_EQ(read(), "widget start\nwidget end\nwidget start\n") << "an object is alive";
    probe = nullptr;
    CoFreeUnusedLibraries();
    EXPECT_EQ(read(), "widget start\nwidget end\nwidget start\nwidget end\n");
    unsetenv("QX_TEST_COMPONENT_LOG");
    CoUninitialize();
}

} // namespace
