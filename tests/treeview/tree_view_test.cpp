// The tree from page script: the factory, content ready, the tree's properties, loading the data
// vocabulary, the node members, structure changes, connectors and scrolling.
#include "tree_page.h"

#include <gtest/gtest.h>

namespace {

using tamseltest::TreeBody;
using tamseltest::TreePage;

struct Row {
    const char* name;
    std::string script;
    std::string said;
};

class TreeView : public TreePage {
protected:
    void RunRows(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(Open(TreeBody(row.script)), row.said);
            EXPECT_EQ(errors_, "");
            errors_.clear();
        }
    }
};

const std::string kTwoLevels =
    "<TREEVIEWDATA><NODE><VALUE>A</VALUE><NODES><NODE><VALUE>A1</VALUE></NODE><NODE><VALUE>A2</VALUE></NODE>"
    "</NODES></NODE><NODE><VALUE>B</VALUE><ISLEAF>FALSE</ISLEAF></NODE></TREEVIEWDATA>";

TEST_F(TreeView, FactoryMakesTreesByTheirExactName) {
    RunRows({
        {"names in other letter cases make nothing",
         "var d = document.createElement('DIV'); say(d.addBehavior('#x#treeview', f), "
         "d.addBehavior('#x#TREEVIEW', f))",
         "0 0"},
        {"a node of a page-created factory has no tree",
         "var d = document.createElement('DIV'); document.body.appendChild(d); var c = "
         "d.addBehavior('#x#TreeNode', f);"
         "try { d.depth } catch (e) { say('depth', e.number) } d.click();"
         "say(c > 0, d.removeBehavior(c))",
         "depth -2147418113|true true"},
    });
}

TEST_F(TreeView, ContentReadyStylesTheContainerAndSetsTheDefaults) {
    RunRows({
        {"container style and root node",
         "say(box.style.textAlign, box.style.overflow, box.noWrap, t.rootNode.depth, t.rootNode.expandState,"
         "t.rootNode.isLeaf, t.multiSelectAble, t.Enable, t.hotTracking, t.sortType, typeof t.selectedNode)",
         "left auto true 0 1 0 0 1 0 NORMAL undefined"},
        {"the six colours and a put of one",
         "t.hotTrackingTextColor = 'red'; say(t.defaultTextColor, t.defaultBgColor, t.selectedTextColor,"
         "t.selectedBgColor, t.hotTrackingTextColor, t.hotTrackingBgColor)",
         "black white white blue red gray"},
        {"flags store 1 for any non-zero, sortType only its three words",
         "t.Enable = 5; t.hotTracking = -1; t.async = 7; t.sortType = 'ascending'; var a = t.sortType;"
         "t.sortType = 'DESCENDING'; say(t.Enable, t.hotTracking, t.async, a, t.sortType)",
         "1 1 7 NORMAL DESCENDING"},
        {"unSelect with nothing selected", "say(typeof t.unSelect())", "undefined"},
    });
}

TEST_F(TreeView, ContentReadyOnASpanFailsButTheRootAnswers) {
    EXPECT_EQ(Open("<body><span id=s></span><script>var f = new ActiveXObject('Tamsel.TreeViewFactory');"
                   "s.addBehavior('#f#TreeView', f); say(s.rootNode.depth, s.rootNode.expandState, "
                   "s.rootNode.isLeaf)</script>"),
              "0 1 0");
    EXPECT_EQ(errors_, "");
    EXPECT_EQ(failures_, "span 0 2147500034;");
}

TEST_F(TreeView, LoadsTheDataVocabulary) {
    Write("two.xml", kTwoLevels);
    Write("flags.xml",
          "<TREEVIEWDATA><STYLE>color:red</STYLE><DATA0>zero</DATA0><DATA15>x</DATA15>"
          "<TEXTCOLOR><NAME>RED</NAME><DEFAULTTEXTCOLOR>red</DEFAULTTEXTCOLOR></TEXTCOLOR>"
          "<TEXTCOLOR><NAME>Red</NAME><DEFAULTTEXTCOLOR>green</DEFAULTTEXTCOLOR></TEXTCOLOR>"
          "<node><VALUE>lower</VALUE><value>ignored</value></node>"
          "<NODE><VALUE>L</VALUE><ISLEAF>true</ISLEAF><SETTEXTCOLORBYNAME>red</SETTEXTCOLORBYNAME><SELECT/></"
          "NODE>"
          "<NODE><VALUE>E</VALUE><EXPANDED>TRUE</EXPANDED><ISLEAF>FALSE</ISLEAF><SELECT/><DATA0>n</DATA0>"
          "<DATA15>y</DATA15></NODE></TREEVIEWDATA>");
    RunRows({
        {"two levels in pre-order",
         "t.dataSource = 'two.xml'; say(nodes()); var a = box.firstChild; say(a.isLeaf, a.expandState,"
         "a.lastChildNode.fullPath, a.childNodes.length, a.firstChildNode.siblingOrder, "
         "a.nextSiblingNode.value)",
         "A:1,A1:2,A2:2,B:1|0 0 /A/A2 2 1 B"},
        {"flags, names, selection and data attributes",
         "box.attachEvent('onSelChanging', function() { say('changing', event.param.value) });"
         "box.attachEvent('onSelChanged', function() { say('changed', event.param.value) });"
         "t.dataSource = 'flags.xml'; var n = box.getElementsByTagName('DIV');"
         "say(nodes(), n[1].isLeaf, n[1].defaultTextColor, n[2].expandState, t.selectedNode.value,"
         "box.style.overflow, box.getAttribute('DATA15'), box.getAttribute('DATA0'), "
         "n[2].getAttribute('DATA15'))",
         "changing L|changed L|changing E|changed E|lower:1,L:1,E:1 1 red 0 E auto x null y"},
    });
}

