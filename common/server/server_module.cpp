// The module object: start and end of the module, the class-factory cache, registration from
// the REGISTRY scripts, the category maps and the type library.
#include "server_module.h"

#include "oleauto.h"
#include "qx/com/comptr.h"
#include "qx/win32/registrar.h"
#include "winmodule.h"
#include "winnt_interlocked.h"
#include "winresource.h"

#include <cstring>
#include <string>

namespace {

// Class identifiers are compared as four 32-bit words.
bool IsSameClass(const GUID& a, const GUID& b) {
    ULONG wa[4];
    ULONG wb[4];
    std::memcpy(wa, &a, sizeof wa);
    std::memcpy(wb, &b, sizeof wb);
    return wa[0] == wb[0] && wa[1] == wb[1] && wa[2] == wb[2] && wa[3] == wb[3];
}

IUnknown* ReadCachedFactory(ObjectMapEntry* pEntry) {
    return static_cast<IUnknown*>(
        InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&pEntry->pCF), NULL, NULL));
}

// Index of the character after the last folder separator (both kinds count).
size_t FileNameStart(const WCHAR* szPath) {
    size_t nStart = 0;
    for (size_t i = 0; szPath[i]; ++i) {
        if (szPath[i] == u'\\' || szPath[i] == u'/')
            nStart = i + 1;
    }
    return nStart;
}

typedef HRESULT (*PFNUNREGISTERTYPELIB)(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid,
                                        SYSKIND syskind);

} // namespace

const CategoryMapEntry* SafeForScriptingCategories() {
    static const CategoryMapEntry entries[] = {
        {CATMAP_IMPLEMENTED, &CATID_SafeForScripting},
        {CATMAP_IMPLEMENTED, &CATID_SafeForInitializing},
        {CATMAP_END, NULL},
    };
    return entries;
}

HRESULT CreateServerClassFactory(void* pfnCreateInstance, REFIID riid, LPVOID* ppv) {
    return qx::com::CreateClassFactory(reinterpret_cast<PFNCREATEINSTANCE>(pfnCreateInstance), riid, ppv);
}

HRESULT CServerModule::Init(ObjectMapEntry* pObjMap, HINSTANCE hInstance, const GUID* plibid) {
    cbSize = kModuleSize;
    dwFrameworkVersion = kFrameworkVersion;
    m_hInst = m_hInstResource = m_hInstTypeLib = hInstance;
    m_pObjMap = pObjMap;
    m_nLockCnt = 0;
    if (plibid)
        m_libid = *plibid;
    if (m_pObjMap) {
        for (ObjectMapEntry* pEntry = m_pObjMap; pEntry->pclsid != NULL; ++pEntry) {
            if (pEntry->pfnObjectMain)
                pEntry->pfnObjectMain(true);
        }
    }
    return S_OK;
}

void CServerModule::Term() {
    if (m_pObjMap) {
        for (ObjectMapEntry* pEntry = m_pObjMap; pEntry->pclsid != NULL; ++pEntry) {
            IUnknown* pCF = static_cast<IUnknown*>(
                InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&pEntry->pCF), NULL));
            if (pCF)
                pCF->Release();
            if (pEntry->pfnObjectMain)
                pEntry->pfnObjectMain(false);
        }
    }
    // Newest first, each once.
    m_csModule.Lock();
    std::vector<TermFuncEntry> funcs;
    funcs.swap(m_termFuncs);
    m_csModule.Unlock();
    for (auto it = funcs.rbegin(); it != funcs.rend(); ++it)
        it->pFunc(it->dw);
}

LONG CServerModule::Lock() {
    return InterlockedIncrement(&m_nLockCnt);
}

LONG CServerModule::Unlock() {
    return InterlockedDecrement(&m_nLockCnt);
}

LONG CServerModule::GetLockCount() {
    return InterlockedCompareExchange(&m_nLockCnt, 0, 0) + qx::com::ModuleLockCount();
}

HRESULT CServerModule::AddTermFunc(PFNTERMFUNC pFunc, DWORD_PTR dw) {
    if (!pFunc)
        return E_INVALIDARG;
    m_csModule.Lock();
    m_termFuncs.push_back({pFunc, dw});
    m_csModule.Unlock();
    return S_OK;
}

