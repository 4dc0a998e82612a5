// Kestrum.RegScript: opens registry keys by hive index, lists subkeys as RegEnumList objects,
// reads default values and deletes key trees. RegEnumList is made only by GetEnumListKey.
#pragma once

#include "kestrum_interfaces.h"
#include "registry_ex.h"

#include <qx/com/dispatch.h>
#include <qx/com/object.h>

#include <string>
#include <vector>

class CRegEnumList : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IRegEnumList> {
public:
    QX_BEGIN_INTERFACES(CRegEnumList)
    QX_INTERFACE_ENTRY(IRegEnumList)
    QX_INTERFACE_ENTRY2(IDispatch, IRegEnumList)
    QX_END_INTERFACES()

    // Takes the names over (they are moved, not copied).
    void SetNames(std::vector<std::string>&& names);

    QX_OVERRIDES_IRegEnumList;

private:
    std::vector<std::string> m_names;
    LONG m_count = 0;
};

class CRegScript : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IRegScript> {
public:
    QX_BEGIN_INTERFACES(CRegScript)
    QX_INTERFACE_ENTRY(IRegScript)
    QX_INTERFACE_ENTRY2(IDispatch, IRegScript)
    QX_END_INTERFACES()

    CRegScript();

    QX_OVERRIDES_IRegScript;

    // The predefined key of a hive index (0 HKEY_CLASSES_ROOT .. 4 HKEY_CURRENT_CONFIG); null
    // outside the table.
    static HKEY HiveFromIndex(LONG hiveIndex);

private:
    RegistryEx m_registry;
};
