// The XML parser ("Microsoft.XMLDOM") from page script: scripthost creates it by ProgID and every
// member is reached by name through IDispatch, with script numbers, strings, null and objects
// crossing both ways. Each row is a script snippet and the exact text it echoes.
#include "../host/scripthost_process.h"

#include <loopback_http_server.h>

#include "test_texts.h"

#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qx::test::Outcome;
using qxtest::Iconv;

struct Row {
    const char* name;
    std::string script;
    std::string expected;
};

// Every snippet starts with a synchronous document `d` and a few helpers that make values visible:
// q() quotes strings (so CR LF shows) and leaves null as null; hex() gives an HRESULT or error code;
// fails() runs a function and reports the number it throws; error() sums up parseError.
const char* const kPrelude = R"(var d = new ActiveXObject("Microsoft.XMLDOM");
d.async = false;
function q(v) { return v === null ? "null" : typeof v == "string" ? JSON.stringify(v) : String(v); }
function hex(n) { return "0x" + (n < 0 ? n + 4294967296 : n).toString(16).toUpperCase(); }
function fails(f) { try { f(); return "no error"; } catch (e) { return "throws " + hex(e.number); } }
function error(doc) {
    var p = doc.parseError;
    return hex(p.errorCode) + " " + q(p.reason) + " line " + p.line;
}
function names(list) {
    var s = [];
    for (var i = 0; i < list.length; i++) s.push(list.item(i).nodeName);
    return s.join(",");
}
)";

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

// "한글 똠방각하 뷁": 똠 (8C 63) and 뷁 (94 EE) are code page 949 bytes beyond EUC-KR.
const std::string kKorean = "\xED\x95\x9C\xEA\xB8\x80 \xEB\x98\xA0\xEB\xB0\xA9\xEA\xB0\x81\xED\x95\x98 "
                            "\xEB\xB7\x81";

using qxtest::kBillionLaughs;

class DomScript : public qx::test::ScriptHostProcess {
protected:
    // Runs the prelude and the snippet, with %DIR% standing for the test's directory and %URL%
    // for the loopback server's address.
    Outcome RunSnippet(std::string snippet) {
        ReplaceAll(snippet, "%DIR%", dir_.string());
        ReplaceAll(snippet, "%URL%", baseUrl_);
        return Run({Write("test.js", kPrelude + snippet).string()});
    }
    void RunRows(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const Outcome o = RunSnippet(row.script);
            EXPECT_EQ(o.exitCode, 0) << o.err;
            EXPECT_EQ(o.out, row.expected);
            EXPECT_EQ(o.err, "");
        }
    }
    std::string baseUrl_;
};

