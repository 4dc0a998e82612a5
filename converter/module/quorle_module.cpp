// Quorle's component file: its type library's identifier and its object map. Convert is safe
// for scripting and initialising; MailFormat has no categories. Neither aggregates.
#include "convert.h"
#include "mail_format.h"
#include "server_module.h"

const GUID ComponentLibId = LIBID_QUORLELib;

typedef CServerClass<CConvert, 101, SafeForScriptingCategories> CConvertServer;
typedef CServerClass<CMailFormat, 104> CMailFormatServer;

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_Convert, CConvertServer)
OBJECT_ENTRY(CLSID_MailFormat, CMailFormatServer)
END_OBJECT_MAP()
