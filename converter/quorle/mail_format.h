// MailFormat: the mail-composition class. Its members accept their arguments and do nothing; a
// getter still answers an empty text, so a caller never reads an out value that nobody wrote.
#pragma once

#include <qx/com/dispatch.h>
#include <qx/com/object.h>

#include "convert_interfaces.h"

class CMailFormat : public qx::com::ObjectRoot, public qx::com::DispatchImpl<IMailFormat> {
public:
    static constexpr bool kAggregatable = false;

    QX_BEGIN_INTERFACES(CMailFormat)
    QX_INTERFACE_ENTRY(IMailFormat)
    QX_INTERFACE_ENTRY2(IDispatch, IMailFormat)
    QX_END_INTERFACES()

    STDMETHODIMP addAttachFile(BSTR, LONG*) override { return S_OK; }
    STDMETHODIMP get_To(BSTR* pVal) override { return EmptyText(pVal); }
    STDMETHODIMP put_To(BSTR) override { return S_OK; }
    STDMETHODIMP get_Body(BSTR* pVal) override { return EmptyText(pVal); }
    STDMETHODIMP put_Body(BSTR) override { return S_OK; }
    STDMETHODIMP get_From(BSTR* pVal) override { return EmptyText(pVal); }
    STDMETHODIMP put_From(BSTR) override { return S_OK; }
    STDMETHODIMP get_Cc(BSTR* pVal) override { return EmptyText(pVal); }
    STDMETHODIMP put_Cc(BSTR) override { return S_OK; }
    STDMETHODIMP get_Bcc(BSTR* pVal) override { return EmptyText(pVal); }
    STDMETHODIMP put_Bcc(BSTR) override { return S_OK; }
    STDMETHODIMP get_Subject(BSTR* pVal) override { return EmptyText(pVal); }
    STDMETHODIMP put_Subject(BSTR) override { return S_OK; }
    STDMETHODIMP get_mailData(BSTR* pVal) override { return EmptyText(pVal); }
    STDMETHODIMP put_mailData(BSTR) override { return S_OK; }

private:
    static HRESULT EmptyText(BSTR* pVal) {
        if (pVal == nullptr)
            return E_POINTER;
        *pVal = nullptr;
        return S_OK;
    }
};
