// The list view's ear on its frame DIVs: a dispatch sink advised on the body DIV's
// HTMLElementEvents or the header DIV's HTMLTextContainerEvents, which hands each event it
// cares for to its list view's handler. The list view lets go of it before it goes.
#pragma once

#include <mshtml.h>
#include <qx/com/comptr.h>

#include <atomic>

namespace orrin {

class CListViewBehavior;

class CFrameEventSink final : public IDispatch {
public:
    enum class Frame { Body, Header };

    CFrameEventSink(CListViewBehavior* owner, Frame frame);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override;

    // Advises on the element's connection point (the interface of the frame); gives the cookie.
    HRESULT Advise(IHTMLElement* element, DWORD* cookie);
    static void Unadvise(IHTMLElement* element, Frame frame, DWORD cookie);
    void Forget() { m_owner = nullptr; }

private:
    ~CFrameEventSink() = default;
    static const IID& EventsOf(Frame frame);

    std::atomic<ULONG> m_refs{1};
    CListViewBehavior* m_owner;
    Frame m_frame;
};

} // namespace orrin
