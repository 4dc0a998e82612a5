// Orrin's component file: the module object and its object map. The classes of the list view behaviours
// take their rows here, each with the registry script the manifest already carries; until a
// class has its row, its script never runs and none of its keys are written.
#include "orrin_ids.h"

#include "server_module.h"

const GUID ComponentLibId = LIBID_ORRINLib;

BEGIN_OBJECT_MAP(ObjectMap)
END_OBJECT_MAP()
