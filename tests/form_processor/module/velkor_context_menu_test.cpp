// The control's context menu as the UI driver sees it: its items, labels and grey flags by
// selection, where it opens (the event's point, or the cursor outside an event), and the actions
// of the items that need no dialog.
#include "velkor_editing_fixture.h"

#include <oleidl.h>
#include <qx/win32/input_driver.h>
#include <winuser_input.h>
#include <winuser_menu.h>

#include <algorithm>

using namespace velkor_test;

namespace {

constexpr char16_t kFreeForm[] = u"<html><body dovrel free><p id=para>plain text</p>"
                                 u"<p><a id=link href=\"http://x/\">link text</a></p></body></html>";

constexpr char16_t kLockedForm[] =
    u"<html><body dovrel><p id=para>plain text</p>"
    u"<table id=grid><tr><td id=open free>first</td><td id=closed>second</td><td id=other free>third</td>"
    u"</tr></table></body></html>";

struct Item {
    UINT id;
    std::string label; // empty for a separator
    bool grayed;
};

bool operator==(const Item& a, const Item& b) {
    return a.id == b.id && a.label == b.label && a.grayed == b.grayed;
}

std::vector<Item> ItemsOf(const qx::win32::MenuRequest& request) {
    std::vector<Item> items;
    for (const auto& item : request.items)
        items.push_back({item.separator ? 0u : item.id, item.separator ? "" : item.label, item.grayed});
    return items;
}

std::string Describe(const std::vector<Item>& items) {
    std::string text;
    for (const Item& item : items)
        text += std::to_string(item.id) + (item.label.empty() ? "-" : ":" + item.label) +
                (item.grayed ? "(gray) " : " ");
    return text;
}

class VelkorContextMenuTest : public VelkorEditingTest {
protected:
    HWND EditorWindow() {
        HWND window = nullptr;
        if (auto ole = ComPtr<IOleWindow>::QueryFrom(Document().Get()))
            ole->GetWindow(&window);
        return window;
    }
    // A point inside the element, in the editor window's client coordinates.
    POINT ClientPoint(const char16_t* id) {
        ComPtr<IDispatch> element = ComPtr<IDispatch>::QueryFrom(Element(id).Get());
        Variant rect, left, top;
        EXPECT_EQ(CallByName(element.Get(), u"getBoundingClientRect", DISPATCH_METHOD, {}, &rect), S_OK);
        if (rect.vt != VT_DISPATCH)
            return {};
        CallByName(rect.pdispVal, u"left", DISPATCH_PROPERTYGET, {}, &left);
        CallByName(rect.pdispVal, u"top", DISPATCH_PROPERTYGET, {}, &top);
        if (FAILED(left.ChangeType(VT_I4)) || FAILED(top.ChangeType(VT_I4)))
            return {};
        return {left.lVal + 3, top.lVal + 3};
    }
    bool EditorEnabled(LONG command) { return EditorStatus(command) == FPF_ENABLED; }

    // The items after "테이블 삽입" that every menu ends with.
    void AppendTail(std::vector<Item>& items) {
        items.push_back({0, "", false});
        if (EditorEnabled(5016)) {
            items.push_back({204, "하이퍼링크 속성...", false});
            items.push_back({205, "하이퍼링크 확인", false});
        }
        items.push_back({202, "글꼴", !EditorEnabled(5009)});
        items.push_back({0, "취소", false});
    }
    Item InsertTableItem() {
        return {100, "테이블 삽입", !(EditorEnabled(5022) && QueryNumber(FPID_INSERTTABLE) == FPF_ENABLED)};
    }
    std::vector<Item> ShowMenu() {
        ui_.Clear();
        EXPECT_EQ(control_->ExecCommand(FPID_SHOW_PROPERTY_DLG, Variant()), S_OK);
        const auto requests = ui_.MenuRequests();
        return requests.empty() ? std::vector<Item>{} : ItemsOf(requests.back());
    }
};

TEST_F(VelkorContextMenuTest, ItemsFollowTheSelection) {
    Activate(u"1");
    struct Case {
        const char16_t* form;
        const char16_t* caret;
        bool inTable;
    };
    const Case cases[] = {
        {kFreeForm, u"para", false}, {kLockedForm, u"open", true}, {kLockedForm, u"other", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(c.caret));
        PutForm(c.form);
        SelectText(c.caret);
        std::vector<Item> expected{InsertTableItem()};
        if (c.inTable) {
            expected.push_back({0, "", false});
            expected.push_back({101, "복 사", !EditorEnabled(5002)});
            expected.push_back({102, "잘라내기", !EditorEnabled(5003)});
            expected.push_back({103, "붙여놓기", !EditorEnabled(5032)});
            expected.push_back({206, "셀내용 지우기", false});
            expected.push_back({0, "", false});
            expected.push_back({104, "표 속성", true}); // neither the table nor BODY is "free"
            expected.push_back({105, "셀 속성", false});
        }
        AppendTail(expected);
        const std::vector<Item> items = ShowMenu();
        EXPECT_EQ(items, expected) << Describe(items) << "\nexpected " << Describe(expected);
    }
}

TEST_F(VelkorContextMenuTest, AChosenImageOrListAddsItsItem) {
    Activate(u"1");
    PutForm(u"<html><body dovrel free><p>a <img id=picture width=40 height=30 src=\"x.gif\"> b</p>"
            u"<p><select id=choice><option>one</option></select></p></body></html>");
    const std::pair<const char16_t*, Item> cases[] = {
        {u"picture", {201, "그림...", false}},
        {u"choice", {207, "Select Property", false}},
    };
    for (const auto& [id, item] : cases) {
        SCOPED_TRACE(qx::com::Utf16ToUtf8(id));
        // A press on the element chooses it whole.
        POINT point = ClientPoint(id);
        qx::win32::input::Press(EditorWindow(), point.x, point.y);
        qx::win32::input::Release(EditorWindow(), point.x, point.y);
        Pump();
        const std::vector<Item> items = ShowMenu();
        EXPECT_EQ(std::count(items.begin(), items.end(), item), 1) << Describe(items);
        EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const Item& i) { return i.id == 203; }), 0);
    }
}

