// Loading seen from outside: a file in the ANSI code page read as Python's xml.etree reads it,
// the queue pumped (or not) while a load runs, a real program started by cmd, and the sinks the
// nodes advised gone with the behaviours.
#include "etree_reference.h"
#include "page_sinks.h"
#include "tree_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace {

using tamseltest::TreeBody;
using tamseltest::TreePage;

class TreeLoad : public TreePage {};

const std::string kTexts =
    "function texts() { var r = [], all = box.getElementsByTagName('DIV');"
    "for (var i = 0; i < all.length; i++) r.push(all[i].getElementsByTagName('SPAN')[0]"
    ".innerText + ':' + all[i].depth); return r.join(','); }";

TEST_F(TreeLoad, AnEucKrFileReadsAsXmlEtreeReadsIt) {
    Write("kr.xml", qxtest::EncodeAnsi(u"<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n"
                                       u"<TREEVIEWDATA>\n"
                                       u"  <NODE>\n"
                                       u"    <VALUE>본사</VALUE>\n"
                                       u"    <NODES>\n"
                                       u"      <NODE>\n"
                                       u"        <VALUE>영업부 서울</VALUE>\n"
                                       u"      </NODE>\n"
                                       u"      <NODE>\n"
                                       u"        <VALUE>Research</VALUE>\n"
                                       u"      </NODE>\n"
                                       u"    </NODES>\n"
                                       u"  </NODE>\n"
                                       u"  <NODE>\n"
                                       u"    <VALUE>Branch</VALUE>\n"
                                       u"  </NODE>\n"
                                       u"</TREEVIEWDATA>\n"));
    const std::string said = Open(TreeBody(kTexts + "t.dataSource = 'kr.xml'; say(texts())"));
    const std::optional<std::string> expected =
        qxtest::EtreeReference(dir_ / "kr.xml", "out = []\n"
                                                "def walk(parent, depth):\n"
                                                "    for n in parent.findall('NODE'):\n"
                                                "        out.append(n.findtext('VALUE') + ':' + str(depth))\n"
                                                "        for children in n.findall('NODES'):\n"
                                                "            walk(children, depth + 1)\n"
                                                "walk(root, 1)\n"
                                                "say(','.join(out))\n");
    if (!expected)
        GTEST_SKIP() << "python3 is not installed: the file was not read with xml.etree";
    EXPECT_EQ(said, *expected);
    EXPECT_EQ(said, "본사:1,영업부 서울:2,Research:2,Branch:1");
    EXPECT_EQ(errors_, "");
}

TEST_F(TreeLoad, AsyncPumpsTheQueueWhileALoadRuns) {
    std::string fifty = "<TREEVIEWDATA>";
    for (int i = 0; i < 50; ++i)
        fifty += "<NODE><VALUE>n" + std::to_string(i) + "</VALUE>" + (i == 10 ? "<SELECT/>" : "") + "</NODE>";
    Write("fifty.xml", fifty + "</TREEVIEWDATA>");
    Write("two.xml",
          "<TREEVIEWDATA><NODE><VALUE>A</VALUE></NODE><NODE><VALUE>B</VALUE></NODE></TREEVIEWDATA>");
    // A task posted before the load counts the messages the load lets through.
    const std::string counter = "var ticks = 0; setTimeout(function () { ticks++ }, 0);";
    struct Row {
        const char* name;
        std::string script;
        std::string said;
    } rows[] = {
        {"async 1: the posted task runs during the load",
         counter +
             "t.async = 1; t.dataSource = 'fifty.xml'; say(ticks, box.getElementsByTagName('DIV').length)",
         "1 50"},
        {"async 0: it waits for the queue",
         counter +
             "t.async = 0; t.dataSource = 'fifty.xml'; say(ticks, box.getElementsByTagName('DIV').length)",
         "0 50"},
        {"a load from the posted task is refused and the first load finishes",
         "setTimeout(function () { try { t.dataSource = 'two.xml'; say('put') } catch (e) { say('put', "
         "e.number) } }, 0); t.async = 1; t.dataSource = 'fifty.xml'; "
         "say(box.getElementsByTagName('DIV').length,"
         "box.lastChild.value)",
         "put -2147418113|50 n49"},
        {"a load from a selection handler during a load is refused",
         "box.attachEvent('onSelChanged', function () { try { t.dataSource = 'two.xml' } catch (e) { "
         "say('put', e.number) } }); t.async = 1; t.dataSource = 'fifty.xml';"
         "say(box.getElementsByTagName('DIV').length, t.selectedNode.value)",
         "put -2147418113|50 n10"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Open(TreeBody(row.script)), row.said);
        EXPECT_EQ(errors_, "");
        errors_.clear();
    }
}

TEST_F(TreeLoad, CmdHandsAProgramItsArgumentsByTheWindowsRules) {
    const std::filesystem::path helper = dir_ / "helper.sh";
    Write("helper.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > \"$0.part\"\n"
                       "mv \"$0.part\" \"$0.out\"\n");
    ASSERT_EQ(chmod(helper.c_str(), 0755), 0);
    Open(TreeBody("t.cmd('" + helper.string() + "', 'one \"two three\" four;rm', '/no/such/program')"));
    EXPECT_EQ(errors_, "");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(dir_ / "helper.sh.out") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Read(dir_ / "helper.sh.out"), "[one][two three][four;rm]");
}

TEST_F(TreeLoad, TheNodesSinksGoWithTheBehaviours) {
    Write("two.xml",
          "<TREEVIEWDATA><NODE><VALUE>A</VALUE><NODES><NODE><VALUE>A1</VALUE></NODE></NODES></NODE>"
          "<NODE><VALUE>B</VALUE></NODE></TREEVIEWDATA>");
    struct Row {
        const char* name;
        std::string script;
        bool advisedBefore; // the nodes' sinks are there before the behaviours go
    } rows[] = {
        {"a loaded tree", "t.dataSource = 'two.xml'; box.firstChild.select(); box.firstChild.expandState = 1",
         true},
        {"a tree loaded twice, a node removed",
         "t.dataSource = 'two.xml'; t.dataSource = 'two.xml'; box.lastChild.remove()", true},
        {"the container's behaviour removed first", "t.dataSource = 'two.xml'; box.removeBehavior(cookie)",
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Open(TreeBody(row.script));
        EXPECT_EQ(errors_, "");
        if (row.advisedBefore) {
            EXPECT_GT(qxtest::AdvisedSinks(dom_), 0u);
        }
        behaviors_.reset();
        EXPECT_EQ(qxtest::AdvisedSinks(dom_), 0u);
    }
}

} // namespace