TEST_F(TreeView, DataSources) {
    Write("two.xml", kTwoLevels);
    Write("other.xml", "<OTHER><NODE><VALUE>X</VALUE></NODE></OTHER>");
    RunRows({
        {"missing file keeps the old nodes; other roots load nothing; wrong types fail",
         "t.dataSource = 'two.xml'; try { t.dataSource = 'missing.xml' } catch (e) { say('missing', "
         "e.number) }"
         "t.dataSource = 'other.xml'; say(nodes()); try { t.dataSource = 5 } catch (e) { say('number', "
         "e.number) }"
         "try { t.dataSource = null } catch (e) { say('null', e.number) }",
         "missing -2147024809|A:1,A1:2,A2:2,B:1|number -2147024809|null -2147024809"},
        {"a document, a TREEVIEWDATA node and a node list",
         "var x = new ActiveXObject('Microsoft.XMLDOM'); x.async = false;"
         "x.loadXML('<TREEVIEWDATA><NODE><VALUE>D</VALUE></NODE></TREEVIEWDATA>'); t.dataSource = x; "
         "say(nodes());"
         "t.dataSource = x.documentElement; say(nodes()); t.dataSource = x.selectNodes('TREEVIEWDATA'); "
         "say(nodes())",
         "D:1|D:1|D:1"},
        {"a second load removes every old node and keeps the defaults",
         "var x = new ActiveXObject('Microsoft.XMLDOM'); x.async = false;"
         "x.loadXML('<TREEVIEWDATA><TEXTCOLOR><DEFAULT/><DEFAULTTEXTCOLOR>navy</DEFAULTTEXTCOLOR></TEXTCOLOR>"
         "<NODE><VALUE>P</VALUE></NODE></TREEVIEWDATA>'); t.dataSource = x; t.dataSource = 'two.xml';"
         "say(nodes(), box.getElementsByTagName('DIV').length, t.defaultTextColor, "
         "t.xmlObject.selectNodes('TEXTCOLOR').length)",
         "A:1,A1:2,A2:2,B:1 4 navy 0"},
    });
}

TEST_F(TreeView, NodeMembers) {
    Write("two.xml", kTwoLevels + "");
    RunRows({
        {"value sizes the text",
         "t.dataSource = 'two.xml'; var a = box.firstChild; a.value = 'abc'; var w1 = "
         "a.textItem.style.posWidth;"
         "a.value = 'abcdef'; say(w1, a.textItem.style.posWidth)",
         "21 42"},
        {"a DIV that is no node ends the siblings",
         "t.dataSource = 'two.xml'; box.appendChild(document.createElement('DIV'));"
         "var b = box.firstChild.nextSiblingNode; say(b.value, typeof b.nextSiblingNode, typeof "
         "t.rootNode.parentNode)",
         "B undefined undefined"},
        {"expandState shows and hides without events; a leaf ignores it",
         "t.dataSource = 'two.xml'; box.attachEvent('onNodeExpanding', function() { say('event') });"
         "var a = box.firstChild; a.expandState = 1; var shown = a.firstChildNode.style.display; "
         "a.expandState = 0;"
         "var leaf = a.firstChildNode; leaf.expandState = 1; say(shown, a.firstChildNode.style.display, "
         "leaf.expandState)",
         "block none 0"},
        {"sortType goes down the subtree",
         "t.dataSource = 'two.xml'; var a = box.firstChild; a.sortType = 'descending'; a.sortType = "
         "'sideways';"
         "say(a.sortType, a.lastChildNode.sortType, box.lastChild.sortType)",
         "DESCENDING DESCENDING NORMAL"},
    });
}

