// Hit testing down to a character: the text pieces placed in the element under a point, the one on
// the nearest line, and the character boundary nearest the point within it.
#include "box_model.h"

#include <limits>
#include <utility>

namespace qx::html::layout {

namespace {

// How far a point lies outside a rectangle along one axis (0 inside).
int Distance(int v, int low, int high) {
    return v < low ? low - v : (v >= high ? v - high + 1 : 0);
}

std::size_t OffsetInPiece(const TextPiece& piece, int x) {
    if (piece.space)
        return x < piece.rect.left + piece.rect.width / 2 ? piece.start : piece.end;
    const std::u16string& text = piece.text->text;
    int left = piece.rect.left;
    for (std::size_t i = piece.start; i < piece.end && i < text.size(); ++i) {
        const int advance = Advance(text[i], piece.font);
        if (x < left + advance / 2)
            return i;
        left += advance;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < piece.end)
            ++i; // a surrogate pair is one character
    }
    return piece.end;
}

} // namespace

TextPosition PageLayout::TextPositionFromPoint(int clientX, int clientY) {
    const dom::Node* hit = ElementFromPoint(clientX, clientY);
    if (!hit)
        return {};
    const Model& m = Current();
    auto found = m.index.find(hit);
    if (found == m.index.end())
        return {hit, 0};
    const ElementMetrics body = Metrics(m.body);
    const int x = clientX + body.scrollLeft, y = clientY + body.scrollTop;
    const TextPiece* best = nullptr;
    std::pair<int, int> bestDistance{std::numeric_limits<int>::max(), 0};
    for (std::size_t i = static_cast<std::size_t>(found->second); i < m.boxes[found->second].end; ++i) {
        for (const TextPiece& piece : m.boxes[i].texts) {
            const std::pair<int, int> distance{Distance(y, piece.rect.top, piece.rect.Bottom()),
                                               Distance(x, piece.rect.left, piece.rect.Right())};
            if (distance < bestDistance) {
                bestDistance = distance;
                best = &piece;
            }
        }
    }
    if (best)
        return {best->text, OffsetInPiece(*best, x)};
    // A replaced element (an image, a field) holds no caret: the place beside it, on the side nearer
    // the point. Any other element without text holds it itself.
    const Box& box = m.boxes[found->second];
    if (box.display != Display::Replaced || !hit->parent)
        return {hit, 0};
    std::size_t index = 0;
    for (const dom::Node* c = hit->parent->firstChild; c != hit; c = c->next)
        ++index;
    return {hit->parent, index + (x >= box.border.left + box.border.width / 2 ? 1 : 0)};
}

} // namespace qx::html::layout
