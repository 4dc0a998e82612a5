// Tamsel.TreeViewFactory: the element behaviour factory of the tree ("TreeView") and of its nodes
// ("TreeNode"). The tree keeps a private one whose back pointer is itself; one that page markup or
// script creates has none, and the nodes it makes belong to no tree.
#pragma once

#include "mshtml.h"
#include "tamsel_ids.h"

#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>
#include <qx/com/object_safety.h>

class CTreeViewBehavior;

class CTreeViewFactory
    : public qx::com::ObjectRoot,
      public qx::com::DispatchImpl<ITreeViewFactory>,
      public IElementBehaviorFactory,
      public qx::com::ObjectSafetyImpl<INTERFACESAFE_FOR_UNTRUSTED_CALLER, qx::com::SafetyPolicy::Lenient,
                                       INTERFACESAFE_FOR_UNTRUSTED_CALLER> {
public:
    QX_BEGIN_INTERFACES(CTreeViewFactory)
    QX_INTERFACE_ENTRY(ITreeViewFactory)
    QX_INTERFACE_ENTRY2(IDispatch, ITreeViewFactory)
    QX_INTERFACE_ENTRY(IElementBehaviorFactory)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_END_INTERFACES()

    QX_OVERRIDES_IElementBehaviorFactory;

    // The tree whose nodes this factory makes; plain, cleared by the tree when it goes.
    CTreeViewBehavior* tree_ = nullptr;
};
