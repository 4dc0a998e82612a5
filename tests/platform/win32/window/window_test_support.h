// A window class whose procedure writes down the messages it gets, for the window tests.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "synchapi.h"
#include "sysinfoapi.h"
#include "winerror.h"
#include "winresource.h"
#include "winuser_input.h"
#include "winuser_message.h"
#include "winuser_paint.h"
#include "winuser_position.h"
#include "winuser_timer.h"
#include "winuser_window.h"

namespace window_test {

struct Entry {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages seen by RecordingProcedure, in order, from any thread.
class Journal {
public:
    void Add(const Entry& entry) {
        std::lock_guard guard(lock_);
        entries_.push_back(entry);
    }
    std::vector<Entry> Entries() const {
        std::lock_guard guard(lock_);
        return entries_;
    }
    // The messages of the given kinds, in order, as (window, message) pairs.
    std::vector<std::pair<HWND, UINT>> Of(std::initializer_list<UINT> kinds) const {
        std::vector<std::pair<HWND, UINT>> found;
        for (const Entry& e : Entries()) {
            for (UINT kind : kinds) {
                if (e.message == kind) {
                    found.emplace_back(e.hwnd, e.message);
                }
            }
        }
        return found;
    }
    void Clear() {
        std::lock_guard guard(lock_);
        entries_.clear();
    }

private:
    mutable std::mutex lock_;
    std::vector<Entry> entries_;
};

inline Journal& TheJournal() {
    static Journal journal;
    return journal;
}

inline LRESULT CALLBACK RecordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheJournal().Add(Entry{hwnd, message, wParam, lParam});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Registers a class for the test's lifetime.
class TestClass {
public:
    explicit TestClass(std::string name, WNDPROC procedure = RecordingProcedure, UINT style = 0,
                       int extra = 0, HCURSOR cursor = nullptr)
        : name_(std::move(name)) {
        WNDCLASSEXA info{};
        info.cbSize = sizeof info;
        info.style = style;
        info.lpfnWndProc = procedure;
        info.cbWndExtra = extra;
        info.hCursor = cursor;
        info.lpszClassName = name_.c_str();
        atom_ = RegisterClassExA(&info);
    }
    ~TestClass() { UnregisterClassA(name_.c_str(), nullptr); }
    TestClass(const TestClass&) = delete;
    TestClass& operator=(const TestClass&) = delete;

    const char* Name() const { return name_.c_str(); }
    ATOM Atom() const { return atom_; }
    HWND Create(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr, int id = 0,
                RECT rect = {10, 20, 110, 70}, const char* text = "") const {
        return CreateWindowExA(0, name_.c_str(), text, style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

private:
    std::string name_;
    ATOM atom_ = 0;
};

} // namespace window_test
