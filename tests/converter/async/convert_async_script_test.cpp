// Quorle.Convert from script with sync false: scripthost starts the conversion, the call returns
// at once, and the completion reaches the script as conv_OnEndConvert while it waits in
// WScript.Sleep, on the script's own thread.
#include "../script/quorle_script_support.h"
#include "loopback_http_server.h"

namespace {

using namespace quorle_script_test;
using qx::test::Outcome;

// Waits (pumping) until the end notices counted in `ended` reach n, at most 30 seconds.
const char kWaitFunction[] = R"(
var ended = [];
function conv_OnStartConvert() { ended.push("start"); }
function conv_OnEndConvert(n) { ended.push(n); }
function WaitFor(n) {
    for (var i = 0; i < 600 && ended.length < n; i++)
        WScript.Sleep(50);
}
function Yes(b) { return b ? "yes" : "no"; }
)";

class AsyncScript : public QuorleScript {
protected:
    void SetUp() override {
        QuorleScript::SetUp();
        qxtest::HttpResponse slow = qxtest::Reply(200, std::string(4000, 'x'));
        slow.contentType = "text/css";
        slow.pieceSize = 100;
        slow.pause = std::chrono::milliseconds(25);
        server_.Serve("/slow.css", slow);
    }
    Outcome RunAsync(const std::string& text) {
        const std::string urls = "var pageUrl = \"" + server_.Url("/page.htm") + "\";\nvar sheetUrl = \"" +
                                 server_.Url("/slow.css") + "\";\n";
        return RunScript(urls + kWaitFunction + text);
    }
    qxtest::LoopbackHttpServer server_;
};

TEST_F(AsyncScript, FilterOutReturnsAtOnceAndTheEndArrivesWhileTheScriptSleeps) {
    const Outcome o = RunAsync(R"(
var conv = new ActiveXObject("Quorle.Convert");
WScript.ConnectObject(conv, "conv_");
conv.htmlData = '<link rel=stylesheet href="' + sheetUrl + '"><p>x</p>';
var sync = conv.sync;
var started = conv.filterOut(pageUrl);
var atReturn = ended.length + " " + conv.mhtData.length;
var other = new ActiveXObject("Quorle.Convert");
var refused = [conv.filterOut(pageUrl), conv.filterIn(), other.filterIn(), other.filterOut(pageUrl)];
Section("start", Yes(sync) + " " + Yes(started) + " " + atReturn);
Section("refused", Yes(refused[0]) + Yes(refused[1]) + Yes(refused[2]) + Yes(refused[3]));
WaitFor(1);
Section("ended", ended.join(","));
Section("sheet", Yes(conv.mhtData.indexOf("Content-Type: Text/css") >= 0));
// Idle again: the next one is accepted and ends the same way.
Section("again", Yes(conv.filterOut(pageUrl)));
WaitFor(2);
Section("ended2", ended.join(","));
)");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, "");
    auto sections = Sections(o.out);
    EXPECT_EQ(sections["start"], "no yes 0 0");
    EXPECT_EQ(sections["refused"], "nononono");
    // The script's sink is the default source, _DIConvertEvent: only the end reaches it.
    EXPECT_EQ(sections["ended"], "1");
    EXPECT_EQ(sections["sheet"], "yes");
    EXPECT_EQ(sections["again"], "yes");
    EXPECT_EQ(sections["ended2"], "1,1");
    EXPECT_EQ(server_.RequestCount("/slow.css"), 2);
}

TEST_F(AsyncScript, FilterInEndsWithZeroAndTheHandlerMayConvertAgain) {
    const Outcome o = RunAsync(R"(
var conv = new ActiveXObject("Quorle.Convert");
WScript.ConnectObject(conv, "conv_");
conv.htmlData = conv.DownloadURL("file://c:/form/form.htm");
conv.filterOut("file://c:/form/form.htm");
WaitFor(1);
conv.mhtData = conv.mhtData;
var fromHandler = "";
conv_OnEndConvert = function (n) {
    ended.push(n);
    if (n == 0)
        fromHandler = Yes(conv.filterOut("file://c:/form/form.htm"));
};
Section("in", Yes(conv.filterIn()));
WaitFor(3);
Section("ended", ended.join(","));
Section("handler", fromHandler);
Section("html", Yes(conv.htmlData.indexOf("src=\"file://") >= 0));
)");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, "");
    auto sections = Sections(o.out);
    EXPECT_EQ(sections["in"], "yes");
    EXPECT_EQ(sections["ended"], "1,0,1");
    EXPECT_EQ(sections["handler"], "yes");
    EXPECT_EQ(sections["html"], "yes");
}

// The script lets go of the converter while it converts: the worker finishes on the object all
// the same, and the object's final release deletes the temporary files of its earlier load.
TEST_F(AsyncScript, ScriptThatLetsGoDuringTheConversionEndsCleanly) {
    const Outcome o = RunAsync(R"(
var conv = new ActiveXObject("Quorle.Convert");
conv.sync = true;
conv.htmlData = conv.DownloadURL("file://c:/form/form.htm");
conv.filterOut("file://c:/form/form.htm");
conv.mhtData = conv.mhtData;
conv.filterIn();
conv.sync = false;
conv.htmlData = '<link rel=stylesheet href="' + sheetUrl + '"><p>x</p>';
Section("started", Yes(conv.filterOut(pageUrl)));
conv = null;
var probe = new ActiveXObject("Quorle.Convert");
probe.sync = true;
var idle = false;
for (var i = 0; i < 600 && !idle; i++) {
    WScript.Sleep(50);
    idle = probe.filterOut("");
}
Section("idle", Yes(idle));
WScript.Sleep(200);
)");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, "");
    auto sections = Sections(o.out);
    EXPECT_EQ(sections["started"], "yes");
    EXPECT_EQ(sections["idle"], "yes");
    EXPECT_EQ(TempFileCount(), 0u);
}

} // namespace
