// Declaration blocks: the text the browser writes back, shorthands, refused values, and the
// numeric and colour views of values.
#include "fake_element.h"
#include "qx/html/css/colors.h"
#include "qx/html/css/declarations.h"
#include "qx/html/css/values.h"

#include <gtest/gtest.h>

namespace {

using namespace qx::html::css;
using csstest::U8;

struct RoundTrip {
    const char16_t* text;
    const char* written;
};

const RoundTrip kRoundTrips[] = {
    // Names in upper case, the old browser's separators, no trailing semicolon.
    {u"width:100px;height:20px", "WIDTH: 100px; HEIGHT: 20px"},
    {u"height:20px;width:100px;", "HEIGHT: 20px; WIDTH: 100px"},
    {u"WIDTH: 100PX", "WIDTH: 100px"},
    {u"width: 100", "WIDTH: 100px"},
    {u"line-height: 1.5", "LINE-HEIGHT: 1.5"},
    {u"width: 2.50cm", "WIDTH: 2.5cm"},
    {u"width:1px;WIDTH:2px", "WIDTH: 2px"},
    // Unknown properties keep their name as written.
    {u"Design_Time_Lock: true; table-layout: fixed", "Design_Time_Lock: true; TABLE-LAYOUT: fixed"},
    {u"design_time_lock:1;DESIGN_TIME_LOCK:2", "design_time_lock: 2"},
    // Colours: keywords in lower case, hexadecimal and rgb() as #rrggbb.
    {u"color: RED", "COLOR: red"},
    {u"color: rgb(255, 0, 0)", "COLOR: #ff0000"},
    {u"color: #ABC", "COLOR: #aabbcc"},
    {u"background-Color: yellow", "BACKGROUND-COLOR: yellow"},
    {u"color: buttonface", "COLOR: buttonface"},
    {u"color: nocolour; width: 1px", "WIDTH: 1px"},
    // Comments, importance, quotes and url() with separators inside.
    {u"/* a */ width: 1px /* b */; /**/", "WIDTH: 1px"},
    {u"color: red !important", "COLOR: red !important"},
    {u"color: red ! IMPORTANT", "COLOR: red !important"},
    {u"font-family: 'Times New Roman',  serif", "FONT-FAMILY: 'Times New Roman', serif"},
    {u"background-image: url(a;b.gif)", "BACKGROUND-IMAGE: url(a;b.gif)"},
    {u"font-family: \"a;b\"; color: red", "FONT-FAMILY: \"a;b\"; COLOR: red"},
    // Refused values and names are dropped, the rest kept.
    {u"width: abc; height: 2px", "HEIGHT: 2px"},
    {u": 1px; ;; x; 9x: 1; *zoom: 1; top: 3px", "TOP: 3px"},
    {u"", ""},
    {u"width: 1px; /* unclosed", "WIDTH: 1px"},
    // Shorthands: a side's border parts as one, four margins as one.
    {u"border: 1px solid black",
     "BORDER-TOP: black 1px solid; BORDER-RIGHT: black 1px solid; BORDER-BOTTOM: black 1px solid; "
     "BORDER-LEFT: black 1px solid"},
    {u"border: 1 gray solid",
     "BORDER-TOP: gray 1px solid; BORDER-RIGHT: gray 1px solid; BORDER-BOTTOM: gray 1px solid; "
     "BORDER-LEFT: gray 1px solid"},
    {u"border-top-style: none", "BORDER-TOP-STYLE: none"},
    {u"border-bottom: medium none", "BORDER-BOTTOM: medium none"},
    {u"margin: 0px", "MARGIN: 0px"},
    {u"margin-top:0mm;margin-bottom:0mm;", "MARGIN-TOP: 0mm; MARGIN-BOTTOM: 0mm"},
    {u"padding: 1px 2px", "PADDING: 1px 2px"},
    {u"padding: 1px 2px 3px 4px; padding-left: 2px", "PADDING: 1px 2px 3px"},
    {u"margin: 1px 2px 3px 4px 5px", ""},
    {u"font: bold 10pt/12pt Arial, serif",
     "FONT-WEIGHT: bold; FONT-SIZE: 10pt; LINE-HEIGHT: 12pt; FONT-FAMILY: Arial, serif"},
    {u"font: 10pt", ""},
    {u"background: #FFF url(x.gif) no-repeat",
     "BACKGROUND-COLOR: #ffffff; BACKGROUND-IMAGE: url(x.gif); BACKGROUND-REPEAT: no-repeat"},
    {u"table-layout:fixed;font-size:9pt; color:black", "TABLE-LAYOUT: fixed; FONT-SIZE: 9pt; COLOR: black"},
    {u"CURSOR: HAND", "CURSOR: hand"},
};

TEST(DeclarationBlock, WritesTheOldBrowsersText) {
    for (const RoundTrip& row : kRoundTrips) {
        DeclarationBlock block;
        block.Parse(row.text);
        EXPECT_EQ(U8(block.Text()), row.written) << U8(row.text);
        // What it wrote reads back the same.
        DeclarationBlock again;
        again.Parse(block.Text());
        EXPECT_EQ(U8(again.Text()), row.written) << U8(row.text);
    }
}

struct Read {
    const char16_t* text;
    const char16_t* name;
    const char* value;
};

const Read kReads[] = {
    {u"border: 1px solid black", u"border", "black 1px solid"},
    {u"border: 1px solid black; border-left-width: 2px", u"border", ""},
    {u"border: 1px solid black; border-left-width: 2px", u"borderLeft", "black 2px solid"},
    {u"border-top-style: none", u"borderTopStyle", "none"},
    {u"border-top-style: none", u"border-style", ""},
    {u"margin: 1px 2px", u"margin", "1px 2px"},
    {u"margin: 1px 2px", u"marginLeft", "2px"},
    {u"font: italic bold 10pt Arial", u"font", "italic bold 10pt Arial"},
    {u"background-position: top left", u"backgroundPositionX", "left"},
    {u"background-position: top left", u"backgroundPosition", "left top"},
    {u"Design_Time_Lock: true", u"design_time_lock", "true"},
    {u"width: 1px", u"height", ""},
    {u"width: 1px", u"nothing", ""},
};

TEST(DeclarationBlock, ReadsByScriptOrCssName) {
    for (const Read& row : kReads) {
        DeclarationBlock block;
        block.Parse(row.text);
        EXPECT_EQ(U8(block.Get(row.name)), row.value) << U8(row.text) << " / " << U8(row.name);
    }
}

TEST(DeclarationBlock, SetRefusesWhatTheBrowserRefusesAndRemovesOnEmpty) {
    DeclarationBlock block;
    block.Parse(u"width: 10px; color: red");
    EXPECT_FALSE(block.Set(u"width", u"wide"));
    EXPECT_FALSE(block.Set(u"color", u"#12"));
    EXPECT_FALSE(block.Set(u"border", u"1px solid bogus"));
    EXPECT_EQ(U8(block.Text()), "WIDTH: 10px; COLOR: red");
    EXPECT_TRUE(block.Set(u"width", u""));
    EXPECT_TRUE(block.Remove(u"COLOR"));
    EXPECT_FALSE(block.Remove(u"color"));
    EXPECT_TRUE(block.Empty());
    EXPECT_TRUE(block.Set(u"border", u"1px solid"));
    EXPECT_TRUE(block.Remove(u"border-top"));
    EXPECT_EQ(U8(block.Text()), "BORDER-RIGHT: 1px solid; BORDER-BOTTOM: 1px solid; BORDER-LEFT: 1px solid");
}

TEST(DeclarationBlock, IsBounded) {
    std::u16string many;
    for (int i = 0; i < 3000; ++i) {
        std::string name = "x_" + std::to_string(i);
        many += std::u16string(name.begin(), name.end()) + u": 1;";
    }
    DeclarationBlock block;
    block.Parse(many);
    EXPECT_EQ(block.Items().size(), DeclarationBlock::kMaxDeclarations);
    std::u16string huge(DeclarationBlock::kMaxTextLength + 10, u' ');
    huge += u"width: 1px";
    block.Parse(huge);
    EXPECT_TRUE(block.Empty());
}

struct Pixels {
    const char16_t* value;
    long pixels;
    double pos;
};

const Pixels kPixels[] = {
    {u"10px", 10, 10}, {u"10pt", 13, 10}, {u"1in", 96, 1},  {u"2.54cm", 96, 2.54}, {u"2.5px", 3, 2.5},
    {u"-3px", -3, -3}, {u"50%", 0, 50},   {u"auto", 0, 0},  {u"", 0, 0},           {u"2.91mm", 10, 2.91},
    {u"1em", 16, 1},   {u"12", 12, 12},   {u"1e9px", 0, 0}, {u"px", 0, 0},
};

TEST(Values, PixelsAndPositionsOfLengths) {
    for (const Pixels& row : kPixels) {
        EXPECT_EQ(ToPixels(row.value), row.pixels) << U8(row.value);
        EXPECT_DOUBLE_EQ(PosValue(row.value), row.pos) << U8(row.value);
    }
    EXPECT_EQ(U8(WithPosValue(u"10pt", 2.5)), "2.5pt");
    EXPECT_EQ(U8(WithPosValue(u"auto", 7)), "7px");
    EXPECT_EQ(U8(FormatNumber(-0.0001)), "-0.0001");
    EXPECT_EQ(U8(FormatNumber(-0.00001)), "0");
    EXPECT_EQ(FormatNumber(1e300).size(), 301u);
}

struct ColorRow {
    const char16_t* text;
    const char* normal; // "" for no colour
};

const ColorRow kColors[] = {
    {u"Red", "#ff0000"},
    {u"#F0A", "#ff00aa"},
    {u"#FfFfFf", "#ffffff"},
    {u"rgb(255,128,0)", "#ff8000"},
    {u" rgb( 100% , 0% , 0% ) ", "#ff0000"},
    {u"rgb(300,-5,0)", "#ff0000"},
    {u"LightGoldenRodYellow", "#fafad2"},
    {u"yellowgreen", "#9acd32"},
    {u"aliceblue", "#f0f8ff"},
    {u"bogus", ""},
    {u"#12345", ""},
    {u"#ggg", ""},
    {u"rgb(1,2)", ""},
    {u"rgb(1,2,3,4)", ""},
    {u"transparent", ""},
    {u"", ""},
};

TEST(Colors, NormalisesNamesHexadecimalAndRgb) {
    for (const ColorRow& row : kColors) {
        auto normal = NormalizeColor(row.text);
        EXPECT_EQ(normal ? U8(*normal) : "", row.normal) << U8(row.text);
    }
    EXPECT_TRUE(IsColorValue(u"Transparent"));
    EXPECT_TRUE(IsColorValue(u"WindowText"));
    EXPECT_FALSE(IsColorValue(u"windowtexts"));
}

} // namespace
