// The in-process server module shared by every component: the module object, the object map
// and its rows, category maps, and the class base that gives a class its map-row functions.
//
// A component supplies, in its own module file:
//
//     const GUID ComponentLibId = LIBID_QUORLELib;
//     BEGIN_OBJECT_MAP(ObjectMap)
//         OBJECT_ENTRY(CLSID_Convert, CConvert)
//     END_OBJECT_MAP()
//
// and the server functions (DllMain, DllGetClassObject, ...) come from server_exports.cpp.
#pragma once

#include "comcat.h"
#include "oaidl.h"
#include "objbase_activation.h"
#include "objsafe.h"
#include "qx/com/object.h"
#include "unknwn.h"
#include "wintypes.h"

#include <mutex>
#include <vector>

#define SERVER_EXPORT extern "C" __attribute__((visibility("default")))

// One row of a category map.
#define CATMAP_END 0
#define CATMAP_IMPLEMENTED 1
#define CATMAP_REQUIRED 2
struct CategoryMapEntry {
    int iType;
    const CATID* pcatid;
};

typedef HRESULT (*PFNCREATECLASSFACTORY)(void* pfnCreateInstance, REFIID riid, LPVOID* ppv);
typedef HRESULT (*PFNCREATEINSTANCE)(IUnknown* pUnkOuter, REFIID riid, LPVOID* ppv);
typedef HRESULT (*PFNUPDATEREGISTRY)(BOOL bRegister);
typedef LPCWSTR (*PFNGETOBJECTDESCRIPTION)();
typedef const CategoryMapEntry* (*PFNGETCATEGORYMAP)();
typedef void (*PFNOBJECTMAIN)(bool bStarting);
typedef void (*PFNTERMFUNC)(DWORD_PTR dw);

// One creatable class. The map ends with an all-zero row.
struct ObjectMapEntry {
    const CLSID* pclsid;
    PFNUPDATEREGISTRY pfnUpdateRegistry;
    PFNCREATECLASSFACTORY pfnGetClassObject;
    PFNCREATEINSTANCE pfnCreateInstance;
    IUnknown* pCF;
    DWORD dwRegister;
    PFNGETOBJECTDESCRIPTION pfnGetObjectDescription;
    PFNGETCATEGORYMAP pfnGetCategoryMap;
    PFNOBJECTMAIN pfnObjectMain;
};

// The plain class factory of every row: not aggregatable, its own lifetime outside the lock count.
HRESULT CreateServerClassFactory(void* pfnCreateInstance, REFIID riid, LPVOID* ppv);

#define BEGIN_OBJECT_MAP(name) ObjectMapEntry name[] = {
#define OBJECT_ENTRY(clsid, class)                                                                           \
    {&clsid, &class ::UpdateRegistry,       &CreateServerClassFactory, &class ::CreateInstance, NULL,        \
     0,      &class ::GetObjectDescription, &class ::GetCategoryMap,   &class ::ObjectMain},
#define END_OBJECT_MAP()                                                                                     \
    { NULL, NULL, NULL, NULL, NULL, 0, NULL, NULL, NULL }                                                    \
    }                                                                                                        \
    ;

#define BEGIN_CATEGORY_MAP(class)                                                                            \
    static const CategoryMapEntry* GetCategoryMap() {                                                        \
        static const CategoryMapEntry entries[] = {
#define IMPLEMENTED_CATEGORY(catid) {CATMAP_IMPLEMENTED, &catid},
#define REQUIRED_CATEGORY(catid) {CATMAP_REQUIRED, &catid},
#define END_CATEGORY_MAP()                                                                                   \
    { CATMAP_END, NULL }                                                                                     \
    }                                                                                                        \
    ;                                                                                                        \
    return entries;                                                                                          \
    }

// A critical section: one thread at a time, re-entrant for its owner.
class CServerCriticalSection {
public:
    void Lock() { m_sec.lock(); }
    void Unlock() { m_sec.unlock(); }

private:
    std::recursive_mutex m_sec;
};

