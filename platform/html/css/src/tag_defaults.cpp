// The old browser's built-in look of elements, as far as currentStyle reports it.
#include "qx/html/css/cascade.h"

#include "text.h"

namespace qx::html::css {
namespace {

struct TagRule {
    std::u16string_view tags; // space-separated, upper case
    Prop property;
    std::u16string_view value;
};

constexpr std::u16string_view kBlockTags =
    u"ADDRESS BLOCKQUOTE BODY CAPTION CENTER COL COLGROUP DD DIR DIV DL DT FIELDSET FORM H1 H2 H3 H4 H5 H6 "
    u"HR HTML LISTING MENU OL P PLAINTEXT PRE TABLE TBODY TD TFOOT TH THEAD TR UL XMP";
constexpr std::u16string_view kHiddenTags = u"BASE HEAD LINK META NOSCRIPT SCRIPT STYLE TITLE XML";
constexpr std::u16string_view kParagraphs = u"P UL OL DL DIR MENU PRE XMP LISTING PLAINTEXT BLOCKQUOTE";
constexpr std::u16string_view kHeadings = u"H1 H2 H3 H4 H5 H6";
constexpr std::u16string_view kFixedFont = u"PRE XMP LISTING PLAINTEXT TT CODE KBD SAMP";
constexpr std::u16string_view kFixedFamily = u"굴림체";

constexpr TagRule kTagRules[] = {
    {kBlockTags, Prop::display, u"block"},
    {kHiddenTags, Prop::display, u"none"},
    {u"LI", Prop::display, u"list-item"},
    {u"BODY", Prop::marginTop, u"15px"},
    {u"BODY", Prop::marginBottom, u"15px"},
    {u"BODY", Prop::marginLeft, u"10px"},
    {u"BODY", Prop::marginRight, u"10px"},
    {kParagraphs, Prop::marginTop, u"14pt"},
    {kParagraphs, Prop::marginBottom, u"14pt"},
    {kHeadings, Prop::marginTop, u"14pt"},
    {kHeadings, Prop::marginBottom, u"14pt"},
    {u"UL OL DIR MENU DD", Prop::marginLeft, u"40px"},
    {u"BLOCKQUOTE", Prop::marginLeft, u"40px"},
    {u"BLOCKQUOTE", Prop::marginRight, u"40px"},
    {u"UL DIR MENU", Prop::listStyleType, u"disc"},
    {u"OL", Prop::listStyleType, u"decimal"},
    {u"H1", Prop::fontSize, u"24pt"},
    {u"H2", Prop::fontSize, u"18pt"},
    {u"H3", Prop::fontSize, u"13.5pt"},
    {u"H4", Prop::fontSize, u"12pt"},
    {u"H5", Prop::fontSize, u"10pt"},
    {u"H6", Prop::fontSize, u"7.5pt"},
    {u"H1 H2 H3 H4 H5 H6 B STRONG TH", Prop::fontWeight, u"700"},
    {u"I EM ADDRESS CITE VAR DFN", Prop::fontStyle, u"italic"},
    {u"U INS", Prop::textDecoration, u"underline"},
    {u"S STRIKE DEL", Prop::textDecoration, u"line-through"},
    {u"CENTER TH CAPTION", Prop::textAlign, u"center"},
    {u"TD TH", Prop::verticalAlign, u"middle"},
    {u"TD TH", Prop::paddingTop, u"1px"},
    {u"TD TH", Prop::paddingRight, u"1px"},
    {u"TD TH", Prop::paddingBottom, u"1px"},
    {u"TD TH", Prop::paddingLeft, u"1px"},
    {u"SUB", Prop::verticalAlign, u"sub"},
    {u"SUP", Prop::verticalAlign, u"super"},
    {kFixedFont, Prop::fontFamily, kFixedFamily},
    {u"PRE XMP LISTING PLAINTEXT", Prop::whiteSpace, u"pre"},
    {u"NOBR", Prop::whiteSpace, u"nowrap"},
    {u"A", Prop::cursor, u"hand"},
    {u"A", Prop::textDecoration, u"underline"},
    {u"A", Prop::color, u"#0000ff"},
};

} // namespace

std::u16string_view TagDefault(std::u16string_view tag, Prop p) {
    for (const TagRule& rule : kTagRules)
        if (rule.property == p && detail::InWordList(rule.tags, tag))
            return rule.value;
    if (p == Prop::display)
        return u"inline";
    return {};
}

std::u16string_view InitialValue(Prop p) {
    switch (p) {
    case Prop::color:
        return u"#000000";
    case Prop::backgroundColor:
        return u"transparent";
    case Prop::fontFamily:
        return u"굴림";
    case Prop::fontSize:
        return u"12pt";
    case Prop::fontWeight:
        return u"400";
    case Prop::fontStyle:
    case Prop::fontVariant:
    case Prop::letterSpacing:
    case Prop::wordSpacing:
    case Prop::lineHeight:
    case Prop::whiteSpace:
    case Prop::unicodeBidi:
    case Prop::lineBreak:
    case Prop::wordBreak:
        return u"normal";
    case Prop::backgroundImage:
    case Prop::listStyleImage:
    case Prop::textDecoration:
    case Prop::textTransform:
    case Prop::styleFloat:
    case Prop::clear:
    case Prop::textAutospace:
    case Prop::textJustifyTrim:
    case Prop::layoutGridChar:
    case Prop::layoutGridLine:
    case Prop::borderTopStyle:
    case Prop::borderRightStyle:
    case Prop::borderBottomStyle:
    case Prop::borderLeftStyle:
    case Prop::behavior:
        return u"none";
    case Prop::backgroundRepeat:
        return u"repeat";
    case Prop::backgroundAttachment:
        return u"scroll";
    case Prop::backgroundPositionX:
    case Prop::backgroundPositionY:
        return u"0%";
    case Prop::borderTopWidth:
    case Prop::borderRightWidth:
    case Prop::borderBottomWidth:
    case Prop::borderLeftWidth:
        return u"medium";
    case Prop::marginTop:
    case Prop::marginRight:
    case Prop::marginBottom:
    case Prop::marginLeft:
    case Prop::paddingTop:
    case Prop::paddingRight:
    case Prop::paddingBottom:
    case Prop::paddingLeft:
        return u"0px";
    case Prop::textIndent:
    case Prop::textKashida:
        return u"0pt";
    case Prop::textAlign:
        return u"left";
    case Prop::verticalAlign:
        return u"baseline";
    case Prop::visibility:
        return u"inherit";
    case Prop::listStyleType:
        return u"disc";
    case Prop::listStylePosition:
        return u"outside";
    case Prop::overflow:
    case Prop::overflowX:
    case Prop::overflowY:
        return u"visible";
    case Prop::position:
        return u"static";
    case Prop::borderCollapse:
        return u"separate";
    case Prop::direction:
        return u"ltr";
    case Prop::layoutGridMode:
        return u"both";
    case Prop::layoutGridType:
        return u"loose";
    case Prop::accelerator:
        return u"false";
    case Prop::display:
        return u"inline";
    default: // lengths of the box, z-index, cursor, clip, page breaks, table layout, ime mode, ruby
        return u"auto";
    }
}

} // namespace qx::html::css
