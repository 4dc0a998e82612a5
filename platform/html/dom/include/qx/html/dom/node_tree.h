// The document's node tree: a document, its elements, texts and comments, with attributes in source
// order. Every node belongs to one tree; a node taken out of the tree (or made and not yet inserted)
// is an orphan that the tree keeps while anything refers to it (a node object, a collection) and
// frees once nothing does, so a node handed to a caller never points at freed memory.
#pragma once

#include "qx/html/ascii_case.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qx::html::dom {

enum class NodeType : std::uint8_t { Element = 1, Text = 3, Comment = 8, Document = 9 };

// How the source wrote an attribute: `free` (bare), `a=b`, `a="b"`, `a='b'`.
enum class AttributeQuote : std::uint8_t { Bare, Unquoted, Double, Single };

struct Attribute {
    std::u16string name; // as the source spelled it
    std::u16string value;
    AttributeQuote quote = AttributeQuote::Unquoted;
};

class NodeTree;
class NodePool;
struct Node;

// Hears every change of a tree's shape (live text ranges keep their boundaries with it): a node about
// to leave its parent (still linked), and a node just linked below its parent.
class TreeObserver {
public:
    virtual void NodeUnlinking(Node* node) = 0;
    virtual void NodeLinked(Node* node) = 0;

protected:
    ~TreeObserver() = default;
};

// What the styles keep for a node at run time (an element's runtime style, a STYLE or LINK element's
// sheet, the sheets script made for the document): made on first use, freed with the node.
struct NodeStyle;
struct NodeStyleDeleter {
    void operator()(NodeStyle* style) const;
};

struct Node {
    NodeType type;
    std::u16string name; // element: the tag name in lower case (ASCII letters only)
    std::u16string text; // text and comment: the content
    std::vector<Attribute> attributes;
    Node* parent = nullptr;
    Node* firstChild = nullptr;
    Node* lastChild = nullptr;
    Node* previous = nullptr;
    Node* next = nullptr;
    NodeTree* tree = nullptr;
    // How many holders (node objects, collections) keep this node; an orphan subtree none of whose
    // nodes is held is freed.
    std::uint32_t holds = 0;
    // The node's COM object while one lives (no reference held: the object clears it as it dies).
    void* object = nullptr;
    std::uint32_t uniqueNumber = 0; // 0 until uniqueID is first read
    std::unique_ptr<NodeStyle, NodeStyleDeleter> style;

    bool IsElement() const { return type == NodeType::Element; }
    bool Is(std::u16string_view tag) const { return type == NodeType::Element && name == tag; }
    std::size_t ChildCount() const;

    // The attribute of this name in any case; null when absent.
    Attribute* FindAttribute(std::u16string_view attributeName);
    const Attribute* FindAttribute(std::u16string_view attributeName) const;
    // The attribute's value, or `fallback` when absent.
    std::u16string_view AttributeValue(std::u16string_view attributeName,
                                       std::u16string_view fallback = {}) const;
    // Sets (or adds, at the end) an attribute; a new one is written unquoted where it can be.
    void SetAttribute(std::u16string_view attributeName, std::u16string_view value);
    bool RemoveAttribute(std::u16string_view attributeName);
};

// Pre-order walk below `root` (root excluded): the node after `node`, or null past the end.
Node* NextInTree(const Node* node, const Node* root);
bool IsInclusiveAncestor(const Node* ancestor, const Node* node);
// Whether an element's text children are written as they are (script, style, xml, ...).
bool IsRawTextElement(std::u16string_view tag);
bool IsVoidElement(std::u16string_view tag);
// ASCII case folding for tag and attribute names (shared with the styles).
using html::EqualsNoCase;
using html::LowerAscii;
using html::UpperAscii;

class NodeTree {
public:
    NodeTree();
    ~NodeTree();
    NodeTree(const NodeTree&) = delete;
    NodeTree& operator=(const NodeTree&) = delete;

    Node* Document() { return document_; }
    const Node* Document() const { return document_; }
    // The first element child of the document (HTML), the BODY below it; null when absent.
    Node* DocumentElement() const;
    Node* Body() const;

    // New nodes are orphans until inserted.
    Node* CreateElement(std::u16string_view tag);
    Node* CreateText(std::u16string_view text);
    Node* CreateComment(std::u16string_view text);
    // A copy of node (with its subtree when deep), an orphan.
    Node* Clone(const Node* node, bool deep);

