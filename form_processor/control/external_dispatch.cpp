// The bridge's names and its Invoke; InitComplete, which the bridge runs on the control.
#include "external_dispatch.h"

#include "ansi_text.h"
#include "dispatch_names.h"
#include "string_helpers.h"
#include "velkor_control.h"

#include <mshtml_object.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

enum : DISPID {
    kExecCommand = 1,
    kQueryStatus = 2,
    kInitComplete = 3,
    kDocumentComplete = 4,
    kFieldUpdate = 5,
};

struct BridgeName {
    const char* name;
    DISPID id;
};

constexpr BridgeName kBridgeNames[] = {
    {"ExecCommand", kExecCommand},           {"QueryStatus", kQueryStatus}, {"InitComplete", kInitComplete},
    {"DocumentComplete", kDocumentComplete}, {"FieldUpdate", kFieldUpdate},
};

// A command's optional text argument: text as it is, anything else converted, else empty.
Variant TextArgument(const VARIANT& argument) {
    Variant text;
    if (argument.vt == VT_BSTR) {
        text = argument;
        return text;
    }
    if (FAILED(VariantChangeType(&text, &argument, 0, VT_BSTR)))
        text.Clear();
    return text;
}

} // namespace

HRESULT CExternalDispatch::Create(CVelkor* owner, CExternalDispatch** bridge, IDispatch** dispatch) {
    if (!bridge || !dispatch)
        return E_POINTER;
    *bridge = nullptr;
    *dispatch = nullptr;
    qx::com::ObjectPtr<CExternalDispatch> object;
    HRESULT hr = qx::com::CreateObject<CExternalDispatch>(object);
    if (FAILED(hr))
        return hr;
    object->owner_ = owner;
    *bridge = object.Get();
    *dispatch = static_cast<IDispatch*>(object.Detach());
    return S_OK;
}

// Only the first name is looked up, in its ANSI form and without regard to case.
STDMETHODIMP CExternalDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) {
    if (!names || !ids || !names[0])
        return E_POINTER;
    const std::u16string_view wide(names[0]);
    const std::string name = BstrToAnsi(wide.data(), static_cast<UINT>(wide.size()));
    for (const BridgeName& entry : kBridgeNames) {
        if (EqualsNoCase(name, entry.name)) {
            ids[0] = entry.id;
            return S_OK;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CExternalDispatch::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags,
                                       DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO*, UINT*) {
    // Missing parameters, or a count without the array, count as no arguments.
    UINT count = 0;
    VARIANT* args = nullptr;
    if (pDispParams && pDispParams->rgvarg) {
        count = pDispParams->cArgs;
        args = pDispParams->rgvarg;
    }
    if (dispIdMember < kExecCommand || dispIdMember > kFieldUpdate)
        return DISP_E_MEMBERNOTFOUND;
    // The five names are methods: page script reads a name as a property first, and must find
    // none there to call it.
    if (wFlags && !(wFlags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    if (!owner_)
        return S_OK;
    switch (dispIdMember) {
    case kExecCommand:
    case kQueryStatus: {
        // The first argument is the last of the array.
        if (count < 1 || args[count - 1].vt != VT_I4)
            return S_OK;
        Variant command(args[count - 1].lVal);
        Variant text = count == 2 ? TextArgument(args[0]) : Variant();
        Variant answer =
            dispIdMember == kExecCommand ? DoCommand(command, text) : QueryCommand(command, text);
        if (pVarResult) {
            VariantClear(pVarResult);
            VariantCopyInd(pVarResult, &answer);
        }
        return S_OK;
    }
    case kInitComplete:
        owner_->InitComplete();
        return S_OK;
    case kDocumentComplete:
        if (count >= 1 && args[count - 1].vt == VT_I4)
            PrepareDocument(args[count - 1].lVal);
        return S_OK;
    default:
        CollectFields();
        return S_OK;
    }
}

void CVelkor::InitComplete() {
    ComPtr<IDispatch> documentDispatch;
    if (!pageBrowser_ || FAILED(pageBrowser_->get_Document(&documentDispatch)))
        return;
    ComPtr<IHTMLDocument2> document = ComPtr<IHTMLDocument2>::QueryFrom(documentDispatch.Get());
    if (!document)
        return;
    pageDocument_ = document;
    ComPtr<IDispatch> allDispatch;
    if (FAILED(document->get_all(&allDispatch)))
        return;
    ComPtr<IHTMLElementCollection> all = ComPtr<IHTMLElementCollection>::QueryFrom(allDispatch.Get());
    ComPtr<IDispatch> item;
    if (!all || FAILED(all->item(Variant(u"tbContentElement"), Variant::Missing(), &item)) || !item)
        return;
    ComPtr<IHTMLObjectElement> objectElement = ComPtr<IHTMLObjectElement>::QueryFrom(item.Get());
    ComPtr<IDispatch> control;
    if (!objectElement || FAILED(objectElement->get_object(&control)) || !control)
        return;
    ComPtr<IDispatch> editor;
    if (FAILED(control->QueryInterface(IID_IDHTMLSafe, reinterpret_cast<void**>(&editor))) || !editor)
        return;
    editor_ = editor;
    initCompleteDone_ = true;
    Fire_InitComplete();
}
