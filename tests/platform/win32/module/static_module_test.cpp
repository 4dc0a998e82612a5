#include "qx/module/loader.h"
#include "qx/resource/packed_resources.h"
#include "winerror.h"
#include "winmodule.h"
#include "winresource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

QX_DECLARE_PACKED_RESOURCES(module_tests);

namespace {

std::vector<std::pair<DWORD, LPVOID>> calls;
HINSTANCE seen = nullptr;
BOOL answer = TRUE;

BOOL StaticDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    calls.emplace_back(reason, reserved);
    seen = instance;
    return reason == DLL_PROCESS_ATTACH ? answer : TRUE;
}

int Exported() {
    return 42;
}

HMODULE Register(const std::string& path) {
    return qx::module::RegisterStaticModule({path,
                                             QX_PACKED_RESOURCES(module_tests),
                                             {{"DllMain", reinterpret_cast<void*>(&StaticDllMain)},
                                              {"Exported", reinterpret_cast<void*>(&Exported)}}});
}

TEST(StaticModule, LoadsLikeAFileUnderItsPath) {
    calls.clear();
    answer = TRUE;
    HMODULE registered = Register("/opt/qx-test/libstatic_one.so");
    EXPECT_EQ(Register("/opt/qx-test/libstatic_one.so"), registered);
    EXPECT_EQ(GetModuleHandleA("/opt/qx-test/libstatic_one.so"), nullptr) << "registered, not loaded";
    HMODULE module = LoadLibraryA("/opt/qx-test/libstatic_one.so");
    ASSERT_EQ(module, registered);
    EXPECT_EQ(LoadLibraryA("libstatic_one.so"), module);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(static_cast<DWORD>(DLL_PROCESS_ATTACH), static_cast<LPVOID>(nullptr)));
    EXPECT_EQ(seen, module);

    char path[256];
    EXPECT_EQ(std::string(path, GetModuleFileNameA(module, path, sizeof(path))),
              "/opt/qx-test/libstatic_one.so");
    auto exported = reinterpret_cast<int (*)()>(GetProcAddress(module, "Exported"));
    ASSERT_NE(exported, nullptr);
    EXPECT_EQ(exported(), 42);
    EXPECT_EQ(GetProcAddress(module, "Missing"), nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(101), "REGISTRY");
    ASSERT_NE(found, nullptr);
    EXPECT_GT(SizeofResource(module, found), 0u);

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(FreeLibrary(module));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].first, static_cast<DWORD>(DLL_PROCESS_DETACH));
    EXPECT_FALSE(FreeLibrary(module));
}

TEST(StaticModule, RefusedAttachFailsTheLoad) {
    calls.clear();
    answer = FALSE;
    HMODULE registered = Register("/opt/qx-test/libstatic_two.so");
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("/opt/qx-test/libstatic_two.so"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].first, static_cast<DWORD>(DLL_PROCESS_DETACH));
    answer = TRUE;
    EXPECT_EQ(LoadLibraryA("/opt/qx-test/libstatic_two.so"), registered);
    EXPECT_TRUE(FreeLibrary(registered));
}

} // namespace
