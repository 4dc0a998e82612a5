// Random keys, clicks and commands on random pages: the bytes before the first NUL are the page
// (as Latin-1), each byte pair after it an action and its argument. After every action the tree
// must still be a tree, every node must still be reachable (so it is freed in the end) and the
// selection must point into it.
#include "qx/com/comptr.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/dom/html_parser.h"
#include "qx/html/editing/editing_session.h"
#include "qx/html/layout/document_geometry.h"

#include "winuser_clipboard.h"
#include "winuser_input.h"
#include "winuser_message.h"
#include "winuser_window.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

using namespace qx::html;

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

void CheckTree(const dom::Node* root) {
    for (const dom::Node* n = root; n; n = dom::NextInTree(n, root)) {
        const dom::Node* previous = nullptr;
        for (const dom::Node* c = n->firstChild; c; c = c->next) {
            Check(c->parent == n && c->previous == previous);
            previous = c;
        }
        Check(n->lastChild == previous);
        Check(n->type != dom::NodeType::Text || !n->firstChild);
    }
}

void CheckPlace(dom::NodeTree& tree, const dom::TextPoint& p) {
    if (!p.node)
        return;
    Check(dom::IsInclusiveAncestor(tree.Document(), p.node));
    Check(p.node->type == dom::NodeType::Text ? p.offset <= p.node->text.size()
                                              : p.offset <= p.node->ChildCount());
}

void Act(editing::EditingSession& s, std::uint8_t action, std::uint8_t arg) {
    using editing::EditCommand;
    using Motion = editing::EditingSession::Motion;
    const editing::TextStream& stream = s.Text().Stream();
    const LPARAM point = static_cast<LPARAM>(((arg % 16) * 40) << 16 | ((arg / 16) * 60));
    switch (action % 30) {
    case 0:
        s.SetCaret(stream.Caret(arg % (stream.Size() + 1)));
        break;
    case 1:
        s.SelectRange(stream.Right(arg % (stream.Size() + 1)), stream.Left((arg * 7) % (stream.Size() + 1)));
        break;
    case 2:
        s.HandleMessage(WM_CHAR, arg % 3 == 0 ? u' ' : static_cast<WPARAM>(u'a' + arg % 26), 0);
        break;
    case 3:
        s.HandleMessage(WM_KEYDOWN, VK_BACK, 0);
        break;
    case 4:
        s.HandleMessage(WM_KEYDOWN, VK_DELETE, 0);
        break;
    case 5:
        s.Enter(arg % 2 == 0);
        break;
    case 6:
        s.MoveCaret(static_cast<Motion>(arg % 6), arg >= 128);
        break;
    case 7:
        s.HandleMessage(WM_LBUTTONDOWN, MK_LBUTTON | (arg % 2 ? MK_SHIFT : 0) | (arg % 3 ? 0 : MK_CONTROL),
                        point);
        break;
    case 8:
        s.HandleMessage(WM_MOUSEMOVE, MK_LBUTTON, point);
        s.HandleMessage(WM_LBUTTONUP, 0, point);
        break;
    case 9:
        s.HandleMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        break;
    case 10:
        s.SetFontName(arg % 2 ? u"Arial" : u"Gulim");
        break;
    case 11:
        s.SetFontSize(arg % 9);
        break;
    case 12:
        s.SetForeColor(u"#123456");
        s.SetBackColor(u"red");
        break;
    case 13:
        s.SetBlockFormat(editing::EditingSession::BlockFormatNames()[arg % 16]);
        break;
    case 14:
        s.CreateLink(u"http://x/?a&b");
        break;
    case 15:
        s.InsertImage(u"i.gif");
        break;
    case 16: {
        editing::TableSpec table;
        table.rows = arg % 4;
        table.columns = arg / 64 + 1;
        table.tableAttributes = u"border=1 <x>";
        table.caption = u"c<";
        s.InsertTable(table);
        break;
    }
    case 17:
        s.FontName();
        s.FontSize();
        s.ForeColor();
        s.BackColor();
        s.BlockFormat();
        break;
    default:
        // The commands that need no argument, and their status.
        s.Status(static_cast<EditCommand>(arg % 27));
        s.Exec(static_cast<EditCommand>((action % 30 - 18 + arg) % 27));
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    std::size_t split = 0;
    while (split < size && data[split] != 0)
        ++split;
    std::u16string html(data, data + split);
    qx::com::ComPtr<IHTMLDocument2> object;
    if (FAILED(dom::ParseHtmlDocumentObject(html, &object)))
        return 0;
    const dom::DomPtr document = qx::com::ComPtr<IHtmlNodeAccess>::QueryFrom(object.Get())->AccessDocument();
    layout::AttachLayout(*document);
    // Each input starts from an empty clipboard, so that inputs do not depend on each other.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    {
        editing::EditingSession session(document);
        for (std::size_t i = split + 1; i + 1 < size && i < split + 1 + 2 * 64; i += 2) {
            Act(session, data[i], data[i + 1]);
            CheckTree(document->tree.Document());
            Check(document->tree.LiveNodeCount() == document->tree.ReachableNodeCount());
            CheckPlace(document->tree, session.Text().Selected().start);
            CheckPlace(document->tree, session.Text().Selected().end);
            session.Text().Type(); // lets go of elements taken out
            for (dom::Node* e : session.Text().Controls())
                Check(e->parent != nullptr);
        }
    }
    return 0;
}
