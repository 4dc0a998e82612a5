#include "answer_objects.h"

#include "answers.h"

#include <qx/com/bstr.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>
#include <qx/com/variant.h>
#include <winuser_msgbox.h>

#include <algorithm>
#include <cctype>

namespace qx::host {
namespace {

HRESULT Text(std::string_view utf8, BSTR* out) {
    if (!out)
        return E_POINTER;
    return com::Bstr::FromUtf8(utf8).CopyTo(out);
}

HRESULT Flag(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Number(long value, LONG* out) {
    if (!out)
        return E_POINTER;
    *out = static_cast<LONG>(value);
    return S_OK;
}

std::string Utf8(BSTR text) {
    return com::Utf16ToUtf8(std::u16string_view(text ? text : u"", SysStringLen(text)));
}

class CAnswerMessageBox : public com::ObjectRoot, public com::DispatchImpl<IAnswerMessageBox> {
public:
    QX_BEGIN_INTERFACES(CAnswerMessageBox)
    QX_INTERFACE_ENTRY(IAnswerMessageBox)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerMessageBox)
    QX_END_INTERFACES()

    explicit CAnswerMessageBox(const win32::MessageBoxCall& call) : m_call(call) {}

    STDMETHODIMP get_Text(BSTR* pVal) override { return Text(m_call.text, pVal); }
    STDMETHODIMP get_Caption(BSTR* pVal) override { return Text(m_call.caption, pVal); }
    STDMETHODIMP get_Type(LONG* pVal) override { return Number(static_cast<long>(m_call.type), pVal); }
    STDMETHODIMP get_Buttons(BSTR* pVal) override {
        std::string names;
        for (int id : m_call.buttons)
            names.append(names.empty() ? "" : ",").append(win32::MessageBoxButtonName(id));
        return Text(names, pVal);
    }
    STDMETHODIMP get_DefaultButton(BSTR* pVal) override {
        return Text(win32::MessageBoxButtonName(m_call.defaultButton), pVal);
    }

private:
    win32::MessageBoxCall m_call;
};

class CAnswerDialog : public com::ObjectRoot, public com::DispatchImpl<IAnswerDialog> {
public:
    QX_BEGIN_INTERFACES(CAnswerDialog)
    QX_INTERFACE_ENTRY(IAnswerDialog)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerDialog)
    QX_END_INTERFACES()

    explicit CAnswerDialog(HWND dialog) : m_view(dialog) {}

    STDMETHODIMP get_Caption(BSTR* pVal) override { return Text(m_view.Caption(), pVal); }
    STDMETHODIMP get_Id(LONG* pVal) override { return Number(m_view.Request().templateId, pVal); }
    STDMETHODIMP get_Name(BSTR* pVal) override { return Text(m_view.Request().templateName, pVal); }
    STDMETHODIMP get_Modal(VARIANT_BOOL* pVal) override { return Flag(m_view.Request().modal, pVal); }
    STDMETHODIMP get_IsOpen(VARIANT_BOOL* pVal) override { return Flag(m_view.IsOpen(), pVal); }
    STDMETHODIMP get_ControlCount(LONG* pVal) override {
        return Number(static_cast<long>(m_view.Controls().size()), pVal);
    }
    STDMETHODIMP ControlId(LONG index, LONG* id) override {
        auto controls = m_view.Controls();
        if (index < 0 || static_cast<std::size_t>(index) >= controls.size())
            return E_INVALIDARG;
        return Number(controls[static_cast<std::size_t>(index)].id, id);
    }
    STDMETHODIMP ControlClass(LONG id, BSTR* name) override {
        for (const auto& c : m_view.Controls())
            if (c.id == id)
                return Text(c.className, name);
        return E_INVALIDARG;
    }
    STDMETHODIMP GetText(LONG id, BSTR* text) override {
        auto value = m_view.Text(id);
        return value ? Text(*value, text) : E_INVALIDARG;
    }
    STDMETHODIMP SetText(LONG id, BSTR text, VARIANT_BOOL* done) override {
        return Flag(m_view.SetText(id, Utf8(text)), done);
    }
    STDMETHODIMP Checked(LONG id, LONG* state) override { return Number(m_view.CheckState(id), state); }
    STDMETHODIMP Check(LONG id, LONG state, VARIANT_BOOL* done) override {
        return Flag(m_view.SetCheck(id, state), done);
    }
    STDMETHODIMP Click(LONG id, VARIANT_BOOL* done) override { return Flag(m_view.Click(id), done); }
    STDMETHODIMP Select(LONG id, VARIANT item, VARIANT_BOOL* done) override {
        if (item.vt == VT_BSTR)
            return Flag(m_view.SelectItem(id, Utf8(item.bstrVal)), done);
        com::Variant index;
        if (FAILED(index.ChangeType(VT_I4, &item)))
            return DISP_E_TYPEMISMATCH;
        return Flag(m_view.SelectItem(id, index.lVal), done);
    }
    STDMETHODIMP Selection(LONG id, LONG* index) override { return Number(m_view.Selection(id), index); }
    STDMETHODIMP ItemCount(LONG id, LONG* count) override {
        return Number(static_cast<long>(m_view.Items(id).size()), count);
    }
    STDMETHODIMP ItemText(LONG id, LONG index, BSTR* text) override {
        auto items = m_view.Items(id);
        if (index < 0 || static_cast<std::size_t>(index) >= items.size())
            return E_INVALIDARG;
        return Text(items[static_cast<std::size_t>(index)], text);
    }
    STDMETHODIMP ItemData(LONG id, LONG index, LONG* data) override {
        return Number(static_cast<long>(m_view.ItemData(id, index)), data);
    }
    STDMETHODIMP DoubleClick(LONG id, LONG index, VARIANT_BOOL* done) override {
        return Flag(m_view.DoubleClickItem(id, index), done);
    }
    STDMETHODIMP PressDefault(VARIANT_BOOL* done) override { return Flag(m_view.PressDefault(), done); }
    STDMETHODIMP Cancel(VARIANT_BOOL* done) override { return Flag(m_view.Cancel(), done); }

private:
    win32::DialogView m_view;
};

HRESULT Make(win32::MenuItemView item, IDispatch** object);

// Both a menu and an item with a submenu hand out their items by index.
HRESULT ItemAt(const std::vector<win32::MenuItemView>& items, LONG index, IDispatch** item) {
    if (!item)
        return E_POINTER;
    *item = nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= items.size())
        return E_INVALIDARG;
    return Make(items[static_cast<std::size_t>(index)], item);
}

