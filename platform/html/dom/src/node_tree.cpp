#include "qx/html/dom/node_tree.h"

#include "node_pool.h"

#include <algorithm>
#include <array>

namespace qx::html::dom {

namespace {

bool IsInList(std::u16string_view tag, const std::u16string_view* list, std::size_t count) {
    return std::find(list, list + count, tag) != list + count;
}

} // namespace

bool IsRawTextElement(std::u16string_view tag) {
    static constexpr std::u16string_view kRaw[] = {u"script", u"style",   u"xml",      u"xmp",
                                                   u"iframe", u"noembed", u"noframes", u"plaintext"};
    return IsInList(tag, kRaw, std::size(kRaw));
}

bool IsVoidElement(std::u16string_view tag) {
    static constexpr std::u16string_view kVoid[] = {
        u"area", u"base",  u"basefont", u"bgsound", u"br",   u"col",  u"embed", u"frame",  u"hr",    u"image",
        u"img",  u"input", u"isindex",  u"keygen",  u"link", u"meta", u"param", u"source", u"track", u"wbr"};
    return IsInList(tag, kVoid, std::size(kVoid));
}

std::size_t Node::ChildCount() const {
    std::size_t count = 0;
    for (const Node* c = firstChild; c; c = c->next)
        ++count;
    return count;
}

Attribute* Node::FindAttribute(std::u16string_view attributeName) {
    for (Attribute& a : attributes)
        if (EqualsNoCase(a.name, attributeName))
            return &a;
    return nullptr;
}

const Attribute* Node::FindAttribute(std::u16string_view attributeName) const {
    return const_cast<Node*>(this)->FindAttribute(attributeName);
}

std::u16string_view Node::AttributeValue(std::u16string_view attributeName,
                                         std::u16string_view fallback) const {
    const Attribute* a = FindAttribute(attributeName);
    return a ? std::u16string_view(a->value) : fallback;
}

namespace {

// Lookups cache by id and name; other attributes leave the tree's version alone.
void TouchIfNaming(NodeTree* tree, const Node* node, std::u16string_view attributeName) {
    if (!tree)
        return;
    if (EqualsNoCase(attributeName, u"id") || EqualsNoCase(attributeName, u"name"))
        tree->Reshaped(node);
    else
        tree->Changed(node);
}

} // namespace

void Node::SetAttribute(std::u16string_view attributeName, std::u16string_view value) {
    if (Attribute* a = FindAttribute(attributeName)) {
        a->value = value;
        if (a->quote == AttributeQuote::Bare)
            a->quote = AttributeQuote::Unquoted;
    } else {
        attributes.push_back(
            Attribute{std::u16string(attributeName), std::u16string(value), AttributeQuote::Unquoted});
    }
    TouchIfNaming(tree, this, attributeName);
}

bool Node::RemoveAttribute(std::u16string_view attributeName) {
    for (auto a = attributes.begin(); a != attributes.end(); ++a) {
        if (EqualsNoCase(a->name, attributeName)) {
            attributes.erase(a);
            TouchIfNaming(tree, this, attributeName);
            return true;
        }
    }
    return false;
}

Node* NextInTree(const Node* node, const Node* root) {
    if (node->firstChild)
        return node->firstChild;
    while (node && node != root) {
        if (node->next)
            return node->next;
        node = node->parent;
    }
    return nullptr;
}

bool IsInclusiveAncestor(const Node* ancestor, const Node* node) {
    for (; node; node = node->parent)
        if (node == ancestor)
            return true;
    return false;
}

NodeTree::NodeTree() : pool_(std::make_unique<NodePool>()), document_(Make(NodeType::Document)) {
    document_->name = u"#document";
}

NodeTree::~NodeTree() {
    for (Node* orphan : orphans_)
        FreeSubtree(orphan);
    FreeSubtree(document_);
}

Node* NodeTree::Make(NodeType type) {
    Node* node = pool_->Make();
    node->type = type;
    node->tree = this;
    return node;
}

Node* NodeTree::CreateElement(std::u16string_view tag) {
    Node* node = Make(NodeType::Element);
    node->name = LowerAscii(tag);
    orphans_.insert(node);
    return node;
}

Node* NodeTree::CreateText(std::u16string_view text) {
    Node* node = Make(NodeType::Text);
    node->text = text;
    orphans_.insert(node);
    return node;
}

Node* NodeTree::CreateComment(std::u16string_view text) {
    Node* node = Make(NodeType::Comment);
    node->text = text;
    orphans_.insert(node);
    return node;
}

Node* NodeTree::Clone(const Node* node, bool deep) {
    auto copyOne = [this](const Node* from) {
        Node* to = Make(from->type == NodeType::Document ? NodeType::Element : from->type);
        to->name = from->type == NodeType::Document ? u"html" : from->name;
        to->text = from->text;
        to->attributes = from->attributes;
        return to;
    };
    Node* copy = copyOne(node);
    orphans_.insert(copy);
    if (!deep)
        return copy;
    // Walk the source in tree order, keeping the copy's insertion point in step.
    Node* target = copy;
    for (const Node* n = node->firstChild; n;) {
        Node* c = copyOne(n);
        c->parent = target;
        c->previous = target->lastChild;
        (target->lastChild ? target->lastChild->next : target->firstChild) = c;
        target->lastChild = c;
        if (n->firstChild) {
            target = c;
            n = n->firstChild;
            continue;
        }
        while (n != node && !n->next) {
            n = n->parent;
            target = target->parent;
        }
        n = (n == node) ? nullptr : n->next;
    }
    return copy;
}

bool NodeTree::CanInsert(const Node* parent, const Node* child) {
    if (child->type == NodeType::Document || parent->type == NodeType::Text ||
        parent->type == NodeType::Comment)
        return false;
    return !IsInclusiveAncestor(child, parent);
}

bool NodeTree::Insert(Node* parent, Node* child, Node* before) {
    if (!parent || !child || child->tree != this || parent->tree != this || !CanInsert(parent, child) ||
        (before && before->parent != parent))
        return false;
    if (before == child)
        return true; // already there
    if (Node* from = child->parent) {
        Unlink(child);
        Reshaped(from);
    } else {
        orphans_.erase(child);
    }
    Link(parent, child, before);
    Reshaped(parent);
    return true;
}

Node* NodeTree::AppendNew(Node* parent, NodeType type) {
    Node* node = Make(type);
    Link(parent, node, nullptr);
    return node;
}

void NodeTree::Link(Node* parent, Node* child, Node* before) {
    child->parent = parent;
    child->next = before;
    child->previous = before ? before->previous : parent->lastChild;
    (child->previous ? child->previous->next : parent->firstChild) = child;
    (before ? before->previous : parent->lastChild) = child;
    for (TreeObserver* observer : observers_)
        observer->NodeLinked(child);
}

void NodeTree::Unlink(Node* node) {
    for (TreeObserver* observer : observers_)
        observer->NodeUnlinking(node);
    Node* parent = node->parent;
    (node->previous ? node->previous->next : parent->firstChild) = node->next;
    (node->next ? node->next->previous : parent->lastChild) = node->previous;
    node->parent = node->previous = node->next = nullptr;
}

void NodeTree::Orphan(Node* node) {
    if (!node->parent)
        return;
    const Node* parent = node->parent;
    Unlink(node);
    orphans_.insert(node);
    Reshaped(parent);
}

void NodeTree::Remove(Node* node) {
    if (!node->parent)
        return;
    Orphan(node);
    CollectIfUnheld(node);
}

void NodeTree::RemoveChildren(Node* node) {
    while (Node* child = node->firstChild) {
        if (discarding) {
            // The listener may run code that moves the child; it goes only from where it still is.
            Hold(child);
            discarding(child);
            const bool stays = child->parent == node;
            Release(child);
            if (!stays)
                continue;
        }
        Remove(child);
    }
}

void NodeTree::Hold(Node* node) {
    ++node->holds;
}

void NodeTree::Release(Node* node) {
    if (node->holds == 0 || --node->holds != 0)
        return;
    Node* root = RootOf(node);
    if (root != document_)
        CollectIfUnheld(root);
}

Node* NodeTree::RootOf(Node* node) {
    while (node->parent)
        node = node->parent;
    return node;
}

NodeTree::KeepRemoved::KeepRemoved(NodeTree& tree) : tree_(tree) {
    ++tree_.keeping_;
}

NodeTree::KeepRemoved::~KeepRemoved() {
    if (--tree_.keeping_ != 0)
        return;
    // A root found again here may have been linked below another kept root freed before it: only
    // those still orphan roots are looked at (the set is consulted before the node is touched).
    std::vector<Node*> kept;
    kept.swap(tree_.keptRemoved_);
    for (Node* root : kept)
        if (tree_.orphans_.count(root))
            tree_.CollectIfUnheld(root);
}

void NodeTree::CollectIfUnheld(Node* orphanRoot) {
    if (keeping_) {
        keptRemoved_.push_back(orphanRoot);
        return;
    }
    for (const Node* n = orphanRoot; n; n = NextInTree(n, orphanRoot))
        if (n->holds)
            return;
    orphans_.erase(orphanRoot);
    FreeSubtree(orphanRoot);
    // Nothing in the document changed; caches of the shape look again all the same.
    ++version_;
    ++contentVersion_;
}

// Frees without recursion: the depth of a tree built by script is not bounded.
void NodeTree::FreeSubtree(Node* root) {
    Node* n = root;
    while (n) {
        if (n->firstChild) {
            n = n->firstChild;
            continue;
        }
        Node* parent = (n == root) ? nullptr : n->parent;
        if (parent)
            parent->firstChild = n->next;
        Forget(n);
        pool_->Free(n);
        n = parent;
    }
}

std::size_t NodeTree::LiveNodeCount() const {
    return pool_->LiveCount();
}

std::size_t NodeTree::ReachableNodeCount() const {
    std::size_t count = 0;
    auto countBelow = [&count](const Node* root) {
        for (const Node* n = root; n; n = NextInTree(n, root))
            ++count;
    };
    countBelow(document_);
    for (const Node* orphan : orphans_)
        countBelow(orphan);
    return count;
}

void NodeTree::RemoveObserver(TreeObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

Node* NodeTree::DocumentElement() const {
    for (Node* c = document_->firstChild; c; c = c->next)
        if (c->IsElement())
            return c;
    return nullptr;
}

Node* NodeTree::Body() const {
    Node* html = DocumentElement();
    if (!html)
        return nullptr;
    for (Node* c = html->firstChild; c; c = c->next)
        if (c->Is(u"body") || c->Is(u"frameset"))
            return c;
    return nullptr;
}

Node* NodeTree::ElementById(std::u16string_view id) {
    if (idIndexVersion_ != version_) {
        idIndex_.clear();
        for (Node* n = document_->firstChild; n; n = NextInTree(n, document_)) {
            if (!n->IsElement())
                continue;
            if (const Attribute* a = n->FindAttribute(u"id"))
                idIndex_.emplace(a->value, n);
        }
        idIndexVersion_ = version_;
    }
    auto found = idIndex_.find(std::u16string(id));
    return found == idIndex_.end() ? nullptr : found->second;
}

namespace {
constexpr std::size_t kRecordedChanges = 256;
}

void NodeTree::Record(const Node* node) {
    if (changes_.size() == kRecordedChanges) {
        changesFloor_ = changes_.front().first;
        Forget(changes_.front().second, true);
        changes_.erase(changes_.begin());
    }
    changes_.emplace_back(contentVersion_, node);
    if (node)
        ++recorded_[node];
}

void NodeTree::Forget(const Node* node, bool once) {
    if (!node || recorded_.empty())
        return;
    auto it = recorded_.find(node);
    if (it == recorded_.end())
        return;
    if (once) {
        if (--it->second == 0)
            recorded_.erase(it);
        return;
    }
    recorded_.erase(it);
    std::erase_if(changes_, [node](const auto& change) { return change.second == node; });
}

NodeTree::ChangeSet NodeTree::ChangesSince(std::uint64_t contentVersion) const {
    ChangeSet set;
    if (contentVersion < changesFloor_) {
        set.unknown = true;
        return set;
    }
    for (auto it = changes_.rbegin(); it != changes_.rend() && it->first > contentVersion; ++it) {
        if (!it->second) {
            set.unknown = true;
            set.nodes.clear();
            return set;
        }
        set.nodes.push_back(it->second);
    }
    return set;
}

} // namespace qx::html::dom
