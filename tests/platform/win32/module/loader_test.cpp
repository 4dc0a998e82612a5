#include "module_test_support.h"
#include "qx/module/loader.h"
#include "test_texts.h"
#include "winerror.h"
#include "winmodule.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iconv.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

using qx::module::testing::ModuleLog;

using InstanceFn = HINSTANCE (*)();
using CounterFn = int (*)();

std::string Real(const char* path) {
    char buffer[PATH_MAX];
    return ::realpath(path, buffer) != nullptr ? buffer : "";
}

std::string ModuleFileName(HMODULE module) {
    char buffer[4096];
    DWORD n = GetModuleFileNameA(module, buffer, sizeof(buffer));
    return std::string(buffer, n);
}

TEST(Loader, LoadsAttachesWithItsOwnHandleAndKnowsItsPath) {
    ModuleLog log;
    HMODULE module = LoadLibraryA(QX_TEST_MODULE_A);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleFileName(module), Real(QX_TEST_MODULE_A));
    auto instance = reinterpret_cast<InstanceFn>(GetProcAddress(module, "TestModuleInstance"));
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance(), module);
    // Inside DllMain the module found its own path and resources through that handle.
    EXPECT_EQ(log.Text(), "a attach free ok\n");
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(log.Text(), "a attach free ok\na detach free same\n");
}

TEST(Loader, CountsReferencesPerFileAndDetachesOnTheLast) {
    ModuleLog log;
    HMODULE first = LoadLibraryA(QX_TEST_MODULE_A);
    std::string byOtherSpelling = std::filesystem::path(QX_TEST_MODULE_A).parent_path().string() +
                                  "/../modules/" +
                                  std::filesystem::path(QX_TEST_MODULE_A).filename().string();
    HMODULE second = LoadLibraryA(byOtherSpelling.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(GetModuleHandleA(QX_TEST_MODULE_A), first);
    EXPECT_EQ(GetModuleHandleA("libqx_test_module_a.so"), first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(log.Text(), "a attach free ok\n") << "one reference is still held";
    EXPECT_EQ(GetModuleHandleA(QX_TEST_MODULE_A), first);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(log.Text(), "a attach free ok\na detach free same\n");
    EXPECT_EQ(GetModuleHandleA(QX_TEST_MODULE_A), nullptr);
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Loader, ModulesWithTheSameHelperKeepTheirOwnState) {
    HMODULE a = LoadLibraryA(QX_TEST_MODULE_A);
    HMODULE b = LoadLibraryA(QX_TEST_MODULE_B);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    auto nextA = reinterpret_cast<CounterFn>(GetProcAddress(a, "TestModuleCounterNext"));
    auto nextB = reinterpret_cast<CounterFn>(GetProcAddress(b, "TestModuleCounterNext"));
    ASSERT_NE(nextA, nullptr);
    ASSERT_NE(nextB, nullptr);
    EXPECT_NE(reinterpret_cast<void*>(nextA), reinterpret_cast<void*>(nextB));
    EXPECT_EQ(nextA(), 1);
    EXPECT_EQ(nextA(), 2);
    EXPECT_EQ(nextB(), 1);
    EXPECT_EQ(nextA(), 3);
    FreeLibrary(a);
    FreeLibrary(b);
}

TEST(Loader, GetProcAddressFindsOnlyTheModulesOwnExports) {
    HMODULE module = LoadLibraryA(QX_TEST_MODULE_A);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "DllMain"), nullptr);
    struct Case {
        const char* name;
    } cases[] = {
        {"SharedCounterNext"}, {"_Z17SharedCounterNextv"}, {"malloc"}, {"FindResourceA"}, {"nothing"}};
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GetProcAddress(module, c.name), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << c.name;
    }
    EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(1)), nullptr) << "ordinals name nothing";
    FreeLibrary(module);
}

