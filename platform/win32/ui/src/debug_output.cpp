#include <cstdio>
#include <mutex>

#include "debugapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/debug_output.h"

namespace {

std::mutex& HookLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

std::function<void(const std::string&)>& Hook() {
    static auto* hook = new std::function<void(const std::string&)>;
    return *hook;
}

void Emit(const std::string& utf8) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard guard(HookLock());
        hook = Hook();
    }
    if (hook) {
        hook(utf8);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

} // namespace

void qx::win32::SetDebugOutputHook(std::function<void(const std::string& utf8)> hook) {
    std::lock_guard guard(HookLock());
    Hook() = std::move(hook);
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    if (lpOutputString != nullptr) {
        Emit(qx::win32::AnsiToUtf8(lpOutputString));
    }
}

void WINAPI OutputDebugStringW(LPCWSTR lpOutputString) {
    if (lpOutputString != nullptr) {
        Emit(qx::win32::WideToUtf8(lpOutputString));
    }
}
