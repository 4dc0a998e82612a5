// A base for test documents that answer only the page's Script: every other member of the
// document interface fails with E_NOTIMPL.
#pragma once

#include <mshtml.h>

namespace qx::test {

struct ScriptOnlyDocument : IHTMLDocument2 {
    STDMETHODIMP get_all(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_body(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_activeElement(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_images(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_forms(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_title(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_title(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_scripts(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_readyState(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_URL(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_URL(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_charset(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_charset(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP createElement(BSTR, IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_styleSheets(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP elementFromPoint(LONG, LONG, IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP toString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP createStyleSheet(BSTR, LONG, IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_selection(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_designMode(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_designMode(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_location(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_parentWindow(IDispatch**) override { return E_NOTIMPL; }

protected:
    ~ScriptOnlyDocument() = default;
};

} // namespace qx::test
