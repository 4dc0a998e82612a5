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
    static constexpr bool kAggregatable = false;
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
    static constexpr bool kAggregatable = false;
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

template <typename T, typename Arg>
HRESULT Make(Arg&& arg, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    com::ObjectPtr<T> made;
    HRESULT hr = com::CreateObject<T>(made, std::forward<Arg>(arg));
    return FAILED(hr) ? hr : made->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object));
}

} // namespace

HRESULT CreateAnswerMessageBox(const win32::MessageBoxCall& call, IDispatch** object) {
    return Make<CAnswerMessageBox>(call, object);
}

HRESULT CreateAnswerDialog(HWND dialog, IDispatch** object) {
    return Make<CAnswerDialog>(dialog, object);
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