HRESULT CServerModule::GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (ppv == NULL)
        return E_POINTER;
    *ppv = NULL;
    if (m_pObjMap == NULL)
        return CLASS_E_CLASSNOTAVAILABLE;
    for (ObjectMapEntry* pEntry = m_pObjMap; pEntry->pclsid != NULL; ++pEntry) {
        if (pEntry->pfnGetClassObject == NULL || !IsSameClass(rclsid, *pEntry->pclsid))
            continue;
        HRESULT hr = S_OK;
        IUnknown* pCF = ReadCachedFactory(pEntry);
        if (pCF == NULL) {
            m_csObjMap.Lock();
            pCF = ReadCachedFactory(pEntry);
            if (pCF == NULL) {
                IUnknown* pNew = NULL;
                hr = pEntry->pfnGetClassObject(reinterpret_cast<void*>(pEntry->pfnCreateInstance),
                                               IID_IUnknown, reinterpret_cast<LPVOID*>(&pNew));
                if (SUCCEEDED(hr) && pNew != NULL) {
                    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&pEntry->pCF), pNew);
                    pCF = pNew;
                } else if (SUCCEEDED(hr)) {
                    hr = E_UNEXPECTED;
                }
            }
            m_csObjMap.Unlock();
        }
        if (FAILED(hr))
            return hr;
        return pCF->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CServerModule::GetModulePath(WCHAR* szPath, DWORD cchPath) {
    DWORD dwLen = GetModuleFileNameW(m_hInst, szPath, cchPath);
    if (dwLen == 0 || dwLen >= cchPath)
        return E_FAIL;
    return S_OK;
}

HRESULT CServerModule::UpdateRegistryFromResource(UINT nResID, BOOL bRegister) {
    HRSRC hRsrc = FindResourceW(m_hInstResource, MAKEINTRESOURCEW(nResID), u"REGISTRY");
    if (hRsrc == NULL)
        return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    HGLOBAL hGlobal = LoadResource(m_hInstResource, hRsrc);
    const char* pScript = static_cast<const char*>(LockResource(hGlobal));
    DWORD cbScript = SizeofResource(m_hInstResource, hRsrc);
    if (pScript == NULL)
        return E_FAIL;
    WCHAR szModule[MAX_PATH * 4];
    HRESULT hr = GetModulePath(szModule, MAX_PATH * 4);
    if (FAILED(hr))
        return hr;
    qx::registrar::ReplacementMap replacements;
    replacements.Add(std::u16string_view(u"MODULE"), std::u16string_view(szModule));
    return qx::registrar::RunScript(std::string_view(pScript, cbScript), replacements, bRegister != FALSE);
}

HRESULT CServerModule::RegisterClassCategories(const CLSID& clsid, const CategoryMapEntry* pMap,
                                               BOOL bRegister) {
    if (pMap == NULL)
        return S_OK;
    std::vector<CATID> implemented;
    std::vector<CATID> required;
    for (const CategoryMapEntry* pEntry = pMap; pEntry->iType != CATMAP_END; ++pEntry) {
        if (pEntry->iType == CATMAP_IMPLEMENTED)
            implemented.push_back(*pEntry->pcatid);
        else if (pEntry->iType == CATMAP_REQUIRED)
            required.push_back(*pEntry->pcatid);
    }
    if (implemented.empty() && required.empty())
        return S_OK;
    qx::com::ComPtr<ICatRegister> pCatRegister;
    // Without the categories manager the categories are skipped.
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, NULL, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                reinterpret_cast<LPVOID*>(&pCatRegister))))
        return S_OK;
    HRESULT hr = S_OK;
    if (!implemented.empty()) {
        hr = bRegister
                 ? pCatRegister->RegisterClassImplCategories(clsid, static_cast<ULONG>(implemented.size()),
                                                             implemented.data())
                 : pCatRegister->UnRegisterClassImplCategories(clsid, static_cast<ULONG>(implemented.size()),
                                                               implemented.data());
        if (FAILED(hr) && bRegister)
            return hr;
    }
    if (!required.empty()) {
        hr = bRegister ? pCatRegister->RegisterClassReqCategories(clsid, static_cast<ULONG>(required.size()),
                                                                  required.data())
                       : pCatRegister->UnRegisterClassReqCategories(
                             clsid, static_cast<ULONG>(required.size()), required.data());
        if (FAILED(hr) && bRegister)
            return hr;
    }
    return S_OK;
}

