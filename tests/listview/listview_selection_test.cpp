// Clicks, double clicks, hovering and scrolling in a list view's frames: the selection they make
// and the events page script hears.
#include "listview_page_support.h"

namespace {

using orrin_test::Header;
using orrin_test::ListViewPages;
using orrin_test::ListXml;

class ListViewSelection : public ListViewPages {
protected:
    void SetUp() override {
        ListViewPages::SetUp();
        std::vector<std::vector<std::string>> rows;
        for (int i = 0; i < 8; ++i)
            rows.push_back({"a" + std::to_string(i), "b" + std::to_string(i)});
        Write("data.xml", ListXml({Header("A", 200), Header("B", 200)}, rows));
    }
};

// Each page loads the data and clears the log of the load's inserts first.
const std::string kLoad = "<script>lv.dataSource = 'data.xml'; log = []; var hd = lv.children[0], "
                          "bd = lv.children[1];\nfunction cell(r, c) { return lv.cell(r, c); }\n";

TEST_F(ListViewSelection, ClicksSelectRows) {
    RunRows({
        {"plain click",
         kLoad + "click(cell(2, 0)); flush(); say(selected(lv), lv.rows.item(2).style.backgroundColor, "
                 "lv.rows.item(3).style.backgroundColor);</script>",
         {"onSelChanging/onSelChanging TR2,onCellClick/onCellClick TD0'a2',onRowClick/onRowClick "
          "TR2,onSelChanged/onSelChanged TR2",
          "2 #ddddff "}},
        {"ctrl adds and takes away",
         kLoad + "click(cell(2, 0)); click(cell(4, 1), 'c'); say(selected(lv)); click(cell(2, 0), 'c');\n"
                 "say(selected(lv), lv.rows.item(2).style.backgroundColor); log = [];</script>",
         {"2,4", "4 #ffffff"}},
        {"ctrl with multiSelectable 0",
         kLoad + "click(cell(2, 0)); log = []; lv.multiSelectable = 0; click(cell(4, 1), 'c'); flush();\n"
                 "say(selected(lv));</script>",
         {"onSelChanging/onSelChanging TR4,onCellClick/onCellClick TD1'b4',onRowClick/onRowClick "
          "TR4,onSelChanged/onSelChanged TR4",
          "2"}},
        {"shift ranges keep the order of the range",
         kLoad + "click(cell(2, 0)); click(cell(5, 0), 's'); say(selected(lv));\n"
                 "click(cell(5, 0)); click(cell(2, 0), 's'); say(selected(lv)); log = [];</script>",
         {"2,3,4,5", "5,4,3,2"}},
        {"shift after the anchor was unselected starts from the last selected row",
         kLoad +
             "click(cell(1, 0)); click(cell(3, 0), 'c'); click(cell(1, 0), 'c'); click(cell(6, 0), 's');\n"
             "say(selected(lv)); log = [];</script>",
         {"3,4,5,6"}},
        {"shift over a row put in by page script",
         kLoad + "var tr = lv.rows.item(3); var mine = document.createElement('TR');\n"
                 "tr.insertAdjacentElement('afterEnd', mine); mine.insertCell(-1).innerText = 'mine';\n"
                 "click(cell(2, 0)); click(cell(6, 0), 's'); say(selected(lv), lv.multiSelects.length);\n"
                 "say(hr(function () { return lv.cell(4, 0); })); log = [];</script>",
         {"2,3,5,6 4", "err 80004003"}},
        {"three clicks, three changes; the empty area fires nothing",
         kLoad + "click(cell(0, 0)); click(cell(1, 1)); click(cell(2, 0)); say(log.length, selected(lv)); "
                 "log = [];\nclick(bd); click(bd.children[0]); flush();</script>",
         {"12 2", "(none)"}},
        {"a click on a SPAN in a cell climbs to the cell",
         kLoad +
             "cell(1, 1).innerHTML = '<span id=sp>x</span>'; click(document.getElementById('sp')); flush();"
             "</script>",
         {"onSelChanging/onSelChanging TR1,onCellClick/onCellClick TD1'x',onRowClick/onRowClick "
          "TR1,onSelChanged/onSelChanged TR1"}},
        {"double click",
         kLoad + "cell(3, 1).fireEvent('ondblclick'); flush(); say(selected(lv));</script>",
         {"onCellDblClick/onCellDblClick TD1'b3',onRowDblClick/onRowDblClick TR3", ""}},
    });
}

TEST_F(ListViewSelection, HoverHeadersAndScroll) {
    RunRows({
        {"hover paints unselected rows only",
         kLoad + "click(cell(1, 0)); log = []; cell(2, 0).fireEvent('onmouseover');\n"
                 "say(lv.rows.item(2).style.backgroundColor); cell(2, 0).fireEvent('onmouseout');\n"
                 "say(lv.rows.item(2).style.backgroundColor); cell(1, 0).fireEvent('onmouseover');\n"
                 "say(lv.rows.item(1).style.backgroundColor); lv.hotTracking = 0; "
                 "cell(3, 0).fireEvent('onmouseover');\nsay(lv.rows.item(3).style.backgroundColor); flush();"
                 "</script>",
         {"#eeeeff", "#ffffff", "#ddddff", "", "(none)"}},
        {"disabled: the body does nothing, headers still answer",
         kLoad + "lv.enabled = 0; click(cell(1, 0)); cell(1, 0).fireEvent('ondblclick'); "
                 "cell(2, 0).fireEvent('onmouseover');\nsay(selected(lv), "
                 "lv.rows.item(2).style.backgroundColor); "
                 "flush(); lv.headers.item(1).click(); flush();\nsay(lv.headers.item(1) === lv.curSelHeader, "
                 "lv.enabled);</script>",
         {" ", "(none)", "onHeaderClick/onHeaderClick TD1'B'", "true 0"}},
        {"header clicks select one header",
         kLoad +
             "var h0 = lv.headers.item(0), h1 = lv.headers.item(1);\n"
             "h0.click(); h1.click(); say(h0.isSelected, h1.isSelected, lv.curSelHeader === h1); log = [];\n"
             "h1.innerHTML = '<span id=hs>B</span>'; document.getElementById('hs').click();\n"
             "say(h0.isSelected, h1.isSelected, lv.curSelHeader === h1); flush(); "
             "h0.fireEvent('ondblclick'); "
             "flush();</script>",
         {"0 1 true", "0 0 true", "(none)", "onHeaderDblClick/onHeaderDblClick TD0'A'"}},
        {"select start in the body is prevented",
         kLoad + "say(cell(1, 0).fireEvent('onselectstart'), hd.fireEvent('onselectstart'));</script>",
         {"false true"}},
        {"the header row follows the body's horizontal scroll",
         kLoad + "bd.scrollLeft = 30; bd.fireEvent('onscroll');\nsay(bd.scrollLeft, hd.scrollLeft, "
                 "hd.runtimeStyle.width == Math.min(bd.scrollWidth - 30, lv.offsetWidth) + 'px');</script>",
         {"30 30 true"}},
    });
}

} // namespace

