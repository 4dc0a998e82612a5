// The window system's objects: classes, windows, per-thread input state and timers, all
// guarded by one lock. Window procedures are never called with the lock held: callers copy
// what they need, unlock, call, and look the window up again by its handle afterwards (a
// procedure may have destroyed it).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "winresource.h"
#include "winuser_timer.h"
#include "winuser_window.h"

namespace qx::win32::window {

// A window procedure together with the character set it expects its text in.
struct Procedure {
    WNDPROC function = nullptr;
    bool wide = false;
    bool operator==(const Procedure&) const = default;
};

struct WindowClass {
    std::u16string name;
    std::u16string key; // upper-cased, for lookups
    ATOM atom = 0;
    UINT style = 0;
    Procedure procedure;
    int classExtra = 0;
    int windowExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    // The menu name as given: a resource id, or a string in both character sets.
    LPCSTR menuId = nullptr;
    std::string menuNameAnsi;
    std::u16string menuNameWide;
    bool global = false;
    bool system = false; // the desktop's class: never created or unregistered by programs
    size_t windows = 0;  // live windows of the class
};

enum class Life { Creating, Live, Destroying, Dead };

struct Window {
    HWND handle = nullptr;
    DWORD threadId = 0;
    std::shared_ptr<WindowClass> windowClass;
    Procedure procedure;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::u16string text;
    RECT rect{}; // in the parent's client coordinates (the screen's for top-level windows)
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children; // Z order, topmost first
    std::vector<BYTE> extra;
    std::vector<std::pair<std::u16string, HANDLE>> properties;
    std::map<std::string, std::shared_ptr<void>, std::less<>> attachments;
    bool hasUpdate = false;
    bool eraseUpdate = false;
    RECT update{};
    // Lead byte of a double-byte character sent to a Unicode window as two WM_CHARs.
    BYTE pendingLeadByte = 0;
    Life life = Life::Creating;
    unsigned long long serial = 0; // creation order
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    DWORD elapse = 0;
    DWORD due = 0;
    TIMERPROC procedure = nullptr;
    unsigned long long serial = 0;
};

struct ThreadInput {
    HWND focus = nullptr;
    HWND active = nullptr;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
};

struct Store {
    std::mutex lock;
    std::unordered_map<HWND, std::shared_ptr<Window>> windows;
    std::vector<std::shared_ptr<WindowClass>> classes;
    std::vector<HWND> topLevel; // Z order of top-level windows, topmost first
    std::unordered_map<DWORD, ThreadInput> threads;
    HWND desktop = nullptr;
    HWND capture = nullptr;
    HWND foreground = nullptr;
    ULONG_PTR nextHandle = 0x10010;
    ATOM nextAtom = 0xC000;
    unsigned long long nextSerial = 1;
};

// The store, with the window manager installed on first use.
Store& TheStore();

// Lookups; need the store's lock. Null for an unknown handle or a dead window.
Window* FindLocked(Store& store, HWND hwnd);
std::shared_ptr<Window> FindSharedLocked(Store& store, HWND hwnd);
// The window of the handle, alive (not yet past WM_NCDESTROY); takes the lock itself.
std::shared_ptr<Window> FindWindow(HWND hwnd);

// Upper-cases ASCII letters, as atom names compare.
std::u16string FoldCase(std::u16string_view text);
// "#n", the key of an atom.
std::u16string AtomKey(ULONG_PTR atom);
// A name argument of the "A" or "W" API that may be an atom (MAKEINTATOM): "#n" for an atom.
std::u16string NameKey(LPCSTR name);
std::u16string NameKey(LPCWSTR name);

// The window and its ancestors all have WS_VISIBLE. Needs the lock.
bool IsVisibleLocked(Store& store, const Window& window);
// Top-left corner of the window's client area on the screen. Needs the lock.
POINT ScreenOriginLocked(Store& store, const Window& window);

} // namespace qx::win32::window
