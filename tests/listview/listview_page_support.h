// List view pages run through pagehost: regsvr registers build/bin/liborrin.so into the test's
// registry, and each page attaches a list view to its DIV "lv" and says what it sees. Every
// event of the list view is logged by name with what its "result" names.
#pragma once

#include "../platform/html/script/page_rows.h"
#include "regsvr_program.h"

#include <string>
#include <vector>

namespace orrin_test {

// A LISTVIEWDATA document: headers as given (each the inner markup of a HEADER), rows of cell
// values (a value "-" gives a CELL without VALUE).
inline std::string ListXml(const std::vector<std::string>& headers,
                           const std::vector<std::vector<std::string>>& rows,
                           const std::string& declaration = "<?xml version=\"1.0\"?>") {
    std::string xml = declaration + "<LISTVIEWDATA><HEADERS>";
    for (const std::string& header : headers)
        xml += "<HEADER>" + header + "</HEADER>";
    xml += "</HEADERS><ROWS>";
    for (const auto& row : rows) {
        xml += "<ROW>";
        for (const std::string& cell : row)
            xml += cell == "-" ? "<CELL/>" : "<CELL><VALUE>" + cell + "</VALUE></CELL>";
        xml += "</ROW>";
    }
    return xml + "</ROWS></LISTVIEWDATA>";
}

inline std::string Header(const std::string& name, int width) {
    return "<NAME>" + name + "</NAME><WIDTH>" + std::to_string(width) + "</WIDTH>";
}

// The page's script: say() and the event log, the list view attached to "lv".
inline const std::string kListPrelude = R"JS(<html><head><script>
function say() { alert(Array.prototype.map.call(arguments, String).join(' ')); }
var events = ["onSelChanging", "onSelChanged", "onHeaderClick", "onHeaderDblClick", "onCellClick",
  "onCellDblClick", "onRowClick", "onRowDblClick", "onHeaderDelete", "onRowMoveUp", "onRowMoveDown",
  "onHeaderMoveLeft", "onHeaderMoveRight", "onHeaderInsert", "onRowInsert", "onRowDelete"];
var log = [];
function named(o) {
  if (o === null || o === undefined) return String(o);
  if (o.tagName == "TR") return "TR" + o.rowIndex;
  if (o.tagName == "TD") return "TD" + o.cellIndex + "'" + o.innerText + "'";
  return o.tagName;
}
function watch(lv) {
  for (var i = 0; i < events.length; i++)
    (function (name) { lv.attachEvent(name, function (e) {
      log.push(name + (e.type === null ? "" : "/" + e.type + " " + named(e.result))); }); })(events[i]);
}
function flush() { say(log.length ? log.join(",") : "(none)"); log = []; }
// A click with Ctrl ("c") and Shift ("s") held: fired from inside a click of a helper element,
// with the helper's event object carrying the keys.
function click(el, keys) {
  var helper = document.createElement("SPAN");
  helper.onclick = function (e) {
    e.setAttribute("ctrlKey", !!keys && keys.indexOf("c") >= 0);
    e.setAttribute("shiftKey", !!keys && keys.indexOf("s") >= 0);
    el.fireEvent("onclick", e);
  };
  helper.click();
}
function here(name) { return location.href.replace(/[^\/]*$/, name); }
function hr(f) {
  try { var v = f(); return "ok " + (v === null || v === undefined ? String(v) : typeof v == "object" || typeof v == "function" ? named(v) : v); }
  catch (e) { return "err " + (e.number >>> 0).toString(16); }
}
function selected(lv) {
  var s = lv.multiSelects, out = [];
  for (var i = 0; i < s.length; i++) out.push(s.item(i).rowIndex);
  return out.join(",");
}
</script></head><body>
)JS";

class ListViewPages : public qx::test::PageHostProcess {
protected:
    void SetUp() override {
        PageHostProcess::SetUp();
        const qxtest::ProgramRun run =
            qxtest::RunRegsvr(dir_ / "registry", {QX_ORRIN_COMPONENT}, qxtest::Streams::Separate);
        ASSERT_EQ(run.status, 0) << run.output << run.errors;
    }
    // Runs a page: the container's style and the body that follows it (its script sees `lv`
    // as the list view and `factory`).
    qx::test::Outcome RunList(const std::string& body,
                              const std::string& containerStyle = "width:300px;height:200px",
                              std::vector<std::string> extra = {}) {
        const std::string page =
            kListPrelude + "<div id=\"lv\" style=\"" + containerStyle +
            "\"></div>\n<script>var lv = document.getElementById('lv');\n"
            "var factory = new ActiveXObject('Orrin.ComCtrlFactory');\n"
            "var lvCookie = lv.addBehavior('#lvf#LISTVIEW', factory); watch(lv);\n</script>\n" +
            body + "</body></html>";
        return RunPage(page, std::move(extra));
    }
    struct Row {
        const char* name;
        std::string body;
        std::vector<std::string> said;
        std::string style = "width:300px;height:200px";
    };
    void RunRows(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const qx::test::Outcome o = RunList(row.body, row.style);
            std::string expected;
            for (const std::string& line : row.said)
                expected += qx::test::Alert(line);
            EXPECT_EQ(o.err, expected);
            EXPECT_EQ(o.exitCode, 0);
        }
    }
};

} // namespace orrin_test
