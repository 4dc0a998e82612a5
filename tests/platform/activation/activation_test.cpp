// COM activation seen from a program: apartments, ProgIDs with their CurVer chains, class
// objects from in-process servers named in the registry (and the ways that fails), classes
// registered by the program itself, and activation from several threads at once.
#include "objbase.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/object.h"
#include "qx/module/loader.h"
#include "qx/win32/registry.h"
#include "shlwapi_registry.h"
#include "winreg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::u16string kWidget = u"{8C2F0B12-5D1E-4C7A-9B3E-1A2B3C4D5E60}"; // the probe component's
constexpr GUID kWidgetClsid = MakeGuid("{8C2F0B12-5D1E-4C7A-9B3E-1A2B3C4D5E60}");
constexpr GUID kOther = MakeGuid("{0B6C1E54-3A29-4D17-8E0F-5C9A7B2D4E61}");

void SetDefault(const std::u16string& key, const std::u16string& value) {
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
}

class Activation : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx-activation-XXXXXX";
        dir_ = mkdtemp(pattern);
        qx::registry::SetRootForTesting(dir_ / "registry");
    }
    void TearDown() override {
        qx::registry::SetRootForTesting(dir_ / "unused");
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static void RegisterServer(const std::u16string& clsid, const std::string& file,
                               const char16_t* kind = u"InprocServer32") {
        SetDefault(u"CLSID\\" + clsid + u"\\" + kind, qx::com::Utf8ToUtf16(file));
    }
    fs::path dir_;
};

TEST(Apartments, InitialisationCountsAndRefusesTheOtherKind) {
    std::thread([] {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "all three calls are balanced";
        EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);
        CoUninitialize();
    }).join();
}

TEST_F(Activation, NothingIsCreatedOutsideAnApartment) {
    RegisterServer(kWidget, QX_PROBE_COMPONENT);
    std::thread([] {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(kWidgetClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
                  CO_E_NOTINITIALIZED);
        EXPECT_EQ(out, nullptr);
    }).join();
}

struct ProgIdCase {
    const char* name;
    std::vector<std::pair<std::u16string, std::u16string>> keys; // default values to write
    std::u16string progId;
    HRESULT result;
    GUID clsid;
};

TEST_F(Activation, ProgIdsFollowCurVerToTheClassIdentifier) {
    const std::u16string other = u"{0B6C1E54-3A29-4D17-8E0F-5C9A7B2D4E61}";
    const ProgIdCase cases[] = {
        {"versioned", {{u"A.B.1\\CLSID", other}}, u"A.B.1", S_OK, kOther},
        {"through CurVer", {{u"A.B\\CurVer", u"A.B.2"}, {u"A.B.2\\CLSID", other}}, u"A.B", S_OK, kOther},
        {"CurVer wins over CLSID",
         {{u"A.B\\CLSID", kWidget}, {u"A.B\\CurVer", u"A.B.2"}, {u"A.B.2\\CLSID", other}},
         u"A.B",
         S_OK,
         kOther},
        {"CurVer naming itself", {{u"A.B\\CurVer", u"A.B"}, {u"A.B\\CLSID", other}}, u"A.B", S_OK, kOther},
        {"any case", {{u"A.B.1\\CLSID", other}}, u"a.b.1", S_OK, kOther},
        {"unknown", {}, u"No.Such", CO_E_CLASSSTRING, GUID{}},
        {"CurVer to nowhere", {{u"A.B\\CurVer", u"A.B.9"}}, u"A.B", CO_E_CLASSSTRING, GUID{}},
        {"CurVer cycle",
         {{u"A.B\\CurVer", u"A.C"}, {u"A.C\\CurVer", u"A.B"}},
         u"A.B",
         CO_E_CLASSSTRING,
         GUID{}},
        {"damaged CLSID text", {{u"A.B\\CLSID", u"{not a guid}"}}, u"A.B", CO_E_CLASSSTRING, GUID{}},
        {"a path, not a name", {{u"A\\B\\CLSID", other}}, u"A\\B", CO_E_CLASSSTRING, GUID{}},
        {"empty", {}, u"", CO_E_CLASSSTRING, GUID{}},
    };
    for (const ProgIdCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& key : {u"A.B", u"A.B.1", u"A.B.2", u"A.C", u"A"})
            SHDeleteKeyW(HKEY_CLASSES_ROOT, key);
        for (const auto& [key, value] : c.keys)
            SetDefault(key, value);
        CLSID clsid = kWidgetClsid;
        EXPECT_EQ(CLSIDFromProgID(c.progId.c_str(), &clsid), c.result);
        EXPECT_EQ(clsid, c.clsid) << "a failure leaves a null class identifier";
    }
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromProgID(u"A.B", nullptr), E_INVALIDARG);
}