TEST_F(DomScript, LoadingAndTheDocumentsText) {
    Write("plain.xml", "<p>plain</p>");
    RunRows({
        {"async starts true and takes false", R"(
var e = new ActiveXObject("Microsoft.XMLDOM");
WScript.Echo(e.async, typeof e.async);
e.async = false;
WScript.Echo(e.async, e.readyState);
)",
         "true boolean\nfalse 4\n"},
        {"loadXML answers a boolean and xml keeps attribute order and quoting", R"(
var ok = d.loadXML("<r b='2' a=\"1\"><x>one</x><c/></r>");
WScript.Echo(ok, typeof ok, q(d.xml));
)",
         "true boolean \"<r b=\\\"2\\\" a=\\\"1\\\"><x>one</x><c/></r>\\r\\n\"\n"},
        {"a declaration is written back only when the document had one", R"(
d.loadXML("<?xml version=\"1.0\" encoding=\"euc-kr\" standalone=\"yes\"?><r/>");
WScript.Echo(q(d.xml));
d.loadXML("<?xml version=\"1.0\"?><r/>");
WScript.Echo(q(d.xml));
d.loadXML("<r/>");
WScript.Echo(q(d.xml));
)",
         "\"<?xml version=\\\"1.0\\\" encoding=\\\"euc-kr\\\" standalone=\\\"yes\\\"?>\\r\\n<r/>\\r\\n\"\n"
         "\"<?xml version=\\\"1.0\\\"?>\\r\\n<r/>\\r\\n\"\n"
         "\"<r/>\\r\\n\"\n"},
        {"top-level nodes each end with CR LF; markup in text is escaped", R"(
d.loadXML("<!-- c --><?pi data?><r t='&lt;&amp;&quot;>'>a &lt; b &amp; c &gt; d<![CDATA[<x>]]></r>");
WScript.Echo(q(d.xml));
)",
         "\"<!-- c -->\\r\\n<?pi data?>\\r\\n<r t=\\\"&lt;&amp;&quot;>\\\">a &lt; b &amp; c &gt; "
         "d<![CDATA[<x>]]></r>\\r\\n\"\n"},
        {"a document type keeps its internal declarations", R"(
d.loadXML("<!DOCTYPE r SYSTEM 'r.dtd' [<!-- note --><!ELEMENT r (#PCDATA|b)*><!ATTLIST b k (one|two) #REQUIRED>" +
          "<!NOTATION gif SYSTEM 'image/gif'>]><r>t<b k='one'/></r>");
var x = d.xml;
WScript.Echo(q(x));
WScript.Echo(d.loadXML(x), d.xml == x, d.firstChild.nodeName, d.firstChild.nodeType);
d.loadXML("<!DOCTYPE r PUBLIC '-//Q//X' 'r.dtd'><r/>");
WScript.Echo(q(d.xml));
)",
         "\"<!DOCTYPE r SYSTEM \\\"r.dtd\\\" [<!-- note --><!ELEMENT r (#PCDATA | b)*><!ATTLIST b k (one | "
         "two) "
         "#REQUIRED><!NOTATION gif SYSTEM \\\"image/gif\\\" >]>\\r\\n<r>t<b k=\\\"one\\\"/></r>\\r\\n\"\n"
         "true true r 10\n\"<!DOCTYPE r PUBLIC \\\"-//Q//X\\\" \\\"r.dtd\\\">\\r\\n<r/>\\r\\n\"\n"},
        {"the document type node: its declarations are not child nodes", R"(
d.loadXML("<!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r a CDATA 'x'><!NOTATION n SYSTEM 'n'>]><r/>");
var t = d.firstChild;
WScript.Echo(t.nodeName, t.nodeType, q(t.nodeValue), q(t.text), t.childNodes.length, t.firstChild, t.lastChild,
             t.childNodes.item(0), t.hasChildNodes(), t.attributes, t.parentNode.nodeName);
WScript.Echo(t.cloneNode(true).xml, t.selectNodes('node()').length, d.selectNodes('node()').length);
WScript.Echo(fails(function () { t.appendChild(d.createElement("x")); }), fails(function () { t.text = "x"; }));
WScript.Echo(d.removeChild(t).nodeName, q(d.xml), t.xml);
)",
         "r 10 null \"\" 0 null null null false null #document\n"
         "<!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r a CDATA \"x\"><!NOTATION n SYSTEM \"n\" >]> 0 1\n"
         "throws 0x80004005 throws 0x80004005\n"
         "r \"<r/>\\r\\n\" <!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r a CDATA \"x\"><!NOTATION n SYSTEM \"n\" "
         ">]>\n"},
        {"text joins the descendants' text and trims it", R"(
d.loadXML("<r>  a  <b> c </b>  <!-- no --></r>");
WScript.Echo(q(d.text), q(d.documentElement.text), q(d.documentElement.firstChild.text));
d.documentElement.text = "new <text>";
WScript.Echo(q(d.xml));
)",
         "\"a   c\" \"a   c\" \"  a  \"\n\"<r>new &lt;text&gt;</r>\\r\\n\"\n"},
        {"documentElement and parseError after a good load", R"(
d.loadXML("<r/>");
var e = d.documentElement;
WScript.Echo(e.nodeName, e.nodeType, typeof e.nodeType, e.nodeValue, error(d));
)",
         "r 1 number null 0x0 \"\" line 0\n"},
        {"load of a file path and of a file: URL", R"(
WScript.Echo(d.load("%DIR%/plain.xml"), q(d.documentElement.text));
WScript.Echo(d.load("file://%DIR%/plain.xml"), q(d.documentElement.xml));
)",
         "true \"plain\"\ntrue \"<p>plain</p>\"\n"},
    });
}

TEST_F(DomScript, FailedLoadsLeaveAnEmptyDocumentAndAFilledParseError) {
    // Each snippet first loads a good document, so that what is left afterwards shows.
    auto failed = [](const char* name, const std::string& load, const std::string& error) {
        return Row{name,
                   "d.loadXML(\"<old><kept/></old>\");\nvar old = d.documentElement;\nWScript.Echo(" + load +
                       ");\nWScript.Echo(q(d.xml), d.documentElement, d.childNodes.length, "
                       "d.selectNodes(\"//*\").length);\nWScript.Echo(error(d));\nWScript.Echo(old.xml);\n",
                   "false\n\"\" null 0 0\n" + error + "\n<old><kept/></old>\n"};
    };
    RunRows({
        failed("end tag that does not match", "d.loadXML(\"<a>\\n<b>\\n</a>\\n\")",
               "0xC00CE04C \"Opening and ending tag mismatch: b line 2 and a\\r\\n\" line 3"),
        failed("empty text", "d.loadXML(\"\")", "0xC00CE55E \"Document is empty\\r\\n\" line 1"),
        failed("two top-level elements", "d.loadXML(\"<a/><b/>\")",
               "0xC00CE55E \"Extra content at the end of the document\\r\\n\" line 1"),
        failed("undeclared entity", "d.loadXML(\"<a>&nbsp;</a>\")",
               "0xC00CE01A \"Entity 'nbsp' not defined\\r\\n\" line 1"),
        failed("repeated attribute", "d.loadXML(\"<a>\\n  <b x='1' x='2'/></a>\")",
               "0xC00CE02A \"Attribute x redefined\\r\\n\" line 2"),
        failed("entity declarations", "d.loadXML(\"<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>\")",
               "0xC00CEF02 \"Entity declarations are not accepted.\\r\\n\" line 0"),
        failed("missing file", "d.load(\"%DIR%/missing.xml\")",
               "0x80070002 \"The system cannot locate the object specified.\\r\\n\" line 0"),
        failed("a number for loadXML is its text", "d.loadXML(5)",
               "0xC00CE55E \"Start tag expected, '<' not found\\r\\n\" line 1"),
        failed("an empty file name", "d.load(\"\")",
               "0x80070057 \"The system cannot locate the object specified.\\r\\n\" line 0"),
        failed("scheme that is not read", "d.load(\"ftp://127.0.0.1/a.xml\")",
               "0x80070005 \"Access is denied.\\r\\n\" line 0"),
    });
    RunRows({{"sources that are not text or a stream are refused", R"(
d.loadXML("<old/>");
WScript.Echo(fails(function () { d.load(null); }), fails(function () { d.load(5); }),
             fails(function () { d.load(); }), fails(function () { d.loadXML(null); }), d.documentElement.nodeName);
WScript.Echo(d.load("missing.xml"), q(d.parseError.url), q(d.url));
)",
              "throws 0x80070057 throws 0x80070057 throws 0x8002000E throws 0x80020005 old\n"
              "false \"missing.xml\" \"\"\n"}});
    // The line of the first error and its source text.
    RunRows({{"position of the first error", R"(
d.loadXML("<a>\n  <b>\n  </c>\n</a>");
var p = d.parseError;
WScript.Echo(p.line, p.linepos, q(p.srcText), p.filepos);
d.loadXML("<ok/>");
WScript.Echo(p.errorCode != 0, d.parseError.errorCode);
)",
              "3 7 \"  </c>\" 16\ntrue 0\n"}});
}

