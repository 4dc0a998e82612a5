// The ProgIDs of classes that live in the program itself: no registry key names them, so they
// work with a registry that is read-only, damaged or someone else's.
#include "classes_root.h"

#include "objbase.h"

#include <mutex>
#include <utility>
#include <vector>

namespace qx::activation {
namespace {

struct ProcessProgIds {
    std::mutex lock;
    std::vector<std::pair<std::u16string, CLSID>> names; // in the order added
};

ProcessProgIds& Table() {
    static auto* table = new ProcessProgIds; // outlives every static destructor that may revoke
    return *table;
}

char16_t FoldCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

} // namespace

void AddProcessProgId(const std::u16string& progId, const CLSID& clsid) {
    std::lock_guard guard(Table().lock);
    Table().names.emplace_back(progId, clsid);
}

void RemoveProcessProgId(const std::u16string& progId, const CLSID& clsid) {
    std::lock_guard guard(Table().lock);
    auto& names = Table().names;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (SameName(it->first, progId) && IsEqualGUID(it->second, clsid)) {
            names.erase(std::next(it).base());
            return;
        }
    }
}

std::optional<CLSID> ProcessProgIdClass(const std::u16string& progId) {
    std::lock_guard guard(Table().lock);
    const auto& names = Table().names;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        if (SameName(it->first, progId))
            return it->second;
    return std::nullopt;
}

std::optional<std::u16string> ProcessClassProgId(const CLSID& clsid) {
    std::lock_guard guard(Table().lock);
    const auto& names = Table().names;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        if (IsEqualGUID(it->second, clsid))
            return it->first;
    return std::nullopt;
}

} // namespace qx::activation
