// The list view's members seen from page script: the frames it builds, the columns, loading from
// LISTVIEWDATA in every form a source takes, the header and row objects and the collections.
#include "listview_page_support.h"

namespace {

using orrin_test::Header;
using orrin_test::ListViewPages;
using orrin_test::ListXml;

class ListViewMembers : public ListViewPages {
protected:
    void SetUp() override {
        ListViewPages::SetUp();
        Write("data.xml", ListXml({Header("A", 100), Header("B", 60), Header("C", 40)},
                                  {{"a1", "b1", "c1"}, {"a2", "-"}, {"a3", "b3", "c3", "d3"}}));
        Write("noheaders.xml", ListXml({}, {{"x"}}));
    }
};

TEST_F(ListViewMembers, FramesColumnsAndDefaults) {
    RunRows({
        {"defaults",
         "<script>say(lv.multiSelectable, lv.enabled, lv.selectColor, lv.hotTrackColor, lv.normalColor, "
         "lv.scrollbarVisible);\nsay(hr(function () { return lv.curSelHeader; }), hr(function () { return "
         "lv.cell(99, 0); }), hr(function () { return lv.xmlObject; }));\nsay(lv.headers.length, "
         "lv.rows.length, "
         "lv.totalRowCount);</script>",
         {"1 1 #DDDDFF #EEEEFF #FFFFFF 1", "err 80004003 err 80004003 ok null", "0 0 0"}},
        {"frames",
         "<script>var hd = lv.children[0], bd = lv.children[1], ht = hd.children[0], bt = bd.children[0];\n"
         "say(lv.children.length, hd.tagName, bd.tagName, hd.children.length, bd.children.length, "
         "ht.tagName);\n"
         "say(ht.bgColor, ht.borderColorDark, ht.borderColorLight, ht.border, ht.cellSpacing);\n"
         "say(bt.bgColor, bt.borderColorDark, bt.borderColorLight, bt.border, bt.cellSpacing);\n"
         "say(ht.style.tableLayout, ht.style.fontSize, ht.style.color, bt.style.backgroundColor);\n"
         "say(bt.firstChild.tagName, lv.style.border, lv.runtimeStyle.width, lv.offsetWidth);</script>",
         {"2 DIV DIV 1 1 TABLE", "#cccccc #ffffff #999999 1 0", "#cccccc #ffffff #999999 1 0",
          "fixed 9pt black white", "COLGROUP gray 1px solid 306px 308"}},
        {"container with a border, and one without a width",
         "<div id=c2 style='width:200px;border:2px red solid'></div><div id=c3 "
         "style='width:150px;display:none'>"
         "</div><script>c2.addBehavior('#f#listview', factory); c3.addBehavior('#f#ListView', factory);\n"
         "say(c2.style.border, c2.runtimeStyle.width, c2.offsetWidth, c3.runtimeStyle.width);</script>",
         {"red 2px solid 208px 212 154px"}},
        {"columns",
         "<script>lv.dataSource = 'data.xml'; var hd = lv.children[0], bd = lv.children[1];\n"
         "var cols = bd.children[0].firstChild.children;\n"
         "say(cols.length, cols[0].width, cols[1].width, cols[2].width);\n"
         "say(lv.style.overflow, hd.runtimeStyle.overflow, bd.runtimeStyle.overflow);\n"
         "lv.scrollbarVisible = 0; say(bd.runtimeStyle.overflow); lv.dataSource = 'data.xml';\n"
         "say(bd.runtimeStyle.overflow, lv.headers.length, lv.totalRowCount);\n"
         "say(lv.cell(0, 1).innerText, lv.cell(0, 1) === lv.rows.item(0).cells[1], lv.cell(1, 2).innerText "
         "== ' ');"
         "</script>",
         {"3 100 60 40", "hidden hidden auto", "auto", "hidden 3 3", "b1 true true"}},
    });
}

TEST_F(ListViewMembers, HeadersFromData) {
    Write("three.xml", ListXml({Header("X", 30), Header("Y", 30), Header("Z", 30)}, {}));
    Write("props.xml",
          ListXml({"<NAME></NAME><SORTABLE>True</SORTABLE><RESIZIBLE>true</RESIZIBLE><SORT_TYPE>acsending</"
                   "SORT_TYPE>"
                   "<WIDTH>600</WIDTH><MINSIZE>12px</MINSIZE><TYPE>T1</TYPE><TOOLTIP>tip</TOOLTIP>",
                   "<NAME>n</NAME><WIDTH>100</WIDTH><MINSIZE>abc</"
                   "MINSIZE><MAXSIZE>1234567890123456789012345</MAXSIZE>"
                   "<STYLE>color:red</STYLE>",
                   "<NAME>m</NAME><MINSIZE>-40</MINSIZE><SORTABLE>yes</SORTABLE>",
                   "<NAME>k</NAME><MINSIZE>99999999999</MINSIZE><MAXSIZE>700</MAXSIZE><WIDTH>650</WIDTH>"},
                  {}));
    RunRows({
        {"insertAfter and insertBefore keep document order",
         "<script>lv.dataSource = 'data.xml'; log = []; var b = lv.headers.item(1);\n"
         "var xml = new ActiveXObject('Microsoft.XMLDOM'); xml.async = false; xml.load(here('three.xml'));\n"
         "b.insertAfter(xml); flush(); var names = [];\n"
         "for (var i = 0; i < lv.headers.length; i++) names.push(lv.headers.item(i).innerText);\n"
         "say(names.join('')); b.insertBefore(xml.selectNodes('LISTVIEWDATA/HEADERS/HEADER')); names = [];\n"
         "for (var i = 0; i < lv.headers.length; i++) names.push(lv.headers.item(i).innerText);\n"
         "say(names.join('')); log = [];</script>",
         {"onHeaderInsert/onHeaderInsert TD2'Z',onHeaderInsert/onHeaderInsert "
          "TD2'Y',onHeaderInsert/onHeaderInsert "
          "TD2'X'",
          "ABXYZC", "AXYZBXYZC"}},
        {"header properties",
         "<script>lv.dataSource = 'props.xml'; log = []; var h = [];\n"
         "for (var i = 0; i < 4; i++) h.push(lv.headers.item(i));\n"
         "say('[' + h[0].innerText + ']', h[0].sortable, h[0].resizible, h[0].sortType, h[0].type, "
         "h[0].title, "
         "h[0].minSize);\nsay(h[0].getAttribute('width'), h[0].style.width, h[1].getAttribute('width'), "
         "h[1].style.width, h[1].minSize, h[1].maxSize, h[1].style.color);\n"
         "say(h[2].minSize, h[2].sortable, h[3].minSize, h[3].maxSize, h[3].getAttribute('width'), "
         "h[3].noWrap);</script>",
         {"[ ] 1 1 ACSENDING T1 tip 12", "null  100 100px 0 500 red", "-40 0 2147483647 700 650 false"}},
    });
}

TEST_F(ListViewMembers, RowsFromData) {
    Write("extra.xml",
          "<LISTVIEWDATA><HEADERS><HEADER><NAME>A</NAME></HEADER><HEADER><NAME>B</NAME></HEADER>"
          "<HEADER><NAME>C</NAME></HEADER></HEADERS><ROWS><ROW><CELL><VALUE>v</VALUE><TOLLTIP>t"
          "</TOLLTIP><DATA1>d1</DATA1><DATA2>d2</DATA2><DATA4>d4</DATA4></CELL><CELL><VALUE></VALUE>"
          "</CELL></ROW></ROWS></LISTVIEWDATA>");
    RunRows({
        {"cells: short and long rows, tooltips, data attributes, no wrapping",
         "<script>lv.dataSource = 'data.xml'; log = []; var r = lv.rows;\n"
         "say(r.length, r.item(1).cells.length, '[' + r.item(1).cells[1].innerText + ']', "
         "'[' + r.item(1).cells[2].innerText + ']', r.item(2).cells.length, r.item(2).cells[2].innerText);\n"
         "lv.dataSource = 'extra.xml'; var c = lv.cell(0, 0);\n"
         "say(c.innerText, c.title, c.getAttribute('DATA1'), c.getAttribute('DATA2'), "
         "c.getAttribute('DATA4'), "
         "c.noWrap, lv.cell(0, 2).noWrap, '[' + lv.cell(0, 1).innerText + ']'); log = [];</script>",
         {"3 3 [ ] [ ] 3 c3", "v t d1 d2 null true true [ ]"}},
        {"the load's insert events, headers last first",
         "<script>lv.dataSource = 'data.xml'; flush();</script>",
         {"onHeaderInsert/onHeaderInsert TD1'C',onHeaderInsert/onHeaderInsert "
          "TD1'B',onHeaderInsert/onHeaderInsert "
          "TD1'A',onRowInsert/onRowInsert TR1,onRowInsert/onRowInsert TR1,onRowInsert/onRowInsert TR1"}},
    });
}

TEST_F(ListViewMembers, Sources) {
    Write("island.htm", "");
    RunRows({
        {"an XML document, node lists, one node, a data island",
         "<script>var xml = new ActiveXObject('Microsoft.XMLDOM'); xml.async = false; "
         "xml.load(here('data.xml'));\n"
         "lv.dataSource = xml; say(lv.headers.length, lv.totalRowCount);\n"
         "lv.headers.dataSource = xml.selectNodes('LISTVIEWDATA/HEADERS/HEADER'); say(lv.headers.length);\n"
         "lv.headers.dataSource = xml.selectNodes('LISTVIEWDATA/HEADERS'); say(lv.headers.length);\n"
         "lv.headers.dataSource = xml.selectSingleNode('LISTVIEWDATA/HEADERS/HEADER'); "
         "say(lv.headers.length);\n"
         "lv.rows.dataSource = xml.selectNodes('LISTVIEWDATA/ROWS/ROW'); say(lv.totalRowCount);\n"
         "var island = document.createElement('DIV'); island.XMLDocument = xml; lv.dataSource = island;\n"
         "say(lv.headers.length, lv.totalRowCount); log = [];</script>",
         {"3 3", "3", "3", "1", "3", "3 3"}},
        {"sources that are no data",
         "<script>lv.dataSource = 'data.xml'; var none = document.createElement('DIV');\n"
         "var own = document.createElement('DIV'); own.XMLDocument = none;\n"
         "var sources = [none, own, 7, null, 'missing.xml'];\n"
         "for (var i = 0; i < sources.length; i++) {\n"
         "  lv.headers.dataSource = sources[i];\n"
         "  say(lv.headers.length, lv.children[0].children[0].rows[0].cells.length);\n"
         "}\nlv.rows.dataSource = 'missing.xml'; say(lv.totalRowCount); log = [];</script>",
         {"0 0", "0 0", "0 0", "0 0", "0 0", "0"}},
        {"no headers: no rows, and the old rows go",
         "<script>lv.dataSource = 'data.xml'; lv.dataSource = 'noheaders.xml'; say(lv.headers.length, "
         "lv.totalRowCount); log = [];</script>",
         {"0 0"}},
    });
}

TEST_F(ListViewMembers, HeaderObjects) {
    RunRows({
        {"a fresh header",
         "<script>var h = lv.headers.add(); say(lv.headers.length, '[' + h.name + ']', h.minSize, h.maxSize, "
         "h.resizible, h.sortable, h.type, h.sortType);\nh.sortType = 'ascending'; say(h.sortType); "
         "h.sortType = 'NORMAL'; say(h.sortType, hr(function () { h.icon = 'x'; }), hr(function () { return "
         "h.xmlObject; }), hr(function () { return h.prevHeader; }));\nflush();</script>",
         {"1 [] 10 500 0 0 NONE NONE", "NONE", "NORMAL err 80004001 ok null ok null",
          "onHeaderInsert/onHeaderInsert TD1''"}},
        {"moving headers",
         "<script>lv.dataSource = 'data.xml'; log = []; var a = lv.headers.item(0), b = lv.headers.item(1);\n"
         "a.moveLeft(); flush(); b.moveLeft(); flush();\nsay(lv.headers.item(0).innerText, "
         "lv.headers.item(1).innerText, lv.cell(0, 0).innerText); b.moveRight(); flush();</script>",
         {"(none)", "onHeaderMoveLeft/onHeaderMoveLeft TD0'B'", "B A a1",
          "onHeaderMoveRight/onHeaderMoveRight TD1'B'"}},
        {"removing headers",
         "<script>lv.dataSource = 'data.xml'; log = []; var b = lv.headers.item(1); b.click(); log = [];\n"
         "lv.attachEvent('onHeaderDelete', function (e) { say(e.type === null, e.result === null); });\n"
         "b.remove(); flush(); say(lv.headers.length, hr(function () { return lv.curSelHeader; }));\n"
         "lv.headers.removeAll(); say(lv.headers.length); lv.headers.dataSource = 'EMPTY';\n"
         "say(lv.headers.length, '[' + lv.headers.item(0).innerText + ']'); log = [];\n"
         "var alone = new ActiveXObject('Orrin.HeaderCollection');\n"
         "say(hr(function () { return alone.length; }), hr(function () { return alone._newEnum; "
         "}));</script>",
         {"true true", "onHeaderDelete", "2 err 80004003", "true true", "true true", "0", "1 []",
          "err 80004003 err 80004003"}},
    });
}

TEST_F(ListViewMembers, RowObjects) {
    RunRows({
        {"add, removeAll, add again",
         "<script>lv.dataSource = 'data.xml'; log = []; var row = lv.rows.add(); flush();\n"
         "say(lv.totalRowCount, row.index, row.cells.length, '[' + row.cells[2].innerText + ']');\n"
         "lv.rows.removeAll(); flush(); say(lv.totalRowCount); row = lv.rows.add(); log = [];\n"
         "say(lv.totalRowCount, row.index, lv.children[1].children[0].tBodies.length);</script>",
         {"onRowInsert/onRowInsert TR4", "4 3 3 [ ]", "(none)", "0", "1 0 1"}},
        {"remove and move",
         "<script>lv.dataSource = 'data.xml'; log = []; var r0 = lv.rows.item(0), r1 = lv.rows.item(1);\n"
         "r1.select(); r1.select(); say(lv.multiSelects.length); r1.remove(); flush();\n"
         "say(lv.multiSelects.length, lv.totalRowCount); var last = lv.rows.item(1); last.moveUp(); "
         "flush();\n"
         "say(last.index, r0.index, lv.cell(0, 0).innerText); last.moveDown(); flush();</script>",
         {"1", "onRowDelete", "0 2", "onRowMoveUp/onRowMoveUp TR0", "0 1 a3",
          "onRowMoveDown/onRowMoveDown TR1"}},
        {"xmlObject and insertAfter",
         "<script>lv.headers.dataSource = 'data.xml'; log = []; var x = lv.rows.xmlObject;\n"
         "say(x.nodeName, x.childNodes.length); lv.rows.dataSource = 'data.xml'; log = [];\n"
         "say(hr(function () { return lv.rows.xmlObject; }), hr(function () { return "
         "lv.multiSelects.item(0); "
         "}));\nvar r = lv.rows.item(0); var xml = new ActiveXObject('Microsoft.XMLDOM'); xml.async = "
         "false;\n"
         "xml.load(here('data.xml')); say(r.insertAfter(xml) === r); flush(); r.select();\n"
         "say(hr(function () { return lv.multiSelects.item(1); }), hr(function () { return "
         "lv.multiSelects.item(0); }));</script>",
         {"ROWS 0", "err 80004001 ok null", "true",
          "onRowInsert/onRowInsert TR1,onRowInsert/onRowInsert TR1,onRowInsert/onRowInsert TR1,"
          "onRowInsert/onRowInsert TR0",
          "err 80070057 ok TR0"}},
    });
}

} // namespace