TEST_F(DomScript, NavigationAndNodeProperties) {
    RunRows({
        {"nodeName, nodeType and nodeValue of every kind of node", R"(
d.loadXML("<!--c--><?pi data?><r a='1'>t<![CDATA[cd]]><e/></r>");
var r = d.documentElement;
var nodes = [d, d.firstChild, d.childNodes.item(1), r, r.attributes.item(0), r.firstChild,
             r.childNodes.item(1), r.lastChild];
for (var i = 0; i < nodes.length; i++)
    WScript.Echo(nodes[i].nodeName, nodes[i].nodeType, q(nodes[i].nodeValue));
)",
         "#document 9 null\n#comment 8 \"c\"\npi 7 \"data\"\nr 1 null\na 2 \"1\"\n#text 3 \"t\"\n"
         "#cdata-section 4 \"cd\"\ne 1 null\n"},
        {"siblings and parents, with null at each end", R"(
d.loadXML("<r><a/><b/><c/></r>");
var r = d.documentElement, b = r.firstChild.nextSibling;
WScript.Echo(r.firstChild.nodeName, r.lastChild.nodeName, b.nodeName, b.previousSibling.nodeName,
             b.nextSibling.nodeName);
WScript.Echo(r.firstChild.previousSibling, r.lastChild.nextSibling, r.lastChild.firstChild,
             r.lastChild.lastChild);
WScript.Echo(b.parentNode.nodeName, r.parentNode.nodeName, d.parentNode, b.ownerDocument.nodeName);
)",
         "a c b a c\nnull null null null\nr #document null #document\n"},
        {"childNodes: length, item, nextNode to the end, reset", R"(
d.loadXML("<r><a/><b/><c/></r>");
var list = d.documentElement.childNodes;
WScript.Echo(list.length, list.item(0).nodeName, list.item(2).nodeName, list.item(3), list.item(-1));
WScript.Echo(list.item("1").nodeName, list(1).nodeName);
var seen = [], n;
while ((n = list.nextNode()) != null) seen.push(n.nodeName);
WScript.Echo(seen.join(","), list.nextNode());
list.reset();
WScript.Echo(list.nextNode().nodeName, list.nextNode().nodeName);
)",
         "3 a c null null\nb b\na,b,c null\na b\n"},
        {"childNodes is live", R"(
d.loadXML("<r><a/></r>");
var r = d.documentElement, list = r.childNodes;
r.appendChild(d.createElement("b"));
WScript.Echo(list.length, names(list));
r.removeChild(r.firstChild);
WScript.Echo(list.length, names(list), d.createElement("x").childNodes.length);
)",
         "2 a,b\n1 b 0\n"},
    });
}

