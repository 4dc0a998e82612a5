// The document's, the window's and the tag interfaces' members from page script, and the window as
// components reach it (document.parentWindow), through pagehost.
#include "page_rows.h"

#include <string>

namespace {

using qx::test::Alert;
using qx::test::Alerts;

class DocumentAndWindow : public qx::test::PageHostProcess {};

constexpr char kInvalidArgument[] = "-2147024809";

TEST_F(DocumentAndWindow, DocumentMembers) {
    RunRows({
        {"designMode keeps the three modes and refuses others",
         "<body><script>var d = document; say(d.designMode); d.designMode = 'on'; say(d.designMode);"
         "d.designMode = 'INHERIT'; say(d.designMode); try { d.designMode = 'x' } catch (e) { say(e.number) }"
         "</script>",
         Alerts({"Inherit", "On", "Inherit", kInvalidArgument})},
        {"document3: children, a new uniqueID each time, no parent, fragments, dir and the base address",
         "<body><script>var d = document; say(d.childNodes.length, d.childNodes[0] === d.documentElement,"
         " d.uniqueID != d.uniqueID, d.parentDocument, d.createDocumentFragment().body);"
         "d.dir = 'rtl'; d.baseUrl = 'http://h/'; d.recalc(true);"
         "say(d.dir, d.baseUrl, d.documentElement.getAttribute('dir'), d.getElementsByTagName('BASE').length)"
         "</script>",
         Alerts({"1 true true null null", "rtl http://h/ rtl 1"})},
        {"ownerDocument of elements and texts",
         "<body><b id=b>x</b><script>say(b.ownerDocument === document, b.firstChild.ownerDocument === "
         "document)"
         "</script>",
         Alerts({"true true"})},
    });
}

TEST_F(DocumentAndWindow, Location) {
    const std::string url = Url();
    const std::string path = url.substr(7);
    RunRows({
        {"the parts of the address; the hash moves within the page",
         "<body><script>var l = location; say(l.href == document.URL, l.protocol, l.host === '', l.hostname "
         "=== '',"
         " l.port === '', l.search === '', l.hash === '', l.pathname, document.location === window.location);"
         "l.hash = 'top'; say(l.hash, String(l) == document.URL, document.URL.slice(-13))</script>",
         Alerts({"true file: true true true true true " + path + " true", "#top true /page.htm#top"})},
        {"going elsewhere: the browser around the page shows the new address",
         "<body><script>if (location.protocol == 'file:') location.replace('about:blank');"
         "else say('still here')</script>",
         Alerts({})},
    });
}

TEST_F(DocumentAndWindow, WindowMembers) {
    RunRows({
        {"a page is a top-level window",
         "<body><script>say(parent === window, top === self, frames === window, window.closed, opener,"
         " window.status === '')</script>",
         Alerts({"true true true false null true"})},
        {"status, defaultStatus and opener keep what is put",
         "<body><script>var w = document.parentWindow; w.defaultStatus = 'ready'; opener = 7;"
         "say(defaultStatus, w.opener, window.opener)</script>",
         Alerts({"ready 7 7"})},
        {"name, status and navigator are the window object's, also through parentWindow",
         "<body><script>var w = document.parentWindow; name = 'main'; status = 'busy';"
         "say(w.name, w.status, w.document === document, w.parent === w, w.top === w.self, w.length);"
         "say(navigator.appCodeName, navigator.platform, navigator.javaEnabled(), clientInformation === "
         "navigator,"
         " w.navigator === navigator, navigator.userLanguage)</script>",
         Alerts({"main busy true true true 0", "Mozilla Win32 false true true ko"})},
        {"the screen is the platform's",
         "<body><script>say(screen.width, screen.height, screen.availWidth, screen.colorDepth)</script>",
         Alerts({"1280 1024 1280 32"})},
        {"execScript runs in the global scope, from script and through parentWindow",
         "<body><script>execScript('var made = 3'); say(made);"
         "document.parentWindow.execScript('made++', 'JavaScript'); say(made);"
         "try { execScript('x = 1', 'VBScript') } catch (e) { say('refused') }"
         "try { document.parentWindow.execScript('y = 1', 'VBScript') } catch (e) { say(e.number) }</script>",
         Alerts({"3", "4", "refused", kInvalidArgument})},
        {"parentWindow's event is the one being delivered",
         "<body><b id=b></b><script>var w = document.parentWindow;"
         "b.onclick = function () { say(w.event.type, w.event.srcElement.id, w.event === event) }; b.click();"
         "say(w.event)</script>",
         Alerts({"click b true", "null"})},
        {"page globals are names of parentWindow; timers and boxes through it",
         "<body><script>function twice(v) { return v * 2 } var w = document.parentWindow;"
         "var kept = 1; say(w.twice(21), typeof w.nothing); w.kept = 5; say(kept);"
         "var id = w.setTimeout(\"say('timer')\", 10); w.clearTimeout(w.setTimeout(\"say('never')\", 5));"
         "w.alert('boxed'); say(w.confirm('sure?'))</script>",
         Alerts({"42 undefined", "5", "boxed"}) +
             "MessageBox \"Message from webpage\": sure? ([OK] Cancel) -> OK\n" + Alerts({"true", "timer"})},
    });
}

TEST_F(DocumentAndWindow, TableMembers) {
    RunRows({
        {"table colours, background, caption",
         "<body><table id=t><tr id=r><td id=c height=5>x</td></tr></table><script>"
         "t.borderColorLight = 'Black'; t.borderColorDark = '#FFFFFF'; t.background = 'a.gif'; t.align = "
         "'center';"
         "t.cols = 3; t.frame = 'box'; t.rules = 'all'; t.height = 40;"
         "say(t.borderColorLight, t.borderColorDark, t.background, t.align, t.cols, t.frame, t.rules, "
         "t.height);"
         "var cap = t.createCaption(); say(cap.tagName, t.caption === cap, t.createCaption() === cap);"
         "cap.align = 'bottom'; cap.vAlign = 'top'; say(cap.align, cap.vAlign); t.deleteCaption(); "
         "say(t.caption);"
         "t.refresh()</script>",
         Alerts({"#000000 #ffffff a.gif center 3 box all 40", "CAPTION true true", "bottom top", "null"})},
        {"cell and row members; an empty length drops the attribute",
         "<body><table><tbody id=s><tr id=r height=9><td id=c height=5>x</td></tr></tbody></table><script>"
         "c.align = 'right'; c.vAlign = 'top'; c.width = 120; c.height = ''; c.background = 'b.gif';"
         "c.borderColor = 'red'; say(c.outerHTML, c.borderColor, c.width);"
         "r.align = 'left'; r.vAlign = 'middle'; r.borderColorDark = 'navy'; say(r.height); r.height = '';"
         "s.align = 'center'; s.vAlign = 'bottom'; say(r.align, r.vAlign, r.borderColorDark, s.align, "
         "s.vAlign,"
         " r.getAttribute('height'))</script>",
         Alerts(
             {"<TD id=c align=right vAlign=top width=120 background=b.gif borderColor=red>x</TD> #ff0000 120",
              "9", "left middle #000080 center bottom null"})},
        {"BODY's margins are its attributes, which layout reads",
         "<body leftmargin=7><div id=d>x</div><script>var b = document.body;"
         "say(b.leftMargin, b.topMargin === '', d.offsetLeft); b.leftMargin = 0; b.topMargin = 0;"
         "b.rightMargin = 0; b.bottomMargin = 0; say(b.outerHTML.slice(0, 66), d.offsetLeft, d.offsetTop)"
         "</script>",
         Alerts({"7 true 7", "<BODY leftmargin=0 topMargin=0 rightMargin=0 bottomMargin=0><DIV i 0 0"})},
        {"focus, blur and the other handler properties run as attached handlers do",
         "<body><input id=f><script>var log = []; f.onfocus = function () { log.push('focus') };"
         "f.onblur = function () { log.push('blur') }; f.oncontextmenu = function () { log.push('menu'); "
         "return false };"
         "f.fireEvent('onfocus'); f.fireEvent('onblur'); say(f.fireEvent('oncontextmenu'), log.join(' '), "
         "typeof f.onfocus,"
         " f.onscroll)</script>",
         Alerts({"false focus blur menu function null"})},
        {"columns: span and width",
         "<body><table><colgroup id=g><col id=k span=2></colgroup><tr><td>x</td></tr></table><script>"
         "k.width = 50; k.align = 'right'; say(k.span, k.width, g.span, k.align, k.vAlign === '');"
         "try { k.span = 0 } catch (e) { say(e.number) } k.span = 3; say(k.outerHTML)</script>",
         Alerts({"2 50 1 right true", kInvalidArgument, "<COL id=k span=3 width=50 align=right>"})},
    });
}

TEST_F(DocumentAndWindow, LinkFormAndFieldMembers) {
    RunRows({
        {"a link resolves against the page and reads in parts",
         "<body><a id=a href='sub/x.htm?q=1#h' target=_top name=n>x</a><script>"
         "say(a.href == document.URL.replace(/page\\.htm$/, 'sub/x.htm?q=1#h'), a.protocol, a.search, a.hash,"
         " a.pathname.slice(-10), a.target, a.name);"
         "a.search = 'r=2'; a.hash = ''; say(a.getAttribute('href').slice(-13), a.host === '')</script>",
         Alerts({"true file: ?q=1 #h /sub/x.htm _top n", "sub/x.htm?r=2 true"})},
        {"a form's fields, by index and by name",
         "<body><form id=f name=fm action=go.asp method=POST><input name=a value=1><p>"
         "<select name=s><option selected value=2>t</select></p><textarea name=t>hi</textarea>"
         "<button name=b>b</button></form><script>"
         "say(f.elements.length, f.length, f.item('a').value, f.item(1).tagName, f.elements[2].value, "
         "f.s.value,"
         " document.forms.fm === f, f.method, f.encoding, f.action, f.name);"
         "f.onreset = function () { say('reset') }; f.reset()"
         "</script>",
         Alerts({"4 4 1 SELECT hi 2 true post application/x-www-form-urlencoded go.asp fm", "reset"})},
        {"a text area's value is its content",
         "<body><form id=f><textarea id=t name=n rows=4 readonly>a</textarea></form><script>"
         "say(t.type, t.value, t.rows, t.cols, t.readOnly, t.disabled, t.form === f); t.value = 'b<c';"
         "t.disabled = true; say(t.outerHTML, t.defaultValue)</script>",
         Alerts({"textarea a 4 20 true false true",
                 "<TEXTAREA id=t name=n rows=4 readonly disabled>b&lt;c</TEXTAREA> b<c"})},
        {"script elements",
         "<body><script id=sc for=x event=onclick() defer>1</script><script>"
         "say(sc.htmlFor, sc.event, sc.text, sc.defer, sc.src === '', sc.type === ''); sc.text = '2';"
         "sc.defer = false; say(sc.outerHTML)</script>",
         Alerts({"x onclick() 1 true true true", "<SCRIPT id=sc for=x event=\"onclick()\">2</SCRIPT>"})},
        {"the other members write their attributes",
         "<body><a id=a>x</a><form id=f><textarea id=t></textarea><object id=o></object></form><script>"
         "a.rel = 'next'; a.rev = 'prev'; f.target = '_blank'; f.encoding = 'multipart/form-data'; f.method "
         "= 'get';"
         "t.wrap = 'off'; t.cols = 40; o.data = 'd.bin'; o.type = 'x/y'; o.codeType = 'c/t'; o.code = 'C';"
         "o.align = 'left'; o.height = '50%'; o.hspace = 2; o.name = 'ob';"
         "say(a.outerHTML, f.encoding, t.wrap, t.cols, o.data, o.type, o.codeType, o.code, o.align, o.height,"
         " o.hspace, o.name); say(o.outerHTML)</script>",
         Alerts({"<A id=a rel=next rev=prev>x</A> multipart/form-data off 40 d.bin x/y c/t C left 50% 2 ob",
                 "<OBJECT id=o data=d.bin type=\"x/y\" codeType=\"c/t\" code=C align=left height=\"50%\" "
                 "hspace=2 "
                 "name=ob></OBJECT>"})},
        {"OBJECT's own members",
         "<body><form id=f><object id=o classid='clsid:00000000-0000-0000-0000-000000000001' codebase=x.cab "
         "width=10 vspace=3 altHtml='no'></object></form><script>"
         "say(o.classid, o.codeBase, o.width, o.vspace, o.hspace, o.altHtml, o.form === f, o.BaseHref == "
         "document.URL)"
         "</script>",
         Alerts({"clsid:00000000-0000-0000-0000-000000000001 x.cab 10 3 0 no true true"})},
    });
}

} // namespace
