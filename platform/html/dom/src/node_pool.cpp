#include "node_pool.h"

#include <new>

namespace qx::html::dom {

namespace {

// About 64,000 nodes' worth of blocks stay with the thread between trees.
constexpr std::size_t kKeptBlocks = 64;

} // namespace

// The blocks of trees that went, per thread (a block is only memory: any thread may reuse it);
// their nodes were destroyed before the block was kept.
std::vector<std::unique_ptr<NodePool::Slot[]>>& NodePool::KeptBlocks() {
    thread_local std::vector<std::unique_ptr<Slot[]>> kept;
    return kept;
}

NodePool::~NodePool() {
    auto& kept = KeptBlocks();
    for (auto& block : blocks_)
        if (kept.size() < kKeptBlocks)
            kept.push_back(std::move(block));
}

Node* NodePool::Make() {
    Slot* slot = free_;
    if (slot) {
        free_ = slot->nextFree;
    } else {
        if (unusedCount_ == 0) {
            auto& kept = KeptBlocks();
            if (kept.empty()) {
                blocks_.push_back(std::make_unique<Slot[]>(kSlotsPerBlock));
            } else {
                blocks_.push_back(std::move(kept.back()));
                kept.pop_back();
            }
            unused_ = blocks_.back().get();
            unusedCount_ = kSlotsPerBlock;
        }
        slot = unused_++;
        --unusedCount_;
    }
    return new (&slot->node) Node{};
}

void NodePool::Free(Node* node) {
    node->~Node();
    Slot* slot = reinterpret_cast<Slot*>(node);
    slot->nextFree = free_;
    free_ = slot;
}

} // namespace qx::html::dom