// Page script compares nodes (`n != stop`): a node asked for twice, by any road, is one object.
TEST_F(DomScript, NodesAreTheSameObjectByEveryRoad) {
    RunRows({
        {"asking twice gives the same node", R"js(
d.loadXML("<r><a k='1'>x</a><b/></r>");
var e = d.documentElement;
WScript.Echo(e.firstChild === e.firstChild, e.firstChild == e.firstChild, e.childNodes.item(1) === e.lastChild,
             e.firstChild.firstChild === e.firstChild.firstChild, d.documentElement === e);
)js",
         "true true true true true\n"},
        {"a node found by a query is the node reached by walking", R"js(
d.loadXML("<r><a k='1'>x</a><b/></r>");
var e = d.documentElement, a = e.firstChild;
WScript.Echo(d.selectSingleNode("r/b") === e.lastChild, d.selectSingleNode("//a/text()") == a.firstChild,
             d.selectSingleNode("r/a/@k") === a.getAttributeNode("k"),
             a.attributes.getNamedItem("k") === a.attributes.item(0),
             d.getElementsByTagName("b").item(0) === e.lastChild, d.selectNodes("r/*").item(0) === a);
WScript.Echo(a.parentNode === e, e.parentNode === d, a.ownerDocument == d, e.lastChild.previousSibling === a);
)js",
         "true true true true true true\ntrue true true true\n"},
        {"walking up to the document and along to a stop node", R"js(
d.loadXML("<r><i>1</i><i>2</i><i>3</i><stop/><i>4</i></r>");
var stop = d.selectSingleNode("r/stop"), out = [];
for (var n = d.documentElement.firstChild; n != stop; n = n.nextSibling) out.push(n.text);
var up = 0;
for (var m = d.selectSingleNode("//stop"); m != d; m = m.parentNode) up++;
WScript.Echo(out.join(","), up);
)js",
         "1,2,3 2\n"},
        {"a removed node stays equal to the reference held before", R"js(
d.loadXML("<r><a k='1'>x</a><b/></r>");
var e = d.documentElement, held = e.firstChild;
var removed = e.removeChild(held);
WScript.Echo(removed === held, held.parentNode, held.xml, e.firstChild === held);
WScript.Echo(e.appendChild(held) === held, e.lastChild === held, held.parentNode === e);
var old = e.replaceChild(d.createElement("c"), held);
WScript.Echo(old === held, e.lastChild.nodeName, held.text);
)js",
         "true null <a k=\"1\">x</a> false\ntrue true true\ntrue c x\n"},
        {"different nodes differ, and so does a copy from its original", R"js(
d.loadXML("<r><a/><a/></r>");
var e = d.documentElement, one = e.firstChild, two = e.lastChild, copy = one.cloneNode(true);
WScript.Echo(one === two, one == two, one.xml == two.xml, copy === one, copy == one, copy.xml == one.xml);
var whole = d.cloneNode(true);
WScript.Echo(whole == d, whole.documentElement == e, whole.documentElement === whole.documentElement);
)js",
         "false false true false false true\nfalse false true\n"},
        {"a node given to another document is copied; a new load gives new nodes", R"js(
var other = new ActiveXObject("Microsoft.XMLDOM");
other.async = false;
other.loadXML("<o/>");
d.loadXML("<r><a/></r>");
var a = d.documentElement.firstChild;
var moved = other.documentElement.appendChild(a);
WScript.Echo(moved === a, moved === other.documentElement.firstChild, a.parentNode === d.documentElement,
             a.ownerDocument === d, moved.ownerDocument === other);
d.loadXML("<r><a/></r>");
WScript.Echo(a === d.selectSingleNode("r/a"), a.xml, a.parentNode.nodeName,
             d.selectSingleNode("r/a") === d.documentElement.firstChild);
)js",
         "false true true true true\nfalse <a/> r true\n"},
    } // namespace
    );
}

