// Our table model against Chromium's quirks mode: random tables (borders, padding, spacing,
// collapsed or not, empty cells or cells holding one image of a given size, some pixel widths,
// spans up to 3) go to Chromium in one page per seed, whose script writes every cell's and table's
// offsets. Tables without spans must agree exactly, and so must tables with spans but for a rare one
// (about one in ten thousand) whose fractional row shares land a 64th of a pixel from Chromium's and
// so round the other way: at most kSpanTablesOff of them per page, and by 1 px at most.
// Skipped where chromium is not installed.
#include "../chromium_runner.h"
#include "layout_fixture.h"

#include <cstdio>
#include <fstream>
#include <future>
#include <map>
#include <random>
#include <sstream>

namespace qx::html::layout::testing {
namespace {

constexpr int kTablesPerSeed = 500;
// How many of the tables with spans on one page may be a pixel off Chromium's numbers (see the README).
constexpr std::size_t kSpanTablesOff = 1;
// A 1 x 1 GIF: Chromium draws it at the IMG's width and height.
constexpr const char* kPixel =
    "data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7";

struct Generated {
    std::string html;
    std::map<std::string, bool> spans; // table id -> whether a span hands out shares
};

Generated RandomTables(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
    std::ostringstream page;
    Generated out;
    page << "<html><body leftmargin=10 topmargin=10>";
    for (int t = 0; t < kTablesPerSeed; ++t) {
        std::string id = "t" + std::to_string(t);
        page << "<table id=" << id << " border=" << pick(0, 1) << " cellpadding=" << pick(0, 3)
             << " cellspacing=" << pick(0, 3)
             << (pick(0, 3) == 0 ? " style=\"border-collapse: collapse\"" : "") << ">";
        bool spans = false;
        int rows = pick(1, 4);
        for (int r = 0; r < rows; ++r) {
            page << "<tr>";
            int cells = pick(1, 4);
            for (int c = 0; c < cells; ++c) {
                page << "<td id=" << id << "c" << r << "_" << c;
                if (pick(0, 4) == 0) {
                    page << " colspan=" << pick(2, 3);
                    spans = true;
                }
                if (pick(0, 5) == 0) {
                    page << " rowspan=" << pick(2, 3);
                    spans = true;
                }
                if (pick(0, 2) == 0)
                    page << " width=" << pick(10, 80);
                page << ">";
                if (pick(0, 1))
                    page << "<img src=\"" << kPixel << "\" width=" << pick(5, 60) << " height=" << pick(5, 40)
                         << ">";
                page << "</td>";
            }
            page << "</tr>";
        }
        page << "</table>";
        out.spans[id] = spans;
    }
    // Chromium's numbers replace the page: one line per element, "id left top width height".
    page << "<script>var out = [], tables = document.getElementsByTagName('table');"
            "for (var i = 0; i < tables.length; i++) { var t = tables[i];"
            " out.push(t.id + ' 0 0 ' + t.offsetWidth + ' ' + t.offsetHeight);"
            " var cells = t.getElementsByTagName('td');"
            " for (var j = 0; j < cells.length; j++) { var c = cells[j];"
            "  out.push(c.id + ' ' + c.offsetLeft + ' ' + c.offsetTop + ' ' + c.offsetWidth + ' ' + "
            "c.offsetHeight); } }"
            "document.body.innerHTML = '<pre id=numbers>' + out.join('\\n') + '</pre>';</script>";
    page << "</body></html>";
    out.html = page.str();
    return out;
}

struct Numbers {
    int left, top, width, height;
};

std::map<std::string, Numbers> ParseNumbers(const std::string& dump) {
    std::map<std::string, Numbers> out;
    std::size_t start = dump.find("<pre id=\"numbers\">");
    std::size_t end = dump.find("</pre>", start);
    if (start == std::string::npos || end == std::string::npos)
        return out;
    std::istringstream lines(dump.substr(start + 18, end - start - 18));
    std::string id;
    Numbers n{};
    while (lines >> id >> n.left >> n.top >> n.width >> n.height)
        out[id] = n;
    return out;
}

std::u16string Wide(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(AgainstChromium, RandomTables) {
    const std::string chromium = qx::test::Chromium();
    if (chromium.empty())
        GTEST_SKIP() << "chromium is not installed: the comparison of random tables with it is skipped";
    const unsigned fresh = std::random_device{}();
    const unsigned seeds[] = {20261209u, fresh};
    const auto folder =
        std::filesystem::temp_directory_path() / ("layout-chromium-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::vector<Generated> pages;
    std::vector<std::future<std::string>> dumps;
    for (unsigned seed : seeds) {
        pages.push_back(RandomTables(seed));
        auto file = folder / ("tables" + std::to_string(seed) + ".htm");
        std::ofstream(file, std::ios::binary) << pages.back().html;
        dumps.push_back(std::async(std::launch::async, [=] {
            return qx::test::DumpDom(chromium, file, folder / ("profile" + std::to_string(seed)));
        }));
    }
    for (std::size_t s = 0; s < pages.size(); ++s) {
        SCOPED_TRACE("seed " + std::to_string(seeds[s]));
        const std::map<std::string, Numbers> theirs = ParseNumbers(dumps[s].get());
        ASSERT_FALSE(theirs.empty()) << "chromium gave no numbers";
        Page page(Wide(pages[s].html));
        int compared = 0;
        std::map<std::string, std::string> spanTablesOff; // table id -> the first element off
        for (const auto& [id, want] : theirs) {
            const std::string table = id.substr(0, id.find('c'));
            const bool spans = pages[s].spans.at(table);
            const ElementMetrics ours = page.Metrics(Wide(id));
            const bool isTable = id == table;
            auto within = [&](int slack) {
                return std::abs(ours.offsetWidth - want.width) <= slack &&
                       std::abs(ours.offsetHeight - want.height) <= slack &&
                       (isTable || (std::abs(ours.offsetLeft - want.left) <= slack &&
                                    std::abs(ours.offsetTop - want.top) <= slack));
            };
            const bool same = within(0);
            std::ostringstream what;
            what << id << ": ours " << ours.offsetLeft << "," << ours.offsetTop << " " << ours.offsetWidth
                 << "x" << ours.offsetHeight << ", chromium's " << want.left << "," << want.top << " "
                 << want.width << "x" << want.height;
            if (!spans || !within(1))
                EXPECT_TRUE(same) << what.str();
            else if (!same)
                spanTablesOff.emplace(table, what.str());
            ++compared;
        }
        EXPECT_GE(compared, kTablesPerSeed);
        // Spans: the model shares a spanning cell's width and height out as Chromium does; a second
        // table a pixel off on one page is a fault.
        std::size_t spanTables = 0;
        for (const auto& [id, spans] : pages[s].spans)
            spanTables += spans ? 1 : 0;
        std::ostringstream firstOff;
        for (const auto& [table, what] : spanTablesOff)
            firstOff << "\n  " << what;
        EXPECT_LE(spanTablesOff.size(), kSpanTablesOff)
            << spanTablesOff.size() << " of " << spanTables << " tables with spans differ:" << firstOff.str();
        if (!spanTablesOff.empty())
            std::printf("seed %u: %zu of %zu tables with spans differ from Chromium's by 1 px:%s\n", seeds[s],
                        spanTablesOff.size(), spanTables, firstOff.str().c_str());
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace qx::html::layout::testing
