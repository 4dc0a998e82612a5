// The registrar: runs a registry script (the text kept as a component's REGISTRY resource)
// against the registry, to register or unregister what it describes.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {241828DA-76FC-412D-8FFC-099704F25959} = s 'Convert Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
#pragma once

#include "winerror.h"
#include "wintypes.h"

#include <map>
#include <string>
#include <string_view>

namespace qx::registrar {

// Texts put in for %NAME% in the script's names and values; names match without regard to case.
class ReplacementMap {
public:
    void Add(std::u16string_view name, std::u16string_view value);
    void Add(std::string_view nameUtf8, std::string_view valueUtf8);
    const std::u16string* Find(std::u16string_view name) const;

private:
    std::map<std::u16string, std::u16string> entries_; // by upper-cased name
};

// Register (doRegister) creates the script's keys and values; unregister removes the keys the
// script does not mark NoRemove, with everything below them. All of it happens as one registry
// transaction: a failure leaves the registry as it was. S_OK, DISP_E_EXCEPTION for a script that
// does not parse (or names an unknown replacement), else HRESULT_FROM_WIN32 of the registry error.
HRESULT RunScript(std::u16string_view script, const ReplacementMap& replacements, bool doRegister);
// The same for a script in UTF-8 (a byte order mark is skipped).
HRESULT RunScript(std::string_view scriptUtf8, const ReplacementMap& replacements, bool doRegister);

} // namespace qx::registrar
