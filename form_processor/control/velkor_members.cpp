// IVelkor: the members that live in the control itself. Members whose work belongs to the
// document, printing, table and spelling commands answer S_OK, out-parameters untouched, until
// those commands join the control.
#include "velkor_control.h"

#include "dispatch_names.h"
#include "external_dispatch.h"
#include "server_module.h"

#include <winver.h>

#include <cstdio>
#include <vector>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

HRESULT ReturnElement(IHTMLElement* element, IDispatch** pVal) {
    if (!element) {
        if (pVal)
            *pVal = nullptr;
        return S_OK;
    }
    if (!pVal)
        return E_POINTER;
    return element->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

} // namespace

STDMETHODIMP CVelkor::get_Editor(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    if (!editor_)
        return E_FAIL;
    return editor_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

STDMETHODIMP CVelkor::get_Fields(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    return fields_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

// Declared for pages written against them; they deliver nothing.
STDMETHODIMP CVelkor::get_ReservedFields(IDispatch**) {
    return S_OK;
}

STDMETHODIMP CVelkor::get_RequiredFields(IDispatch**) {
    return S_OK;
}

STDMETHODIMP CVelkor::get_SignFields(IDispatch**) {
    return S_OK;
}

STDMETHODIMP CVelkor::get_Mode(SHORT*) {
    return S_OK;
}

STDMETHODIMP CVelkor::put_Mode(SHORT) {
    return S_OK;
}

STDMETHODIMP CVelkor::get_StartMode(SHORT* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = startMode_;
    return S_OK;
}

STDMETHODIMP CVelkor::put_StartMode(SHORT newVal) {
    startMode_ = newVal;
    return S_OK;
}

STDMETHODIMP CVelkor::ExecCommand(FORMPROCESSOR_CMDID cmdID, VARIANT inVar) {
    if (!bridge_)
        return S_OK;
    Variant argument(Dereferenced(inVar));
    bridge_->DoCommand(Variant(static_cast<LONG>(cmdID)), argument);
    return S_OK;
}

STDMETHODIMP CVelkor::QueryStatus(FORMPROCESSOR_CMDID cmdID, VARIANT inVar, FORMPROCESSOR_CMDF* pVal) {
    if (!pVal)
        return E_POINTER;
    Variant answer;
    if (bridge_)
        answer = bridge_->QueryCommand(Variant(static_cast<LONG>(cmdID)), Variant(Dereferenced(inVar)));
    if (answer.vt == VT_EMPTY || FAILED(answer.ChangeType(VT_I4)))
        answer = Variant(LONG{0});
    *pVal = static_cast<FORMPROCESSOR_CMDF>(answer.lVal);
    return S_OK;
}

STDMETHODIMP CVelkor::ShowToolbar(INT nVal) {
    ComPtr<IDispatch> script;
    if (!pageDocument_ || FAILED(pageDocument_->get_Script(&script)) || !script)
        return S_OK;
    startMode_ = static_cast<SHORT>(nVal);
    Variant flag(static_cast<LONG>(nVal));
    LPOLESTR name = const_cast<LPOLESTR>(u"VisibleToolbar");
    DISPID id = DISPID_UNKNOWN;
    if (SUCCEEDED(script->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id))) {
        DISPPARAMS params{&flag, nullptr, 1, 0};
        Variant result;
        script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                       nullptr);
    }
    return S_OK;
}

STDMETHODIMP CVelkor::get_CurTDElement(IDispatch** pVal) {
    if (!tableEditor_.Document())
        return S_OK;
    return ReturnElement(tableEditor_.GetCurrentCell().Get(), pVal);
}

void CVelkor::PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A negative time would wait for ever: it counts as 0.
STDMETHODIMP CVelkor::Sleep(LONG nVal) {
    ::Sleep(nVal > 0 ? static_cast<DWORD>(nVal) : 0);
    PumpMessages();
    return S_OK;
}

STDMETHODIMP CVelkor::get_MHTMLSave(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = mhtmlSave_;
    return S_OK;
}

STDMETHODIMP CVelkor::put_MHTMLSave(LONG newVal) {
    mhtmlSave_ = newVal;
    return S_OK;
}

STDMETHODIMP CVelkor::PrintDocument() {
    return S_OK;
}

STDMETHODIMP CVelkor::FileNew() {
    newDocument_ = true;
    PostToWindow(WM_VELKOR_NEW_DOCUMENT);
    return S_OK;
}

