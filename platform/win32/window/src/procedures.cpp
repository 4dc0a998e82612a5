#include "procedures.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "qx/win32/codepage.h"
#include "qx/win32/window_internals.h"
#include "winnls.h"

namespace qx::win32::window {
namespace {

// Stand-in values live in the upper, non-canonical half of the address space: calling one
// directly faults at once, as calling such a value does on Windows.
constexpr ULONG_PTR kStandInBase = 0xFFFF800000000000ull;

std::mutex g_standInLock;

std::vector<Procedure>& StandIns() {
    static auto* standIns = new std::vector<Procedure>;
    return *standIns;
}

std::mutex g_textMessagesLock;

std::unordered_map<UINT, TextParameter>& TextMessages() {
    static auto* messages =
        new std::unordered_map<UINT, TextParameter>{{WM_SETTEXT, TextParameter::InputString},
                                                    {WM_GETTEXT, TextParameter::OutputBuffer},
                                                    {WM_GETTEXTLENGTH, TextParameter::LengthAnswer}};
    return *messages;
}

bool FindTextMessage(UINT message, TextParameter* kind) {
    std::lock_guard guard(g_textMessagesLock);
    auto it = TextMessages().find(message);
    if (it == TextMessages().end()) {
        return false;
    }
    *kind = it->second;
    return true;
}

LRESULT Call(const Procedure& procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure.function(hwnd, message, wParam, lParam);
}

std::u16string WideOf(LPCSTR text) {
    return text == nullptr ? std::u16string() : AnsiToWide(text);
}

std::string AnsiOf(LPCWSTR text) {
    return text == nullptr ? std::string() : WideToAnsi(text);
}

// Copies `text` converted to UTF-16 into a buffer of `capacity` units, null included, without
// splitting a surrogate pair; returns the units copied.
LRESULT CopyAsWide(std::string_view text, WCHAR* buffer, size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    std::u16string wide = AnsiToWide(text);
    size_t count = std::min(wide.size(), capacity - 1);
    if (count > 0 && count < wide.size() && wide[count - 1] >= 0xD800 && wide[count - 1] < 0xDC00) {
        --count;
    }
    std::memcpy(buffer, wide.data(), count * sizeof(WCHAR));
    buffer[count] = u'\0';
    return static_cast<LRESULT>(count);
}

// The window text length in the caller's character set, found by reading the text.
LRESULT ExactTextLength(const Procedure& procedure, HWND hwnd, bool wideCaller) {
    LRESULT length = Call(procedure, hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) {
        return 0;
    }
    size_t capacity = static_cast<size_t>(length) + 1;
    if (procedure.wide) {
        std::u16string text(capacity, u'\0');
        LRESULT got = Call(procedure, hwnd, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
        return wideCaller ? static_cast<LRESULT>(text.size()) : static_cast<LRESULT>(WideToAnsi(text).size());
    }
    std::string text(capacity, '\0');
    LRESULT got = Call(procedure, hwnd, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
    return static_cast<LRESULT>(AnsiToWide(text).size());
}

LRESULT CallWithText(const Procedure& procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                     TextParameter kind) {
    bool toWide = procedure.wide;
    switch (kind) {
    case TextParameter::InputString:
        if (lParam == 0) {
            return Call(procedure, hwnd, message, wParam, lParam);
        }
        if (toWide) {
            std::u16string text = WideOf(reinterpret_cast<LPCSTR>(lParam));
            return Call(procedure, hwnd, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
        } else {
            std::string text = AnsiOf(reinterpret_cast<LPCWSTR>(lParam));
            return Call(procedure, hwnd, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
        }
    case TextParameter::OutputBuffer: {
        size_t capacity = static_cast<size_t>(wParam);
        if (lParam == 0 || capacity == 0) {
            return Call(procedure, hwnd, message, wParam, lParam);
        }
        if (toWide) {
            // An ANSI buffer of n bytes never holds more than n characters.
            std::u16string text(capacity, u'\0');
            LRESULT got = Call(procedure, hwnd, message, capacity, reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(capacity))));
            return CopyTextAsAnsi(text, reinterpret_cast<char*>(lParam), capacity);
        }
        // A character of a double-byte code page takes at most two bytes.
        size_t bytes = capacity * 2 + 1;
        std::string text(bytes, '\0');
        LRESULT got = Call(procedure, hwnd, message, bytes, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(bytes))));
        return CopyAsWide(text, reinterpret_cast<WCHAR*>(lParam), capacity);
    }
    case TextParameter::LengthAnswer: {
        if (message == WM_GETTEXTLENGTH) {
            return ExactTextLength(procedure, hwnd, !toWide);
        }
        LRESULT length = Call(procedure, hwnd, message, wParam, lParam);
        // A Unicode character becomes at most two ANSI bytes; an ANSI byte at most one unit.
        return toWide && length > 0 ? length * 2 : length;
    }
    }
    return 0;
}

// WM_NCCREATE and WM_CREATE carry a CREATESTRUCT whose strings follow the character set.
LRESULT CallWithCreateStruct(const Procedure& procedure, HWND hwnd, UINT message, WPARAM wParam,
                             LPARAM lParam) {
    if (lParam == 0) {
        return Call(procedure, hwnd, message, wParam, lParam);
    }
    if (procedure.wide) {
        CREATESTRUCTW cs;
        std::memcpy(&cs, reinterpret_cast<const CREATESTRUCTA*>(lParam), sizeof cs);
        auto* given = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        std::u16string name = WideOf(given->lpszName);
        std::u16string className = IS_INTRESOURCE(given->lpszClass) ? u"" : WideOf(given->lpszClass);
        cs.lpszName = given->lpszName ? name.c_str() : nullptr;
        cs.lpszClass = IS_INTRESOURCE(given->lpszClass) ? reinterpret_cast<LPCWSTR>(given->lpszClass)
                                                        : className.c_str();
        return Call(procedure, hwnd, message, wParam, reinterpret_cast<LPARAM>(&cs));
    }
    CREATESTRUCTA cs;
    std::memcpy(&cs, reinterpret_cast<const CREATESTRUCTW*>(lParam), sizeof cs);
    auto* given = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    std::string name = AnsiOf(given->lpszName);
    std::string className = IS_INTRESOURCE(given->lpszClass) ? "" : AnsiOf(given->lpszClass);
    cs.lpszName = given->lpszName ? name.c_str() : nullptr;
    cs.lpszClass =
        IS_INTRESOURCE(given->lpszClass) ? reinterpret_cast<LPCSTR>(given->lpszClass) : className.c_str();
    return Call(procedure, hwnd, message, wParam, reinterpret_cast<LPARAM>(&cs));
}

// Character messages: a Unicode procedure gets one UTF-16 unit for the two bytes of a
// double-byte character; an ANSI procedure gets the bytes of a character one by one.
LRESULT CallWithCharacter(const Procedure& procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (procedure.wide) {
        auto byte = static_cast<BYTE>(wParam & 0xFF);
        BYTE lead = 0;
        {
            Store& store = TheStore();
            std::lock_guard guard(store.lock);
            Window* window = FindLocked(store, hwnd);
            if (window != nullptr) {
                lead = window->pendingLeadByte;
                window->pendingLeadByte = 0;
                if (lead == 0 && IsDBCSLeadByte(byte)) {
                    window->pendingLeadByte = byte;
                    return 0;
                }
            }
        }
        char bytes[2] = {static_cast<char>(lead), static_cast<char>(byte)};
        std::u16string text =
            lead != 0 ? AnsiToWide(std::string_view(bytes, 2)) : AnsiToWide(std::string_view(bytes + 1, 1));
        WPARAM unit = text.empty() ? u'?' : text[0];
        return Call(procedure, hwnd, message, unit, lParam);
    }
    char16_t unit = static_cast<char16_t>(wParam & 0xFFFF);
    std::string bytes = WideToAnsi(std::u16string_view(&unit, 1));
    LRESULT result = 0;
    for (char b : bytes) {
        result = Call(procedure, hwnd, message, static_cast<BYTE>(b), lParam);
    }
    return result;
}

} // namespace

LRESULT CopyTextAsAnsi(std::u16string_view text, char* buffer, size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        size_t units = (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size()) ? 2 : 1;
        std::string bytes = WideToAnsi(text.substr(i, units));
        if (used + bytes.size() + 1 > capacity) {
            break;
        }
        std::memcpy(buffer + used, bytes.data(), bytes.size());
        used += bytes.size();
        i += units;
    }
    buffer[used] = '\0';
    return static_cast<LRESULT>(used);
}

