// Releasing a storage medium the way its receiver must, whoever filled it in.
#include <objbase.h>
#include <objidl_ole.h>
#include <oleauto.h>

void ReleaseStgMedium(STGMEDIUM* pmedium) {
    if (pmedium == nullptr) {
        return;
    }
    // With a release object the medium's own contents belong to it: only it is released.
    IUnknown* forRelease = pmedium->pUnkForRelease;
    switch (pmedium->tymed) {
    case TYMED_ISTREAM:
        if (pmedium->pstm != nullptr && forRelease == nullptr) {
            pmedium->pstm->Release();
        }
        break;
    case TYMED_ISTORAGE:
        if (pmedium->pstg != nullptr && forRelease == nullptr) {
            pmedium->pstg->Release();
        }
        break;
    case TYMED_FILE:
        if (forRelease == nullptr) {
            CoTaskMemFree(pmedium->lpszFileName);
        }
        break;
    default:
        break;
    }
    if (forRelease != nullptr) {
        forRelease->Release();
    }
    pmedium->tymed = TYMED_NULL;
    pmedium->pstm = nullptr;
    pmedium->pUnkForRelease = nullptr;
}