TEST_F(DomScript, BuildingAndEditing) {
    RunRows({
        {"createElement and createTextNode make detached nodes", R"(
var e = d.createElement("N"), t = d.createTextNode("a<b & c");
WScript.Echo(e.xml, t.xml, e.parentNode, t.parentNode, t.nodeName, t.nodeType, q(t.nodeValue));
WScript.Echo(q(d.xml), d.documentElement);
)",
         "<N/> a&lt;b &amp; c null null #text 3 \"a<b & c\"\n\"\" null\n"},
        {"appendChild builds a document and answers the appended node", R"(
var root = d.appendChild(d.createElement("r"));
var child = root.appendChild(d.createElement("c"));
child.appendChild(d.createTextNode("text"));
WScript.Echo(root.nodeName, child.parentNode.nodeName, d.documentElement.nodeName, q(d.xml));
)",
         "r r r \"<r><c>text</c></r>\\r\\n\"\n"},
        {"insertBefore a child, and before null (at the end)", R"(
d.loadXML("<r><b/></r>");
var r = d.documentElement;
var a = r.insertBefore(d.createElement("a"), r.firstChild);
r.insertBefore(d.createElement("c"), null);
WScript.Echo(a.nodeName, r.xml, fails(function () { r.insertBefore(d.createElement("d")); }));
)",
         "a <r><a/><b/><c/></r> throws 0x8002000E\n"},
        {"appendChild and insertBefore move a node that is in the tree", R"(
d.loadXML("<r><a/><b/><c/></r>");
var r = d.documentElement;
r.appendChild(r.firstChild);
WScript.Echo(r.xml);
r.insertBefore(r.lastChild, r.firstChild);
WScript.Echo(r.xml);
)",
         "<r><b/><c/><a/></r>\n<r><a/><b/><c/></r>\n"},
        {"replaceChild answers the old child, which is then detached", R"(
d.loadXML("<r><a>1</a><b/></r>");
var r = d.documentElement;
var old = r.replaceChild(d.createElement("n"), r.firstChild);
WScript.Echo(old.xml, old.parentNode, r.xml);
)",
         "<a>1</a> null <r><n/><b/></r>\n"},
        {"removeChild answers the removed child and refuses a stranger", R"(
d.loadXML("<r><a/><b/></r>");
var r = d.documentElement;
var gone = r.removeChild(r.lastChild);
WScript.Echo(gone.xml, gone.parentNode, r.xml);
WScript.Echo(fails(function () { r.removeChild(gone); }), fails(function () { r.removeChild(d); }));
r.appendChild(gone);
WScript.Echo(r.xml);
)",
         "<b/> null <r><a/></r>\nthrows 0x80070057 throws 0x80070057\n<r><a/><b/></r>\n"},
        {"cloneNode deep and shallow", R"(
d.loadXML("<r k='v'><a>t</a></r>");
var r = d.documentElement;
var deep = r.cloneNode(true), shallow = r.cloneNode(false);
WScript.Echo(deep.xml, shallow.xml, deep.parentNode, shallow.ownerDocument.nodeName);
deep.firstChild.text = "changed";
WScript.Echo(r.xml, deep.xml);
var copy = d.cloneNode(true);
copy.documentElement.setAttribute("k", "w");
WScript.Echo(q(copy.xml), q(d.xml));
)",
         "<r k=\"v\"><a>t</a></r> <r k=\"v\"/> null #document\n<r k=\"v\"><a>t</a></r> <r "
         "k=\"v\"><a>changed</a></r>\n\"<r k=\\\"w\\\"><a>t</a></r>\\r\\n\" \"<r "
         "k=\\\"v\\\"><a>t</a></r>\\r\\n\"\n"},
        {"a node of another document is copied in", R"(
var other = new ActiveXObject("Microsoft.XMLDOM");
other.async = false;
other.loadXML("<o><x>from other</x></o>");
d.loadXML("<r/>");
var x = other.documentElement.firstChild;
var added = d.documentElement.appendChild(x);
WScript.Echo(d.xml, other.xml, added.ownerDocument.documentElement.nodeName);
)",
         "<r><x>from other</x></r>\r\n <o><x>from other</x></o>\r\n r\n"},
        {"edits that cannot be made throw and change nothing", R"(
d.loadXML("<r><a/></r>");
var r = d.documentElement, a = r.firstChild;
WScript.Echo(fails(function () { a.appendChild(r); }), fails(function () { d.appendChild(d.createElement("s")); }),
             fails(function () { d.appendChild(d.createTextNode("t")); }));
WScript.Echo(fails(function () { r.appendChild(null); }), fails(function () { r.appendChild("<x/>"); }),
             fails(function () { r.insertBefore(d.createElement("n"), d.createElement("m")); }));
WScript.Echo(fails(function () { r.appendChild({ nodeName: "x" }); }),
             fails(function () { r.appendChild(new ActiveXObject("Microsoft.XMLDOM")); }));
WScript.Echo(fails(function () { d.createElement(""); }), fails(function () { d.createElement("1x"); }));
WScript.Echo(q(d.xml));
)",
         "throws 0x80004005 throws 0x80004005 throws 0x80004005\n"
         "throws 0x80070057 throws 0x80020005 throws 0x80070057\n"
         "throws 0x80070057 throws 0x80004005\n"
         "throws 0x80004005 throws 0x80004005\n\"<r><a/></r>\\r\\n\"\n"},
        {"text outside the basic plane survives the round trip", R"(
d.loadXML("<r/>");
var t = d.documentElement.appendChild(d.createTextNode("\uD83D\uDE00 \u0E01"));
WScript.Echo(t.length, escape(d.documentElement.text), d.loadXML(d.xml), escape(d.documentElement.text));
)",
         "4 %uD83D%uDE00%20%u0E01 true %uD83D%uDE00%20%u0E01\n"},
        {"nodeValue of text and attributes takes script values", R"(
d.loadXML("<r a='1'>t</r>");
var r = d.documentElement;
r.firstChild.nodeValue = 42;
r.attributes.getNamedItem("a").nodeValue = "x\"y";
WScript.Echo(r.xml, fails(function () { r.nodeValue = "no"; }));
)",
         "<r a=\"x&quot;y\">42</r> throws 0x80004005\n"},
    });
}