TEST_F(TreeView, StructureChanges) {
    Write("two.xml", kTwoLevels);
    Write("nested.xml",
          "<NODES><NODE><VALUE>N1</VALUE></NODE><NODES><NODE><VALUE>N2</VALUE></NODE></NODES></NODES>");
    Write("data.xml", "<TREEVIEWDATA><NODE><VALUE>no</VALUE></NODE></TREEVIEWDATA>");
    Write("sel.xml", "<TREEVIEWDATA><NODE><VALUE>S</VALUE><SELECT/></NODE></TREEVIEWDATA>");
    const std::string log = "function log(e) { say(event.type, event.param.value) }"
                            "box.attachEvent('onSelChanging', log); box.attachEvent('onSelChanged', log);";
    RunRows({
        {"insertChild of nested NODES, of TREEVIEWDATA and Empty",
         "t.dataSource = 'two.xml'; var b = box.lastChild; b.insertChild('nested.xml'); "
         "b.insertChild('data.xml');"
         "var e = b.insertChild('EMPTY'); e.value = 'E'; say(nodes(), b.isLeaf)",
         "A:1,A1:2,A2:2,B:1,N1:2,N2:2,E:2 0"},
        {"removing the last child makes the parent a leaf",
         "t.dataSource = 'two.xml'; var a = box.firstChild; a.lastChildNode.remove(); "
         "a.lastChildNode.remove();"
         "say(nodes(), a.isLeaf)",
         "A:1,B:1 1"},
        {"removing an unselected node selects its previous sibling",
         log + "t.dataSource = 'two.xml'; box.lastChild.remove(); say(t.selectedNode.value)",
         "onSelChanging A|onSelChanged A|A"},
        {"removing the first top-level node leaves no selection",
         log + "t.dataSource = 'two.xml'; box.lastChild.select(); box.firstChild.remove(); say(typeof "
               "t.selectedNode,"
               "nodes())",
         "onSelChanging B|onSelChanged B|undefined B:1"},
        {"unSelect selects the same node again",
         log + "t.dataSource = 'two.xml'; box.lastChild.select(); say(t.unSelect().value, "
               "t.selectedNode.value)",
         "onSelChanging B|onSelChanged B|onSelChanging B|onSelChanged B|B B"},
        {"move after, before and as a child",
         "t.dataSource = 'two.xml'; var a = box.firstChild, b = box.lastChild, a2 = a.lastChildNode;"
         "a2.move(b, 'after'); say(nodes()); a2.move(a, 'BEFORE'); say(nodes()); a.move(b, 'Child'); "
         "say(nodes(),"
         "a.getElementsByTagName('IMG').length - a.firstChildNode.getElementsByTagName('IMG').length - 2,"
         "a.firstChildNode.getElementsByTagName('IMG').length)",
         "A:1,A1:2,B:1,A2:1|A2:1,A:1,A1:2,B:1|A2:1,B:1,A:2,A1:3 1 4"},
        {"moves that change nothing",
         "t.dataSource = 'two.xml'; var a = box.firstChild; a.move(box.lastChild, 'sideways'); "
         "a.move(a.firstChildNode,"
         "'AFTER'); a.move(a, 'CHILD'); a.move(document.body, 'CHILD'); a.move(5, 'CHILD'); say(nodes())",
         "A:1,A1:2,A2:2,B:1"},
        {"a node moved as child of the container becomes the last top-level node",
         "t.dataSource = 'two.xml'; var a1 = box.firstChild.firstChildNode; a1.move(box, 'CHILD');"
         "a1.move(box, 'AFTER'); say(nodes())",
         "A:1,A2:2,B:1,A1:1"},
        {"structure changes are refused while a load runs page script",
         "box.attachEvent('onSelChanged', function() { try { t.dataSource = 'two.xml' } catch (e) { "
         "say('put', e.number) }"
         "try { event.param.remove() } catch (e) { say('remove', e.number) } });"
         "t.dataSource = 'sel.xml'; t.dataSource = 'data.xml'; say(nodes())",
         "put -2147418113|remove -2147418113|no:1"},
    });
}

