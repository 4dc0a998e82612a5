#include "qx/commctrl/list_view_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commctrl.h"

namespace qx::win32::commctrl {
namespace {

// Records every notice as one line, and refuses changes of the items listed in `refuse`.
struct Recorder : ListViewListener {
    std::vector<std::string> log;
    std::vector<int> refuse;
    bool quietDeleteAll = false;

    bool ItemChanging(const ListItemChange& c) override {
        log.push_back("changing " + std::to_string(c.item) + " " + std::to_string(c.oldState) + "->" +
                      std::to_string(c.newState) + " " + std::to_string(c.changed));
        return std::find(refuse.begin(), refuse.end(), c.item) != refuse.end();
    }
    void ItemChanged(const ListItemChange& c) override {
        log.push_back("changed " + std::to_string(c.item) + " " + std::to_string(c.oldState) + "->" +
                      std::to_string(c.newState) + " " + std::to_string(c.changed));
    }
    void ItemInserted(int item) override { log.push_back("inserted " + std::to_string(item)); }
    void ItemDeleting(int item, LPARAM param) override {
        log.push_back("deleting " + std::to_string(item) + " " + std::to_string(param));
    }
    bool DeletingAll() override {
        log.push_back("deleting all");
        return quietDeleteAll;
    }
};

ListItem Named(std::u16string text, LPARAM param = 0) {
    ListItem item;
    item.texts = {std::move(text)};
    item.param = param;
    return item;
}

class ListViewModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.SetListener(&recorder);
        model.InsertItem(0, Named(u"alpha", 10));
        model.InsertItem(1, Named(u"Beta", 20));
        model.InsertItem(2, Named(u"gamma", 30));
        recorder.log.clear();
    }
    Recorder recorder;
    ListViewModel model;
};

TEST_F(ListViewModelTest, InsertClampsAndRefusesNegative) {
    struct Case {
        int index;
        int expected;
    } cases[] = {{0, 0}, {99, 4}, {-1, -1}, {2, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(model.InsertItem(c.index, Named(u"x")), c.expected) << c.index;
    }
    EXPECT_EQ(model.ItemCount(), 6);
    EXPECT_EQ(model.Item(1)->Text(0), u"alpha");
}

TEST_F(ListViewModelTest, SubitemTextsOutliveColumnChanges) {
    EXPECT_EQ(model.InsertColumn(0, ListColumn{LVCFMT_LEFT, 80, u"Name", 0}), 0);
    EXPECT_EQ(model.InsertColumn(5, ListColumn{LVCFMT_RIGHT, 40, u"Size", 1}), 1);
    EXPECT_TRUE(model.SetItemText(1, 3, u"far"));
    EXPECT_TRUE(model.SetItemText(1, 1, u"12"));
    EXPECT_TRUE(model.DeleteColumn(0));
    EXPECT_FALSE(model.DeleteColumn(1));
    EXPECT_EQ(model.Column(0)->text, u"Size");
    EXPECT_EQ(model.Item(1)->Text(1), u"12");
    EXPECT_EQ(model.Item(1)->Text(2), u"");
    EXPECT_EQ(model.Item(1)->Text(3), u"far");
    // Subitem texts change without notices; the label goes through them.
    EXPECT_TRUE(recorder.log.empty());
    EXPECT_TRUE(model.SetItemText(1, 0, u"beta2"));
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"changing 1 0->0 1", "changed 1 0->0 1"}));
}

TEST_F(ListViewModelTest, SelectionNotices) {
    struct Step {
        int item;
        UINT state;
        UINT mask;
        bool single;
        std::vector<std::string> log;
    } steps[] = {
        {1,
         LVIS_SELECTED | LVIS_FOCUSED,
         LVIS_SELECTED | LVIS_FOCUSED,
         false,
         {"changing 1 0->3 8", "changed 1 0->3 8"}},
        // Focus moves: the old item loses it first.
        {2,
         LVIS_FOCUSED,
         LVIS_FOCUSED,
         false,
         {"changing 1 3->2 8", "changed 1 3->2 8", "changing 2 0->1 8", "changed 2 0->1 8"}},
        // Nothing changes, nothing is said.
        {2, LVIS_FOCUSED, LVIS_FOCUSED, false, {}},
        // Single selection: the selected one is deselected first.
        {0,
         LVIS_SELECTED,
         LVIS_SELECTED,
         true,
         {"changing 1 2->0 8", "changed 1 2->0 8", "changing 0 0->2 8", "changed 0 0->2 8"}},
        {-1, 0, LVIS_SELECTED, false, {"changing 0 2->0 8", "changed 0 2->0 8"}},
    };
    for (const auto& s : steps) {
        recorder.log.clear();
        model.SetSingleSelection(s.single);
        EXPECT_TRUE(model.SetItemState(s.item, s.state, s.mask));
        EXPECT_EQ(recorder.log, s.log) << s.item;
    }
    EXPECT_EQ(model.SelectedCount(), 0);
    EXPECT_EQ(model.NextItem(-1, LVNI_FOCUSED), 2);
}

TEST_F(ListViewModelTest, RefusedChangeKeepsState) {
    recorder.refuse = {1};
    EXPECT_FALSE(model.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(model.ItemState(1, LVIS_SELECTED), 0u);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"changing 1 0->2 8"}));
    EXPECT_FALSE(model.SetItemParam(1, 99));
    EXPECT_EQ(model.Item(1)->param, 20);
}

TEST_F(ListViewModelTest, NextAndFind) {
    model.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    model.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    struct Next {
        int start;
        UINT flags;
        int expected;
    } nexts[] = {{-1, LVNI_SELECTED, 0}, {0, LVNI_SELECTED, 2},
                 {2, LVNI_SELECTED, -1}, {-1, LVNI_SELECTED | LVNI_FOCUSED, 2},
                 {-1, LVNI_ALL, 0},      {1, LVNI_ALL, 2}};
    for (const auto& n : nexts) {
        EXPECT_EQ(model.NextItem(n.start, n.flags), n.expected) << n.start << " " << n.flags;
    }
    struct Find {
        int start;
        ListFind find;
        int expected;
    } finds[] = {
        {-1, {ListFind::By::Text, u"BETA"}, 1},   {-1, {ListFind::By::Text, u"bet"}, -1},
        {-1, {ListFind::By::Partial, u"GAM"}, 2}, {-1, {ListFind::By::Param, {}, 30}, 2},
        {1, {ListFind::By::Text, u"alpha"}, -1},  {1, {ListFind::By::Text, u"alpha", 0, true}, 0},
    };
    for (const auto& f : finds) {
        EXPECT_EQ(model.FindItem(f.start, f.find), f.expected);
    }
}

TEST_F(ListViewModelTest, DeleteNotices) {
    EXPECT_TRUE(model.DeleteItem(1));
    EXPECT_FALSE(model.DeleteItem(5));
    model.DeleteAllItems();
    EXPECT_EQ(recorder.log,
              (std::vector<std::string>{"deleting 1 20", "deleting all", "deleting 0 10", "deleting 1 30"}));
    EXPECT_EQ(model.ItemCount(), 0);

    model.InsertItem(0, Named(u"x", 7));
    recorder.quietDeleteAll = true;
    recorder.log.clear();
    model.DeleteAllItems();
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"deleting all"}));
}

} // namespace
} // namespace qx::win32::commctrl