TEST_F(DomScript, Attributes) {
    RunRows({
        {"getAttribute answers a string or null", R"(
d.loadXML("<r a='1' b='x &amp; y' e=''/>");
var r = d.documentElement;
WScript.Echo(q(r.getAttribute("a")), q(r.getAttribute("b")), q(r.getAttribute("e")), q(r.getAttribute("z")),
             typeof r.getAttribute("z"));
)",
         "\"1\" \"x & y\" \"\" null object\n"},
        {"setAttribute keeps a set attribute in place and adds new ones at the end", R"(
d.loadXML("<r a='1' b='2'/>");
var r = d.documentElement;
r.setAttribute("a", "one");
r.setAttribute("n", 5);
r.setAttribute("f", 1.5);
r.setAttribute("s", "<\"&'>");
WScript.Echo(r.xml);
)",
         "<r a=\"one\" b=\"2\" n=\"5\" f=\"1.5\" s=\"&lt;&quot;&amp;'>\"/>\n"},
        {"setAttribute refuses null and bad names", R"(
d.loadXML("<r a='1'/>");
var r = d.documentElement;
WScript.Echo(fails(function () { r.setAttribute("a", null); }), fails(function () { r.setAttribute("1a", "v"); }),
             fails(function () { r.setAttribute("", "v"); }), r.xml);
)",
         "throws 0x80020005 throws 0x80004005 throws 0x80004005 <r a=\"1\"/>\n"},
        {"removeAttribute, also of an attribute that is not there", R"(
d.loadXML("<r a='1' b='2' c='3'/>");
var r = d.documentElement;
r.removeAttribute("b");
r.removeAttribute("missing");
WScript.Echo(r.xml, q(r.getAttribute("b")));
)",
         "<r a=\"1\" c=\"3\"/> null\n"},
        {"attributes: length, item, getNamedItem, nextNode", R"(
d.loadXML("<r z='26' a='1'><c/></r>");
var r = d.documentElement, map = r.attributes;
WScript.Echo(map.length, map.item(0).nodeName, map.item(1).value, map.item(2), map(0).text);
var z = map.getNamedItem("z");
WScript.Echo(z.nodeName, z.nodeType, z.value, z.text, z.xml, z.parentNode, map.getNamedItem("q"));
WScript.Echo(map.nextNode().name, map.nextNode().name, map.nextNode());
map.reset();
WScript.Echo(map.nextNode().name, r.firstChild.attributes.length, d.attributes, d.firstChild.attributes.length);
)",
         "2 z 1 null 26\nz 2 26 26 z=\"26\" null null\nz a null\nz 0 null 2\n"},
        {"setNamedItem adds an attribute made by createAttribute, or replaces one of its name", R"(
d.loadXML("<r a='1' z='9'/>");
var r = d.documentElement, map = r.attributes;
var b = d.createAttribute("b");
b.value = "2";
WScript.Echo(b.parentNode, b.xml, map.setNamedItem(b).name, r.xml, map.length);
var a = d.createAttribute("a");
a.value = "new";
map.setNamedItem(a);
WScript.Echo(map.length, r.getAttribute("a"), r.getAttributeNode("a").value, r.getAttributeNode("q"));
WScript.Echo(fails(function () { map.setNamedItem(d.createElement("x")); }),
             fails(function () { d.createElement("o").attributes.setNamedItem(a); }));
)",
         "null b=\"2\" b <r a=\"1\" z=\"9\" b=\"2\"/> 3\n3 new new null\nthrows 0x80070057 throws "
         "0x80004005\n"},
        {"the attribute map is live and removeNamedItem answers the removed attribute", R"(
d.loadXML("<r a='1'/>");
var r = d.documentElement, map = r.attributes;
r.setAttribute("b", "2");
var gone = map.removeNamedItem("a");
WScript.Echo(map.length, gone.name, gone.value, r.xml, map.removeNamedItem("a"));
)",
         "1 a 1 <r b=\"2\"/> null\n"},
    });
}

TEST_F(DomScript, SelectNodesAndSelectSingleNode) {
    const std::string tree =
        "d.loadXML(\"<r><g n='1'><i>a</i><i k='v'>b</i></g><g n='2'><i>c</i><h><i>d</i></h></g></r>\");\n";
    auto select = [&](const char* query, const char* context, const char* expected) {
        return Row{query,
                   tree + "var c = " + context + ";\nvar list = c.selectNodes(\"" + query +
                       "\"), one = c.selectSingleNode(\"" + query +
                       "\");\nvar s = [];\nfor (var i = 0; i < list.length; i++) s.push(list.item(i).text);\n"
                       "WScript.Echo(list.length, s.join(\",\"), one ? one.xml : one);\n",
                   expected};
    };
    RunRows({
        select("r/g/i", "d", "3 a,b,c <i>a</i>\n"),
        select("r/g/h/i", "d", "1 d <i>d</i>\n"),
        select("r/*", "d", "2 ab,cd <g n=\"1\"><i>a</i><i k=\"v\">b</i></g>\n"),
        select("r/*/*", "d", "4 a,b,c,d <i>a</i>\n"),
        select("//i", "d", "4 a,b,c,d <i>a</i>\n"),
        select("r//i", "d", "4 a,b,c,d <i>a</i>\n"),
        select("//@n", "d", "2 1,2 n=\"1\"\n"),
        select("r/g/@n", "d", "2 1,2 n=\"1\"\n"),
        select("//g[@n='2']/i", "d", "1 c <i>c</i>\n"),
        select("//i[@k]", "d", "1 b <i k=\"v\">b</i>\n"),
        select("//i[@k='w']", "d", "0  null\n"),
        select("r/g[2]", "d", "1 cd <g n=\"2\"><i>c</i><h><i>d</i></h></g>\n"),
        select("//i[.='c']", "d", "1 c <i>c</i>\n"),
        select("i", "d.documentElement.firstChild", "2 a,b <i>a</i>\n"),
        select("i", "d", "0  null\n"),
        select("/r/g/i", "d.documentElement.lastChild", "3 a,b,c <i>a</i>\n"),
        select("missing/path", "d", "0  null\n"),
    });
    RunRows({{"a query's result is fixed when it is made and walks with nextNode", tree + R"(
var list = d.selectNodes("r/g");
d.documentElement.appendChild(d.createElement("g"));
WScript.Echo(list.length, list.nextNode().getAttribute("n"), list.nextNode().getAttribute("n"), list.nextNode());
list.reset();
WScript.Echo(list.nextNode().getAttribute("n"), list(1).getAttribute("n"), d.selectNodes("r/g").length);
)",
              "2 1 2 null\n1 2 3\n"},
             {"a query that does not parse throws", tree + R"(
WScript.Echo(fails(function () { d.selectNodes("r/["); }), fails(function () { d.selectSingleNode(""); }));
)",
              "throws 0x80004005 throws 0x80004005\n"}});
}

