// The field objects the control hands to page script: the collection qxFormFields (the
// control's Fields), one qxFormField per element of class "FIELD", and qxMultiField for a name
// that several elements of the document share.
#pragma once

#include "velkor_interfaces.h"

#include <mshtml.h>
#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>
#include <qx/com/variant.h>

#include <vector>

class CqxFormFields : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IqxFormFields> {
public:
    QX_BEGIN_INTERFACES(CqxFormFields)
    QX_INTERFACE_ENTRY(IqxFormFields)
    QX_INTERFACE_ENTRY2(IDispatch, IqxFormFields)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    STDMETHODIMP get_Item(VARIANT varIndex, IDispatch** pVal) override;
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override;
    STDMETHODIMP get_Count(LONG* pVal) override;

    // The field scan's side: empties the array, appends one field, gives the scanned document.
    void Clear();
    void Add(IDispatch* field);
    void SetDocument(IDispatch* document);

private:
    HRESULT ItemAt(LONG index, IDispatch** pVal) const;
    LONG IndexOfFieldId(BSTR name) const;

    std::vector<qx::com::Variant> fields_;
    qx::com::ComPtr<IDispatch> document_;
};

class CqxFormField : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IqxFormField> {
public:
    QX_BEGIN_INTERFACES(CqxFormField)
    QX_INTERFACE_ENTRY(IqxFormField)
    QX_INTERFACE_ENTRY2(IDispatch, IqxFormField)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    // Makes a field over an element of the edited document.
    static HRESULT Create(IDispatch* element, IDispatch** field);

    STDMETHODIMP get_FieldID(BSTR* pVal) override;
    STDMETHODIMP get_TagObject(IDispatch** pVal) override;
    STDMETHODIMP get_Type(BSTR* pVal) override;
    STDMETHODIMP put_Type(BSTR newVal) override;
    STDMETHODIMP get_Locked(LONG* pVal) override;
    STDMETHODIMP put_Locked(LONG newVal) override;
    STDMETHODIMP get_Required(LONG* pVal) override;
    STDMETHODIMP put_Required(LONG newVal) override;
    STDMETHODIMP get_ProcessTime(BSTR* pVal) override;
    STDMETHODIMP put_ProcessTime(BSTR newVal) override;
    STDMETHODIMP get_Value(VARIANT* pVal) override;
    STDMETHODIMP put_Value(VARIANT newVal) override;
    STDMETHODIMP get_Reserved(LONG* pVal) override;
    STDMETHODIMP put_Reserved(LONG newVal) override;
    STDMETHODIMP get_Format(BSTR* pVal) override;
    STDMETHODIMP put_Format(BSTR newVal) override;
    STDMETHODIMP get_Length(SHORT* pVal) override;
    STDMETHODIMP put_Length(SHORT newVal) override;
    STDMETHODIMP DelSign() override;

private:
    HRESULT Element(IHTMLElement** element) const;
    HRESULT GetTextAttribute(const OLECHAR* name, const OLECHAR* fallback, BSTR* pVal) const;
    HRESULT PutTextAttribute(const OLECHAR* name, BSTR value);
    HRESULT GetFlagAttribute(const OLECHAR* name, LONG* pVal) const;
    HRESULT PutFlagAttribute(const OLECHAR* name, LONG value);

    qx::com::ComPtr<IDispatch> element_;
};

class CqxMultiField : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IqxMultiField> {
public:
    QX_BEGIN_INTERFACES(CqxMultiField)
    QX_INTERFACE_ENTRY(IqxMultiField)
    QX_INTERFACE_ENTRY2(IDispatch, IqxMultiField)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    static HRESULT Create(BSTR name, IDispatch* document, IDispatch** field);

    STDMETHODIMP get_Value(VARIANT* pVal) override;
    STDMETHODIMP put_Value(VARIANT newVal) override;
    STDMETHODIMP get_TagObject(IDispatch** pVal) override;

private:
    // The elements the name gives now; null when it no longer names several.
    qx::com::ComPtr<IHTMLElementCollection> Elements() const;

    qx::com::Bstr name_;
    qx::com::ComPtr<IDispatch> document_;
};

// The attribute view of the fields: with var missing (VT_ERROR) every element whose class is
// "FIELD" (any case), else the one element var holds, gets the runtime background "#000000"
// when on is -1 (low 16 bits all set) and loses it otherwise; viewFlag follows.
void SetFieldAttributeView(IHTMLDocument2* document, LONG on, const VARIANT& var, VARIANT_BOOL& viewFlag);
