#include "script_access.h"

#include <mshtml.h>
#include <oleauto.h>

IDispatch* GetDocumentScript(IDispatch* document) {
    if (document == nullptr)
        return nullptr;
    IHTMLDocument2* htmlDocument = nullptr;
    if (FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&htmlDocument))) ||
        htmlDocument == nullptr)
        return nullptr;
    IDispatch* script = nullptr;
    if (FAILED(htmlDocument->get_Script(&script)))
        script = nullptr;
    htmlDocument->Release();
    return script;
}

void CallScriptFunction(const VARIANT& argument, const OLECHAR* name, IDispatch* script) {
    if (script == nullptr || name == nullptr)
        return;
    DISPID dispid = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    if (FAILED(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &dispid)))
        return;

    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopy(&copy, &argument)))
        return;
    DISPPARAMS params = {&copy, nullptr, 1, 0};
    script->Invoke(dispid, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                   nullptr);
    VariantClear(&copy);
}