class CAnswerMenuItem : public com::ObjectRoot, public com::DispatchImpl<IAnswerMenuItem> {
public:
    QX_BEGIN_INTERFACES(CAnswerMenuItem)
    QX_INTERFACE_ENTRY(IAnswerMenuItem)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerMenuItem)
    QX_END_INTERFACES()

    explicit CAnswerMenuItem(win32::MenuItemView item) : m_item(std::move(item)) {}

    STDMETHODIMP get_Id(LONG* pVal) override { return Number(static_cast<long>(m_item.id), pVal); }
    STDMETHODIMP get_Label(BSTR* pVal) override { return Text(m_item.label, pVal); }
    STDMETHODIMP get_Grayed(VARIANT_BOOL* pVal) override {
        return Flag(m_item.grayed || m_item.disabled, pVal);
    }
    STDMETHODIMP get_Checked(VARIANT_BOOL* pVal) override { return Flag(m_item.checked, pVal); }
    STDMETHODIMP get_Separator(VARIANT_BOOL* pVal) override { return Flag(m_item.separator, pVal); }
    STDMETHODIMP get_Count(LONG* pVal) override {
        return Number(static_cast<long>(m_item.submenu.size()), pVal);
    }
    STDMETHODIMP Item(LONG index, IDispatch** item) override { return ItemAt(m_item.submenu, index, item); }

private:
    win32::MenuItemView m_item;
};

class CAnswerMenu : public com::ObjectRoot, public com::DispatchImpl<IAnswerMenu> {
public:
    QX_BEGIN_INTERFACES(CAnswerMenu)
    QX_INTERFACE_ENTRY(IAnswerMenu)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerMenu)
    QX_END_INTERFACES()

    explicit CAnswerMenu(const win32::MenuRequest& request) : m_request(request) {}

    STDMETHODIMP get_X(LONG* pVal) override { return Number(m_request.point.x, pVal); }
    STDMETHODIMP get_Y(LONG* pVal) override { return Number(m_request.point.y, pVal); }
    STDMETHODIMP get_Flags(LONG* pVal) override { return Number(static_cast<long>(m_request.flags), pVal); }
    STDMETHODIMP get_Count(LONG* pVal) override {
        return Number(static_cast<long>(m_request.items.size()), pVal);
    }
    STDMETHODIMP Item(LONG index, IDispatch** item) override { return ItemAt(m_request.items, index, item); }

private:
    win32::MenuRequest m_request;
};

