// Where a tree's nodes live: slots cut from large blocks, reused through a free list, so that a
// parse of tens of thousands of elements costs no allocation per node. The blocks of a tree that
// goes are kept by the thread for the next tree, so a parse does not fault in fresh pages.
#pragma once

#include "qx/html/dom/node_tree.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace qx::html::dom {

class NodePool {
public:
    NodePool() = default;
    // Every node made must have been freed first.
    ~NodePool();
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    Node* Make();
    void Free(Node* node);
    // Nodes made and not yet freed.
    std::size_t LiveCount() const { return live_; }

private:
    union Slot {
        Slot() {}
        ~Slot() {}
        Node node;
        Slot* nextFree;
    };
    static constexpr std::size_t kSlotsPerBlock = 1024;
    static std::vector<std::unique_ptr<Slot[]>>& KeptBlocks();

    std::vector<std::unique_ptr<Slot[]>> blocks_;
    Slot* unused_ = nullptr; // the rest of the newest block
    std::size_t unusedCount_ = 0;
    Slot* free_ = nullptr;
    std::size_t live_ = 0;
};

} // namespace qx::html::dom
