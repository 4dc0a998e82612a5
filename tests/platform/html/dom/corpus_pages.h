// The pages that parsing is checked against: the bundled form, the HTML fixtures, and generated
// pages with tables, forms, malformed nesting and character references.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qx::test {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::string> CorpusPages() {
    std::vector<std::string> pages;
    for (const char* file : {"examples/converter/form.htm", "tests/data/mht/chromium-pages/frame-main.htm",
                             "tests/data/mht/chromium-pages/frame-inner.htm", "tests/data/html/utf8-page.htm",
                             "tests/data/html/malformed.htm"})
        pages.push_back(ReadFile(std::string(QX_SOURCE_DIR) + "/" + file));
    std::string table = "<html><body><table border=1>";
    for (int r = 0; r < 20; ++r) {
        table += "<tr id=r" + std::to_string(r) + ">";
        for (int c = 0; c < 5; ++c)
            table +=
                "<td class=c" + std::to_string(c) + " free>" + std::to_string(r * c) + "&nbsp;&amp;</td>";
    }
    pages.push_back(table + "</table><form><select name=s><option selected>a<option>b</select>"
                            "<input type=checkbox checked><textarea>&lt;x&gt;</textarea></form>");
    pages.push_back(
        "<p>a<p>b<table><tr><td>x</td><b>foster</b></table><ul><li>1<li>2</ul><b>bold<i>it</b>x</i>"
        "&copy;&#169;&#x41;&notin;&lt&gt&amp;&quot;");
    return pages;
}

} // namespace qx::test
