// Tamsel's component file: the module object and its object map, in registry-script order.
#include "tamsel_ids.h"
#include "tree_node_behavior.h"
#include "tree_view_behavior.h"
#include "tree_view_factory.h"

#include "server_module.h"

const GUID ComponentLibId = LIBID_TAMSELLib;

typedef CServerClass<CTreeNodeBehavior, 102> CTreeNodeBehaviorServer;
typedef CServerClass<CTreeViewBehavior, 103> CTreeViewBehaviorServer;
typedef CServerClass<CTreeViewFactory, 101> CTreeViewFactoryServer;

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_TreeNodeBehavior, CTreeNodeBehaviorServer)
OBJECT_ENTRY(CLSID_TreeViewBehavior, CTreeViewBehaviorServer)
OBJECT_ENTRY(CLSID_TreeViewFactory, CTreeViewFactoryServer)
END_OBJECT_MAP()