TEST_F(Activation, ProgIdOfAClassIdentifier) {
    SetDefault(u"CLSID\\" + kWidget + u"\\ProgID", u"Probe.Widget.1");
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(kWidgetClsid, &progId), S_OK);
    EXPECT_EQ(std::u16string(progId), u"Probe.Widget.1");
    CoTaskMemFree(progId);
    progId = reinterpret_cast<LPOLESTR>(1);
    EXPECT_EQ(ProgIDFromCLSID(kOther, &progId), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(progId, nullptr);
}

TEST_F(Activation, ServerFailuresHaveTheirOwnCodes) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const fs::path notElf = dir_ / "not-a-library.so";
    std::ofstream(notElf) << "plain text";
    const std::string probe = std::string("\"") + QX_PROBE_COMPONENT + "\" -Embedding";
    struct Case {
        const char* name;
        std::string server; // empty: no server key
        const char16_t* kind;
        DWORD context;
        HRESULT result;
    };
    constexpr const char16_t* kInproc = u"InprocServer32";
    constexpr const char16_t* kLocal = u"LocalServer32";
    const Case cases[] = {
        {"not registered", "", kInproc, CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
        {"missing file", "/nonexistent/libnothing.so", kInproc, CLSCTX_INPROC_SERVER, CO_E_DLLNOTFOUND},
        {"not a library", notElf.string(), kInproc, CLSCTX_INPROC_SERVER, CO_E_DLLNOTFOUND},
        {"no DllGetClassObject", QX_NO_ENTRY_MODULE, kInproc, CLSCTX_INPROC_SERVER, CO_E_ERRORINDLL},
        {"class the server lacks", QX_PROBE_COMPONENT, kInproc, CLSCTX_INPROC_SERVER,
         CLASS_E_CLASSNOTAVAILABLE},
        {"in-process server asked as local", QX_PROBE_COMPONENT, kInproc, CLSCTX_LOCAL_SERVER,
         REGDB_E_CLASSNOTREG},
        {"local server asked as in-process", probe, kLocal, CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
        {"local server not registered", "", kLocal, CLSCTX_LOCAL_SERVER, REGDB_E_CLASSNOTREG},
        {"local program missing", "/nonexistent/word.exe /Automation", kLocal, CLSCTX_LOCAL_SERVER,
         CO_E_SERVER_EXEC_FAILURE},
        {"local program not a library", notElf.string(), kLocal, CLSCTX_LOCAL_SERVER,
         CO_E_SERVER_EXEC_FAILURE},
        {"local program without DllGetClassObject", QX_NO_ENTRY_MODULE, kLocal, CLSCTX_LOCAL_SERVER,
         CO_E_SERVER_EXEC_FAILURE},
        {"blank local command line", "   ", kLocal, CLSCTX_LOCAL_SERVER, CO_E_SERVER_EXEC_FAILURE},
        {"class the local server lacks", probe, kLocal, CLSCTX_LOCAL_SERVER, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SHDeleteKeyW(HKEY_CLASSES_ROOT, u"CLSID");
        if (!c.server.empty())
            RegisterServer(u"{0B6C1E54-3A29-4D17-8E0F-5C9A7B2D4E61}", c.server, c.kind);
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoGetClassObject(kOther, c.context, nullptr, IID_IClassFactory, &out), c.result);
        EXPECT_EQ(out, nullptr);
        out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CoCreateInstance(kOther, nullptr, c.context, IID_IUnknown, &out), c.result);
        EXPECT_EQ(out, nullptr);
    }
    CoUninitialize();
}

TEST_F(Activation, TheUsualContextFlagsReachAnInProcessServer) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    RegisterServer(kWidget, QX_PROBE_COMPONENT);
    for (DWORD context :
         {DWORD(CLSCTX_INPROC_SERVER), DWORD(0x17), DWORD(CLSCTX_ALL), DWORD(CLSCTX_SERVER)}) {
        SCOPED_TRACE(context);
        qx::com::ComPtr<IDispatch> widget;
        EXPECT_EQ(CoCreateInstance(kWidgetClsid, nullptr, context, IID_IDispatch,
                                   reinterpret_cast<void**>(&widget)),
                  S_OK);
        EXPECT_NE(widget.Get(), nullptr);
    }
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(kWidgetClsid, nullptr, 0, IID_IUnknown, &out), E_INVALIDARG);
    EXPECT_EQ(CoCreateInstance(kWidgetClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_POINTER);
    CoFreeUnusedLibraries();
    CoUninitialize();
}

