// A page under an editing session, with the small language the session tables speak: an action
// per step ("type ab", "key back", "exec bold", "click id", ...), and the selection drawn over the
// page's text ("ab|c" a caret, "a[bc]" a text selection, "<IMG>" a selected element; "/" a break).
#pragma once

#include <gtest/gtest.h>
#include <qx/com/comptr.h>
#include <qx/html/dom/html_document.h>
#include <qx/html/dom/serializer.h>
#include <qx/html/editing/editing_session.h>
#include <qx/html/layout/document_geometry.h>
#include <qx/win32/codepage.h>

#include "winuser_input.h"
#include "winuser_message.h"
#include "winuser_window.h"

#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace qx::test {

class EditedPage {
public:
    explicit EditedPage(std::u16string_view html) {
        EXPECT_EQ(html::dom::ParseHtmlDocumentObject(html, &document), S_OK);
        dom = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document.Get())->AccessDocument();
        html::layout::AttachLayout(*dom);
        session = std::make_unique<html::editing::EditingSession>(dom);
        session->SetDisplayChanged([this] { ++displayChanges; });
    }

    std::string Body() { return win32::WideToUtf8(html::dom::InnerHtml(dom->tree.Body())); }

    std::string Selection() {
        html::editing::DocumentText& text = session->Text();
        if (text.Type() == html::editing::SelectionType::Control) {
            std::string out;
            for (html::dom::Node* e : text.Controls()) {
                std::string tag = win32::WideToUtf8(e->name);
                for (char& c : tag)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                out += "<" + tag + ">";
            }
            return out;
        }
        const html::editing::TextStream& stream = text.Stream();
        std::size_t from = stream.GapOf(text.Selected().start), to = stream.GapOf(text.Selected().end);
        std::u16string drawn = stream.Text(0, from) +
                               (from == to ? u"|" : u"[" + stream.Text(from, to) + u"]") +
                               stream.Text(to, stream.Size());
        std::string out;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            if (drawn[i] == u'\r' && i + 1 < drawn.size() && drawn[i + 1] == u'\n') {
                out += "/";
                ++i;
            } else {
                out += win32::WideToUtf8(drawn.substr(i, 1));
            }
        }
        return out;
    }

    html::dom::Node* ById(const std::string& id) { return dom->tree.ElementById(win32::Utf8ToWide(id)); }

    // The centre of an element (dx, dy from its left top when given).
    std::pair<LONG, LONG> PointIn(const std::string& id, LONG dx = -1, LONG dy = -1) {
        const html::dom::ClientRect r = dom->geometry->BoundingClientRect(ById(id));
        return {dx < 0 ? (r.left + r.right) / 2 : r.left + dx, dy < 0 ? (r.top + r.bottom) / 2 : r.top + dy};
    }

    static LPARAM At(std::pair<LONG, LONG> p) {
        return static_cast<LPARAM>((static_cast<DWORD>(p.second & 0xffff) << 16) | (p.first & 0xffff));
    }

    void Run(const std::string& action) {
        using html::editing::EditCommand;
        using Motion = html::editing::EditingSession::Motion;
        std::istringstream in(action);
        std::string verb;
        in >> verb;
        const std::string rest = action.size() > verb.size() ? action.substr(verb.size() + 1) : std::string();
        const std::u16string arg = win32::Utf8ToWide(rest);
        html::editing::EditingSession& s = *session;
        const html::editing::TextStream& stream = s.Text().Stream();
        if (verb == "caret") {
            s.SetCaret(stream.Caret(std::stoul(rest)));
        } else if (verb == "select") {
            std::istringstream gaps(rest);
            std::size_t a = 0, b = 0;
            gaps >> a >> b;
            s.SelectRange(stream.Right(a), stream.Left(b));
        } else if (verb == "type") {
            for (char16_t c : arg)
                s.HandleMessage(WM_CHAR, c, 0);
        } else if (verb == "key") {
            static const std::map<std::string, WPARAM> kKeys = {
                {"back", VK_BACK}, {"del", VK_DELETE},  {"enter", VK_RETURN},
                {"left", VK_LEFT}, {"right", VK_RIGHT}, {"up", VK_UP},
                {"down", VK_DOWN}, {"home", VK_HOME},   {"end", VK_END}};
            s.HandleMessage(WM_KEYDOWN, kKeys.at(rest), 0);
        } else if (verb == "shift") {
            static const std::map<std::string, Motion> kMotions = {
                {"left", Motion::Left}, {"right", Motion::Right}, {"up", Motion::Up},
                {"down", Motion::Down}, {"home", Motion::Home},   {"end", Motion::End}};
            if (rest == "enter")
                s.Enter(true);
            else
                s.MoveCaret(kMotions.at(rest), true);
        } else if (verb == "exec") {
            static const std::map<std::string, EditCommand> kCommands = {
                {"bold", EditCommand::Bold},
                {"italic", EditCommand::Italic},
                {"underline", EditCommand::Underline},
                {"copy", EditCommand::Copy},
                {"cut", EditCommand::Cut},
                {"paste", EditCommand::Paste},
                {"delete", EditCommand::Delete},
                {"selectall", EditCommand::SelectAll},
                {"removeformat", EditCommand::RemoveFormat},
                {"left", EditCommand::JustifyLeft},
                {"center", EditCommand::JustifyCenter},
                {"right", EditCommand::JustifyRight},
                {"indent", EditCommand::Indent},
                {"outdent", EditCommand::Outdent},
                {"ol", EditCommand::OrderedList},
                {"ul", EditCommand::UnorderedList},
                {"unlink", EditCommand::Unlink},
                {"undo", EditCommand::Undo},
                {"redo", EditCommand::Redo}};
            lastResult = s.Exec(kCommands.at(rest));
        } else if (verb == "font") {
            lastResult = s.SetFontName(arg);
        } else if (verb == "size") {
            lastResult = s.SetFontSize(std::stol(rest));
        } else if (verb == "fore") {
            lastResult = s.SetForeColor(arg);
        } else if (verb == "back") {
            lastResult = s.SetBackColor(arg);
        } else if (verb == "block") {
            lastResult = s.SetBlockFormat(arg);
        } else if (verb == "link") {
            lastResult = s.CreateLink(arg);
        } else if (verb == "image") {
            lastResult = s.InsertImage(arg);
        } else if (verb == "table") {
            html::editing::TableSpec spec;
            std::istringstream shape(rest);
            shape >> spec.rows >> spec.columns;
            spec.tableAttributes = u"border=1";
            spec.caption = u"T";
            lastResult = s.InsertTable(spec);
        } else if (verb == "click" || verb == "ctrlclick" || verb == "shiftclick") {
            std::istringstream where(rest);
            std::string id;
            LONG dx = -1;
            where >> id >> dx;
            const LPARAM at = At(PointIn(id, dx));
            const WPARAM keys =
                MK_LBUTTON | (verb == "ctrlclick" ? MK_CONTROL : 0) | (verb == "shiftclick" ? MK_SHIFT : 0);
            s.HandleMessage(WM_LBUTTONDOWN, keys, at);
            s.HandleMessage(WM_LBUTTONUP, keys & ~static_cast<WPARAM>(MK_LBUTTON), at);
        } else if (verb == "drag") {
            std::istringstream where(rest);
            std::string from, to;
            LONG fromDx = 0, toDx = 0;
            where >> from >> fromDx >> to >> toDx;
            s.HandleMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(PointIn(from, fromDx)));
            s.HandleMessage(WM_MOUSEMOVE, MK_LBUTTON, At(PointIn(to, toDx)));
            s.HandleMessage(WM_LBUTTONUP, 0, At(PointIn(to, toDx)));
        } else if (verb == "dblclick") {
            std::istringstream where(rest);
            std::string id;
            LONG dx = -1;
            where >> id >> dx;
            s.HandleMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(PointIn(id, dx)));
        } else {
            ADD_FAILURE() << "unknown action " << action;
        }
    }

    com::ComPtr<IHTMLDocument2> document;
    html::dom::DomPtr dom;
    std::unique_ptr<html::editing::EditingSession> session;
    int displayChanges = 0;
    HRESULT lastResult = S_OK;
};

} // namespace qx::test
