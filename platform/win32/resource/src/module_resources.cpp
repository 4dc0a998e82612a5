#include "module_resources.h"

#include "qx/module/loader.h"
#include "winerror.h"

namespace qx::resource {

std::optional<ResourceSet> ModuleResourceSet(HMODULE module) {
    auto bytes = qx::module::ModuleResources(module);
    if (!bytes) {
        SetLastError(ERROR_INVALID_HANDLE);
        return std::nullopt;
    }
    auto set = ResourceSet::Parse(*bytes);
    if (!set) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    }
    return set;
}

} // namespace qx::resource
