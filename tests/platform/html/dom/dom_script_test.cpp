// The DOM from page script: rows of {page, script, the lines it echoes}, through the script bridge
// as pages reach it.
#include "../echo_script.h"

#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/layout/document_geometry.h>

#include <string>

namespace {

using ScriptCase = qx::test::EchoRow;

const ScriptCase kCases[] = {
    {"identity", u"<div id=a><b id=b></b></div>",
     "var a = document.getElementById('a'); echo(a === document.all.a, a.firstChild.parentNode === a,"
     " document.documentElement.parentNode === document, a.children[0] === document.all.item('b'));",
     "true true true true"},
    {"attributes", u"<table><tr><td id=c free>1</td></tr></table>",
     "var c = document.getElementById('c'); echo(c.getAttribute('nothing') === null, c.free === '',"
     " c.getAttribute('FREE') === ''); c.setAttribute('free', ''); c.idSignmark = 7; c.setAttribute('n', 12);"
     " echo(c.removeAttribute('absent'), c.outerHTML);",
     "true true true\nfalse <TD id=c free=\"\" idSignmark=7 n=12>1</TD>"},
    {"item by a shared name", u"<input name=x><input name=x><input name=y>",
     "var x = document.all.item('x'); echo(x.length, x.item(1) === document.all.item('x', 1),"
     " document.all.item('y').tagName, document.all.item('none'));",
     "2 true INPUT null"},
    {"live collection", u"<div id=d><i>1</i><i>2</i><i>3</i></div>",
     "var d = document.getElementById('d'), kids = d.children, seen = [];"
     " for (var i = 0; i < kids.length; i++) { seen.push(kids[i].innerText); d.removeChild(kids[i]); }"
     " echo(seen.join(), kids.length, d.innerHTML);",
     "1,3 1 <I>2</I>"},
    {"enumerator", u"<p>a</p><p>b</p>",
     "var s = ''; for (var e = new Enumerator(document.getElementsByTagName('P')); !e.atEnd(); e.moveNext())"
     " s += e.item().innerText; echo(s);",
     "ab"},
    {"detached node", u"<div id=a><p id=p><b>x</b></p></div>",
     "var b = document.getElementById('p').firstChild; document.getElementById('a').innerHTML = '';"
     " echo(b.parentNode.tagName, b.parentNode.parentNode, document.getElementById('p'));",
     "P null null"},
    {"table edges", u"<table id=t><tr><td>1</td></tr></table>",
     "var t = document.getElementById('t'); t.insertRow(-1); t.insertRow(t.rows.length);"
     " try { t.insertRow(9); } catch (e) { echo('insertRow', e.number); }"
     " try { t.rows[0].deleteCell(5); } catch (e) { echo('deleteCell', e.number); }"
     " try { t.rows[0].cells[0].colSpan = 0; } catch (e) { echo('colSpan', e.number); }"
     " echo(t.rows.length, t.rows[2].rowIndex, t.rows[0].cells[0].cellIndex);",
     "insertRow -2147024809\ndeleteCell -2147024809\ncolSpan -2147024809\n3 2 0"},
    {"content members", u"<div id=a>x</div>",
     "var a = document.getElementById('a'); a.insertAdjacentHTML('BeforeEnd', '<b>y&nbsp</b>');"
     " a.insertAdjacentText('afterBegin', '<'); echo(a.innerHTML, a.uniqueID, a.uniqueID, a.sourceIndex);",
     "&lt;x<B>y&nbsp;</B> ms__id1 ms__id1 3"},
};

// Styles: every script has $(id) for getElementById and prints sheet text with "|" for CR LF.
#define QX_STYLE_PRELUDE                                                                                     \
    "function $(id) { return document.getElementById(id) }"                                                  \
    " function flat(t) { return t.replace(/\\r\\n/g, '|').replace(/\\t/g, '') } "

const ScriptCase kStyleCases[] = {
    {"style writes rewrite the attribute", u"<div id=d style=\"color: Red;width:10px\">x</div>",
     QX_STYLE_PRELUDE "var d = $('d'), s = d.style; echo(s === d.style, s.color, s.width, s.pixelWidth);"
                      " s.height = '20px'; s.width = ''; echo(d.outerHTML);"
                      " d.setAttribute('style', 'MARGIN-LEFT: 3px; design_time_lock: true');"
                      " echo(s.marginLeft, s.cssText, s.design_time_lock, d.getAttribute('style'));"
                      " s.cssText = ''; echo(d.outerHTML);",
     "true red 10px 10\n<DIV id=d style=\"COLOR: red; HEIGHT: 20px\">x</DIV>\n"
     "3px MARGIN-LEFT: 3px; design_time_lock: true true MARGIN-LEFT: 3px; design_time_lock: true\n"
     "<DIV id=d>x</DIV>"},
    {"the runtime style wins and is never saved", u"<div id=d style=\"color: blue\">x</div>",
     QX_STYLE_PRELUDE
     "var d = $('d'), r = d.runtimeStyle; r.color = '#00FF00'; r.backgroundColor = '#000000';"
     " echo(r === d.runtimeStyle, r.color, d.style.color, d.currentStyle.color, d.outerHTML);"
     " r.color = ''; echo(d.currentStyle.color, d.currentStyle.backgroundColor, r.cssText);",
     "true #00ff00 blue #00ff00 <DIV id=d style=\"COLOR: blue\">x</DIV>\n#0000ff #000000 BACKGROUND-COLOR: "
     "#000000"},
    {"currentStyle: runtime over inline over rules by specificity over tag defaults",
     u"<style>P { color: red; margin-top: 0mm } .c { color: green } #p2 { color: navy } DIV P { font-weight:"
     u" bold }</style><div><p id=p1>a</p><p id=p2 class=c style=\"color: #abc\">b</p><p id=p3 class=C>c</p>"
     u"<p id=p4 class=c>d</p></div><span id=s>e</span>",
     QX_STYLE_PRELUDE
     "var cs = function (id) { return $(id).currentStyle };"
     " echo(cs('p1').color, cs('p1').marginTop, cs('p1').fontWeight, cs('p3').color, cs('p2').color,"
     " cs('s').fontWeight, cs('p1') === $('p1').currentStyle);"
     " $('p4').id = 'p2'; $('p2').runtimeStyle.color = 'white'; echo(cs('p2').color);"
     " document.styleSheets.item(0).disabled = true; echo(cs('p1').color, cs('p3').fontWeight);",
     "#ff0000 0mm 700 #008000 #aabbcc 400 true\n#ffffff\n#000000 400"},
    {"a STYLE element's sheet: rules, addRule, removeRule, cssText, title",
     u"<style id=st title=main>P { color: red } B, I { margin: 0 }</style>",
     QX_STYLE_PRELUDE
     "var ss = document.styleSheets, s = ss.item(0);"
     " echo(ss.length, s.title, s.id, s.rules.length, s.rules.item(1).selectorText, s.owningElement.tagName,"
     " $('st').styleSheet === s, ss.item('st') === s, ss[0] === s, ss.st === s, s.rules[2].selectorText);"
     " echo(s.addRule('TD.x', 'width: 10px', 0), s.rules.length, s.rules.item(0).style.width);"
     " s.removeRule(1); echo(flat(s.cssText));"
     " try { s.removeRule(5) } catch (e) { echo(e.number) }"
     " s.title = 'voform_style'; s.cssText = ''; echo(s.rules.length, s.title, $('st').disabled);",
     "1 main st 3 B STYLE true true true true I\n0 4 10px\nTD.x {|WIDTH: 10px|}|B {|MARGIN: 0px|}|I "
     "{|MARGIN: 0px|}|\n"
     "-2147024809\n0 voform_style false"},
    {"LINK and STYLE elements and their sheets",
     u"<link id=l rel=\"STYLESHEET alternate\" href=a.css media=print><link id=n rel=icon href=x.ico>"
     u"<style id=s media=screen>B { color: red }</style>",
     QX_STYLE_PRELUDE
     "var ss = document.styleSheets, l = $('l'), st = $('s'), s = st.styleSheet;"
     " echo(ss.length, ss.item(0).href, ss.item(0).media, l.styleSheet === ss.item(0), $('n').styleSheet,"
     " $('n').disabled, l.rel, s.media); st.disabled = true; st.media = 'all';"
     " echo(s.disabled, s.media, st.outerHTML); st.removeNode(true);"
     " echo(ss.length, s.owningElement === st, s.rules.length);",
     "2 a.css print true null false STYLESHEET alternate screen\ntrue all <STYLE id=s media=all>B { color: "
     "red "
     "}</STYLE>\n1 true 1"},
    {"styleSheets is live and createStyleSheet places its sheet", u"<style>P {}</style>",
     QX_STYLE_PRELUDE
     "var ss = document.styleSheets, first = ss.item(0);"
     " var a = document.createStyleSheet('', 0); a.title = 'voform_style_1';"
     " a.addRule('P', 'margin-top:0mm;margin-bottom:0mm;', 0);"
     " var b = document.createStyleSheet('x.css'), c = document.createStyleSheet('', 1);"
     " echo(ss.length, ss.item(0) === a, ss.item(1) === c, ss.item(2) === first, ss.item(3) === b, b.href,"
     " flat(a.cssText), a.owningElement);"
     " document.body.insertAdjacentHTML('beforeEnd', '<style id=late>I {}</style>');"
     " echo(ss.length, ss.item(3).id, ss.item(4) === b, document.body.innerHTML);",
     "4 true true true true x.css P {|MARGIN-TOP: 0mm; MARGIN-BOTTOM: 0mm|}| null\n"
     "5 late true <STYLE id=late>I {}</STYLE>"},
    {"colours through element.style", u"<div id=d>x</div>",
     QX_STYLE_PRELUDE
     "var s = $('d').style; s.color = 'RED'; s.backgroundColor = 'rgb(1, 2, 255)';"
     " s.borderColor = '#ABC'; echo(s.color, s.backgroundColor, s.borderTopColor, $('d').currentStyle.color);"
     " s.color = 0x123456; echo(s.color); try { s.color = 'nocolor' } catch (e) { echo(e.number, s.color) }",
     "red #0102ff #aabbcc #ff0000\n#123456\n-2147024809 #123456"},
    {"pixel and pos members", u"<div id=d style=\"width: 10pt; left: 2.5px; top: 1in; height: 50%\">x</div>",
     QX_STYLE_PRELUDE
     "var s = $('d').style;"
     " echo(s.pixelWidth, s.pixelLeft, s.pixelTop, s.pixelHeight, s.posWidth, s.posHeight);"
     " s.pixelWidth = 40; s.posHeight = 7; s.posLeft = 1.5; s.pixelTop = -3; echo(s.cssText);",
     "13 3 96 0 10 50\nWIDTH: 40px; LEFT: 1.5px; TOP: -3px; HEIGHT: 7%"},
    {"a percentage width in pixels counts from the containing block",
     u"<body><div id=p style=\"width: 50%\">x</div><div style=\"width: 200px\"><div id=q style=\"width:"
     u" 25%\">y</div></div><span id=i style=\"width: 50%\">z</span>",
     QX_STYLE_PRELUDE
     "echo($('p').style.pixelWidth, $('p').offsetWidth, $('q').style.pixelWidth,"
     " $('q').runtimeStyle.pixelWidth, $('i').style.pixelWidth);"
     " $('q').runtimeStyle.width = '10%'; echo($('q').runtimeStyle.pixelWidth, $('q').offsetWidth);",
     "502 502 50 0 0\n20 20"},
    {"a style write changes the geometry",
     u"<body><div id=d style=\"width: 100px\">x</div><table cellspacing=0 cellpadding=0><tr>"
     u"<td id=c style=\"width: 40px\">a</td></tr></table>",
     QX_STYLE_PRELUDE
     "var d = $('d'), c = $('c'); echo(d.offsetWidth, c.offsetWidth);"
     " d.style.width = '200px'; d.style.paddingLeft = '5px'; c.style.pixelWidth = 60;"
     " echo(d.offsetWidth, c.offsetWidth); d.runtimeStyle.width = '50px'; echo(d.offsetWidth);"
     " d.runtimeStyle.display = 'none'; echo(d.offsetWidth); d.runtimeStyle.cssText = ''; "
     "echo(d.offsetWidth);",
     "100 40\n205 60\n55\n0\n205"},
};

class DomScript : public testing::TestWithParam<ScriptCase> {};

TEST_P(DomScript, EchoesWhatTheOldBrowserGave) {
    const ScriptCase& c = GetParam();
    qx::com::ComPtr<IHTMLDocument2> document;
    ASSERT_EQ(qx::html::dom::ParseHtmlDocumentObject(c.page, &document), S_OK);
    qx::html::layout::AttachLayout(
        *qx::com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get())->AccessDocument());
    EXPECT_EQ(qx::test::RunEchoScript(document.Get(), c.script), c.output);
}

INSTANTIATE_TEST_SUITE_P(Pages, DomScript, testing::ValuesIn(kCases),
                         qx::test::RowName<testing::TestParamInfo<ScriptCase>>);
INSTANTIATE_TEST_SUITE_P(Styles, DomScript, testing::ValuesIn(kStyleCases),
                         qx::test::RowName<testing::TestParamInfo<ScriptCase>>);

} // namespace