class CAnswerFileDialog : public com::ObjectRoot, public com::DispatchImpl<IAnswerFileDialog> {
public:
    QX_BEGIN_INTERFACES(CAnswerFileDialog)
    QX_INTERFACE_ENTRY(IAnswerFileDialog)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerFileDialog)
    QX_END_INTERFACES()

    explicit CAnswerFileDialog(const win32::FileDialogRequest& request) : m_request(request) {}

    STDMETHODIMP get_Title(BSTR* pVal) override { return Text(m_request.title, pVal); }
    STDMETHODIMP get_Save(VARIANT_BOOL* pVal) override { return Flag(m_request.save, pVal); }
    STDMETHODIMP get_FilterCount(LONG* pVal) override {
        return Number(static_cast<long>(m_request.filters.size()), pVal);
    }
    STDMETHODIMP FilterName(LONG index, BSTR* name) override {
        const win32::FileDialogFilter* filter = FilterAt(index);
        return filter ? Text(filter->name, name) : E_INVALIDARG;
    }
    STDMETHODIMP FilterPattern(LONG index, BSTR* pattern) override {
        const win32::FileDialogFilter* filter = FilterAt(index);
        return filter ? Text(filter->pattern, pattern) : E_INVALIDARG;
    }
    STDMETHODIMP get_FilterIndex(LONG* pVal) override {
        return Number(static_cast<long>(m_request.filterIndex), pVal);
    }
    STDMETHODIMP get_Flags(LONG* pVal) override { return Number(static_cast<long>(m_request.flags), pVal); }
    STDMETHODIMP get_InitialFile(BSTR* pVal) override { return Text(m_request.initialFile, pVal); }
    STDMETHODIMP get_InitialFolder(BSTR* pVal) override { return Text(m_request.initialDirectory, pVal); }
    STDMETHODIMP get_DefaultExtension(BSTR* pVal) override { return Text(m_request.defaultExtension, pVal); }
    STDMETHODIMP get_Attempt(LONG* pVal) override { return Number(m_request.attempt, pVal); }

private:
    const win32::FileDialogFilter* FilterAt(LONG index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= m_request.filters.size())
            return nullptr;
        return &m_request.filters[static_cast<std::size_t>(index)];
    }
    win32::FileDialogRequest m_request;
};

// Holds the dialog only weakly: a script that keeps the object past the dialog's end finds it
// closed instead of touching a dialog that is gone.
class CAnswerFind : public com::ObjectRoot, public com::DispatchImpl<IAnswerFind> {
public:
    QX_BEGIN_INTERFACES(CAnswerFind)
    QX_INTERFACE_ENTRY(IAnswerFind)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerFind)
    QX_END_INTERFACES()

    explicit CAnswerFind(std::weak_ptr<win32::FindDialogView> dialog) : m_dialog(std::move(dialog)) {}

    STDMETHODIMP get_IsReplace(VARIANT_BOOL* pVal) override {
        auto dialog = m_dialog.lock();
        return Flag(dialog && dialog->IsReplace(), pVal);
    }
    STDMETHODIMP get_IsOpen(VARIANT_BOOL* pVal) override {
        auto dialog = m_dialog.lock();
        return Flag(dialog && dialog->IsOpen(), pVal);
    }
    STDMETHODIMP get_FindWhat(BSTR* pVal) override {
        auto dialog = m_dialog.lock();
        return Text(dialog ? dialog->FindWhat() : std::string(), pVal);
    }
    STDMETHODIMP put_FindWhat(BSTR text) override {
        auto dialog = Open();
        if (!dialog)
            return E_UNEXPECTED;
        dialog->SetFindWhat(Utf8(text));
        return S_OK;
    }
    STDMETHODIMP get_ReplaceWith(BSTR* pVal) override {
        auto dialog = m_dialog.lock();
        return Text(dialog ? dialog->ReplaceWith() : std::string(), pVal);
    }
    STDMETHODIMP put_ReplaceWith(BSTR text) override {
        auto dialog = Open();
        if (!dialog)
            return E_UNEXPECTED;
        dialog->SetReplaceWith(Utf8(text));
        return S_OK;
    }
    STDMETHODIMP get_Options(LONG* pVal) override {
        auto dialog = m_dialog.lock();
        return Number(dialog ? static_cast<long>(dialog->Options()) : 0L, pVal);
    }
    STDMETHODIMP put_Options(LONG options) override {
        auto dialog = Open();
        if (!dialog)
            return E_UNEXPECTED;
        dialog->SetOptions(static_cast<DWORD>(options));
        return S_OK;
    }
    STDMETHODIMP FindNext(VARIANT_BOOL* done) override {
        return Press(&win32::FindDialogView::FindNext, done);
    }
    STDMETHODIMP Replace(VARIANT_BOOL* done) override { return Press(&win32::FindDialogView::Replace, done); }
    STDMETHODIMP ReplaceAll(VARIANT_BOOL* done) override {
        return Press(&win32::FindDialogView::ReplaceAll, done);
    }
    STDMETHODIMP Cancel(VARIANT_BOOL* done) override { return Press(&win32::FindDialogView::Cancel, done); }

