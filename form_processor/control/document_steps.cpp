// What happens when the editing control's document completes: the table engine attaches, the
// marker test, the preparation every document gets, the field scan and the document-ready step.
#include "external_dispatch.h"

#include "dispatch_names.h"
#include "element_queries.h"
#include "form_document.h"
#include "velkor_control.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {} // namespace

// The editing control's document, from its DOM property; null before InitComplete.
ComPtr<IHTMLDocument2> CExternalDispatch::EditedDocument() const {
    ComPtr<IDispatch> dom;
    if (!owner_ || !owner_->EditorObject() || FAILED(GetObjectByName(owner_->EditorObject(), u"DOM", &dom)))
        return nullptr;
    return ComPtr<IHTMLDocument2>::QueryFrom(dom.Get());
}

LONG CExternalDispatch::CollectFields() {
    if (!owner_ || !owner_->FieldCollection())
        return 0;
    ComPtr<IHTMLDocument2> document = EditedDocument();
    if (!document) {
        owner_->FieldCollection()->Clear();
        return 0;
    }
    return ScanFormFields(document.Get(), *owner_->FieldCollection());
}

void CExternalDispatch::PrepareDocument(LONG phase) {
    ComPtr<IHTMLDocument2> document = EditedDocument();
    if (!document)
        return;
    CTableEditor& engine = owner_->TableEditor();
    engine.Detach();
    engine.SetPageBridge(this);
    if (!engine.Attach(document.Get()))
        owner_->Fire_FPError(0);
    engine.AdviseElementSinks();
    MarkerTest(document.Get());
    if (owner_->NewDocumentPending()) {
        owner_->ClearNewDocument();
        return;
    }
    if (phase == 1)
        owner_->PostToWindow(WM_VELKOR_DOCUMENT_READY);
    if (ComPtr<IHTMLDocument2> edited = EditedDocument())
        PrepareFormDocument(edited.Get());
}

void CExternalDispatch::MarkerTest(IHTMLDocument2* document) {
    if (!PassesMarkerTest(document, owner_->StartModeValue()))
        owner_->Fire_InvalidDocument();
}

void CExternalDispatch::DocumentReady() {
    if (!owner_)
        return;
    const LONG count = CollectFields();
    owner_->Fire_DocumentComplete();
    if (count < 1 || !owner_ || !owner_->FieldCollection())
        return;
    owner_->Fire_FieldsAvailable();
    CqxFormFields& fields = *owner_->FieldCollection();
    ComPtr<IDispatch> found;
    fields.get_Item(Variant(u"docsetfocus"), &found);
    if (!found)
        fields.get_Item(Variant(u"doctitle"), &found);
    ComPtr<IHTMLDocument2> document = EditedDocument();
    ComPtr<IHTMLBodyElement> body = ComPtr<IHTMLBodyElement>::QueryFrom(Body(document.Get()).Get());
    ComPtr<IDispatch> range;
    if (body && SUCCEEDED(body->createTextRange(&range)) && range) {
        Variant atStart(true);
        CallMethodByName(range.Get(), u"collapse", &atStart, 1, nullptr);
        CallMethodByName(range.Get(), u"select", nullptr, 0, nullptr);
    }
    // Several "docsetfocus" give a multi-field, which has no element to focus.
    if (ComPtr<IqxFormField> field = ComPtr<IqxFormField>::QueryFrom(found.Get())) {
        ComPtr<IDispatch> tag;
        field->get_TagObject(&tag);
        if (ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(tag.Get()))
            owner_->TableEditor().FocusElement(element.Get());
    }
    owner_->put_specialTableObject(nullptr);
}
