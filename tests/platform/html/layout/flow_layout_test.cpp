// Block and inline flow, text metrics, replaced elements, the viewport's scroll bars.
#include "layout_fixture.h"
#include "qx/html/layout/image_header.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace qx::html::layout::testing {
namespace {

struct FlowCase {
    const char* name;
    const char16_t* body; // inside BODY, default margins (10 left, 15 top)
    const char16_t* id;
    int left, top, width, height;
};

TEST(FlowLayout, Boxes) {
    const FlowCase cases[] = {
        {"a block fills the body's content width", u"<div id=x></div>", u"x", 10, 15, 1004, 0},
        {"a line of text is 16 tall at 13 px", u"<div id=x>abc</div>", u"x", 10, 15, 1004, 16},
        {"blocks stack", u"<div style=\"height: 7px\"></div><p id=x>a</p>", u"x", 10, 22, 1004, 16},
        {"inline text is 7 px a character", u"<span id=x>abc de</span>", u"x", 10, 15, 42, 16},
        {"CJK characters are as wide as the font", u"<span id=x>\u4e00\u4e00a</span>", u"x", 10, 15, 33, 16},
        {"FONT size 7 is 36 pt", u"<font id=x size=7>a</font>", u"x", 10, 15, 24, 51},
        {"font-size in pt", u"<span id=x style=\"font-size: 9pt\">ab</span>", u"x", 10, 15, 12, 15},
        {"greedy wrapping at spaces", u"<div id=x style=\"width: 40px\">aa bb cc</div>", u"x", 10, 15, 40,
         32},
        {"NBSP does not break", u"<div id=x style=\"width: 30px\">aa\u00a0bb\u00a0cc</div>", u"x", 10, 15, 30,
         16},
        {"nowrap does not wrap", u"<div id=x nowrap style=\"width: 30px\">aa bb cc</div>", u"x", 10, 15, 30,
         16},
        {"BR breaks", u"<div id=x>a<br>b</div>", u"x", 10, 15, 1004, 32},
        {"whitespace-only text is nothing", u"<div id=x>   \n  </div>", u"x", 10, 15, 1004, 0},
        {"padding and border add to the width",
         u"<div id=x style=\"width: 100px; padding: 5px; border: 2 solid\">"
         u"</div>",
         u"x", 10, 15, 114, 14},
        {"a percentage of the containing block",
         u"<div style=\"width: 200px\"><div id=x style=\"width: 50%\">"
         u"</div></div>",
         u"x", 10, 15, 100, 0},
        {"inline margins", u"<div id=x style=\"margin: 4px 6px\"></div>", u"x", 16, 19, 992, 0},
        {"display none takes no space", u"<div style=\"display: none\">a</div><div id=x></div>", u"x", 10, 15,
         1004, 0},
        {"HR is 10 high", u"<hr id=x>", u"x", 10, 15, 1004, 10},
        {"UL indents 40", u"<ul id=u><li id=x>a</li></ul>", u"x", 50, 15, 964, 16},
        {"IMG from its attributes", u"<img id=x width=30 height=20>", u"x", 10, 15, 30, 20},
        {"IMG without a readable source is 16 x 16", u"<img id=x src=nowhere.gif>", u"x", 10, 15, 16, 16},
        {"a line of only images is as tall as the tallest",
         u"<div id=x><img width=5 height=40><img width=5 "
         u"height=9></div>",
         u"x", 10, 15, 1004, 40},
        {"text INPUT", u"<input id=x>", u"x", 10, 15, 146, 22},
        {"INPUT size", u"<input id=x size=5>", u"x", 10, 15, 41, 22},
        {"checkbox", u"<input id=x type=checkbox>", u"x", 10, 15, 13, 13},
        {"button", u"<input id=x type=button value=OK>", u"x", 10, 15, 30, 22},
        {"hidden INPUT is nothing", u"<span id=x><input type=hidden></span>", u"x", 0, 0, 0, 0},
        {"SELECT", u"<select id=x><option>abc<option>a</select>", u"x", 10, 15, 45, 22},
        {"SELECT with rows", u"<select id=x size=3><option>a</select>", u"x", 10, 15, 31, 54},
        {"TEXTAREA", u"<textarea id=x cols=10 rows=3></textarea>", u"x", 10, 15, 90, 54},
        {"OBJECT without a size", u"<object id=x></object>", u"x", 10, 15, 0, 0},
        {"absolute against BODY",
         u"<div id=x style=\"position: absolute; left: 40px; top: 50px; width: 10px; "
         u"height: 5px\"></div>",
         u"x", 40, 50, 10, 5},
        {"absolute against a positioned parent",
         u"<div style=\"height: 20px\"></div><div style=\"position: relative; border: 3 solid\">"
         u"<span id=x style=\"position: absolute; left: 4px; top: 5px\">ab</span></div>",
         u"x", 4, 5, 14, 16},
        {"CENTER centres lines", u"<center><span id=x>ab</span></center>", u"x", 505, 15, 14, 16},
        {"TABLE align=center",
         u"<table id=x align=center border=0 cellspacing=0 cellpadding=0><tr>"
         u"<td width=104></td></tr></table>",
         u"x", 460, 15, 104, 0},
    };
    for (const FlowCase& c : cases) {
        SCOPED_TRACE(c.name);
        Page page(std::u16string(u"<html><body>") + c.body + u"</body></html>");
        ElementMetrics m = page.Metrics(c.id);
        EXPECT_EQ(m.offsetLeft, c.left);
        EXPECT_EQ(m.offsetTop, c.top);
        EXPECT_EQ(m.offsetWidth, c.width);
        EXPECT_EQ(m.offsetHeight, c.height);
    }
}

TEST(FlowLayout, ViewportScrollBarsAndClamping) {
    Page page(u"<html><body><div id=x style=\"width: 2000px; height: 1000px\"></div></body></html>");
    const dom::Node* body = page.tree.Body();
    ElementMetrics m = page.layout->Metrics(body);
    EXPECT_EQ(m.clientWidth, 1024 - 16);
    EXPECT_EQ(m.clientHeight, 768 - 16);
    EXPECT_EQ(m.scrollWidth, 2020);
    EXPECT_EQ(m.scrollHeight, 1030);
    page.layout->SetScroll(body, 5000, -3);
    m = page.layout->Metrics(body);
    EXPECT_EQ(m.scrollLeft, 2020 - 1008);
    EXPECT_EQ(m.scrollTop, 0);
    page.layout->SetScroll(body, 100, 200);
    Rect r = page.Metrics(u"x").boundingClientRect;
    EXPECT_EQ(r.left, 10 - 100);
    EXPECT_EQ(r.top, 15 - 200);
    page.layout->SetViewport(3000, 2000); // no bars; the scroll clamps to 0
    m = page.layout->Metrics(body);
    EXPECT_EQ(m.clientWidth, 3000);
    EXPECT_EQ(m.scrollLeft, 0);
}

TEST(FlowLayout, ScrollContainer) {
    Page page(u"<html><body><div id=x style=\"overflow: auto; width: 100px; height: 50px\">"
              u"<div style=\"height: 80px\"></div></div><div id=y style=\"overflow: scroll; width: 100px; "
              u"height: 50px\"></div></body></html>");
    ElementMetrics x = page.Metrics(u"x");
    EXPECT_EQ(x.clientWidth, 84);
    EXPECT_EQ(x.clientHeight, 50);
    EXPECT_EQ(x.scrollHeight, 80);
    page.layout->SetScroll(page.Element(u"x"), 0, 100);
    EXPECT_EQ(page.Metrics(u"x").scrollTop, 30);
    ElementMetrics y = page.Metrics(u"y");
    EXPECT_EQ(y.clientWidth, 84);
    EXPECT_EQ(y.clientHeight, 34);
}

std::string Le16(int v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string Be16(int v) {
    return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

struct HeaderCase {
    const char* name;
    std::string bytes;
    std::optional<ImageSize> size;
};

TEST(ImageHeader, Formats) {
    using namespace std::string_literals;
    const std::string png = "\x89PNG\r\n\x1a\n"s + "\0\0\0\x0dIHDR"s + "\0\0\x01\x2c"s + "\0\0\0\x64"s;
    const std::string jpeg = "\xFF\xD8"s + "\xFF\xE0"s + Be16(4) + "ab"s + "\xFF\xC0"s + Be16(11) + "\x08"s +
                             Be16(77) + Be16(123) + "\x03"s;
    const HeaderCase cases[] = {
        {"GIF", "GIF89a" + Le16(40) + Le16(30), ImageSize{40, 30}},
        {"GIF87a", "GIF87a" + Le16(1) + Le16(2), ImageSize{1, 2}},
        {"GIF cut short", "GIF89a" + Le16(40), std::nullopt},
        {"GIF of no size", "GIF89a" + Le16(0) + Le16(3), std::nullopt},
        {"PNG", png, ImageSize{300, 100}},
        {"PNG cut short", png.substr(0, 20), std::nullopt},
        {"JPEG past an APP0 segment", jpeg, ImageSize{123, 77}},
        {"JPEG whose segment runs past the end", "\xFF\xD8\xFF\xE0\xFF\xFF"s, std::nullopt},
        {"JPEG with a scan before any frame", "\xFF\xD8\xFF\xDA\x00\x04xx"s, std::nullopt},
        {"not an image", "BM......................", std::nullopt},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<ImageSize> size = ReadImageHeader(c.bytes);
        ASSERT_EQ(size.has_value(), c.size.has_value());
        if (size) {
            EXPECT_EQ(size->width, c.size->width);
            EXPECT_EQ(size->height, c.size->height);
        }
    }
}

TEST(ImageHeader, ImgTakesTheSizeOfItsSource) {
    dom::NodeTree tree;
    ASSERT_EQ(dom::ParseHtmlDocument(tree, u"<body><img id=x src=a.gif><img id=y src=a.gif height=5></body>"),
              dom::ParseError::None);
    LayoutHooks hooks;
    hooks.readImage = [](std::u16string_view source) -> std::optional<std::string> {
        if (source == u"a.gif")
            return "GIF89a" + Le16(40) + Le16(30);
        return std::nullopt;
    };
    PageLayout layout(tree, hooks);
    ElementMetrics x = layout.Metrics(tree.ElementById(u"x"));
    EXPECT_EQ(x.offsetWidth, 40);
    EXPECT_EQ(x.offsetHeight, 30);
    ElementMetrics y = layout.Metrics(tree.ElementById(u"y"));
    EXPECT_EQ(y.offsetWidth, 40);
    EXPECT_EQ(y.offsetHeight, 5);
}

// Without a reader of the host's, pictures are read from disk by their path: a name with a
// character beyond the 16-bit range reaches the file system as one UTF-8 sequence.
TEST(ImageHeader, ALocalPictureIsFoundByItsUtf8Path) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "qx_layout_picture";
    std::filesystem::create_directories(folder);
    const std::string name = "\xF0\x9F\x99\x82 \xED\x91\x9C.gif"; // U+1F642, a blank, U+D45C
    std::ofstream(folder / name, std::ios::binary) << "GIF89a" + Le16(21) + Le16(12);
    const std::u16string source = u"file://" + folder.u16string() + u"/\U0001F642 \uD45C.gif";
    dom::NodeTree tree;
    ASSERT_EQ(dom::ParseHtmlDocument(tree, u"<body><img id=x></body>"), dom::ParseError::None);
    tree.ElementById(u"x")->SetAttribute(u"src", source);
    PageLayout layout(tree, LayoutHooks{});
    ElementMetrics x = layout.Metrics(tree.ElementById(u"x"));
    std::filesystem::remove_all(folder);
    EXPECT_EQ(x.offsetWidth, 21);
    EXPECT_EQ(x.offsetHeight, 12);
}

TEST(ImageHeader, APictureIsReadOnceAndAMissingOneAskedAgain) {
    dom::NodeTree tree;
    ASSERT_EQ(
        dom::ParseHtmlDocument(tree, u"<body><img id=x src=a.gif><img src=a.gif><img id=y src=b.gif></body>"),
        dom::ParseError::None);
    int readsOfA = 0;
    int readsOfB = 0;
    bool bArrived = false;
    LayoutHooks hooks;
    hooks.readImage = [&](std::u16string_view source) -> std::optional<std::string> {
        if (source == u"a.gif")
            return ++readsOfA, "GIF89a" + Le16(40) + Le16(30);
        ++readsOfB;
        return bArrived ? std::optional<std::string>("GIF89a" + Le16(8) + Le16(9)) : std::nullopt;
    };
    PageLayout layout(tree, hooks);
    EXPECT_EQ(layout.Metrics(tree.ElementById(u"y")).offsetWidth, 16);
    bArrived = true;
    layout.Invalidate();
    EXPECT_EQ(layout.Metrics(tree.ElementById(u"x")).offsetWidth, 40);
    EXPECT_EQ(layout.Metrics(tree.ElementById(u"y")).offsetWidth, 8);
    layout.Invalidate();
    EXPECT_EQ(layout.Metrics(tree.ElementById(u"y")).offsetHeight, 9);
    EXPECT_EQ(readsOfA, 1);
    EXPECT_EQ(readsOfB, 2);
}

TEST(FlowLayout, RuntimeStyleOverridesInlineStyle) {
    dom::NodeTree tree;
    ASSERT_EQ(dom::ParseHtmlDocument(tree, u"<body><div id=x style=\"width: 10px\"></div></body>"),
              dom::ParseError::None);
    css::DeclarationBlock runtime;
    LayoutHooks hooks;
    hooks.runtimeStyle = [&](const dom::Node& n) -> const css::DeclarationBlock* {
        return n.AttributeValue(u"id") == u"x" ? &runtime : nullptr;
    };
    PageLayout layout(tree, hooks);
    EXPECT_EQ(layout.Metrics(tree.ElementById(u"x")).offsetWidth, 10);
    runtime.Set(u"width", u"25px");
    layout.Invalidate();
    EXPECT_EQ(layout.Metrics(tree.ElementById(u"x")).offsetWidth, 25);
}

} // namespace
} // namespace qx::html::layout::testing