STDMETHODIMP CVelkor::InnerHTML(BSTR bstr) {
    IHTMLDocument2* document = tableEditor_.Document();
    ComPtr<IDispatch> selection;
    Variant type;
    if (!document || FAILED(document->get_selection(&selection)) || !selection ||
        FAILED(GetPropertyByName(selection.Get(), u"type", &type)) || type.vt != VT_BSTR)
        return S_OK;
    const std::u16string_view kind(type.bstrVal ? type.bstrVal : u"", SysStringLen(type.bstrVal));
    if (kind != u"None" && kind != u"Text")
        return S_OK;
    Variant range;
    if (FAILED(CallMethodByName(selection.Get(), u"createRange", nullptr, 0, &range)) ||
        range.vt != VT_DISPATCH)
        return S_OK;
    Variant html(Bstr(bstr).View());
    CallMethodByName(range.pdispVal, u"pasteHTML", &html, 1, nullptr);
    return S_OK;
}

STDMETHODIMP CVelkor::tableFixedAddCol(LONG, LONG) {
    return S_OK;
}

STDMETHODIMP CVelkor::tableFixedRemoveCol(LONG) {
    return S_OK;
}

STDMETHODIMP CVelkor::tableFixedAddRow(LONG, LONG) {
    return S_OK;
}

STDMETHODIMP CVelkor::tableFixedRemoveRow(LONG) {
    return S_OK;
}

STDMETHODIMP CVelkor::get_specialTableBorderStyle(BSTR* pVal) {
    if (!pVal)
        return E_POINTER;
    return specialTableBorderStyle_.CopyTo(pVal);
}

STDMETHODIMP CVelkor::put_specialTableBorderStyle(BSTR newVal) {
    specialTableBorderStyle_ = Bstr(newVal);
    return S_OK;
}

STDMETHODIMP CVelkor::get_specialTableObject(IDispatch** pVal) {
    return specialTableObject_.CopyTo(pVal);
}

STDMETHODIMP CVelkor::put_specialTableObject(IDispatch* newVal) {
    specialTableObject_ = newVal;
    return S_OK;
}

STDMETHODIMP CVelkor::PrintPreViewDocument(BSTR) {
    return S_OK;
}

STDMETHODIMP CVelkor::get_CurSelElement(IDispatch** pVal) {
    if (!tableEditor_.Document())
        return S_OK;
    return ReturnElement(tableEditor_.GetSelectedElement().Get(), pVal);
}

STDMETHODIMP CVelkor::SetTDFocus(IDispatch* pDisp) {
    if (ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(pDisp))
        tableEditor_.FocusElement(element.Get());
    return S_OK;
}

STDMETHODIMP CVelkor::SetKeyIgnore() {
    keyIgnore_ = true;
    return S_OK;
}

STDMETHODIMP CVelkor::tableFlexibleAddRow(LONG, LONG, LONG, IDispatch**) {
    return S_OK;
}

STDMETHODIMP CVelkor::tableFlexibleRemoveRow(LONG, LONG) {
    return S_OK;
}

STDMETHODIMP CVelkor::get_CurTableElement(IDispatch**) {
    return S_OK;
}

STDMETHODIMP CVelkor::ShowWorkingDlg(BSTR bstr, LONG nVal) {
    if (static_cast<USHORT>(nVal) == 0xFFFF)
        ShowWorkingNotice(bstr);
    else
        HideWorkingNotice();
    return S_OK;
}

STDMETHODIMP CVelkor::get_Option(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = option_;
    return S_OK;
}

STDMETHODIMP CVelkor::put_Option(LONG newVal) {
    option_ = newVal;
    keysFree_ = (newVal & 1) != 0;
    optionNotBit1_ = (newVal & 2) == 0;
    return S_OK;
}

STDMETHODIMP CVelkor::SpellingCheck() {
    return S_OK;
}

STDMETHODIMP CVelkor::SetCheckFieldForAdmin(LONG varBool, VARIANT var) {
    if (startMode_ != 2)
        return S_OK;
    SetFieldAttributeView(tableEditor_.Document(), varBool, var, tableEditor_.attributeView);
    return S_OK;
}

STDMETHODIMP CVelkor::get_Version(BSTR* pVal) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(_Module.GetModuleInstance(), path, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return S_OK;
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, handle, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length) || !fixed)
        return S_OK;
    char text[64];
    std::snprintf(text, sizeof(text), "%d,%d,%d,%d", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    if (pVal)
        *pVal = Bstr::FromUtf8(text).Detach();
    return S_OK;
}

STDMETHODIMP CVelkor::Refresh() {
    if (bridge_)
        bridge_->CollectFields();
    return S_OK;
}

STDMETHODIMP CVelkor::XMLConvert() {
    return S_OK;
}

STDMETHODIMP CVelkor::RebuidLastPrintTable() {
    return S_OK;
}
