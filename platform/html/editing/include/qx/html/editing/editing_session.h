// Design-mode editing of one document: the caret and the selection (the document's own, through
// its DocumentText), the mouse and the keys of the document view, the clipboard, undo and redo, and
// the formatting commands with their status. The DHTML editing control wraps one of these; its
// document-view window hands its messages to HandleMessage after the page window has delivered
// the DOM events for them.
#pragma once

#include "qx/html/editing/document_text.h"

#include "wintypes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qx::html::editing {

// A command's state as the editing control's QueryStatus answers it (the values are its own).
enum class CommandStatus : long { NotSupported = 0, Disabled = 1, Enabled = 3, Latched = 7, Ninched = 11 };

enum class EditCommand {
    Bold,
    Italic,
    Underline,
    Copy,
    Cut,
    Paste,
    Delete,
    SelectAll,
    RemoveFormat,
    FontName,    // get: FontName(); set: SetFontName()
    FontSize,    // get: FontSize(); set: SetFontSize()
    ForeColor,   // get: ForeColor(); set: SetForeColor()
    BackColor,   // get: BackColor(); set: SetBackColor()
    BlockFormat, // get: BlockFormat(); set: SetBlockFormat()
    JustifyLeft,
    JustifyCenter,
    JustifyRight,
    Indent,
    Outdent,
    OrderedList,
    UnorderedList,
    Hyperlink, // set: CreateLink()
    Unlink,
    Image,       // InsertImage()
    InsertTable, // InsertTable()
    Undo,
    Redo,
};

// What the insert-table command makes: rows x columns cells; the attribute texts are written into
// the TABLE and each TD start tag as given ("border=1 width=100"), the caption (when not empty)
// becomes a CAPTION.
struct TableSpec {
    long rows = 1;
    long columns = 1;
    std::u16string tableAttributes;
    std::u16string cellAttributes;
    std::u16string caption;
};

class EditingSession {
public:
    // Attaches editing to the document (AttachEditing) and works on its selection. The session
    // holds the document.
    explicit EditingSession(const dom::DomPtr& document);
    ~EditingSession();
    EditingSession(const EditingSession&) = delete;
    EditingSession& operator=(const EditingSession&) = delete;

    dom::DomDocument& Document() { return *dom_; }
    DocumentText& Text() { return text_; }

    // Called after every change of the selection or the content (the control's DisplayChanged).
    void SetDisplayChanged(std::function<void()> callback) { displayChanged_ = std::move(callback); }

    // The document view's messages: WM_LBUTTONDOWN, WM_MOUSEMOVE (with MK_LBUTTON: a drag),
    // WM_LBUTTONUP, WM_LBUTTONDBLCLK (selects the word), WM_KEYDOWN (Backspace, Delete, Enter, the
    // arrows, Home, End, Ctrl+A/C/X/V/Z/Y) and WM_CHAR (printable characters and Tab). True when
    // the message was an editing message and was handled; other messages are left alone. The
    // state of Shift and Ctrl of a key message comes from the key state (GetKeyState).
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The mouse, in the view's client coordinates. A press on IMG, TABLE (its border, or anywhere
    // with Ctrl), INPUT, SELECT, TEXTAREA, BUTTON, HR, OBJECT or IFRAME selects that element; any
    // other press puts the caret at the nearest text place (Shift: extends the selection). Both
    // fire `selectstart` first (`dragstart` for a press on a selected control); cancelled, the
    // selection stays as it was.
    void MouseDown(LONG x, LONG y, bool shift, bool ctrl);
    void MouseMove(LONG x, LONG y);
    void MouseUp(LONG x, LONG y);
    // A double click: the word at the point (with the spaces after it).
    void SelectWordAt(LONG x, LONG y);

    // Keys. Enter splits the block the caret is in (a P, a heading, a list item; text directly in
    // BODY or a cell first becomes a P); Shift+Enter puts a BR.
    void TypeText(std::u16string_view text);
    void Backspace();
    void DeleteForward();
    void Enter(bool lineBreak);
    enum class Motion { Left, Right, Up, Down, Home, End };
    void MoveCaret(Motion motion, bool extend);

    // The selection in tree places, and setting it directly.
    void SetCaret(const TextPoint& place);
    void SelectRange(const TextPoint& start, const TextPoint& end);
    void SelectElement(dom::Node* element);

    // Commands. Status answers from the selection; Exec does a command that needs no argument
    // (Bold ... Redo but the getters and setters below): E_INVALIDARG for one that needs an
    // argument, OLECMDERR_E_DISABLED (0x80040101) when its status is Disabled.
    CommandStatus Status(EditCommand command);
    HRESULT Exec(EditCommand command);

    // Formatting of the selection. A getter answers nothing when the selection has no single
    // value (mixed, or no selection).
    std::optional<std::u16string> FontName();
    std::optional<long> FontSize();            // 1..7
    std::optional<std::u16string> ForeColor(); // "#rrggbb"
    std::optional<std::u16string> BackColor();
    std::optional<std::u16string> BlockFormat(); // one of BlockFormatNames()
    HRESULT SetFontName(std::u16string_view name);
    HRESULT SetFontSize(long size); // 1..7, else E_INVALIDARG
    HRESULT SetForeColor(std::u16string_view colour);
    HRESULT SetBackColor(std::u16string_view colour);
    HRESULT SetBlockFormat(std::u16string_view name); // E_INVALIDARG for a name not listed
    static const std::vector<std::u16string>& BlockFormatNames();

    HRESULT CreateLink(std::u16string_view url);
    HRESULT InsertImage(std::u16string_view url);
    HRESULT InsertTable(const TableSpec& table);

    bool CanUndo() const;
    bool CanRedo() const;

    struct State;

private:
    // Undo: the state before a change is kept (a typing run keeps the one before its first key).
    void BeginChange(bool typing = false);
    void Changed();
    // Deletes the selected text or the selected elements; false when nothing was selected.
    bool DeleteSelection();
    // Backspace (backward) or Delete: the selection, or one unit beside the caret.
    void DeleteUnit(bool backward);
    // Puts text at the caret (after the selection went): spaces that would collapse become NBSP.
    void InsertTextAtCaret(std::u16string_view text);
    // Formats of the selection.
    HRESULT ToggleInline(std::u16string_view tag);
    HRESULT ApplyFont(std::u16string_view attribute, std::u16string_view value);
    std::optional<std::u16string> CommonValue(std::u16string (*read)(dom::Node* leaf));
    bool AllInside(std::initializer_list<std::u16string_view> tags);
    bool AnyInside(std::initializer_list<std::u16string_view> tags);
    std::vector<dom::Node*> SelectedNodes();
    void RemoveInline(bool (*matches)(const dom::Node* element));
    HRESULT Align(std::u16string_view how);
    HRESULT MakeList(std::u16string_view tag);
    HRESULT IndentBlocks(bool in);
    CommandStatus ListStatus(std::u16string_view tag);
    CommandStatus AlignStatus(std::u16string_view how);
    HRESULT Copy();
    HRESULT Paste();
    HRESULT PasteHtmlAtSelection(std::u16string_view html);
    HRESULT UndoStep(bool redo);
    bool FireAt(dom::Node* node, std::u16string_view type);

    dom::DomPtr dom_;
    DocumentText& text_;
    std::function<void()> displayChanged_;
    std::unique_ptr<State> state_;
};

// The clipboard format name of HTML on the clipboard ("HTML Format").
inline constexpr char16_t kHtmlClipboardFormat[] = u"HTML Format";

} // namespace qx::html::editing
