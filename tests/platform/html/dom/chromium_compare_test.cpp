// Our parser against Chromium's: each corpus page goes through `chromium --dump-dom` (no page of the
// corpus has script that changes the tree), and the page and Chromium's serialisation of it, parsed
// by us, must give the same element tree. The pages go to Chromium four at a time.
// Normalisation: comments and white-space-only text dropped, runs of white space folded to one
// space, attribute names in lower case, and the content of XML data islands left out (we keep it as
// raw text, Chromium parses it as HTML).
#include "../chromium_runner.h"
#include "corpus_pages.h"
#include "tree_dump.h"

#include <gtest/gtest.h>
#include <qx/html/dom/html_parser.h>

#include <filesystem>
#include <future>
#include <unistd.h>

namespace {

using namespace qx::html::dom;

using qx::test::Chromium;
using qx::test::RunCommand;

std::string NormalisedTree(std::string_view bytes, std::string_view charset) {
    NodeTree tree;
    EXPECT_EQ(LoadHtmlDocument(tree, DocumentBytes{bytes, charset, ""}), ParseError::None);
    for (Node* n = tree.Document(); n; n = NextInTree(n, tree.Document()))
        if (n->Is(u"xml"))
            tree.RemoveChildren(n);
    return qx::test::DumpTree(tree.Document(), true);
}

TEST(AgainstChromium, SameElementTrees) {
    const std::string chromium = Chromium();
    if (chromium.empty())
        GTEST_SKIP() << "chromium is not installed: the comparison with its parser is skipped";
    const auto folder = std::filesystem::temp_directory_path() / ("dom-chromium-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::vector<std::string> pages = qx::test::CorpusPages();
    std::vector<std::string> dumps(pages.size());
    for (std::size_t first = 0; first < pages.size(); first += 4) {
        std::vector<std::future<void>> running;
        for (std::size_t i = first; i < std::min(pages.size(), first + 4); ++i) {
            running.push_back(std::async(std::launch::async, [&, i] {
                const auto file = folder / ("page" + std::to_string(i) + ".htm");
                std::ofstream(file, std::ios::binary) << pages[i];
                dumps[i] = RunCommand(chromium + " --headless --no-sandbox --disable-gpu --user-data-dir=" +
                                      (folder / ("profile" + std::to_string(i))).string() +
                                      " --dump-dom file://" + file.string() + " 2>/dev/null");
            }));
        }
        for (auto& r : running)
            r.get();
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        ASSERT_FALSE(dumps[i].empty()) << "chromium gave nothing for page " << i;
        EXPECT_EQ(NormalisedTree(dumps[i], "utf-8"), NormalisedTree(pages[i], "")) << pages[i];
    }
    std::filesystem::remove_all(folder);
}

} // namespace
