// What the list view, its headers and its rows share as element behaviours: the site, the
// element with its document, and the content-ready step split into attaching to the element and
// the behaviour's own work.
#pragma once

#include <mshtml.h>
#include <qx/com/comptr.h>

namespace orrin {

class CListViewBehavior;
class CHeadBehavior;
class CRowBehavior;

class BehaviorBase : public IElementBehavior {
public:
    // IElementBehavior
    STDMETHODIMP Init(IElementBehaviorSite* pBehaviorSite) override;
    STDMETHODIMP Notify(LONG lEvent, VARIANT* pVar) override;
    STDMETHODIMP Detach() override;

    virtual HRESULT OnContentReady() = 0;
    virtual HRESULT AttachElement();

    // What a registry entry is: headers and rows answer for themselves.
    virtual CHeadBehavior* AsHeader() { return nullptr; }
    virtual CRowBehavior* AsRow() { return nullptr; }
    // The list view going away: its headers and rows stop reaching it.
    virtual void ForgetOwner() {}

    IHTMLElement* Element() const { return m_element.Get(); }

protected:
    virtual ~BehaviorBase() = default;

    qx::com::ComPtr<IHTMLElement> m_element;
    qx::com::ComPtr<IHTMLElement2> m_element2;
    qx::com::ComPtr<IElementBehaviorSite> m_site;
    qx::com::ComPtr<IHTMLDocument2> m_document;
};

} // namespace orrin
