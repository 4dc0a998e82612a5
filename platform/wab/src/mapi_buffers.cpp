#include "mapi_buffers.h"

#include "test_hooks.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace qx::wab {
namespace {

constexpr ULONG kRootMagic = 0x57414231;   // "WAB1"
constexpr ULONG kLinkedMagic = 0x57414232; // "WAB2"

// Sits before every block, keeping the block's own alignment at 16 bytes.
struct alignas(16) Header {
    ULONG magic;
    Header* next; // the next linked block of the same root
};

void* Payload(Header* h) {
    return h + 1;
}

Header* HeaderOf(void* payload) {
    return static_cast<Header*>(payload) - 1;
}

Header* NewBlock(ULONG size, ULONG magic) {
    auto* h = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (h == nullptr) {
        return nullptr;
    }
    h->magic = magic;
    h->next = nullptr;
    ++OutstandingBuffers();
    return h;
}

void DropBlock(Header* h) {
    h->magic = 0;
    std::free(h);
    --OutstandingBuffers();
}

} // namespace

HRESULT AllocateBlock(ULONG size, LPVOID* buffer) {
    if (buffer == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    Header* h = NewBlock(size, kRootMagic);
    *buffer = h ? Payload(h) : nullptr;
    return h ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

HRESULT AllocateLinked(ULONG size, LPVOID parent, LPVOID* buffer) {
    if (buffer == nullptr || parent == nullptr || HeaderOf(parent)->magic != kRootMagic) {
        return MAPI_E_INVALID_PARAMETER;
    }
    Header* h = NewBlock(size, kLinkedMagic);
    if (h == nullptr) {
        *buffer = nullptr;
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    Header* root = HeaderOf(parent);
    h->next = root->next;
    root->next = h;
    *buffer = Payload(h);
    return S_OK;
}

HRESULT FreeBlock(LPVOID buffer) {
    if (buffer == nullptr) {
        return S_OK;
    }
    Header* root = HeaderOf(buffer);
    if (root->magic != kRootMagic) {
        return MAPI_E_INVALID_PARAMETER;
    }
    for (Header* h = root->next; h != nullptr;) {
        Header* next = h->next;
        DropBlock(h);
        h = next;
    }
    DropBlock(root);
    return S_OK;
}

char* CopyLinked(LPVOID parent, const void* bytes, ULONG size, bool terminate) {
    LPVOID block = nullptr;
    if (FAILED(AllocateLinked(size + (terminate ? 1 : 0), parent, &block))) {
        return nullptr;
    }
    char* out = static_cast<char*>(block);
    if (size > 0) {
        std::memcpy(out, bytes, size);
    }
    if (terminate) {
        out[size] = 0;
    }
    return out;
}

} // namespace qx::wab