private:
    std::shared_ptr<win32::FindDialogView> Open() const {
        auto dialog = m_dialog.lock();
        return dialog && dialog->IsOpen() ? dialog : nullptr;
    }
    HRESULT Press(bool (win32::FindDialogView::*button)(), VARIANT_BOOL* done) {
        auto dialog = Open();
        return Flag(dialog && ((*dialog).*button)(), done);
    }
    std::weak_ptr<win32::FindDialogView> m_dialog;
};

class CAnswerColorDialog : public com::ObjectRoot, public com::DispatchImpl<IAnswerColorDialog> {
public:
    QX_BEGIN_INTERFACES(CAnswerColorDialog)
    QX_INTERFACE_ENTRY(IAnswerColorDialog)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerColorDialog)
    QX_END_INTERFACES()

    explicit CAnswerColorDialog(const win32::ColorDialogRequest& request) : m_request(request) {}

    STDMETHODIMP get_Initial(LONG* pVal) override {
        return Number(static_cast<long>(m_request.initial), pVal);
    }
    STDMETHODIMP get_Flags(LONG* pVal) override { return Number(static_cast<long>(m_request.flags), pVal); }
    STDMETHODIMP Custom(LONG index, LONG* color) override {
        if (index < 0 || static_cast<std::size_t>(index) >= m_request.custom.size())
            return E_INVALIDARG;
        return Number(static_cast<long>(m_request.custom[static_cast<std::size_t>(index)]), color);
    }

private:
    win32::ColorDialogRequest m_request;
};

class CAnswerPrintDialog : public com::ObjectRoot, public com::DispatchImpl<IAnswerPrintDialog> {
public:
    QX_BEGIN_INTERFACES(CAnswerPrintDialog)
    QX_INTERFACE_ENTRY(IAnswerPrintDialog)
    QX_INTERFACE_ENTRY2(IDispatch, IAnswerPrintDialog)
    QX_END_INTERFACES()

    explicit CAnswerPrintDialog(const win32::PrintDialogRequest& request) : m_request(request) {}

    STDMETHODIMP get_Title(BSTR* pVal) override { return Text(m_request.title, pVal); }
    STDMETHODIMP get_Url(BSTR* pVal) override { return Text(m_request.url, pVal); }

private:
    win32::PrintDialogRequest m_request;
};

template <typename T, typename Arg>
HRESULT MakeObject(Arg&& arg, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    com::ObjectPtr<T> made;
    HRESULT hr = com::CreateObject<T>(made, std::forward<Arg>(arg));
    return FAILED(hr) ? hr : made->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
}

HRESULT Make(win32::MenuItemView item, IDispatch** object) {
    return MakeObject<CAnswerMenuItem>(std::move(item), object);
}

} // namespace

HRESULT CreateAnswerMenu(const win32::MenuRequest& request, IDispatch** object) {
    return MakeObject<CAnswerMenu>(request, object);
}

HRESULT CreateAnswerFileDialog(const win32::FileDialogRequest& request, IDispatch** object) {
    return MakeObject<CAnswerFileDialog>(request, object);
}

HRESULT CreateAnswerFind(std::weak_ptr<win32::FindDialogView> dialog, IDispatch** object) {
    return MakeObject<CAnswerFind>(std::move(dialog), object);
}

HRESULT CreateAnswerColorDialog(const win32::ColorDialogRequest& request, IDispatch** object) {
    return MakeObject<CAnswerColorDialog>(request, object);
}

HRESULT CreateAnswerPrintDialog(const win32::PrintDialogRequest& request, IDispatch** object) {
    return MakeObject<CAnswerPrintDialog>(request, object);
}

HRESULT CreateAnswerMessageBox(const win32::MessageBoxCall& call, IDispatch** object) {
    return MakeObject<CAnswerMessageBox>(call, object);
}

HRESULT CreateAnswerDialog(HWND dialog, IDispatch** object) {
    return MakeObject<CAnswerDialog>(dialog, object);
}

int ButtonId(std::u16string_view name) {
    const std::string wanted = com::Utf16ToUtf8(name);
    for (int id = IDOK; id <= IDCONTINUE; ++id) {
        const std::string_view candidate = win32::MessageBoxButtonName(id);
        if (candidate.size() == wanted.size() &&
            std::equal(candidate.begin(), candidate.end(), wanted.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return id;
    }
    return 0;
}

} // namespace qx::host
