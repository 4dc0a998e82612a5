// The DOM from page script: rows of {page, script, the lines it echoes}, through the script bridge
// as pages reach it.
#include "../echo_script.h"

#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>

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

class DomScript : public testing::TestWithParam<ScriptCase> {};

TEST_P(DomScript, EchoesWhatTheOldBrowserGave) {
    const ScriptCase& c = GetParam();
    qx::com::ComPtr<IHTMLDocument2> document;
    ASSERT_EQ(qx::html::dom::ParseHtmlDocumentObject(c.page, &document), S_OK);
    EXPECT_EQ(qx::test::RunEchoScript(document.Get(), c.script), c.output);
}

INSTANTIATE_TEST_SUITE_P(Pages, DomScript, testing::ValuesIn(kCases),
                         qx::test::RowName<testing::TestParamInfo<ScriptCase>>);

} // namespace
