// What the URL streams share: a body read once from the start, never written, locked or cloned.
#pragma once

#include "objidl.h"
#include "ref_counted.h"
#include "winerror.h"

#include <cstring>

namespace qx::net {

class ReadOnlyStream : public UrlObject, public IStream {
public:
    STDMETHODIMP Write(const void*, ULONG, ULONG* pcbWritten) override {
        if (pcbWritten != nullptr) {
            *pcbWritten = 0;
        }
        return STG_E_ACCESSDENIED;
    }
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return S_OK; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    STDMETHODIMP Stat(STATSTG* pstatstg, DWORD) override {
        if (pstatstg == nullptr) {
            return STG_E_INVALIDPOINTER;
        }
        std::memset(pstatstg, 0, sizeof *pstatstg);
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = Size();
        pstatstg->grfMode = STGM_READ;
        return S_OK;
    }
    STDMETHODIMP Clone(IStream** ppstm) override {
        if (ppstm != nullptr) {
            *ppstm = nullptr;
        }
        return STG_E_INVALIDFUNCTION;
    }

protected:
    // The size Stat reports: the body's length as far as it is known.
    virtual ULONGLONG Size() = 0;
};

} // namespace qx::net
