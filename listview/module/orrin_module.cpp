// Orrin's component file: the module object and its object map, the seven classes of the list
// view in the order of their registry scripts. CellBehavior is in the type library only.
#include "com_ctrl_factory.h"
#include "head_behavior.h"
#include "header_collection.h"
#include "list_view_behavior.h"
#include "multi_sel_coll.h"
#include "orrin_ids.h"
#include "row_behavior.h"
#include "row_collection.h"

#include "server_module.h"

const GUID ComponentLibId = LIBID_ORRINLib;

typedef CServerClass<orrin::CComCtrlFactory, 107> CComCtrlFactoryServer;
typedef CServerClass<orrin::CListViewBehavior, 101> CListViewBehaviorServer;
typedef CServerClass<orrin::CHeadBehavior, 106> CHeadBehaviorServer;
typedef CServerClass<orrin::CRowBehavior, 103> CRowBehaviorServer;
typedef CServerClass<orrin::CHeaderCollection, 105> CHeaderCollectionServer;
typedef CServerClass<orrin::CRowCollection, 102> CRowCollectionServer;
typedef CServerClass<orrin::CMultiSelColl, 108> CMultiSelCollServer;

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_ComCtrlFactory, CComCtrlFactoryServer)
OBJECT_ENTRY(CLSID_ListViewBehavior, CListViewBehaviorServer)
OBJECT_ENTRY(CLSID_HeadBehavior, CHeadBehaviorServer)
OBJECT_ENTRY(CLSID_RowBehavior, CRowBehaviorServer)
OBJECT_ENTRY(CLSID_HeaderCollection, CHeaderCollectionServer)
OBJECT_ENTRY(CLSID_RowCollection, CRowCollectionServer)
OBJECT_ENTRY(CLSID_MultiSelColl, CMultiSelCollServer)
END_OBJECT_MAP()
