// The parsed resources of a module handle, for the functions of this library.
#pragma once

#include "qx/resource/resource_set.h"

#include <optional>

namespace qx::resource {

// The module's resource set; nullopt with the last error set when the handle is not a module
// (ERROR_RESOURCE_DATA_NOT_FOUND when its section is damaged).
std::optional<ResourceSet> ModuleResourceSet(HMODULE module);

} // namespace qx::resource