TEST_F(Activation, ALocalServerIsTheLibraryItsCommandLineNames) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    fs::create_directories(dir_ / "program files");
    const fs::path copy = dir_ / "program files" / "probe server.so";
    fs::copy_file(QX_PROBE_COMPONENT, copy);
    RegisterServer(kWidget, "\"" + copy.string() + "\" /Automation -Embedding", u"LocalServer32");
    struct Case {
        DWORD context;
        HRESULT result;
    };
    const Case cases[] = {
        {CLSCTX_LOCAL_SERVER, S_OK},
        {CLSCTX_SERVER, S_OK},
        {CLSCTX_ALL, S_OK},
        {CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
        {CLSCTX_INPROC_HANDLER, REGDB_E_CLASSNOTREG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.context);
        qx::com::ComPtr<IDispatch> widget;
        EXPECT_EQ(CoCreateInstance(kWidgetClsid, nullptr, c.context, IID_IDispatch,
                                   reinterpret_cast<void**>(&widget)),
                  c.result);
        EXPECT_EQ(widget.Get() != nullptr, c.result == S_OK);
    }
    CoFreeUnusedLibraries();
    CoUninitialize();
}

// A class of the program's own, made creatable with CoRegisterClassObject.
class Local : public qx::com::ObjectRoot, public IUnknown {
public:
    QX_BEGIN_INTERFACES(Local)
    QX_INTERFACE_ENTRY(IUnknown)
    QX_END_INTERFACES()
};

TEST_F(Activation, ARegisteredClassObjectAnswersBeforeTheRegistry) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    RegisterServer(kWidget, QX_PROBE_COMPONENT);
    qx::com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(qx::com::CreateClassFactory(&qx::com::CreateInstance<Local>, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)),
              S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(
        CoRegisterClassObject(kWidgetClsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
        S_OK);
    const LONG before = qx::com::ModuleLockCount();
    {
        qx::com::ComPtr<IUnknown> made;
        ASSERT_EQ(CoCreateInstance(kWidgetClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&made)),
                  S_OK);
        EXPECT_EQ(qx::com::ModuleLockCount(), before + 1) << "the program's own class made it";
        qx::com::ComPtr<IDispatch> asWidget;
        EXPECT_EQ(made->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&asWidget)), E_NOINTERFACE);
    }
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG) << "a cookie is revoked once";
    qx::com::ComPtr<IDispatch> widget;
    EXPECT_EQ(CoCreateInstance(kWidgetClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&widget)),
              S_OK)
        << "the registry's server answers again";
    widget = nullptr;
    EXPECT_EQ(CoRegisterClassObject(kWidgetClsid, nullptr, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
              E_INVALIDARG);
    CoFreeUnusedLibraries();
    CoUninitialize();
}

TEST_F(Activation, ThreadsActivateTheSameServerAtOnce) {
    RegisterServer(kWidget, QX_PROBE_COMPONENT);
    constexpr int kThreads = 8;
    std::vector<IUnknown*> factories(kThreads, nullptr);
    std::vector<HRESULT> results(kThreads, E_FAIL);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            for (int round = 0; round < 20; ++round) {
                qx::com::ComPtr<IDispatch> widget;
                results[i] = CoCreateInstance(kWidgetClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                              reinterpret_cast<void**>(&widget));
                if (FAILED(results[i]))
                    break;
            }
            void* factory = nullptr;
            if (SUCCEEDED(CoGetClassObject(kWidgetClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                           &factory)))
                factories[i] = static_cast<IUnknown*>(factory);
            CoUninitialize();
        });
    }
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(results[i], S_OK) << i;
        ASSERT_NE(factories[i], nullptr) << i;
        EXPECT_EQ(factories[i], factories[0]) << "one cached factory serves every thread";
    }
    for (IUnknown* factory : factories)
        factory->Release();
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    CoFreeUnusedLibraries();
    CoUninitialize();
}

} // namespace
