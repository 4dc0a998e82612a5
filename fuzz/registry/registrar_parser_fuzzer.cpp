// Registry scripts from anywhere: the parser must answer S_OK or DISP_E_EXCEPTION, within its
// bounds, and never let a replacement text change the tree.
#include "qx/win32/codepage.h"
#include "qx/win32/registry_script.h"

#include <cstdint>
#include <cstdlib>

namespace {

std::size_t CountEntries(const std::vector<qx::registrar::ScriptKey>& keys, std::size_t depth) {
    if (depth > qx::registrar::kMaxScriptDepth + 1)
        std::abort();
    std::size_t count = keys.size();
    for (const auto& key : keys) {
        if (key.flag != qx::registrar::KeyFlag::NamedValue &&
            (key.name.empty() || key.name.find(u'\\') != std::u16string::npos))
            std::abort();
        count += CountEntries(key.children, depth + 1);
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the encoding: even for UTF-8, odd for UTF-16LE.
    if (size == 0)
        return 0;
    std::u16string script;
    const bool wide = data[0] & 1;
    if (wide) {
        for (size_t i = 1; i + 1 < size; i += 2)
            script += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    } else if (!qx::win32::Utf8ToWideStrict(
                   std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), script)) {
        return 0;
    }
    qx::registrar::ReplacementMap replacements;
    replacements.Add(u"MODULE", u"/opt/it's } { a 'path'/%MODULE%/lib.so");
    qx::registrar::Script parsed;
    qx::registrar::ParseFailure failure;
    const HRESULT hr = qx::registrar::ParseScript(script, replacements, parsed, &failure);
    if (hr != S_OK && hr != DISP_E_EXCEPTION)
        std::abort();
    if (hr == S_OK) {
        std::size_t entries = 0;
        for (const auto& root : parsed.roots)
            entries += CountEntries(root.keys, 1);
        if (entries > qx::registrar::kMaxScriptEntries)
            std::abort();
    } else if (failure.message.empty() || failure.offset > script.size()) {
        std::abort();
    }
    return 0;
}
