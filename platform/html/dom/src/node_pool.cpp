#include "node_pool.h"

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define QX_NODE_POOL_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QX_NODE_POOL_POISONS 1
#endif
#endif
#ifdef QX_NODE_POOL_POISONS
#include <sanitizer/asan_interface.h>
#endif

namespace qx::html::dom {

namespace {

// Under the address sanitizer a free slot is poisoned, so that a node used after the tree freed it
// is reported where it is used, not hidden by the slot's reuse.
void Poison(void* memory, std::size_t size) {
#ifdef QX_NODE_POOL_POISONS
    ASAN_POISON_MEMORY_REGION(memory, size);
#else
    (void)memory;
    (void)size;
#endif
}

void Unpoison(void* memory, std::size_t size) {
#ifdef QX_NODE_POOL_POISONS
    ASAN_UNPOISON_MEMORY_REGION(memory, size);
#else
    (void)memory;
    (void)size;
#endif
}

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
    for (auto& block : blocks_) {
        Unpoison(block.get(), sizeof(Slot) * kSlotsPerBlock);
        if (kept.size() < kKeptBlocks)
            kept.push_back(std::move(block));
    }
}

Node* NodePool::Make() {
    Slot* slot = free_;
    if (slot) {
        Unpoison(slot, sizeof(Slot));
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
    ++live_;
    return new (&slot->node) Node{};
}

void NodePool::Free(Node* node) {
    --live_;
    node->~Node();
    Slot* slot = reinterpret_cast<Slot*>(node);
    slot->nextFree = free_;
    free_ = slot;
    Poison(slot, sizeof(Slot));
}

} // namespace qx::html::dom
