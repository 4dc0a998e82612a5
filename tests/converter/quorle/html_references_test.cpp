#include "html_references.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Texts(const std::string& html, ReferenceKind kind) {
    std::vector<std::string> texts;
    for (const HtmlReference& ref : CollectReferences(html, kind)) {
        texts.push_back(ref.text);
        if (ref.text.find('=') == std::string::npos && ref.text.find(' ') == std::string::npos) {
            EXPECT_EQ(html.substr(ref.valueStart, ref.valueLength), ref.text);
        }
    }
    return texts;
}

struct Case {
    const char* html;
    ReferenceKind kind;
    std::vector<std::string> expected;
};

TEST(HtmlReferences, Table) {
    const Case cases[] = {
        {"<IMG SRC=\"a.gif\"><img src='a.gif'><img src=\"A.GIF\">",
         ReferenceKind::Image,
         {"a.gif", "'a.gif'", "A.GIF"}},
        {"<img alt=\"x\"><p><img src=\"b.gif\">", ReferenceKind::Image, {"b.gif"}},
        {"<img src=\"\"><img src=   >", ReferenceKind::Image, {}},
        {"<td background=pic.jpg width=5>", ReferenceKind::Background, {"pic.jpg"}},
        {"<body background=\"b.gif\"><table background='t.gif'><td background=c.gif>",
         ReferenceKind::Background,
         {"b.gif", "'t.gif'", "c.gif"}},
        // whole attribute names only
        {"<img srcset=\"x.gif 2x\" data-src=\"y.gif\" src=\"z.gif\">", ReferenceKind::Image, {"z.gif"}},
        {"<img data-src=\"y.gif\">", ReferenceKind::Image, {}},
        {"<link rel=stylesheet href=\"s.css\"><link hreflang=en>", ReferenceKind::StyleSheet, {"s.css"}},
        {"<script src=\"a.js\"></script><script>var src = 1;</script>", ReferenceKind::Script, {"a.js"}},
        {"<td databackground=x.gif>", ReferenceKind::Background, {}},
        // no ">" at all: the collector stops
        {"<img src=\"a.gif\"", ReferenceKind::Image, {}},
        // a quoted value containing blanks
        {"<img src=\"my pic.gif\" width=3>", ReferenceKind::Image, {"my pic.gif"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(c.html, c.kind), c.expected) << c.html;
}

TEST(HtmlReferences, ManyCellsStayLinear) {
    std::string html = "<body><table>";
    for (int i = 0; i < 20000; ++i)
        html += "<tr><td>cell " + std::to_string(i) + "</td></tr>";
    html += "</table><td background=\"last.gif\"></body>";
    EXPECT_EQ(Texts(html, ReferenceKind::Background), std::vector<std::string>{"last.gif"});
}

} // namespace
