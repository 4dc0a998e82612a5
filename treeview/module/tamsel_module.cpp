// Tamsel's component file: the module object and its object map. The classes of the tree view behaviours
// take their rows here, each with the registry script the manifest already carries; until a
// class has its row, its script never runs and none of its keys are written.
#include "tamsel_ids.h"

#include "server_module.h"

const GUID ComponentLibId = LIBID_TAMSELLib;

BEGIN_OBJECT_MAP(ObjectMap)
END_OBJECT_MAP()