TEST_F(VelkorContextMenuTest, OutsideAnEventItOpensAtTheCursorOverTheEditor) {
    Activate(u"1");
    PutForm(kFreeForm);
    CaretIn(u"para");
    ASSERT_TRUE(SetCursorPos(33, 44));
    ShowMenu();
    const auto requests = ui_.MenuRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].point.x, 33);
    EXPECT_EQ(requests[0].point.y, 44);
    EXPECT_EQ(requests[0].owner, EditorWindow());
    EXPECT_EQ(requests[0].flags & (TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY),
              static_cast<UINT>(TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY));
}

TEST_F(VelkorContextMenuTest, NoMenuWhereNothingIsEditable) {
    Activate(u"1");
    PutForm(kLockedForm);
    CaretIn(u"closed");
    EXPECT_TRUE(ShowMenu().empty());
    EXPECT_TRUE(ui_.MenuRequests().empty());
}

TEST_F(VelkorContextMenuTest, ARightClickInTheEditorOpensTheMenuAtTheEventsPoint) {
    Activate(u"1");
    PutForm(kLockedForm);
    CaretIn(u"open");
    POINT point = ClientPoint(u"open");
    ui_.Clear();
    HWND window = EditorWindow();
    qx::win32::input::RightPress(window, point.x, point.y);
    qx::win32::input::RightRelease(window, point.x, point.y);
    Settle();
    const auto requests = ui_.MenuRequests();
    ASSERT_EQ(requests.size(), 1u);
    ClientToScreen(window, &point);
    EXPECT_EQ(requests[0].point.x, point.x);
    EXPECT_EQ(requests[0].point.y, point.y);
    ASSERT_FALSE(requests[0].items.empty());
    EXPECT_EQ(requests[0].items.front().id, 100u);
}

TEST_F(VelkorContextMenuTest, ClearingCellContentsEmptiesTheSelectionsCell) {
    Activate(u"1");
    PutForm(kLockedForm);
    CaretIn(u"open");
    ui_.QueueMenu(206);
    ShowMenu();
    Bstr html;
    Element(u"open")->get_innerText(&html);
    EXPECT_TRUE(html.Empty()) << qx::com::Utf16ToUtf8(html.View());
    for (const char16_t* id : {u"closed", u"other"}) {
        Element(id)->get_innerText(&html);
        EXPECT_FALSE(html.Empty()) << "only the selection's cell is cleared";
    }
}

TEST_F(VelkorContextMenuTest, OpeningAHyperlinkAsksForANewWindow) {
    Activate(u"1");
    PutForm(kFreeForm);
    SelectText(u"link");
    if (!EditorEnabled(5016))
        GTEST_SKIP() << "the editing control offers no hyperlink command for a caret in a link";
    ui_.QueueMenu(205);
    ShowMenu();
    const auto windows = ui_.BrowserWindowRequests();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].url, "http://x/");
}

// Passes once the table engine lists a table's cells (ListTableCells).
TEST_F(VelkorContextMenuTest, DISABLED_ClearingCellContentsEmptiesTheHighlightedCells) {
    Activate(u"1");
    PutForm(kLockedForm);
    for (const char16_t* id : {u"closed", u"other"}) {
        auto element = ComPtr<IHTMLElement2>::QueryFrom(Element(id).Get());
        ComPtr<IDispatch> style;
        ASSERT_EQ(element->get_runtimeStyle(&style), S_OK);
        ASSERT_EQ(CallByName(style.Get(), u"backgroundColor", DISPATCH_PROPERTYPUT, {Variant(u"#c0c0c0")}),
                  S_OK);
    }
    CaretIn(u"open");
    ui_.QueueMenu(206);
    ShowMenu();
    Bstr text;
    Element(u"open")->get_innerText(&text);
    EXPECT_EQ(text.View(), u"first");
    for (const char16_t* id : {u"closed", u"other"}) {
        Element(id)->get_innerHTML(&text);
        EXPECT_TRUE(text.Empty());
    }
}

} // namespace
