// Tamsel.TreeViewBehavior: the behaviour that turns a container DIV into a tree. It owns the data
// document, the colour, icon and connector tables, the root node, the node map and the selection;
// the nodes are TreeNodeBehaviors on DIVs inside the container.
#pragma once

#include "mshtml.h"
#include "msxml.h"
#include "tamsel_ids.h"
#include "tree_records.h"

#include <qx/com/comptr.h>
#include <qx/com/dispatch.h>
#include <qx/com/error_info.h>
#include <qx/com/object.h>

#include <map>
#include <string>
#include <vector>

class CTreeNodeBehavior;
class CTreeViewFactory;

// String table ids of the script events and the two display values.
enum TreeString : UINT {
    kStrSelChanging = 115,
    kStrSelChanged,
    kStrNodeClick,
    kStrNodeDblClick,
    kStrNodeExpanding,
    kStrNodeExpanded,
    kStrNodeCollapsing,
    kStrNodeCollapsed,
    kStrRequestData,
    kStrHeritageIconClick,
    kStrDisplayBlock,
    kStrDisplayNone,
};

// Deeper nodes end a load with E_INVALIDARG.
inline constexpr LONG kMaxTreeDepth = 256;

class CTreeViewBehavior : public qx::com::ObjectRoot,
                          public qx::com::DispatchImpl<ITreeViewBehavior>,
                          public IElementBehavior,
                          public qx::com::SupportErrorInfoImpl<ITreeViewBehavior> {
public:
    QX_BEGIN_INTERFACES(CTreeViewBehavior)
    QX_INTERFACE_ENTRY(ITreeViewBehavior)
    QX_INTERFACE_ENTRY2(IDispatch, ITreeViewBehavior)
    QX_INTERFACE_ENTRY(IElementBehavior)
    QX_INTERFACE_ENTRY(ISupportErrorInfo)
    QX_END_INTERFACES()

    HRESULT FinalConstruct();
    void FinalRelease();

    QX_OVERRIDES_ITreeViewBehavior;
    QX_OVERRIDES_IElementBehavior;

    // --- used by the nodes ---
    CTreeNodeBehavior* NodeOf(IHTMLElement* element); // the root for the container
    void EnterNode(const std::string& key, CTreeNodeBehavior* node);
    void ForgetNode(const std::string& key, CTreeNodeBehavior* node);
    void FireScriptEvent(UINT id, CTreeNodeBehavior* node);
    std::u16string LoadText(UINT id) const;
    HRESULT ResolveUrl(BSTR text, std::string& address);
    qx::com::Bstr DownloadIcon(BSTR address, bool download);
    // A load or insertion is building nodes: changes of structure are refused meanwhile.
    bool Building() const { return buildDepth_ > 0; }

    qx::com::ComPtr<IHTMLElement> element_;
    qx::com::ComPtr<IHTMLElement2> element2_;
    qx::com::ComPtr<IHTMLDocument2> document_;
    qx::com::ComPtr<IXMLDOMDocument> xml_;
    qx::com::ComPtr<IUnknown> factoryUnknown_;
    CTreeViewFactory* factory_ = nullptr;
    qx::com::ComPtr<IUnknown> rootUnknown_;
    CTreeNodeBehavior* root_ = nullptr;
    CTreeNodeBehavior* selected_ = nullptr;
    LONG hotTracking_ = 0;
    LONG multiSelectAble_ = 0;
    LONG enable_ = 1;
    LONG async_ = 0;
    LONG dataReady_ = 1;
    int buildDepth_ = 0;
    qx::com::Bstr sortType_{u"NORMAL"};
    qx::com::Bstr modulePath_;
    IconEntry builtInIcons_, defaultIcons_;
    ColorEntry builtInColors_, defaultColors_;
    std::vector<ColorEntry> colorTable_;
    std::vector<IconEntry> iconTable_;
    std::vector<HeritageSet> heritageSets_;
    HeritageSet builtInHeritage_, activeHeritage_;

private:
    using Bstr = qx::com::Bstr;
    HRESULT StyleContainer();
    void SetUpBuiltIns();
    void InitRootNode();
    Bstr ExtractIconResource(const char* name);
    void ReleaseNodes();
    // Data loading (tree_data_loader.cpp).
    HRESULT LoadDataSource(const VARIANT& source);
    HRESULT LoadTreeData(IXMLDOMNode* data);
    HRESULT LoadDocumentData(IDispatch* document);
    void LoadColorSections(IXMLDOMNode* data);
    void LoadNodeIconSections(IXMLDOMNode* data);
    void LoadHeritageSections(IXMLDOMNode* data);
    bool DownloadFlag(IXMLDOMNode* element);
    HRESULT ExportTree(VARIANT* result);
    static HRESULT GetColor(const ColorEntry& entry, int slot, VARIANT* value);
    static void PutColor(ColorEntry& entry, int slot, const VARIANT& value);
    bool IsProcessRunning(const std::string& name);

    qx::com::ComPtr<IElementBehaviorSite> site_;
    qx::com::ComPtr<IElementBehaviorSiteOM> siteOM_;
    std::map<std::string, CTreeNodeBehavior*> nodes_;

    friend class CTreeNodeBehavior;
};
