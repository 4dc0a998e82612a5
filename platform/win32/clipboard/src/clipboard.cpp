// The process's clipboard: which thread has it open, and one global block per format in the order
// the formats were put.
#include "winbase_global.h"
#include "winuser_clipboard.h"

#include "winerror.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;

struct Clipboard {
    std::mutex lock;
    std::optional<std::thread::id> openedBy;
    std::vector<std::pair<UINT, HANDLE>> data; // in the order put
    std::vector<std::u16string> registered;    // format kFirstRegisteredFormat + index
};

Clipboard& TheClipboard() {
    static auto* clipboard = new Clipboard;
    return *clipboard;
}

bool OpenedHere(const Clipboard& c) {
    return c.openedBy && *c.openedBy == std::this_thread::get_id();
}

char16_t Fold(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

UINT Register(std::u16string name) {
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    for (std::size_t i = 0; i < c.registered.size(); ++i)
        if (SameName(c.registered[i], name))
            return kFirstRegisteredFormat + static_cast<UINT>(i);
    if (c.registered.size() >= 0x3FFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    c.registered.push_back(std::move(name));
    return kFirstRegisteredFormat + static_cast<UINT>(c.registered.size() - 1);
}

} // namespace

BOOL WINAPI OpenClipboard(HWND) {
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    if (c.openedBy && !OpenedHere(c)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    c.openedBy = std::this_thread::get_id();
    return TRUE;
}

BOOL WINAPI CloseClipboard() {
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    if (!OpenedHere(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    c.openedBy.reset();
    return TRUE;
}

BOOL WINAPI EmptyClipboard() {
    Clipboard& c = TheClipboard();
    std::vector<std::pair<UINT, HANDLE>> freed;
    {
        std::lock_guard guard(c.lock);
        if (!OpenedHere(c)) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return FALSE;
        }
        freed.swap(c.data);
    }
    for (const auto& [format, block] : freed)
        GlobalFree(block);
    return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem) {
    Clipboard& c = TheClipboard();
    HANDLE previous = nullptr;
    {
        std::lock_guard guard(c.lock);
        if (!OpenedHere(c)) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return nullptr;
        }
        if (uFormat == 0 || !hMem) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        auto it =
            std::find_if(c.data.begin(), c.data.end(), [&](const auto& d) { return d.first == uFormat; });
        if (it != c.data.end())
            previous = std::exchange(it->second, hMem);
        else
            c.data.emplace_back(uFormat, hMem);
    }
    if (previous && previous != hMem)
        GlobalFree(previous);
    return hMem;
}

HANDLE WINAPI GetClipboardData(UINT uFormat) {
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    if (!OpenedHere(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    for (const auto& [format, block] : c.data)
        if (format == uFormat)
            return block;
    return nullptr;
}

BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    return std::any_of(c.data.begin(), c.data.end(), [&](const auto& d) { return d.first == format; });
}

int WINAPI CountClipboardFormats() {
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    return static_cast<int>(c.data.size());
}

UINT WINAPI EnumClipboardFormats(UINT format) {
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    if (!OpenedHere(c)) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return 0;
    }
    SetLastError(NO_ERROR);
    if (format == 0)
        return c.data.empty() ? 0 : c.data.front().first;
    for (std::size_t i = 0; i + 1 < c.data.size(); ++i)
        if (c.data[i].first == format)
            return c.data[i + 1].first;
    return 0;
}

UINT WINAPI RegisterClipboardFormatW(LPCWSTR lpszFormat) {
    return Register(lpszFormat ? std::u16string(lpszFormat) : std::u16string());
}

UINT WINAPI RegisterClipboardFormatA(LPCSTR lpszFormat) {
    std::u16string name;
    for (const char* p = lpszFormat; p && *p; ++p)
        name.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return Register(std::move(name));
}

int WINAPI GetClipboardFormatNameW(UINT format, LPWSTR lpszFormatName, int cchMaxCount) {
    Clipboard& c = TheClipboard();
    std::lock_guard guard(c.lock);
    if (format < kFirstRegisteredFormat || format - kFirstRegisteredFormat >= c.registered.size() ||
        !lpszFormatName || cchMaxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string& name = c.registered[format - kFirstRegisteredFormat];
    const std::size_t count = std::min(name.size(), static_cast<std::size_t>(cchMaxCount - 1));
    std::copy_n(name.data(), count, lpszFormatName);
    lpszFormatName[count] = 0;
    return static_cast<int>(count);
}