// TYPELIB 1 of the component file itself, else the file of the same name with ".tlb".
HRESULT CServerModule::LoadModuleTypeLib(ITypeLib** ppTypeLib, WCHAR* szPath, DWORD cchPath) {
    *ppTypeLib = NULL;
    HRESULT hr = GetModulePath(szPath, cchPath);
    if (FAILED(hr))
        return hr;
    hr = LoadTypeLib(szPath, ppTypeLib);
    if (SUCCEEDED(hr))
        return hr;
    std::u16string tlbPath(szPath);
    size_t nName = FileNameStart(szPath);
    size_t nDot = tlbPath.rfind(u'.');
    if (nDot == std::u16string::npos || nDot < nName)
        nDot = tlbPath.size();
    tlbPath.replace(nDot, std::u16string::npos, u".tlb");
    if (tlbPath.size() >= cchPath)
        return hr;
    HRESULT hrTlb = LoadTypeLib(tlbPath.c_str(), ppTypeLib);
    if (FAILED(hrTlb))
        return hr;
    std::memcpy(szPath, tlbPath.c_str(), (tlbPath.size() + 1) * sizeof(WCHAR));
    return hrTlb;
}

HRESULT CServerModule::RegisterTypeLib() {
    WCHAR szPath[MAX_PATH * 4];
    qx::com::ComPtr<ITypeLib> pTypeLib;
    HRESULT hr = LoadModuleTypeLib(&pTypeLib, szPath, MAX_PATH * 4);
    if (FAILED(hr))
        return hr;
    // The help folder is the folder of the component file.
    std::u16string helpDir(szPath, FileNameStart(szPath));
    if (helpDir.size() > 1)
        helpDir.pop_back();
    return ::RegisterTypeLib(pTypeLib.Get(), szPath, helpDir.empty() ? NULL : helpDir.c_str());
}

HRESULT CServerModule::UnregisterTypeLib() {
    WCHAR szPath[MAX_PATH * 4];
    qx::com::ComPtr<ITypeLib> pTypeLib;
    HRESULT hr = LoadModuleTypeLib(&pTypeLib, szPath, MAX_PATH * 4);
    if (FAILED(hr))
        return hr;
    TLIBATTR* pAttr = NULL;
    if (FAILED(pTypeLib->GetLibAttr(&pAttr)) || pAttr == NULL)
        return S_OK;
    // Older systems lack UnRegisterTypeLib, so it is looked up at run time.
    HMODULE hOleAut = LoadLibraryA("oleaut32.dll");
    if (hOleAut != NULL) {
        PFNUNREGISTERTYPELIB pfnUnregister =
            reinterpret_cast<PFNUNREGISTERTYPELIB>(GetProcAddress(hOleAut, "UnRegisterTypeLib"));
        if (pfnUnregister != NULL)
            pfnUnregister(pAttr->guid, pAttr->wMajorVerNum, pAttr->wMinorVerNum, pAttr->lcid, pAttr->syskind);
        FreeLibrary(hOleAut);
    }
    pTypeLib->ReleaseTLibAttr(pAttr);
    return S_OK;
}

HRESULT CServerModule::RegisterServer() {
    if (m_pObjMap != NULL) {
        for (ObjectMapEntry* pEntry = m_pObjMap; pEntry->pclsid != NULL; ++pEntry) {
            HRESULT hr = pEntry->pfnUpdateRegistry ? pEntry->pfnUpdateRegistry(TRUE) : S_OK;
            if (FAILED(hr))
                return hr;
            hr = RegisterClassCategories(
                *pEntry->pclsid, pEntry->pfnGetCategoryMap ? pEntry->pfnGetCategoryMap() : NULL, TRUE);
            if (FAILED(hr))
                return hr;
        }
    }
    return RegisterTypeLib();
}

HRESULT CServerModule::UnregisterServer() {
    if (m_pObjMap != NULL) {
        for (ObjectMapEntry* pEntry = m_pObjMap; pEntry->pclsid != NULL; ++pEntry) {
            if (pEntry->pfnUpdateRegistry)
                pEntry->pfnUpdateRegistry(FALSE);
            RegisterClassCategories(*pEntry->pclsid,
                                    pEntry->pfnGetCategoryMap ? pEntry->pfnGetCategoryMap() : NULL, FALSE);
        }
    }
    return UnregisterTypeLib();
}
