// The memory gumbo parses in: blocks of power-of-two sizes out of large chunks, kept on free lists
// when gumbo frees them, and all given back at once when the parse is over. gumbo's own freeing of
// its tree (recursive, and as slow as the parse) is never needed.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace qx::html::dom {

class ParseArena {
public:
    ParseArena() = default;
    ~ParseArena();
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;

    void* Allocate(std::size_t size);
    void Free(void* block);

    // In the form gumbo's options take.
    static void* AllocateFor(void* arena, std::size_t size) {
        return static_cast<ParseArena*>(arena)->Allocate(size);
    }
    static void FreeFor(void* arena, void* block) { static_cast<ParseArena*>(arena)->Free(block); }

private:
    static constexpr std::size_t kClasses = 13; // 16 bytes to 64 KB
    static constexpr std::size_t kChunk = std::size_t{1} << 20;
    struct Large;

    void* Carve(std::size_t bytes);

    std::vector<std::unique_ptr<unsigned char[]>> chunks_;
    unsigned char* next_ = nullptr;
    std::size_t left_ = 0;
    void* free_[kClasses] = {};
    Large* large_ = nullptr;
};

} // namespace qx::html::dom
