#include "qx/resource/version_block.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace qx::resource {
namespace {

std::uint16_t Read16(std::span<const std::byte> b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned>(b[at]) | (static_cast<unsigned>(b[at + 1]) << 8));
}

std::size_t Align4(std::size_t v) {
    return (v + 3) & ~static_cast<std::size_t>(3);
}

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

struct Node {
    std::size_t start = 0;
    std::size_t end = 0; // start + wLength
    std::size_t valueStart = 0;
    std::size_t valueBytes = 0;
    std::size_t childrenStart = 0;
    bool isText = false;
    std::u16string key;
};

// Reads the block at `start` that must end by `limit`.
std::optional<Node> ReadNode(std::span<const std::byte> b, std::size_t start, std::size_t limit) {
    if (start > limit || limit - start < 6) {
        return std::nullopt;
    }
    Node n;
    n.start = start;
    std::size_t length = Read16(b, start);
    std::size_t valueLength = Read16(b, start + 2);
    std::uint16_t type = Read16(b, start + 4);
    if (length < 6 || length > limit - start) {
        return std::nullopt;
    }
    n.end = start + length;
    n.isText = type == 1;
    std::size_t at = start + 6;
    for (;;) {
        if (n.end - at < 2) {
            return std::nullopt; // key without its terminator
        }
        char16_t c = Read16(b, at);
        at += 2;
        if (c == 0) {
            break;
        }
        n.key.push_back(c);
    }
    n.valueStart = std::min(Align4(at), n.end);
    // Text values count UTF-16 units, binary ones bytes; neither may leave the block.
    std::size_t wanted = n.isText ? valueLength * 2 : valueLength;
    n.valueBytes = std::min(wanted, n.end - n.valueStart);
    n.childrenStart = std::min(Align4(n.valueStart + n.valueBytes), n.end);
    return n;
}

bool SameKey(const std::u16string& key, std::string_view part) {
    if (key.size() != part.size()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (Lower(key[i]) != Lower(static_cast<unsigned char>(part[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::size_t VersionBlockLength(std::span<const std::byte> block) {
    auto root = ReadNode(block, 0, block.size());
    if (!root || root->key != u"VS_VERSION_INFO") {
        return 0;
    }
    return root->end;
}

std::optional<VersionValue> FindVersionValue(std::span<const std::byte> block, std::string_view subBlock) {
    auto node = ReadNode(block, 0, block.size());
    if (!node || node->key != u"VS_VERSION_INFO") {
        return std::nullopt;
    }
    bool isRoot = true;
    std::size_t pos = 0;
    while (pos < subBlock.size()) {
        if (subBlock[pos] == '\\') {
            ++pos;
            continue;
        }
        std::size_t stop = subBlock.find('\\', pos);
        std::string_view part =
            subBlock.substr(pos, stop == std::string_view::npos ? std::string_view::npos : stop - pos);
        pos = stop == std::string_view::npos ? subBlock.size() : stop;
        std::optional<Node> found;
        std::size_t child = node->childrenStart;
        // Each child is at least 6 bytes long, so this walk ends.
        while (child < node->end) {
            auto next = ReadNode(block, child, node->end);
            if (!next) {
                break;
            }
            if (SameKey(next->key, part)) {
                found = next;
                break;
            }
            child = Align4(next->end);
        }
        if (!found) {
            return std::nullopt;
        }
        node = found;
        isRoot = false;
    }
    VersionValue value;
    value.offset = node->valueStart;
    value.bytes = node->valueBytes;
    value.isText = node->isText && !isRoot;
    value.isRoot = isRoot;
    return value;
}

} // namespace qx::resource
