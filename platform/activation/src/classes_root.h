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

// ProgIDs known to this process alone (the platform's own classes), asked before the registry.
// Names are matched without regard to case, as registry keys are; the class of a ProgID added
// twice is the later one, and a class's own ProgID is the last one added for it.
void AddProcessProgId(const std::u16string& progId, const CLSID& clsid);
void RemoveProcessProgId(const std::u16string& progId, const CLSID& clsid);
std::optional<CLSID> ProcessProgIdClass(const std::u16string& progId);
std::optional<std::u16string> ProcessClassProgId(const CLSID& clsid);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" of a GUID.
std::u16string GuidText(const GUID& guid);

} // namespace qx::activation
