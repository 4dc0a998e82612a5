// Selection and ranges from page script: rows of {page, script, the lines it echoes}. `$` finds an
// element by id; `selectControls(...)` chooses elements as the editing control's click does.
#include "../echo_script.h"

#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/editing/document_text.h>
#include <qx/html/layout/document_geometry.h>

#include <string>
#include <vector>

namespace {

using ScriptCase = qx::test::EchoRow;

const ScriptCase kCases[] = {
    {"selection type follows select and empty", u"<p id=p>abc def</p>",
     "var s = document.selection; echo(s.type); var r = document.body.createTextRange(); echo(r.text);"
     " r.findText('def'); r.select(); echo(document.selection.type, document.selection.createRange().text);"
     " document.selection.empty(); echo(document.selection.type, document.selection.createRange().text === "
     "'');",
     "None\nabc def\nText def\nNone true"},
    {"text: blocks and BR as CR LF, white space collapsed, nbsp as a space",
     u"<p>  a&nbsp;b  </p>\n<div>c <br> d</div><table><tr><td>e</td><td>f<img></td></tr></table><p>\n</p>"
     u"<script>x</script><pre>g  h\ni</pre>",
     "echo(document.body.createTextRange().text.replace(/\\r\\n/g, '|'));", "a b|c|d|e|f|g  h|i"},
    {"moveToElementText, parentElement, collapse, htmlText",
     u"<table><tr><td id=c1>x<b id=b>yz</b></td><td id=c2></td></tr></table>",
     "var r = document.body.createTextRange(); r.moveToElementText($('c1')); echo(r.text, "
     "r.parentElement().id);"
     " r.collapse(false); echo(r.parentElement().id); r.moveToElementText($('b'));"
     " echo(r.parentElement().id, r.htmlText); r.moveToElementText($('c1')); r.moveStart('character', 1);"
     " echo(r.htmlText); r.moveToElementText($('c2')); r.collapse(true);"
     " echo(r.parentElement().id, r.text === '');",
     "xyz c1\nc1\nb yz\n<B id=b>yz</B>\nc2 true"},
    {"move, moveStart, moveEnd and expand by character, word, sentence and textedit",
     u"<p>one two. Three four!</p><p>five</p>",
     "var r = document.body.createTextRange(); r.collapse(true);"
     " echo(r.move('character', 2), r.moveEnd('word', 1), r.text + '|'); echo(r.expand('word'), r.text + "
     "'|');"
     " echo(r.moveEnd('sentence', 1), r.text + '|'); echo(r.moveEnd('Sentence', 1), "
     "r.text.replace(/\\r\\n/g, '#'));"
     " echo(r.move('textedit', 1), r.moveStart('character', -4), r.text, r.moveEnd('character', 5));"
     " echo(r.moveStart('word', -3), r.text.replace(/\\r\\n/g, '#'), r.expand('textedit'), r.text.length);"
     " r.collapse(true); echo(r.expand('character'), r.text, r.move('word', -9), r.move('word', 2));",
     "2 1 e |\ntrue one |\n1 one two. |\n1 one two. Three four!#\n1 -4 five 0\n-3 four!#five true 26\n"
     "true o 0 2"},
    {"compareEndPoints, setEndPoint, inRange, isEqual", u"<p>abcdef</p>",
     "var a = document.body.createTextRange(), b = a.duplicate(); b.findText('cd');"
     " echo(a.compareEndPoints('StartToStart', b), a.compareEndPoints('EndToEnd', b),"
     " b.compareEndPoints('StartToEnd', a), b.compareEndPoints('endtostart', b), a.inRange(b), b.inRange(a),"
     " a.isEqual(a.duplicate()), a.isEqual(b)); a.setEndPoint('EndToStart', b); echo(a.text);"
     " a.setEndPoint('StartToEnd', b); echo(a.text === '', a.compareEndPoints('StartToEnd', b));"
     " try { a.compareEndPoints('Sideways', b) } catch (e) { echo(e.number) }",
     "-1 1 -1 1 true false true false\nab\ntrue 0\n-2147024809"},
    {"findText: case, whole words, backward, not found", u"<p>Apple apple pineapple APPLE</p>",
     "function all(flags) { var r = document.body.createTextRange(), found = [];"
     " while (r.findText('apple', 1000000, flags)) { found.push(r.text); r.collapse(false); } return "
     "found.join(); }"
     " echo(all(0)); echo(all(4)); echo(all(2)); echo(all(6));"
     " var r = document.body.createTextRange(); r.collapse(false); echo(r.findText('apple', -1000000), "
     "r.text);"
     " r = document.body.createTextRange(); echo(r.findText('pear'), r.text.length, r.findText(''));"
     " r.collapse(true); echo(r.findText('apple', 4), r.findText('apple', 11), r.text);",
     "Apple,apple,apple,APPLE\napple,apple\nApple,apple,APPLE\napple\ntrue APPLE\nfalse 27 false\nfalse true "
     "Apple"},
    {"pasteHTML in a cell and across cells",
     u"<table id=t><tr><td id=a>one</td><td>two</td><td>three</td></tr></table>",
     "var r = document.body.createTextRange(); r.moveToElementText($('a')); r.pasteHTML('<b>1</b>&nbsp');"
     " echo($('a').innerHTML); r.findText('wo'); r.moveEnd('character', 3); echo(r.text.replace(/\\r\\n/g, "
     "'#'));"
     " r.pasteHTML('<i>X</i>'); echo($('t').outerHTML);",
     "<B>1</B>&nbsp;\nwo#th\n<TABLE id=t><TBODY><TR><TD "
     "id=a><B>1</B>&nbsp;</TD><TD>t<I>X</I></TD><TD>ree</TD>"
     "</TR></TBODY></TABLE>"},
    {"a range over a whole cell empties it and keeps it",
     u"<table id=t><tr><td>a1</td><td>b2</td><td>c3</td></tr></table>",
     "var r = document.body.createTextRange(), e = r.duplicate(); r.findText('1'); e.findText('c');"
     " r.setEndPoint('EndToEnd', e); echo(r.text.replace(/\\r\\n/g, '#'), r.htmlText); r.pasteHTML('-');"
     " echo($('t').outerHTML); r = document.body.createTextRange(); r.pasteHTML(''); "
     "echo(document.body.innerHTML);",
     "1#b2#c <TD>1</TD><TD>b2</TD><TD>c</TD>\n<TABLE "
     "id=t><TBODY><TR><TD>a-</TD><TD></TD><TD>3</TD></TR></TBODY></TABLE>\n"},
    {"text put: line breaks become BR, the range collapses after", u"<p id=p>hello world</p>",
     "var r = document.body.createTextRange(); r.findText('world'); r.text = 'there\\r\\nfriend';"
     " echo($('p').innerHTML); r.text = '!'; echo($('p').innerHTML, r.text === '');",
     "hello there<BR>friend\nhello there<BR>friend! true"},
    {"ranges follow the tree's changes", u"<p id=p>abc<b id=b>def</b>ghi</p>",
     "var r = document.body.createTextRange(), s = r.duplicate(); r.findText('def'); s.findText('h');"
     " $('b').insertAdjacentHTML('beforeBegin', '<i>new</i>'); echo(r.text, s.text);"
     " $('b').removeNode(true); echo(r.text === '', s.text, r.parentElement().id);"
     " $('p').innerHTML = 'xyz'; echo(s.text === '', s.parentElement().id, s.move('character', 1), "
     "s.parentElement().id);",
     "def h\ntrue h p\ntrue p 1 p"},
    {"control ranges and a control selection",
     u"<p id=p>x<img id=i><input id=f></p><table id=t><tr><td>c</td></tr></table>",
     "selectControls($('i')); var s = document.selection; echo(s.type); var c = s.createRange();"
     " echo(c.length, c.item(0).id, c.commonParentElement().id); c.add($('f')); c.add($('t'));"
     " echo(c.length, c.commonParentElement().tagName);"
     " try { c.add($('p')) } catch (e) { echo('add', e.number) } try { c.add($('i')) } catch (e) { "
     "echo('again', e.number) }"
     " try { c.item(5) } catch (e) { echo('item', e.number) } try { c.remove(-1) } catch (e) { "
     "echo('remove', e.number) }"
     " c.remove(2); c.select(); echo(document.selection.type, document.selection.createRange().length);"
     " document.selection.clear(); echo(document.selection.type, $('p').innerHTML);"
     " c.remove(0); c.remove(0); echo(c.commonParentElement()); c.select(); echo(document.selection.type);",
     "Control\n1 i i\n3 BODY\nadd -2147024809\nagain -2147024809\nitem -2147024809\nremove -2147024809\n"
     "Control 2\nNone x\nnull\nNone"},
    {"the caret the form control keeps: select, parentElement, pasteHTML",
     u"<table><tr><td id=d1 free>name</td><td id=d2></td></tr></table>",
     "var r = document.body.createTextRange(); r.moveToElementText($('d2')); r.collapse(false); r.select();"
     " var sel = document.selection; echo(sel.type, sel.createRange().duplicate().parentElement().id);"
     " sel.createRange().pasteHTML('&nbsp&nbsp'); echo($('d2').innerHTML);"
     " r = document.body.createTextRange(); r.collapse(true); r.select();"
     " echo(document.selection.createRange().parentElement().id);"
     " r = document.body.createTextRange(); r.collapse(false); r.select();"
     " document.selection.createRange().pasteHTML('<p>end</p>'); echo(document.body.innerHTML);",
     "None d2\n&nbsp;&nbsp;\nd1\n<TABLE><TBODY><TR><TD id=d1 free>name</TD><TD "
     "id=d2>&nbsp;&nbsp;</TD></TR></TBODY>"
     "</TABLE><P>end</P>"},
    {"clearing a text selection", u"<p id=p>abc<b>def</b>ghi</p>",
     "var r = document.body.createTextRange(); r.findText('cdefg'); r.select(); document.selection.clear();"
     " echo(document.selection.type, $('p').innerHTML);",
     "None abhi"},
    {"bad arguments", u"<p>a</p>",
     "var r = document.body.createTextRange();"
     " try { r.moveToElementText(document) } catch (e) { echo(e.number) }"
     " try { r.moveToElementText(document.createElement('b')) } catch (e) { echo(e.number) }"
     " try { r.move('line', 1) } catch (e) { echo(e.number) }"
     " try { r.setEndPoint('StartToEnd', document.body) } catch (e) { echo(e.number) }"
     " echo(r.inRange(document.body), r.text);"
     " try { r.pasteHTML(new Array(1100).join('<div>')) } catch (e) { echo(e.number, r.text) }"
     " try { document.createElement('body').createTextRange() } catch (e) { echo(e.number) }",
     "-2147024809\n-2147024809\n-2147024809\n-2147024809\nfalse a\n-2147024809 a\n-2147024809"},
    {"moveToPoint through the layout's hit test",
     u"<p id=p>abcdef</p><table><tr><td id=c>xy</td></tr></table><p id=q><img id=i width=40 height=20></p>",
     "var r = document.body.createTextRange(); r.moveToPoint(25, 20); r.moveEnd('character', 2); "
     "echo(r.text);"
     " r.moveToPoint(200, 20); r.moveStart('character', -1); echo(r.text);"
     " r.moveToPoint(14, 40); echo(r.parentElement().id); r.moveEnd('character', 1); echo(r.text);"
     " try { r.moveToPoint(-5, 3) } catch (e) { echo(e.number) }"
     " r.moveToPoint(12, 70); r.moveEnd('character', 1); echo(r.htmlText, r.parentElement().id);",
     "cd\nf\nc\nx\n-2147024809\n<IMG id=i width=40 height=20> q"},
    {"places with no text between them are equal", u"<p id=p>ab<b id=b>cd</b></p>",
     "var r1 = document.body.createTextRange(), r2 = r1.duplicate(), r4 = r1.duplicate();"
     " r1.moveToElementText($('b')); r2.findText('cd'); var r3 = r1.duplicate(); r3.collapse(true);"
     " r4.findText('ab'); r4.collapse(false);"
     " echo(r1.isEqual(r2), r1.compareEndPoints('StartToStart', r2), r3.compareEndPoints('StartToEnd', r4));",
     "true 0 0"},
    {"findText across a line break; htmlText of cut elements", u"<p>one<br>two <i>three</i> four</p>",
     "var r = document.body.createTextRange(), s = r.duplicate(); echo(r.findText('one\\r\\ntwo'),"
     " r.text.replace(/\\r\\n/g, '#'), r.htmlText); s.findText('three four'); echo(s.htmlText);",
     "true one#two one<BR>two\n<I>three</I> four"},
    {"word moves stop at objects and breaks", u"<p>ab <img> cd</p><p>ef</p>",
     "var r = document.body.createTextRange(), seen = []; r.collapse(true);"
     " while (r.move('word', 1)) { var d = r.duplicate(); d.moveEnd('character', 1);"
     " seen.push(d.text.replace(/\\r\\n/g, '#')); } echo(seen.join('|'));",
     "|c|#|e|"},
    {"PRE keeps its white space and line ends", u"<pre id=p>a  b\nc</pre>",
     "var r = document.body.createTextRange(); echo(r.text.replace(/\\r\\n/g, '#')); r.findText('b');"
     " r.moveEnd('character', 2); echo(r.text.replace(/\\r\\n/g, '#'));",
     "a  b#c\nb#c"},
    {"random edits keep every range in order",
     u"<p id=p>one <b>two</b> three</p><table id=t><tr><td>a b</td><td></td></tr><tr><td>c<img></td>"
     u"<td><i>d</i> e</td></tr></table><pre>f  g\nh</pre><div>i<br>j</div>",
     "var page = document.body.innerHTML, bad = 0; for (var seed = 1; seed < 16; seed++) {"
     " document.body.innerHTML = page; run(seed); } echo(bad);"
     " function run(seed) { function rnd(n) { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % "
     "n; }"
     " var units = ['character', 'word', 'sentence', 'textedit'], ranges = [];"
     " for (var i = 0; i < 4; i++) ranges.push(document.body.createTextRange());"
     " for (var step = 0; step < 400; step++) {"
     "  var r = ranges[rnd(4)], o = ranges[rnd(4)], u = units[rnd(4)], n = rnd(7) - 3;"
     "  switch (rnd(12)) {"
     "  case 0: r.move(u, n); break; case 1: r.moveStart(u, n); break; case 2: r.moveEnd(u, n); break;"
     "  case 3: r.expand(u); break; case 4: r.collapse(rnd(2) == 0); break;"
     "  case 5: r.setEndPoint(['StartToStart', 'StartToEnd', 'EndToStart', 'EndToEnd'][rnd(4)], o); break;"
     "  case 6: r.pasteHTML(['', 'x', '<b>y</b>z', '<p>q</p>', '&nbsp'][rnd(5)]); break;"
     "  case 7: r.text = ['', 'k', 'l\\r\\nm'][rnd(3)]; break; case 8: r.findText(['a', 'e', ' '][rnd(3)]); "
     "break;"
     "  case 9: var all = document.all; if (all.length > 3) { var e = all[3 + rnd(all.length - 3)];"
     "   if (e.tagName != 'BODY' && e.tagName != 'HTML') e.removeNode(rnd(2) == 0); } break;"
     "  case 10: r.select(); document.selection.createRange().pasteHTML('s'); break;"
     "  case 11: if (document.body.innerHTML.length < 20) document.body.innerHTML = '<p>w "
     "v</p><table><tr><td>u</td></tr></table>';"
     "  }"
     "  for (var k = 0; k < 4; k++) { if (ranges[k].compareEndPoints('StartToEnd', ranges[k]) > 0) bad++; "
     "r.text; r.htmlText;"
     "   r.parentElement(); }"
     " } }",
     "0"},
    {"an empty body", u"",
     "var r = document.body.createTextRange(); echo(r.text === '', r.move('character', 1), r.expand('word'),"
     " r.findText('a'), document.selection.type); r.pasteHTML('<i>x</i>'); echo(document.body.innerHTML);",
     "true 0 false false None\n<I>x</I>"},
};

class RangeScript : public testing::TestWithParam<ScriptCase> {};

TEST_P(RangeScript, EchoesWhatTheOldBrowserGave) {
    const ScriptCase& c = GetParam();
    qx::com::ComPtr<IHTMLDocument2> document;
    ASSERT_EQ(qx::html::dom::ParseHtmlDocumentObject(c.page, &document), S_OK);
    auto access = qx::com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get());
    qx::html::dom::DomPtr dom = access->AccessDocument();
    qx::html::layout::AttachLayout(*dom);
    qx::html::editing::DocumentText& text = qx::html::editing::AttachEditing(*dom);
    const std::string script =
        std::string("function $(id) { return document.getElementById(id); }\n") + c.script;
    const std::string output =
        qx::test::RunEchoScript(document.Get(), script, [&](qx::script::ScriptEngine& engine) {
            engine.DefineFunction("selectControls", [&](qx::script::CallContext& call) {
                std::vector<qx::html::dom::Node*> elements;
                for (std::size_t i = 0; i < call.ArgCount(); ++i) {
                    qx::com::Variant element;
                    if (FAILED(call.ArgVariant(i, &element)) || element.vt != VT_DISPATCH)
                        return E_INVALIDARG;
                    auto node = qx::com::ComPtr<IHtmlNodeAccess>::QueryFrom(element.pdispVal);
                    if (!node)
                        return E_INVALIDARG;
                    elements.push_back(node->AccessNode());
                }
                text.SelectControls(elements);
                return S_OK;
            });
        });
    EXPECT_EQ(output, c.output);
}

INSTANTIATE_TEST_SUITE_P(Pages, RangeScript, testing::ValuesIn(kCases),
                         qx::test::RowName<testing::TestParamInfo<ScriptCase>>);

} // namespace
