// The bind-status callback of LoadURL: reads the data as it arrives and hands each chunk to the
// control's download handler, then tells it once that the binding stopped. A callback whose
// download a later LoadURL replaced is cut off: it aborts its binding and hands nothing more.
#pragma once

#include <qx/com/comptr.h>
#include <qx/com/object.h>
#include <urlmon.h>

class CVelkor;

class CDownloadCallback : public qx::com::ObjectRoot, public IBindStatusCallback {
public:
    QX_BEGIN_INTERFACES(CDownloadCallback)
    QX_INTERFACE_ENTRY(IBindStatusCallback)
    QX_END_INTERFACES()
    static constexpr bool kAggregatable = false;

    void Init(CVelkor* owner, ULONG generation) {
        owner_ = owner;
        generation_ = generation;
    }
    // The download is no longer wanted (a newer one started, or the control is going).
    void CutOff();

    STDMETHODIMP OnStartBinding(DWORD dwReserved, IBinding* pib) override;
    STDMETHODIMP GetPriority(LONG* pnPriority) override;
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    STDMETHODIMP OnStopBinding(HRESULT hresult, LPCWSTR szError) override;
    STDMETHODIMP GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) override;
    STDMETHODIMP OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC* pformatetc,
                                 STGMEDIUM* pstgmed) override;
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    CVelkor* owner_ = nullptr;
    ULONG generation_ = 0;
    qx::com::ComPtr<IBinding> binding_;
};
