// A node tree as indented lines (element names, attributes in order, text, comments), the form in
// which parsing tests compare trees.
#pragma once

#include <qx/html/dom/node_tree.h>
#include <qx/win32/codepage.h>

#include <string>

namespace qx::test {

// `collapse` folds runs of white space in text and drops text that is only white space (what a
// comparison with another browser's serialisation needs).
inline std::string DumpTree(const html::dom::Node* root, bool collapse = false) {
    using html::dom::Node;
    using html::dom::NodeType;
    std::string out;
    auto depthOf = [root](const Node* n) {
        int depth = 0;
        for (; n != root; n = n->parent)
            ++depth;
        return depth;
    };
    for (const Node* n = root->firstChild; n; n = html::dom::NextInTree(n, root)) {
        std::string line(static_cast<std::size_t>(depthOf(n) * 2), ' ');
        if (n->type == NodeType::Element) {
            line += win32::WideToUtf8(n->name);
            for (const auto& a : n->attributes)
                line += " " + win32::WideToUtf8(html::dom::LowerAscii(a.name)) + "=\"" +
                        win32::WideToUtf8(a.value) + "\"";
        } else if (n->type == NodeType::Comment) {
            if (collapse)
                continue;
            line += "<!--" + win32::WideToUtf8(n->text) + "-->";
        } else {
            std::string text = win32::WideToUtf8(n->text);
            if (collapse) {
                std::string folded;
                for (char c : text) {
                    const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
                    if (space && (folded.empty() || folded.back() == ' '))
                        continue;
                    folded += space ? ' ' : c;
                }
                while (!folded.empty() && folded.back() == ' ')
                    folded.pop_back();
                if (folded.empty())
                    continue;
                text = folded;
            }
            line += "\"" + text + "\"";
        }
        out += line + "\n";
    }
    return out;
}

} // namespace qx::test
