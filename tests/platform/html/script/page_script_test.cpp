// Page script through pagehost: each row is a page, and what the page says (its message boxes and
// script errors on standard error, its saved document) is compared byte for byte.
#include "page_rows.h"

#include <string>

namespace {

using qx::test::Alert;
using qx::test::Alerts;
using qx::test::Outcome;
using Row = qx::test::PageRow;
const std::string& kPrelude = qx::test::kSayPrelude;

class PageScript : public qx::test::PageHostProcess {};

TEST_F(PageScript, EventDelivery) {
    RunRows({
        {"inline, attached, then bubbling to the parent",
         "<body><div id=a onclick=\"say('div inline', event.srcElement.id)\">"
         "<span id=b onclick=\"say('span inline', this.id, event.type)\">x</span></div><script>"
         "b.attachEvent('onclick', function (e) { say('attached', e === window.event); });"
         "document.getElementById('b').click(); say('after', window.event);</script>",
         Alerts({"span inline b click", "attached true", "div inline b", "after null"})},
        {"cancelBubble stops at the element",
         "<body><div onclick=\"say('never')\"><span id=b onclick='event.cancelBubble = true; say(1)'>x</span>"
         "</div><script>b.click()</script>",
         Alerts({"1"})},
        {"returnValue false and a handler's false cancel; fireEvent answers it",
         "<body><p id=p onclick='return false'></p><i id=i onclick='event.returnValue = false'></i>"
         "<b id=b onclick='say(1)'></b><script>say(p.fireEvent('onclick'), i.fireEvent('onclick'), "
         "b.fireEvent('onclick'))</script>",
         Alerts({"1", "false false true"})},
        {"nested events keep their own window.event",
         "<body><a id=a onclick=\"b.fireEvent('onfocus'); say(event.type, event.srcElement.id)\"></a>"
         "<b id=b onfocus=\"say(event.type, event.srcElement.id)\"></b><script>a.click()</script>",
         Alerts({"focus b", "click a"})},
        {"focus does not bubble, click does",
         "<body><div onfocus=\"say('div focus')\" onclick=\"say('div click')\"><b id=b></b></div>"
         "<script>b.fireEvent('onfocus'); b.fireEvent('onclick')</script>",
         Alerts({"div click"})},
        {"detachEvent, the same handler attached twice, and onclick put",
         "<body><b id=b></b><script>function h() { say('h') }"
         "b.attachEvent('onclick', h); b.attachEvent('onclick', h); b.click(); b.detachEvent('onclick', h);"
         "b.click(); b.onclick = function () { say('property', this.id) }; b.click();"
         "say(typeof b.onclick); b.onclick = null; b.click(); say(b.onclick)</script>",
         Alerts({"h", "property b", "function", "null"})},
        {"a handler that detaches itself and removes its element",
         "<body><div id=d><b id=b></b></div><script>var el = b; function h() { el.detachEvent('onclick', h); "
         "el.removeNode(true); say('ran', el.parentNode) } el.attachEvent('onclick', h);"
         "el.attachEvent('onclick', function () { say('second') }); el.click(); el.click(); "
         "say(d.innerHTML)</script>",
         Alerts({"ran null", "second", "second", ""})},
        {"fireEvent with an unknown name without on fails",
         "<body><b id=b></b><script>try { b.fireEvent('click') } catch (e) { say(e.number) }</script>",
         Alerts({"-2147024809"})},
        {"script for event binds to the element",
         "<body><b id=b></b><script for=b event=onclick()>say('for', this.id, event.type)</script>"
         "<script>b.click()</script>",
         Alerts({"for b click"})},
        {"event object members",
         "<body><b id=b onclick=\"var e = event; e.keyCode = 13; say(e.keyCode, e.button, e.clientX, "
         "e.altKey, "
         "e.shiftKey, e.returnValue, e.cancelBubble, e.toElement, e.qualifier === "
         "'')\"></b><script>b.click()</script>",
         Alerts({"13 0 0 false false undefined false null true"})},
    });
}

TEST_F(PageScript, WindowAndTimers) {
    RunRows({
        {"scripts run in document order, timers in time order afterwards",
         "<script>say(1); setTimeout(function () { say('t200') }, 200);"
         "setTimeout(\"say('t100')\", 100)</script><body><script>say(2, document.body.tagName)</script>",
         Alerts({"1", "2 BODY", "t100", "t200"})},
        {"setInterval until cleared, clearTimeout",
         "<script>var n = 0, id = setInterval(function () { if (++n == 3) clearInterval(id); say(n) }, 10);"
         "clearTimeout(setTimeout(function () { say('never') }, 5))</script>",
         Alerts({"1", "2", "3"})},
        {"window is the global object; document.Script names its functions",
         "<script>var x = 5; function twice(v) { return v * 2 }"
         "say(window.x, self === window, typeof document.Script.twice, document.Script.twice(4))</script>",
         Alerts({"5 true function 8"})},
        {"confirm answers the default button", "<script>say(confirm('sure?'))</script>",
         "MessageBox \"Message from webpage\": sure? ([OK] Cancel) -> OK\n" + Alert("true")},
        {"a VBScript block is left alone",
         "<script language=vbscript>MsgBox 1</script><script>say(2)</script>", Alerts({"2"})},
    });
}

TEST_F(PageScript, ErrorsAreReportedAndTheNextBlockRuns) {
    const Outcome o =
        RunPage(kPrelude + "<script>\nsay(1);\nnothing.here;\nsay('never')</script>"
                           "<script>say(2); setTimeout(function () { missing() }, 1)</script>"
                           "<body><b id=b onclick='nope()'></b><script>b.click(); say(3)</script>");
    EXPECT_EQ(o.exitCode, 1);
    const std::string report =
        "Script error\nLine: 3\nError: ReferenceError: identifier 'nothing' undefined\n"
        "URL: " +
        Url() + "\n";
    EXPECT_EQ(o.err.substr(0, Alert("1").size() + report.size()), Alert("1") + report);
    EXPECT_NE(o.err.find(Alert("2")), std::string::npos);
    EXPECT_NE(o.err.find(Alert("3")), std::string::npos);
    EXPECT_NE(o.err.find("identifier 'nope' undefined"), std::string::npos);
    EXPECT_NE(o.err.find("identifier 'missing' undefined"), std::string::npos);
}

TEST_F(PageScript, AnEndlessLoopIsStopped) {
    const Outcome o = RunPage("<script>for (;;) {}</script><script>alert('next')</script>");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "Script error\nError: The script ran past its time budget\nURL: " + Url() + "\n" +
                         Alert("next"));
}