TEST(Loader, RefusedAttachFailsTheLoadAfterADetach) {
    ModuleLog log;
    ::setenv("QX_TEST_MODULE_REFUSE", "b", 1);
    SetLastError(0);
    HMODULE module = LoadLibraryA(QX_TEST_MODULE_B);
    DWORD error = GetLastError();
    ::unsetenv("QX_TEST_MODULE_REFUSE");
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(log.Text(), "b attach free ok\nb detach free same\n");
    EXPECT_EQ(GetModuleHandleA(QX_TEST_MODULE_B), nullptr);
    // A later load starts afresh.
    module = LoadLibraryA(QX_TEST_MODULE_B);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(log.Text(), "b attach free ok\nb detach free same\nb attach free ok\n");
    FreeLibrary(module);
}

TEST(Loader, FailuresNameTheirCause) {
    auto dir = std::filesystem::temp_directory_path() / ("qx-loader-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::FILE* f = std::fopen((dir / "not-elf.so").c_str(), "w");
    std::fputs("plain text", f);
    std::fclose(f);
    struct Case {
        std::string name;
        DWORD error;
    } cases[] = {
        {(dir / "missing.so").string(), ERROR_MOD_NOT_FOUND},
        {"oleaut32.dll", ERROR_MOD_NOT_FOUND},
        {(dir / "not-elf.so").string(), ERROR_BAD_EXE_FORMAT},
        {"", ERROR_MOD_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(c.name.c_str()), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    std::filesystem::remove_all(dir);
}

TEST(Loader, ExecutableIsTheNullModule) {
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    EXPECT_EQ(ModuleFileName(nullptr), self);
    HMODULE exe = GetModuleHandleA(nullptr);
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ(ModuleFileName(exe), self);
    EXPECT_TRUE(DisableThreadLibraryCalls(exe));
    SetLastError(0);
    EXPECT_FALSE(DisableThreadLibraryCalls(reinterpret_cast<HMODULE>(&self)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(&self), self, sizeof(self)), 0u);
}

TEST(Loader, ShortBufferGetsATruncatedTerminatedPath) {
    std::string full = ModuleFileName(nullptr);
    char small[8];
    std::memset(small, 'x', sizeof(small));
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), sizeof(small));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), full.substr(0, 7));
    WCHAR wide[4096];
    DWORD n = GetModuleFileNameW(nullptr, wide, 4096);
    EXPECT_EQ(n, full.size());
    EXPECT_EQ(std::u16string(wide, n), std::u16string(full.begin(), full.end())) << "an ASCII path";
}

TEST(Loader, AnsiFileNamesAreCodePage949) {
    auto dir = std::filesystem::temp_directory_path() / ("qx-loader-ko-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto target = dir / "모듈.so";
    std::filesystem::copy_file(QX_TEST_MODULE_A, target, std::filesystem::copy_options::overwrite_existing);
    std::string ansi = qxtest::Cp949(target.string());
    ASSERT_NE(ansi, target.string());
    HMODULE module = LoadLibraryA(ansi.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ModuleFileName(module), ansi);
    std::u16string wideName = u"모듈.so";
    std::string dirName = dir.string();
    std::u16string widePath(dirName.begin(), dirName.end());
    widePath += u"/" + wideName;
    EXPECT_EQ(LoadLibraryW(widePath.c_str()), module);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(FreeLibrary(module));
    std::filesystem::remove_all(dir);
}

TEST(Loader, ConcurrentLoadsAndFreesKeepOneAttach) {
    ModuleLog log;
    HMODULE held = LoadLibraryA(QX_TEST_MODULE_A);
    ASSERT_NE(held, nullptr);
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                HMODULE module = LoadLibraryA(QX_TEST_MODULE_A);
                if (module != held || !FreeLibrary(module)) {
                    ++mismatches;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(log.Text(), "a attach free ok\n");
    EXPECT_TRUE(FreeLibrary(held));
    EXPECT_EQ(log.Text(), "a attach free ok\na detach free same\n");
}

TEST(Loader, ProcessExitDetachesOnceInReverseLoadOrder) {
    ModuleLog log;
    std::string command = std::string(QX_EXIT_PROBE) + " " + QX_TEST_MODULE_A + " " + QX_TEST_MODULE_B;
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(log.Text(), "a attach free ok\n"
                          "b attach free ok\n"
                          "b detach exit same\n"
                          "a detach exit same\n");
}

} // namespace
