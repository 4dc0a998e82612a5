// Where OutputDebugStringA/W text goes: standard error unless a hook takes it.
#pragma once

#include <functional>
#include <string>

namespace qx::win32 {

// The hook gets the text in UTF-8 (ANSI text converted). An empty function restores standard
// error.
void SetDebugOutputHook(std::function<void(const std::string& utf8)> hook);

} // namespace qx::win32
