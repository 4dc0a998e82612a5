#include "command_table.h"

#include "dhtmled.h"
#include "editor_dialogs.h"
#include "param_objects.h"

#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"

#include <optional>
#include <string>

namespace qx::html::editing::control {
namespace {

constexpr HRESULT kNotSupported = static_cast<HRESULT>(0x80040100); // OLECMDERR_E_NOTSUPPORTED
constexpr HRESULT kDisabled = static_cast<HRESULT>(0x80040101);     // OLECMDERR_E_DISABLED

// What a command does with its argument and result.
enum class Kind {
    Plain,       // the session's command, no argument
    GetText,     // a text of the selection's format
    GetSize,     // the font size 1..7
    SetText,     // a text argument
    SetSize,     // a number argument
    BlockNames,  // fills the block-format-names object
    InsertTable, // reads the table-parameter object (defaults without one)
    Hyperlink,   // the address argument, or the dialog
    Image,       // the picture's address
    FontDialog,  // the font dialog
};

struct CommandRow {
    LONG id;
    EditCommand command;
    Kind kind;
};

constexpr CommandRow kCommands[] = {
    {DECMD_BOLD, EditCommand::Bold, Kind::Plain},
    {DECMD_COPY, EditCommand::Copy, Kind::Plain},
    {DECMD_CUT, EditCommand::Cut, Kind::Plain},
    {DECMD_DELETE, EditCommand::Delete, Kind::Plain},
    {DECMD_FONT, EditCommand::FontName, Kind::FontDialog},
    {DECMD_GETBACKCOLOR, EditCommand::BackColor, Kind::GetText},
    {DECMD_GETBLOCKFMT, EditCommand::BlockFormat, Kind::GetText},
    {DECMD_GETBLOCKFMTNAMES, EditCommand::BlockFormat, Kind::BlockNames},
    {DECMD_GETFONTNAME, EditCommand::FontName, Kind::GetText},
    {DECMD_GETFONTSIZE, EditCommand::FontSize, Kind::GetSize},
    {DECMD_GETFORECOLOR, EditCommand::ForeColor, Kind::GetText},
    {DECMD_HYPERLINK, EditCommand::Hyperlink, Kind::Hyperlink},
    {DECMD_IMAGE, EditCommand::Image, Kind::Image},
    {DECMD_INDENT, EditCommand::Indent, Kind::Plain},
    {DECMD_INSERTTABLE, EditCommand::InsertTable, Kind::InsertTable},
    {DECMD_ITALIC, EditCommand::Italic, Kind::Plain},
    {DECMD_JUSTIFYCENTER, EditCommand::JustifyCenter, Kind::Plain},
    {DECMD_JUSTIFYLEFT, EditCommand::JustifyLeft, Kind::Plain},
    {DECMD_JUSTIFYRIGHT, EditCommand::JustifyRight, Kind::Plain},
    {DECMD_ORDERLIST, EditCommand::OrderedList, Kind::Plain},
    {DECMD_OUTDENT, EditCommand::Outdent, Kind::Plain},
    {DECMD_PASTE, EditCommand::Paste, Kind::Plain},
    {DECMD_REDO, EditCommand::Redo, Kind::Plain},
    {DECMD_REMOVEFORMAT, EditCommand::RemoveFormat, Kind::Plain},
    {DECMD_SELECTALL, EditCommand::SelectAll, Kind::Plain},
    {DECMD_SETBACKCOLOR, EditCommand::BackColor, Kind::SetText},
    {DECMD_SETBLOCKFMT, EditCommand::BlockFormat, Kind::SetText},
    {DECMD_SETFONTNAME, EditCommand::FontName, Kind::SetText},
    {DECMD_SETFONTSIZE, EditCommand::FontSize, Kind::SetSize},
    {DECMD_SETFORECOLOR, EditCommand::ForeColor, Kind::SetText},
    {DECMD_UNDERLINE, EditCommand::Underline, Kind::Plain},
    {DECMD_UNDO, EditCommand::Undo, Kind::Plain},
    {DECMD_UNLINK, EditCommand::Unlink, Kind::Plain},
    {DECMD_UNORDERLIST, EditCommand::UnorderedList, Kind::Plain},
};

const CommandRow* FindCommand(LONG id) {
    for (const CommandRow& row : kCommands)
        if (row.id == id)
            return &row;
    return nullptr;
}

// The argument as script or C++ passes it: by reference or not, missing as VT_EMPTY or
// VT_ERROR DISP_E_PARAMNOTFOUND.
const VARIANT* Argument(const VARIANT& argument) {
    const VARIANT* v = &argument;
    while (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
        v = v->pvarVal;
    if (v->vt == VT_EMPTY || v->vt == VT_NULL || (v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND))
        return nullptr;
    return v;
}

std::optional<std::u16string> TextArgument(const VARIANT& argument) {
    const VARIANT* v = Argument(argument);
    if (!v)
        return std::nullopt;
    com::Variant text;
    if (FAILED(VariantChangeType(&text, v, 0, VT_BSTR)))
        return std::nullopt;
    return std::u16string(text.bstrVal ? text.bstrVal : u"", SysStringLen(text.bstrVal));
}

com::ComPtr<IDispatch> ObjectArgument(const VARIANT& argument) {
    const VARIANT* v = Argument(argument);
    if (!v)
        return nullptr;
    if (v->vt == VT_DISPATCH)
        return v->pdispVal;
    if (v->vt == VT_UNKNOWN && v->punkVal)
        return com::ComPtr<IDispatch>::QueryFrom(v->punkVal);
    return nullptr;
}

void ReturnOptionalText(const std::optional<std::u16string>& text, VARIANT* result) {
    if (!result)
        return;
    VariantInit(result);
    if (!text) {
        result->vt = VT_NULL;
        return;
    }
    result->vt = VT_BSTR;
    result->bstrVal = com::Bstr(*text).Detach();
}

std::optional<std::u16string> ReadText(EditingSession& session, EditCommand command) {
    switch (command) {
    case EditCommand::FontName:
        return session.FontName();
    case EditCommand::ForeColor:
        return session.ForeColor();
    case EditCommand::BackColor:
        return session.BackColor();
    default:
        return session.BlockFormat();
    }
}

HRESULT PutText(EditingSession& session, EditCommand command, std::u16string_view text) {
    switch (command) {
    case EditCommand::FontName:
        return session.SetFontName(text);
    case EditCommand::ForeColor:
        return session.SetForeColor(text);
    case EditCommand::BackColor:
        return session.SetBackColor(text);
    default:
        return session.SetBlockFormat(text);
    }
}

// Turns a latching command on or off to match the choice.
HRESULT MatchLatch(EditingSession& session, EditCommand command, bool on) {
    const bool latched = session.Status(command) == CommandStatus::Latched;
    return latched == on ? S_OK : session.Exec(command);
}

HRESULT RunFontDialog(const CommandContext& context, EditingSession& session) {
    FontChoice current;
    current.name = session.FontName().value_or(u"");
    current.size = session.FontSize().value_or(0);
    current.bold = session.Status(EditCommand::Bold) == CommandStatus::Latched;
    current.italic = session.Status(EditCommand::Italic) == CommandStatus::Latched;
    current.underline = session.Status(EditCommand::Underline) == CommandStatus::Latched;
    current.color = session.ForeColor().value_or(u"");
    const std::optional<FontChoice> chosen = ShowFontDialog(context.resources, context.owner, current);
    if (!chosen)
        return S_OK; // cancelled: nothing changes
    HRESULT hr = S_OK;
    if (!chosen->name.empty() && chosen->name != current.name)
        hr = session.SetFontName(chosen->name);
    if (SUCCEEDED(hr) && chosen->size != 0 && chosen->size != current.size)
        hr = session.SetFontSize(chosen->size);
    if (SUCCEEDED(hr))
        hr = MatchLatch(session, EditCommand::Bold, chosen->bold);
    if (SUCCEEDED(hr))
        hr = MatchLatch(session, EditCommand::Italic, chosen->italic);
    if (SUCCEEDED(hr))
        hr = MatchLatch(session, EditCommand::Underline, chosen->underline);
    if (SUCCEEDED(hr) && !chosen->color.empty() && chosen->color != current.color)
        hr = session.SetForeColor(chosen->color);
    return hr;
}

HRESULT RunHyperlink(const CommandContext& context, EditingSession& session, LONG option,
                     const VARIANT& argument) {
    const std::optional<std::u16string> given = TextArgument(argument);
    if (given && option != DE_OLECMDEXECOPT_PROMPTUSER)
        return session.CreateLink(*given);
    const std::optional<std::u16string> chosen =
        ShowHyperlinkDialog(context.resources, context.owner, given.value_or(u"http://"));
    if (!chosen || chosen->empty())
        return S_OK;
    return session.CreateLink(*chosen);
}

} // namespace

HRESULT ExecEditCommand(const CommandContext& context, LONG command, LONG option, const VARIANT& argument,
                        VARIANT* result) {
    if (result)
        VariantInit(result);
    const CommandRow* row = FindCommand(command);
    if (!row)
        return kNotSupported;
    if (!context.session)
        return kDisabled;
    EditingSession& session = *context.session;
    if (row->kind != Kind::BlockNames && session.Status(row->command) == CommandStatus::Disabled)
        return kDisabled;
    switch (row->kind) {
    case Kind::Plain:
        return session.Exec(row->command);
    case Kind::GetText:
        ReturnOptionalText(ReadText(session, row->command), result);
        return S_OK;
    case Kind::GetSize:
        if (result) {
            const std::optional<long> size = session.FontSize();
            result->vt = size ? VT_I4 : VT_NULL;
            result->lVal = size.value_or(0);
        }
        return S_OK;
    case Kind::SetText: {
        const std::optional<std::u16string> text = TextArgument(argument);
        return text ? PutText(session, row->command, *text) : E_INVALIDARG;
    }
    case Kind::SetSize: {
        const VARIANT* v = Argument(argument);
        com::Variant size;
        if (!v || FAILED(VariantChangeType(&size, v, 0, VT_I4)))
            return E_INVALIDARG;
        return session.SetFontSize(size.lVal);
    }
    case Kind::BlockNames: {
        com::ComPtr<IDispatch> param = ObjectArgument(argument);
        return param ? PutBlockFormatNames(param.Get(), EditingSession::BlockFormatNames()) : E_INVALIDARG;
    }
    case Kind::InsertTable: {
        TableSpec table;
        if (com::ComPtr<IDispatch> param = ObjectArgument(argument)) {
            const HRESULT hr = ReadTableParam(param.Get(), &table);
            if (FAILED(hr))
                return hr;
        }
        return session.InsertTable(table);
    }
    case Kind::Hyperlink:
        return RunHyperlink(context, session, option, argument);
    case Kind::Image: {
        const std::optional<std::u16string> url = TextArgument(argument);
        return url ? session.InsertImage(*url) : E_INVALIDARG;
    }
    case Kind::FontDialog:
        return RunFontDialog(context, session);
    }
    return kNotSupported;
}

LONG QueryEditCommand(EditingSession* session, LONG command) {
    const CommandRow* row = FindCommand(command);
    if (!row)
        return DECMDF_NOTSUPPORTED;
    if (!session)
        return DECMDF_DISABLED;
    if (row->kind == Kind::BlockNames)
        return DECMDF_ENABLED;
    return static_cast<LONG>(session->Status(row->command));
}

} // namespace qx::html::editing::control
