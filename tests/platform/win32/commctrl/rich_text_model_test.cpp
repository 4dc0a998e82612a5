#include "qx/commctrl/rich_text_model.h"

#include <gtest/gtest.h>

#include "richedit.h"

namespace qx::win32::commctrl {
namespace {

TEST(RichTextModel, LineEndsBecomeOnePosition) {
    struct Case {
        std::u16string in;
        std::u16string stored;
        LONG lines;
    } cases[] = {{u"a\r\nb", u"a\rb", 2}, {u"a\nb\n", u"a\rb\r", 3}, {u"\r\r\n", u"\r\r", 3}, {u"", u"", 1}};
    for (const auto& c : cases) {
        RichTextModel model;
        model.SetText(c.in);
        EXPECT_EQ(model.Text(), c.stored);
        EXPECT_EQ(model.LineCount(), c.lines);
    }
}

TEST(RichTextModel, LinesAndIndexes) {
    RichTextModel model;
    model.SetText(u"one\r\ntwo words\r\n\r\nlast");
    struct Case {
        LONG line, index, length;
    } lines[] = {{0, 0, 3}, {1, 4, 9}, {2, 14, 0}, {3, 15, 4}, {4, -1, 0}, {-1, -1, 0}};
    for (const auto& c : lines) {
        EXPECT_EQ(model.LineIndex(c.line), c.index) << c.line;
        EXPECT_EQ(model.LineLength(c.line), c.length) << c.line;
    }
    struct Char {
        LONG pos, line;
    } chars[] = {{0, 0}, {3, 0}, {4, 1}, {13, 1}, {14, 2}, {15, 3}, {19, 3}, {500, 3}};
    for (const auto& c : chars) {
        EXPECT_EQ(model.LineFromChar(c.pos), c.line) << c.pos;
    }
}

TEST(RichTextModel, SelectionRules) {
    RichTextModel model;
    model.SetText(u"0123456789");
    struct Case {
        LONG min, max;
        TextRange selection;
        LONG active;
    } cases[] = {{2, 5, {2, 5}, 5},    {0, -1, {0, 10}, 10},   {7, 3, {3, 7}, 3},   {-1, 0, {7, 7}, 7},
                 {4, 99, {4, 10}, 10}, {99, 99, {10, 10}, 10}, {3, -1, {3, 10}, 10}};
    for (const auto& c : cases) {
        model.SetSelection(c.min, c.max);
        EXPECT_EQ(model.Selection(), c.selection) << c.min << "," << c.max;
        EXPECT_EQ(model.Active(), c.active);
    }
}

TEST(RichTextModel, LimitCutsReplacementsButNotSetText) {
    RichTextModel model;
    std::u16string big(40000, u'x');
    model.SetText(big);
    EXPECT_EQ(model.Length(), 40000);
    bool truncated = false;
    model.SetSelection(0, 0);
    EXPECT_EQ(model.ReplaceSelection(u"abc", true, &truncated), 0);
    EXPECT_TRUE(truncated);

    model.SetLimit(40002);
    EXPECT_EQ(model.ReplaceSelection(u"abc", true, &truncated), 2);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(model.Slice(0, 3), u"abx");
    // A surrogate pair is never split at the limit.
    model.SetLimit(40003);
    EXPECT_EQ(model.ReplaceSelection(u"\xD83D\xDE00", true, &truncated), 0);
    model.SetLimit(0);
    EXPECT_EQ(model.Limit(), RichTextModel::kZeroLimitMeans);
}

TEST(RichTextModel, UndoRestoresTextFormatAndSelection) {
    RichTextModel model;
    model.SetText(u"hello world");
    EXPECT_FALSE(model.CanUndo());
    EXPECT_FALSE(model.Modified());
    CharFormat bold;
    bold.effects = CFE_BOLD;
    model.SetSelection(0, 5);
    model.SetFormat(RichTextModel::Scope::Selection, bold, CFM_BOLD);
    model.SetSelection(3, 8);
    model.ReplaceSelection(u"P", true);
    EXPECT_EQ(model.Text(), u"helPrld");
    EXPECT_TRUE(model.Modified());
    // Typed characters in a row are one step.
    model.Type(u"a");
    model.Type(u"b");
    EXPECT_EQ(model.Text(), u"helPabrld");
    ASSERT_TRUE(model.Undo());
    EXPECT_EQ(model.Text(), u"helPrld");
    ASSERT_TRUE(model.Undo());
    EXPECT_EQ(model.Text(), u"hello world");
    EXPECT_EQ(model.Selection(), (TextRange{3, 8}));
    EXPECT_EQ(model.Formats().At(4).effects & CFE_BOLD, CFE_BOLD);
    EXPECT_EQ(model.Formats().At(5).effects & CFE_BOLD, 0u);
    EXPECT_FALSE(model.Undo());

    // A replacement that cannot be undone forgets the history.
    model.ReplaceSelection(u"x", true);
    model.ReplaceSelection(u"y", false);
    EXPECT_FALSE(model.CanUndo());
}

TEST(RichTextModel, ReadOnlyRefusesTypingOnly) {
    RichTextModel model;
    model.SetReadOnly(true);
    EXPECT_FALSE(model.Type(u"a"));
    EXPECT_EQ(model.ReplaceSelection(u"b", true), 1);
    EXPECT_EQ(model.Text(), u"b");
}

TEST(RichTextModel, Find) {
    RichTextModel model;
    model.SetText(u"Cat cat concatenate CAT\r\n\uD55C\uAE00 cat_x");
    struct Case {
        TextRange within;
        std::u16string what;
        FindOptions options;
        std::optional<TextRange> found;
    } cases[] = {
        {{0, -1}, u"cat", {true, false, false}, TextRange{0, 3}},
        {{0, -1}, u"cat", {true, true, false}, TextRange{4, 7}},
        {{5, -1}, u"cat", {true, false, true}, TextRange{20, 23}},
        {{5, -1}, u"cat", {true, true, true}, std::nullopt},
        {{11, 16}, u"cat", {true, false, false}, TextRange{11, 14}},
        {{11, 13}, u"cat", {true, false, false}, std::nullopt},
        // Upwards from cpMin back to cpMax.
        {{19, 0}, u"cat", {false, false, false}, TextRange{11, 14}},
        {{19, -1}, u"CAT", {false, true, false}, std::nullopt},
        {{-1, 0}, u"cat", {false, false, false}, TextRange{27, 30}},
        {{0, -1}, u"\uD55C\uAE00", {true, false, true}, TextRange{24, 26}},
        {{0, -1}, u"cat\r\n\uD55C", {true, false, false}, TextRange{20, 25}},
        {{0, -1}, u"", {true, false, false}, std::nullopt},
        {{0, -1}, u"cat_", {true, false, true}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(model.Find(c.within, c.what, c.options), c.found)
            << c.within.min << "," << c.within.max << " down " << c.options.down;
    }
}

TEST(RichTextModel, FormatOfRanges) {
    RichTextModel model;
    model.SetText(u"abcdefghij");
    CharFormat red;
    red.color = 0x0000FF;
    red.effects = 0; // not automatic
    model.SetSelection(2, 6);
    model.SetFormat(RichTextModel::Scope::Selection, red, CFM_COLOR);
    CharFormat face;
    face.face = u"Arial";
    face.height = 240;
    model.SetSelection(4, 8);
    model.SetFormat(RichTextModel::Scope::Selection, face, CFM_FACE | CFM_SIZE);

    struct Case {
        LONG min, max;
        DWORD agreed;    // bits expected in the mask
        DWORD disagreed; // bits expected out of it
        COLORREF color;
        std::u16string face;
    } cases[] = {
        {2, 4, CFM_COLOR | CFM_FACE | CFM_SIZE, 0, 0x0000FF, u"\uAD74\uB9BC"},
        {4, 6, CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_BOLD, 0, 0x0000FF, u"Arial"},
        {0, 4, CFM_FACE | CFM_SIZE | CFM_BOLD, CFM_COLOR, 0, u"\uAD74\uB9BC"},
        {3, 8, CFM_BOLD, CFM_COLOR | CFM_FACE | CFM_SIZE, 0x0000FF, u"\uAD74\uB9BC"},
    };
    for (const auto& c : cases) {
        model.SetSelection(c.min, c.max);
        DWORD mask = 0;
        CharFormat got = model.GetFormat(RichTextModel::Scope::Selection, mask);
        EXPECT_EQ(mask & c.agreed, c.agreed) << c.min << "," << c.max;
        EXPECT_EQ(mask & c.disagreed, 0u) << c.min << "," << c.max;
        EXPECT_EQ(got.face, c.face);
        if (mask & CFM_COLOR) {
            EXPECT_EQ(got.color, c.color);
        }
    }
    EXPECT_EQ(model.Formats().RunCount(), 5u);

    // New text takes the format before it; a format set at the caret wins over that.
    model.SetSelection(6, 6);
    model.ReplaceSelection(u"X", true);
    EXPECT_EQ(model.Formats().At(6).face, u"Arial");
    CharFormat bold;
    bold.effects = CFE_BOLD;
    model.SetSelection(0, 0);
    model.SetFormat(RichTextModel::Scope::Selection, bold, CFM_BOLD);
    model.ReplaceSelection(u"B", true);
    EXPECT_EQ(model.Formats().At(0).effects & CFE_BOLD, CFE_BOLD);
    EXPECT_EQ(model.Formats().At(0).weight, 700);
    EXPECT_EQ(model.Formats().At(1).effects & CFE_BOLD, 0u);

    model.SetFormat(RichTextModel::Scope::All, bold, CFM_BOLD);
    DWORD mask = 0;
    model.SetSelection(0, -1);
    model.GetFormat(RichTextModel::Scope::Selection, mask);
    EXPECT_EQ(mask & CFM_BOLD, CFM_BOLD);
}

TEST(RichTextModel, ScrollingFollowsTheCaret) {
    RichTextModel model;
    std::u16string text;
    for (int i = 0; i < 50; ++i) {
        text += u"line\r\n";
    }
    model.SetText(text);
    model.SetVisibleLines(10);
    struct Step {
        LONG scroll; // lines to scroll, or
        LONG caret;  // with scroll 0: the line to put the caret on, then scroll to it
        LONG first;
    } steps[] = {{5, -1, 5}, {-20, -1, 0}, {1000, -1, 50}, {0, 3, 3}, {0, 30, 21}, {0, 25, 21}};
    for (const auto& s : steps) {
        if (s.caret >= 0) {
            model.SetSelection(model.LineIndex(s.caret), model.LineIndex(s.caret));
            model.ScrollCaret();
        } else {
            model.ScrollLines(s.scroll);
        }
        EXPECT_EQ(model.FirstVisibleLine(), s.first);
    }
}

} // namespace
} // namespace qx::win32::commctrl