class CServerModule {
public:
    enum { kModuleSize = 132, kFrameworkVersion = 0x300 };

    HRESULT Init(ObjectMapEntry* pObjMap, HINSTANCE hInstance, const GUID* plibid);
    void Term();

    LONG Lock();
    LONG Unlock();
    // Objects alive plus server locks. The object framework counts the objects and the class
    // factories' LockServer calls; they are added to the module's own locks.
    LONG GetLockCount();

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
    HRESULT RegisterServer();
    HRESULT UnregisterServer();
    HRESULT UpdateRegistryFromResource(UINT nResID, BOOL bRegister);
    HRESULT AddTermFunc(PFNTERMFUNC pFunc, DWORD_PTR dw);

    HINSTANCE GetModuleInstance() const { return m_hInst; }
    HINSTANCE GetResourceInstance() const { return m_hInstResource; }

    UINT cbSize = 0;
    DWORD dwFrameworkVersion = 0;
    HINSTANCE m_hInst = NULL;
    HINSTANCE m_hInstResource = NULL;
    HINSTANCE m_hInstTypeLib = NULL;
    ObjectMapEntry* m_pObjMap = NULL;
    GUID m_libid = {};
    LONG m_nLockCnt = 0;
    CServerCriticalSection m_csModule;
    CServerCriticalSection m_csObjMap;
    CServerCriticalSection m_csWindowCreate;

private:
    struct TermFuncEntry {
        PFNTERMFUNC pFunc;
        DWORD_PTR dw;
    };

    HRESULT GetModulePath(WCHAR* szPath, DWORD cchPath);
    HRESULT LoadModuleTypeLib(ITypeLib** ppTypeLib, WCHAR* szPath, DWORD cchPath);
    HRESULT RegisterTypeLib();
    HRESULT UnregisterTypeLib();
    static HRESULT RegisterClassCategories(const CLSID& clsid, const CategoryMapEntry* pMap, BOOL bRegister);

    std::vector<TermFuncEntry> m_termFuncs;
};

// The component's module object, its object map and its type library's identifier.
extern CServerModule _Module;
extern ObjectMapEntry ObjectMap[];
extern const GUID ComponentLibId;

// The category map of a class that is safe for scripting and for initialising.
const CategoryMapEntry* SafeForScriptingCategories();

// A row's category map: the given function's, or none. (A function's address is no constant to
// compare with null, so the choice is made by specialisation.)
template <PFNGETCATEGORYMAP pfnCategoryMap>
struct CServerCategoryMap {
    static const CategoryMapEntry* Get() { return pfnCategoryMap(); }
};
template <>
struct CServerCategoryMap<nullptr> {
    static const CategoryMapEntry* Get() { return NULL; }
};

// The map-row functions of a class. nRegistryId is its REGISTRY script; T is the class, a
// qx::com::ObjectRoot class (kAggregatable false makes CreateInstance refuse an outer unknown
// with CLASS_E_NOAGGREGATION); pfnCategoryMap, when given, lists its categories. A class may
// derive from CServerClass (and declare BEGIN_CATEGORY_MAP itself), or the module file names
//     typedef CServerClass<CConvert, 101, SafeForScriptingCategories> CConvertServer;
// and puts OBJECT_ENTRY(CLSID_Convert, CConvertServer) in its map.
template <class T, UINT nRegistryId, PFNGETCATEGORYMAP pfnCategoryMap = nullptr>
class CServerClass {
public:
    static HRESULT UpdateRegistry(BOOL bRegister) {
        return _Module.UpdateRegistryFromResource(nRegistryId, bRegister);
    }
    static HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, LPVOID* ppv) {
        return qx::com::CreateInstance<T>(pUnkOuter, riid, ppv);
    }
    static LPCWSTR GetObjectDescription() { return NULL; }
    static const CategoryMapEntry* GetCategoryMap() { return CServerCategoryMap<pfnCategoryMap>::Get(); }
    static void ObjectMain(bool) {}
};