namespace {

// 500 random plain, Ctrl and Shift clicks with multiSelectable toggled now and then, each
// compared with a small model of the rules: the selected rows in order and the anchor.
const std::string kModelRun = R"JS(<script>
var seed = 12345;
function next(n) { seed = (seed * 1103515245 + 12345) % 2147483648; return Math.floor(seed / 65536) % n; }
var model = { list: [], anchor: null, multi: 1 };
function modelClick(i, keys) {
  var ctrl = keys.indexOf("c") >= 0, shift = keys.indexOf("s") >= 0;
  if (!ctrl && !shift) { model.list = [i]; model.anchor = i; return; }
  if (!model.multi) return;
  if (ctrl) {
    var at = -1;
    for (var k = 0; k < model.list.length; k++) if (model.list[k] == i) at = k;
    if (at >= 0) model.list.splice(at, 1); else model.list.push(i);
    model.anchor = model.list.length ? model.list[model.list.length - 1] : null;
    return;
  }
  if (model.anchor === null) { model.list = [i]; model.anchor = i; return; }
  var a = model.anchor, step = i < a ? -1 : 1;
  model.list = [];
  for (var r = a; ; r += step) { model.list.push(r); if (r == i) break; }
}
var mismatches = 0, first = "";
for (var n = 0; n < 500; n++) {
  if (next(10) == 0) { model.multi = 1 - model.multi; lv.multiSelectable = model.multi; }
  var row = next(8), keys = ["", "", "c", "s", "cs"][next(5)];
  click(lv.cell(row, next(2)), keys);
  modelClick(row, keys);
  var seen = selected(lv), want = model.list.join(",");
  for (var r = 0; r < 8; r++) {
    var inModel = false;
    for (var k = 0; k < model.list.length; k++) if (model.list[k] == r) inModel = true;
    var painted = lv.rows.item(r).style.backgroundColor;
    var normal = painted == "#ffffff" || painted == "";
    if ((inModel ? painted != "#ddddff" : !normal) || lv.rows.item(r).isSelected != (inModel ? 1 : 0))
      seen += " (row " + r + " " + painted + ")";
  }
  if (seen != want && !mismatches++) first = "click " + n + " row " + row + " keys '" + keys + "': " + seen + " not " + want;
}
say(mismatches, first); log = [];
</script>)JS";

TEST_F(ListViewSelection, FiveHundredClicksFollowTheModel) {
    RunRows({{"model", kLoad + "</script>" + kModelRun, {"0 "}}});
}

} // namespace

namespace {

TEST_F(ListViewSelection, HeadersAndRowsOutliveTheirListView) {
    RunRows(
        {{"the list view goes first",
          kLoad + "click(cell(1, 0)); lv.headers.item(0).click(); log = [];\n"
                  "var ht = hd.children[0], bt = bd.children[0], h = ht.rows[0].cells[1], r = bt.rows[2];\n"
                  "say(lv.removeBehavior(lvCookie));\n"
                  "h.click(); click(r.cells[0]); r.cells[0].fireEvent('onmouseover'); h.removeNode(true);\n"
                  "bt.rows[0].removeNode(true); click(bt.rows[0].cells[0]); ht.rows[0].cells[0].click();\n"
                  "say(hr(function () { return r.isSelected; }), hr(function () { r.select(); }), "
                  "hr(function () { r.remove(); }));\nflush();</script>",
          {"true", "ok 0 err 80004003 ok undefined", "(none)"}}});
}

} // namespace
