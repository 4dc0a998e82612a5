// Reading HKEY_CLASSES_ROOT for activation.
#pragma once

#include "guiddef.h"
#include "wintypes.h"

#include <optional>
#include <string>

namespace qx::activation {

// The default value (REG_SZ or REG_EXPAND_SZ) of HKEY_CLASSES_ROOT\<subKey>; nullopt when the key
// or the value is missing or holds another type.
std::optional<std::u16string> ReadClassesRootDefault(const std::u16string& subKey);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" of a GUID.
std::u16string GuidText(const GUID& guid);

} // namespace qx::activation