TEST_F(TreeView, TeardownLeavesNothingBehind) {
    Write("two.xml", kTwoLevels);
    RunRows({
        {"emptying the container clears the selection",
         "t.dataSource = 'two.xml'; box.firstChild.select(); box.innerHTML = ''; say(typeof t.selectedNode)",
         "undefined"},
        {"load, remove all, reload",
         "t.dataSource = 'two.xml'; t.rootNode.remove(); var empty = nodes(); t.dataSource = 'two.xml';"
         "say(empty, nodes())",
         " A:1,A1:2,A2:2,B:1"},
        {"a click after the tree is gone does nothing",
         "t.dataSource = 'two.xml'; var a = box.firstChild; var text = a.getElementsByTagName('SPAN')[0];"
         "box.attachEvent('onNodeClick', function() { say('clicked') }); text.click(); "
         "box.removeBehavior(cookie);"
         "text.click(); try { a.depth } catch (e) { say('depth', e.number) }",
         "clicked|depth -2147418113"},
    });
}

TEST_F(TreeView, ConnectorsAndIndents) {
    Write("one.xml", "<TREEVIEWDATA><NODE><VALUE>A</VALUE><ISLEAF>FALSE</ISLEAF></NODE></TREEVIEWDATA>");
    Write("three.xml",
          "<TREEVIEWDATA><NODE><VALUE>A</VALUE></NODE><NODE><VALUE>B</VALUE></NODE><NODE><VALUE>C"
          "</VALUE></NODE></TREEVIEWDATA>");
    Write("deep.xml",
          "<TREEVIEWDATA><NODE><VALUE>A</VALUE><EXPANDED>TRUE</EXPANDED><NODES><NODE><VALUE>A1</VALUE>"
          "<NODES><NODE><VALUE>A11</VALUE></NODE></NODES><EXPANDED>TRUE</EXPANDED></NODE></NODES></NODE>"
          "<NODE><VALUE>B</VALUE><NODES><NODE><VALUE>B1</VALUE></NODE></NODES></NODE></TREEVIEWDATA>");
    const std::string pictures =
        "function pic(img) { var s = img.src; return s.substring(s.lastIndexOf('/') + 1) }"
        "function heritage(n) { return pic(n.getElementsByTagName('IMG')[n.depth - 1]) }";
    RunRows({
        {"the only top-level node",
         pictures +
             "t.dataSource = 'one.xml'; var a = box.firstChild; var c = heritage(a); a.insertChild('EMPTY');"
             "a.expandState = 1; var e = heritage(a); a.firstChildNode.remove(); say(c, e, heritage(a))",
         "HeritageIcon002.gif HeritageIcon012.gif HeritageIcon102.gif"},
        {"three top-level leaves",
         pictures + "t.dataSource = 'three.xml'; var n = box.getElementsByTagName('DIV');"
                    "say(heritage(n[0]), heritage(n[1]), heritage(n[2]))",
         "HeritageIcon103.gif HeritageIcon100.gif HeritageIcon101.gif"},
        {"indents follow the ancestors' siblings",
         pictures +
             "t.dataSource = 'deep.xml'; var n = box.getElementsByTagName('DIV'); var a1 = n[1], a11 = n[2];"
             "var before = pic(a1.getElementsByTagName('IMG')[0]); box.lastChild.remove();"
             "say(heritage(a1), before, pic(a1.getElementsByTagName('IMG')[0]), "
             "pic(n[1].firstChildNode.getElementsByTagName('IMG')[0]));"
             "var parts = []; for (var c = a11.firstChild; c; c = c.nextSibling) parts.push(c.tagName); "
             "say(parts.join(' '))",
         "HeritageIcon011.gif VERTLINEICON.gif BLANKICON.gif BLANKICON.gif|IMG IMG IMG IMG SPAN"},
    });
}

TEST_F(TreeView, Scrolling) {
    std::string data = "<TREEVIEWDATA>";
    for (int i = 0; i < 39; ++i)
        data += "<NODE><VALUE>n" + std::to_string(i) + "</VALUE></NODE>";
    data +=
        "<NODE><VALUE>last</VALUE><NODES><NODE><VALUE>c1</VALUE></NODE><NODE><VALUE>c2</VALUE></NODE></NODES>"
        "</NODE></TREEVIEWDATA>";
    Write("forty.xml", data);
    RunRows({
        {"moveDisplayCenter puts the node in the middle, clamped",
         "t.dataSource = 'forty.xml'; var n = box.getElementsByTagName('DIV'); n[20].moveDisplayCenter(); "
         "var a = box.scrollTop;"
         "n[0].moveDisplayCenter(); say(a, n[20].offsetTop + 16 - 80 + 6, box.scrollTop)",
         "262 262 0"},
        {"expanding a node near the bottom shows its last child",
         "t.dataSource = 'forty.xml'; var last = box.lastChild; last.getElementsByTagName('IMG')[0].click();"
         "say(last.expandState, box.scrollTop, last.lastChildNode.offsetTop + 16 - 160 + 6, box.scrollHeight "
         "- box.clientHeight)",
         "1 512 518 512"},
    });
}

} // namespace
