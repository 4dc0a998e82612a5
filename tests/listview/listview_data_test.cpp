// A file in the ANSI code page read as Python's xml.etree reads it, and the sinks a list view
// advised gone with its behaviour.
#include "etree_reference.h"
#include "inprocess_list_page.h"
#include "listview_page_support.h"
#include "page_sinks.h"

#include <gtest/gtest.h>

namespace {

using orrin_test::ListViewPages;

class ListViewData : public ListViewPages {};

// Six columns (one caption empty) and fifty rows: most full, every seventh one cell short, every
// eleventh two cells long, Hangul texts throughout.
std::u16string SixByFifty() {
    const char16_t* names[] = {u"이름", u"크기", u"", u"종류", u"수정한 날짜", u"Owner"};
    std::u16string xml = u"<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<LISTVIEWDATA>\n  <HEADERS>\n";
    for (const char16_t* name : names)
        xml += u"    <HEADER>\n      <NAME>" + std::u16string(name) +
               u"</NAME>\n      <WIDTH>80</WIDTH>\n"
               u"    </HEADER>\n";
    xml += u"  </HEADERS>\n  <ROWS>\n";
    for (int row = 0; row < 50; ++row) {
        const int cells = row % 7 == 3 ? 5 : row % 11 == 5 ? 8 : 6;
        xml += u"    <ROW>\n";
        for (int cell = 0; cell < cells; ++cell) {
            std::u16string number;
            for (char c : std::to_string(row * 10 + cell))
                number += static_cast<char16_t>(c);
            xml += u"      <CELL><VALUE>" + std::u16string(cell % 2 ? u"문서 " : u"file ") + number +
                   u"</VALUE></CELL>\n";
        }
        xml += u"    </ROW>\n";
    }
    return xml + u"  </ROWS>\n</LISTVIEWDATA>\n";
}

TEST_F(ListViewData, AnEucKrFileReadsAsXmlEtreeReadsIt) {
    Write("kr.xml", qxtest::EncodeAnsi(SixByFifty()));
    const qx::test::Outcome o = RunList(
        "<script>lv.dataSource = 'kr.xml'; var caps = [], rows = [];\n"
        "for (var i = 0; i < lv.headers.length; i++) caps.push(lv.headers.item(i).innerText);\n"
        "for (var r = 0; r < lv.rows.length; r++) { var cells = [], tds = lv.rows.item(r).cells;\n"
        "  for (var c = 0; c < tds.length; c++) cells.push(tds[c].innerText); rows.push(cells.join('|')); }\n"
        "say(caps.join('|') + '#' + rows.join(';'));</script>");
    const std::optional<std::string> expected = qxtest::EtreeReference(
        dir_ / "kr.xml",
        "caps = [h.findtext('NAME') or ' ' for h in root.find('HEADERS').findall('HEADER')]\n"
        "rows = []\n"
        "for r in root.find('ROWS').findall('ROW'):\n"
        "    cells = [c.findtext('VALUE') or ' ' for c in r.findall('CELL')][:len(caps)]\n"
        "    rows.append('|'.join(cells + [' '] * (len(caps) - len(cells))))\n"
        "say('|'.join(caps) + '#' + ';'.join(rows))\n");
    if (!expected)
        GTEST_SKIP() << "python3 is not installed: the file was not read with xml.etree";
    EXPECT_EQ(o.err, qx::test::Alert(*expected));
    EXPECT_EQ(o.exitCode, 0);
}

class ListViewTeardown : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(ListViewTeardown, TheFramesSinksGoWithTheBehaviour) {
    const std::string load =
        "<div id=lv style='width:300px;height:100px'></div><script>var cookie = "
        "lv.addBehavior('#lvf#LISTVIEW', "
        "factory); xml.loadXML('<LISTVIEWDATA><HEADERS><HEADER><NAME>A</NAME></HEADER><HEADER><NAME>B</NAME>"
        "</HEADER></HEADERS><ROWS><ROW><CELL><VALUE>a</VALUE></CELL></ROW><ROW><CELL><VALUE>b</VALUE></CELL>"
        "</ROW></ROWS></LISTVIEWDATA>'); lv.dataSource = xml; lv.rows.item(1).cells[0].click();"
        "lv.headers.item(0).click();";
    struct Row {
        const char* name;
        std::string script;
        bool advisedBefore; // the frames' sinks are there before the behaviour goes
    } rows[] = {
        {"a loaded list clicked", load + "</script>", true},
        {"rows and headers removed", load + "lv.rows.removeAll(); lv.headers.item(1).remove();</script>",
         true},
        {"the list view's behaviour removed first, then its rows clicked",
         load +
             "lv.removeBehavior(cookie); var bd = lv.children[1]; bd.getElementsByTagName('TD')[0].click();"
             "bd.getElementsByTagName('TR')[0].removeNode(true);</script>",
         false},
    };
    orrin_test::InProcessListPage page(QX_ORRIN_COMPONENT);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(page.Open("<html><body>" + row.script + "</body></html>"));
        EXPECT_EQ(page.Errors(), "");
        if (row.advisedBefore) {
            EXPECT_GT(qxtest::AdvisedSinks(page.Dom()), 0u);
        }
        page.CloseBehaviors();
        EXPECT_EQ(qxtest::AdvisedSinks(page.Dom()), 0u);
    }
}

} // namespace