Procedure ResolveProcedure(WNDPROC value, bool wideCaller) {
    auto raw = reinterpret_cast<ULONG_PTR>(value);
    if (raw > kStandInBase) {
        std::lock_guard guard(g_standInLock);
        size_t index = raw - kStandInBase - 1;
        if (index < StandIns().size()) {
            return StandIns()[index];
        }
        return Procedure{};
    }
    return Procedure{value, wideCaller};
}

WNDPROC ProcedureValue(const Procedure& procedure, bool wideCaller) {
    if (procedure.function == nullptr || procedure.wide == wideCaller) {
        return procedure.function;
    }
    std::lock_guard guard(g_standInLock);
    auto& standIns = StandIns();
    auto it = std::find(standIns.begin(), standIns.end(), procedure);
    size_t index = static_cast<size_t>(it - standIns.begin());
    if (it == standIns.end()) {
        standIns.push_back(procedure);
    }
    return reinterpret_cast<WNDPROC>(kStandInBase + index + 1);
}

LRESULT CallProcedure(const Procedure& procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                      bool wideCaller) {
    if (procedure.function == nullptr) {
        return 0;
    }
    if (procedure.wide == wideCaller) {
        return Call(procedure, hwnd, message, wParam, lParam);
    }
    if (message == WM_NCCREATE || message == WM_CREATE) {
        return CallWithCreateStruct(procedure, hwnd, message, wParam, lParam);
    }
    if (message == WM_CHAR || message == WM_SYSCHAR || message == WM_DEADCHAR) {
        return CallWithCharacter(procedure, hwnd, message, wParam, lParam);
    }
    TextParameter kind;
    if (FindTextMessage(message, &kind)) {
        return CallWithText(procedure, hwnd, message, wParam, lParam, kind);
    }
    return Call(procedure, hwnd, message, wParam, lParam);
}

} // namespace qx::win32::window

void qx::win32::RegisterTextMessage(UINT message, TextParameter kind) {
    std::lock_guard guard(window::g_textMessagesLock);
    window::TextMessages()[message] = kind;
}
