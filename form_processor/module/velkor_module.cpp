// Velkor's component file: the module object and its object map. The control is the only class
// with a row; the field classes keep their registry scripts but are made only by the control.
#include "velkor_control.h"
#include "velkor_interfaces.h"

#include "server_module.h"

const GUID ComponentLibId = LIBID_VELKORLib;

typedef CServerClass<CVelkor, 103> CVelkorServer;

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_Velkor, CVelkorServer)
END_OBJECT_MAP()