TEST_F(DomScript, SaveWritesTheDocumentsText) {
    const Outcome o = RunSnippet(R"(
d.loadXML("<?xml version=\"1.0\" encoding=\"UTF-8\"?><!--c--><r b='2' a='1'><x>t &amp; u</x></r>");
d.save("%DIR%/utf8.xml");
d.loadXML("<r/>");
d.documentElement.appendChild(d.createTextNode("built"));
d.save("%DIR%/built.xml");
d.loadXML("<?xml version=\"1.0\" encoding=\"euc-kr\"?><r>" + "\uD55C\uAE00 \uB620\uBC29\uAC01\uD558 \uBDC1" + "</r>");
d.save("%DIR%/korean.xml");
WScript.Echo(fails(function () { d.save(""); }), fails(function () { d.save("%DIR%/no/such/dir/x.xml"); }),
             fails(function () { d.save(5); }));
var back = new ActiveXObject("Microsoft.XMLDOM");
back.async = false;
WScript.Echo(back.load("%DIR%/korean.xml"), back.xml == d.xml);
)");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "throws 0x80070057 throws 0x80070003 throws 0x80070057\ntrue true\n");
    EXPECT_EQ(qx::test::ReadAll(dir_ / "utf8.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!--c-->\r\n<r b=\"2\" a=\"1\"><x>t &amp; "
              "u</x></r>\r\n");
    EXPECT_EQ(qx::test::ReadAll(dir_ / "built.xml"), "<r>built</r>\r\n");
    EXPECT_EQ(qx::test::ReadAll(dir_ / "korean.xml"),
              Iconv("<?xml version=\"1.0\" encoding=\"euc-kr\"?>\r\n<r>" + kKorean + "</r>\r\n", "CP949"));
    EXPECT_FALSE(fs::exists(dir_ / "no"));
}

TEST_F(DomScript, FileNamesKeepEveryCharacter) {
    // "한글 똠.xml" is in code page 949; "ก 😀.xml" is not, and still names its file.
    const Outcome o = RunSnippet(R"(
var names = ["%DIR%/\uD55C\uAE00 \uB620.xml", "%DIR%/\u0E01 \uD83D\uDE00.xml"];
for (var i = 0; i < names.length; i++) {
    d.loadXML("<r n='" + i + "'/>");
    d.save(names[i]);
    var back = new ActiveXObject("Microsoft.XMLDOM");
    back.async = false;
    WScript.Echo(back.load(names[i]), back.documentElement.getAttribute("n"));
}
WScript.Echo(fails(function () { d.save("%DIR%/cut\u0000off.xml"); }), d.load("%DIR%/cut\u0000off.xml"),
             hex(d.parseError.errorCode));
)");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "true 0\ntrue 1\nthrows 0x8007007B false 0x8007007B\n");
    EXPECT_EQ(qx::test::ReadAll(dir_ / ("\xED\x95\x9C\xEA\xB8\x80 \xEB\x98\xA0.xml")), "<r n=\"0\"/>\r\n");
    EXPECT_EQ(qx::test::ReadAll(dir_ / ("\xE0\xB8\x81 \xF0\x9F\x98\x80.xml")), "<r n=\"1\"/>\r\n");
    EXPECT_FALSE(fs::exists(dir_ / "cut"));
}

TEST_F(DomScript, KoreanDocumentsReadTheSameAsTheirUtf8Twin) {
    const std::string body = "<IN><NAME a=\"" + kKorean + "\">" + kKorean + "</NAME></IN>";
    Write("utf8.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body);
    Write("euc-kr.xml", Iconv("<?xml version=\"1.0\" encoding=\"EUC-KR\"?>" + body, "CP949"));
    Write("ks_c.xml", Iconv("<?xml version=\"1.0\" encoding=\"ks_c_5601-1987\"?>" + body, "CP949"));
    // The code page 949 bytes beyond EUC-KR are really in the files.
    ASSERT_NE(qx::test::ReadAll(dir_ / "euc-kr.xml").find("\x8C\x63"), std::string::npos);
    const std::string line =
        "<NAME a=\"" + kKorean + "\">" + kKorean + "</NAME> " + kKorean + " " + kKorean + " 9 true\n";
    RunRows({{"three encodings, one text", R"(
var files = ["utf8", "euc-kr", "ks_c"];
for (var i = 0; i < files.length; i++) {
    d.load("%DIR%/" + files[i] + ".xml");
    var n = d.selectSingleNode("IN/NAME");
    WScript.Echo(n.xml, n.text, n.getAttribute("a"), n.text.length, n.text == "\uD55C\uAE00 \uB620\uBC29\uAC01\uD558 \uBDC1");
}
)",
              line + line + line}});
}

TEST_F(DomScript, LoadFromTheLoopbackServer) {
    qxtest::LoopbackHttpServer server;
    qxtest::HttpResponse page = qxtest::Reply(200, "<?xml version=\"1.0\"?><r><i>over http</i></r>");
    page.contentType = "text/xml";
    page.pieceSize = 7; // arrives in small pieces
    server.Serve("/doc.xml", page);
    qxtest::HttpResponse korean = qxtest::Reply(
        200, Iconv("<?xml version=\"1.0\" encoding=\"ks_c_5601-1987\"?><r>" + kKorean + "</r>", "CP949"));
    korean.contentType = "text/xml";
    server.Serve("/korean.xml", korean);
    server.Serve("/missing.xml", qxtest::Reply(404, "<html>not here</html>"));
    server.Serve("/broken.xml", qxtest::Reply(500, "<r>an error page</r>"));
    // Cut off where the part already sent is a whole document: the load must still fail.
    qxtest::HttpResponse cut = qxtest::Reply(200, "<r><i>1</i></r><!-- the rest never comes -->");
    cut.closeAfter = 15;
    server.Serve("/cut.xml", cut);
    cut.chunked = true;
    server.Serve("/cut-chunked.xml", cut);
    qxtest::HttpResponse moved = qxtest::Reply(302, "");
    moved.location = server.Url("/doc.xml");
    server.Serve("/moved.xml", moved);
    server.Serve("/bomb.xml", qxtest::Reply(200, kBillionLaughs));
    server.Serve("/ext.dtd", qxtest::Reply(200, "<!ENTITY y \"from the dtd\">"));
    server.Serve("/uses-dtd.xml",
                 qxtest::Reply(200, "<!DOCTYPE r SYSTEM \"" + server.Url("/ext.dtd") + "\"><r>plain</r>"));
    server.Serve("/needs-dtd.xml",
                 qxtest::Reply(200, "<!DOCTYPE r SYSTEM \"" + server.Url("/ext.dtd") + "\"><r>&y;</r>"));
    const std::string base = server.Url("");
    baseUrl_ = base;
    RunRows({{"documents by URL", R"(
WScript.Echo(d.load("%URL%/doc.xml"), q(d.xml), d.url == "%URL%/doc.xml");
WScript.Echo(d.load("%URL%/korean.xml"), d.documentElement.text == "\uD55C\uAE00 \uB620\uBC29\uAC01\uD558 \uBDC1");
WScript.Echo(d.load("%URL%/uses-dtd.xml"), d.documentElement.text);
WScript.Echo(d.load("%URL%/moved.xml"), d.selectSingleNode("r/i").text, d.url == "%URL%/moved.xml");
)",
              "true \"<?xml version=\\\"1.0\\\"?>\\r\\n<r><i>over http</i></r>\\r\\n\" true\ntrue true\n"
              "true plain\ntrue over http true\n"},
             {"URLs that fail leave an empty document", R"(
var urls = ["%URL%/missing.xml", "%URL%/broken.xml", "%URL%/cut.xml", "%URL%/cut-chunked.xml",
            "%URL%/bomb.xml", "%URL%/needs-dtd.xml", "http://127.0.0.1:1/refused.xml"];
for (var i = 0; i < urls.length; i++) {
    d.loadXML("<old/>");
    WScript.Echo(d.load(urls[i]), q(d.xml), d.documentElement, d.parseError.errorCode != 0,
                 d.parseError.reason.length > 2);
}
)",
              "false \"\" null true true\nfalse \"\" null true true\nfalse \"\" null true true\n"
              "false \"\" null true true\nfalse \"\" null true true\nfalse \"\" null true true\n"
              "false \"\" null true true\n"}});
    EXPECT_EQ(server.RequestCount("/doc.xml"), 2);
    EXPECT_EQ(server.RequestCount("/missing.xml"), 1);
    // External definitions are never fetched.
    EXPECT_EQ(server.RequestCount("/ext.dtd"), 0);
}

