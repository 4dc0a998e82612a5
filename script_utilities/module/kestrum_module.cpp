// Kestrum's component file: the module's object map with the four classes that script
// creates. RegEnumList keeps its registry script (104) but has no row: only RegScript makes it.
#include "calendar_object.h"
#include "contact_io.h"
#include "kestrum_interfaces.h"
#include "misc_func.h"
#include "reg_script.h"
#include "server_module.h"

const GUID ComponentLibId = LIBID_KESTRUMLib;

typedef CServerClass<CCalendar, 101, SafeForScriptingCategories> CCalendarServer;
typedef CServerClass<CMiscFunc, 102, SafeForScriptingCategories> CMiscFuncServer;
typedef CServerClass<CRegScript, 103, SafeForScriptingCategories> CRegScriptServer;
typedef CServerClass<CContactIO, 105, SafeForScriptingCategories> CContactIOServer;

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_Calendar, CCalendarServer)
OBJECT_ENTRY(CLSID_MiscFunc, CMiscFuncServer)
OBJECT_ENTRY(CLSID_RegScript, CRegScriptServer)
OBJECT_ENTRY(CLSID_ContactIO, CContactIOServer)
END_OBJECT_MAP()