TEST_F(PageScript, SavesWhatScriptMade) {
    const std::string saved = (dir_ / "out.htm").string();
    const Outcome o = RunPage("<body><table id=t><tr><td>a</td></tr></table><script>"
                              "t.insertRow(-1).insertCell().innerText = 'b'; t.rows[0].cells[0].free = 1;"
                              "setTimeout(function () { document.body.removeChild(document.scripts[0]) }, 1)"
                              "</script></body>",
                              {"--save", saved});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(qx::test::ReadAll(saved),
              "<HTML><HEAD></HEAD><BODY><TABLE id=t><TBODY><TR><TD free=1>a</TD></TR><TR><TD>b</TD></TR>"
              "</TBODY></TABLE></BODY></HTML>");
}

// What the form control does to a page it prepares: empties the old sheet, puts its own first, sets
// the body's font size, highlights a cell in the runtime style; style writes move the geometry and
// are saved, the runtime style is not.
TEST_F(PageScript, StylesOfAPreparedPage) {
    const std::string saved = (dir_ / "out.htm").string();
    const Outcome o = RunPage(
        "<head><style title=VOFORM_STYLE>P { color: red }</style></head><body><p id=p "
        "style=\"width:100px\">x</p>"
        "<table cellspacing=0><tr><td id=c>a</td></tr></table><script>var ss = document.styleSheets;"
        "for (var i = 0; i < ss.length; i++) if (ss.item(i).title.toLowerCase() == 'voform_style') {"
        " ss.item(i).cssText = ''; ss.item(i).title = '' }"
        "var s = document.createStyleSheet('', 0); s.title = 'voform_style_1';"
        "s.addRule('P', 'margin-top:0mm;margin-bottom:0mm;', 0);"
        "if (document.body.style.fontSize == '') document.body.style.fontSize = '10pt';"
        "c.runtimeStyle.backgroundColor = '#000000'; c.runtimeStyle.color = '#FFFFFF';"
        "var w = p.offsetWidth; p.style.width = '150px';"
        "alert([ss.length, ss.item(0).title, ss.item(1).rules.length, p.currentStyle.marginTop,"
        " p.currentStyle.color, w, p.offsetWidth, c.runtimeStyle.backgroundColor].join(' '));"
        "setTimeout(function () { document.body.removeChild(document.scripts[0]) }, 1)</script></body>",
        {"--save", saved});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, Alert("2 voform_style_1 0 0mm #000000 100 150 #000000"));
    EXPECT_EQ(
        qx::test::ReadAll(saved),
        "<HTML><HEAD><STYLE title=VOFORM_STYLE>P { color: red }</STYLE></HEAD><BODY style=\"FONT-SIZE: "
        "10pt\">"
        "<P id=p style=\"WIDTH: 150px\">x</P><TABLE cellspacing=0><TBODY><TR><TD id=c>a</TD></TR></TBODY>"
        "</TABLE></BODY></HTML>");
}

TEST_F(PageScript, SecondsOfPageTimeAndLoadFailures) {
    const Outcome o =
        RunPage("<script>setTimeout(\"alert('early')\", 1000); setTimeout(\"alert('late')\", 3000)"
                "</script>",
                {"--seconds", "2"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.err, Alert("early"));

    qxtest::ChildOptions options;
    options.streams = qxtest::Streams::Separate;
    const qxtest::ProgramRun run =
        qxtest::RunProgram({QX_BIN_DIR "/pagehost", (dir_ / "none.htm").string()}, options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errors, "pagehost: cannot read \"" + (dir_ / "none.htm").string() + "\"\n");
}

} // namespace