    // Whether child may go below parent: not into itself or its descendants, not a document.
    static bool CanInsert(const Node* parent, const Node* child);
    // Moves child (from wherever it is) below parent before `before` (null: at the end). A move
    // that would put a node inside itself, into another tree or before a node that is not parent's
    // child is refused (false; nothing changes), since it would cut a subtree off from both the
    // document and the orphans.
    bool Insert(Node* parent, Node* child, Node* before);
    // A new node linked at the end of parent's children (the parser's way of building).
    Node* AppendNew(Node* parent, NodeType type);
    // Takes the node out of its parent; it becomes an orphan, freed at once when nothing holds it
    // (so a caller that goes on using it holds it first).
    void Remove(Node* node);
    // Takes the node out of its parent and keeps it as an orphan until the tree goes, whether held
    // or not (for nodes about to be inserted elsewhere).
    void Orphan(Node* node);
    // Removes every child of the node (its content is being replaced: innerHTML, innerText).
    void RemoveChildren(Node* node);
    // Hears each child RemoveChildren throws away, just before it leaves the tree.
    std::function<void(Node* child)> discarding;

    // Holders: a node object or collection holds its node while it lives.
    void Hold(Node* node);
    void Release(Node* node);

    // While one lives, nodes taken out of the tree are kept as orphans even when nothing holds
    // them, so that work of several steps (an editing command) may still look at a node an earlier
    // step took out (its parent is null) or put it back. They are freed when the last one goes,
    // unless held or linked again by then.
    class KeepRemoved {
    public:
        explicit KeepRemoved(NodeTree& tree);
        ~KeepRemoved();
        KeepRemoved(const KeepRemoved&) = delete;
        KeepRemoved& operator=(const KeepRemoved&) = delete;

    private:
        NodeTree& tree_;
    };

    // The nodes alive (the document included), and those the tree can reach: the document's and the
    // orphans' subtrees. They differ only when a node was lost, which would never be freed.
    std::size_t LiveNodeCount() const;
    std::size_t ReachableNodeCount() const;

    // Observers of the tree's shape; an observer removes itself before it goes.
    void AddObserver(TreeObserver* observer) { observers_.push_back(observer); }
    void RemoveObserver(TreeObserver* observer);

    // Bumped by every change to the tree's shape and to id and name attributes; caches compare it.
    std::uint64_t Version() const { return version_; }
    void Touch() {
        ++version_;
        TouchContent();
    }
    // Bumped by every change at all, other attributes and text included; layout compares it.
    std::uint64_t ContentVersion() const { return contentVersion_; }
    void TouchContent() {
        ++contentVersion_;
        Record(nullptr);
    }
    // A change at a known place: the attributes of `node`, or the children of `node` (shape: also
    // bumps Version()). Touch and TouchContent record changes whose place is not known.
    void Changed(const Node* node) {
        ++contentVersion_;
        Record(node);
    }
    void Reshaped(const Node* node) {
        ++version_;
        Changed(node);
    }
    // Where the document changed after a content version, so that layout can redo only that: the
    // nodes recorded (alive; a node freed since is dropped, its parent having been recorded as it
    // left), or `unknown` when some change did not say where or the record does not reach back.
    struct ChangeSet {
        bool unknown = false;
        std::vector<const Node*> nodes;
    };
    ChangeSet ChangesSince(std::uint64_t contentVersion) const;

    // The first element in tree order with this id (case-sensitive, as ids are), null when none.
    // After the first lookup, constant time until the tree changes.
    Node* ElementById(std::u16string_view id);
    // "ms__id" numbering for uniqueID.
    std::uint32_t NextUniqueNumber() { return ++uniqueCounter_; }

    // What the source had before the document element: the doctype as written, with the space after it.
    std::u16string doctype;
    // The document's charset as named where it came from ("utf-8", "ks_c_5601-1987").
    std::string charset = "utf-8";
    std::u16string url;

private:
    Node* Make(NodeType type);
    void FreeSubtree(Node* root);
    void Link(Node* parent, Node* child, Node* before);
    void Unlink(Node* node);
    void CollectIfUnheld(Node* orphanRoot);
    static Node* RootOf(Node* node);
    void Record(const Node* node);
    // Drops a node from the record: every entry as it is freed, or one with the oldest entry.
    void Forget(const Node* node, bool once = false);

    std::unique_ptr<NodePool> pool_; // first: the nodes go back to it
    Node* document_;
    std::unordered_set<Node*> orphans_;
    std::uint32_t keeping_ = 0;      // KeepRemoved guards alive
    std::vector<Node*> keptRemoved_; // orphan roots whose freeing waits for the guards
    std::uint64_t version_ = 0;
    std::uint64_t contentVersion_ = 0;
    std::uint32_t uniqueCounter_ = 0;
    std::uint64_t idIndexVersion_ = ~std::uint64_t{0};
    std::unordered_map<std::u16string, Node*> idIndex_;
    std::vector<TreeObserver*> observers_;
    // The last changes, oldest first: (content version, node; null where not known). Versions up to
    // changesFloor_ have left the record.
    std::vector<std::pair<std::uint64_t, const Node*>> changes_;
    std::unordered_map<const Node*, std::uint32_t> recorded_; // how often each node is in changes_
    std::uint64_t changesFloor_ = 0;
};

} // namespace qx::html::dom