TEST_F(DomScript, EntityBombsAndDeepDocumentsFailCleanly) {
    Write("bomb.xml", kBillionLaughs);
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<d>";
    for (int i = 0; i < 5000; ++i)
        deep += "</d>";
    Write("deep.xml", deep);
    std::string bombText = kBillionLaughs;
    ReplaceAll(bombText, "\"", "\\\"");
    RunRows({{"refused documents", "var texts = [\"" + bombText + R"("];
var results = [d.loadXML(texts[0]), q(d.xml), q(d.documentElement), hex(d.parseError.errorCode)];
WScript.Echo(results.join(" "));
WScript.Echo(d.load("%DIR%/bomb.xml"), q(d.xml), d.documentElement, hex(d.parseError.errorCode));
WScript.Echo(d.load("%DIR%/deep.xml"), q(d.xml), d.documentElement, d.parseError.errorCode != 0);
var s = "";
for (var i = 0; i < 300; i++) s = "<d>" + s + "</d>";
WScript.Echo(d.loadXML(s), d.parseError.errorCode != 0);
s = "";
for (var i = 0; i < 200; i++) s = "<d>" + s + "</d>";
WScript.Echo(d.loadXML(s), d.selectNodes("//d").length);
)",
              "false \"\" null 0xC00CEF02\nfalse \"\" null 0xC00CEF02\nfalse \"\" null true\nfalse true\n"
              "true 200\n"}});
}

} // namespace
