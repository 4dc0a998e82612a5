#include "contact_io.h"

#include "ansi_text.h"
#include "contact_fields.h"
#include "server_module.h"

#include <winmodule.h>
#include <winreg.h>
#include <winresource.h>
#include <winuser_message.h>

#include <commdlg.h>
#include <qx/com/bstr.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

const UINT IDS_OPEN_FAILED = 1000;
const UINT IDS_LIST_FAILED = 1001;
const UINT IDS_CONTACT_FAILED = 1002;
const UINT IDS_WRITE_FAILED = 1003;

// Frees a MAPI buffer of the address book at scope end.
class CWabBuffer {
public:
    CWabBuffer(IWABObject* pWABObject, void* pBuffer) : m_pWABObject(pWABObject), m_pBuffer(pBuffer) {}
    ~CWabBuffer() {
        if (m_pBuffer)
            m_pWABObject->FreeBuffer(m_pBuffer);
    }
    CWabBuffer(const CWabBuffer&) = delete;
    CWabBuffer& operator=(const CWabBuffer&) = delete;

private:
    IWABObject* m_pWABObject;
    void* m_pBuffer;
};

// Opens the personal address book container of a book.
HRESULT OpenPab(IAddrBook* pAddrBook, IWABObject* pWABObject, qx::com::ComPtr<IABContainer>& pContainer) {
    ULONG cbEntryId = 0;
    LPENTRYID pEntryId = NULL;
    HRESULT hr = pAddrBook->GetPAB(&cbEntryId, &pEntryId);
    if (FAILED(hr))
        return hr;
    CWabBuffer entryIdBuffer(pWABObject, pEntryId);
    ULONG ulObjType = 0;
    qx::com::ComPtr<IUnknown> pUnknown;
    hr = pAddrBook->OpenEntry(cbEntryId, pEntryId, NULL, 0, &ulObjType, &pUnknown);
    if (FAILED(hr))
        return hr;
    if (ulObjType != MAPI_ABCONT)
        return E_FAIL;
    return pUnknown->QueryInterface(IID_PPV_ARGS(&pContainer));
}

} // namespace

CContactIO::CContactIO() : m_hWabDll(NULL), m_events(*this) {
    m_szFileName[0] = '\0';
}

HRESULT CContactIO::FinalConstruct() {
    HRESULT hr = CoCreateInstance(CLSID_DOMDocument, NULL, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                  reinterpret_cast<void**>(&m_pXMLDoc));
    if (FAILED(hr))
        return hr;
    m_pXMLDoc->put_async(VARIANT_FALSE);
    LoadWabLibrary();
    return S_OK;
}

void CContactIO::FinalRelease() {
    m_pXMLDoc.Reset();
    ReleaseBook();
    if (m_hWabDll) {
        FreeLibrary(m_hWabDll);
        m_hWabDll = NULL;
    }
}

// The library named by the default value of HKLM\Software\Microsoft\WAB\DLLPath, else WAB32.DLL.
void CContactIO::LoadWabLibrary() {
    char szPath[MAX_PATH] = "";
    bool bHavePath = false;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, WAB_DLL_PATH_KEY, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        DWORD dwType = 0;
        DWORD cbData = sizeof(szPath);
        if (RegQueryValueExA(hKey, "", NULL, &dwType, reinterpret_cast<LPBYTE>(szPath), &cbData) ==
                ERROR_SUCCESS &&
            (dwType == REG_SZ || dwType == REG_EXPAND_SZ) && cbData > 1) {
            szPath[MAX_PATH - 1] = '\0';
            bHavePath = true;
        }
        RegCloseKey(hKey);
    }
    m_hWabDll = LoadLibraryA(bHavePath ? szPath : WAB_DLL_NAME);
}

void CContactIO::ReleaseBook() {
    m_pContainer.Reset();
    m_pAddrBook.Reset();
    m_pWABObject.Reset();
}

HRESULT CContactIO::FailWith(UINT nMessageId, BSTR* pResult) {
    char szText[512] = "";
    LoadStringA(_Module.GetResourceInstance(), nMessageId, szText, sizeof(szText));
    *pResult = AnsiToBstr(szText);
    return S_FALSE;
}

STDMETHODIMP CContactIO::OpenWABFile(BSTR FileName, InOutType JobType, VARIANT_BOOL* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = VARIANT_FALSE;
    ReleaseBook();

    std::string fileName;
    if (!BstrToAnsiExact(FileName, fileName) || fileName.size() >= MAX_PATH)
        return S_OK;
    std::memcpy(m_szFileName, fileName.c_str(), fileName.size() + 1);

    // Without the library there is no WABOpen to look for.
    if (!m_hWabDll)
        return S_OK;
    LPWABOPEN pfnWABOpen = reinterpret_cast<LPWABOPEN>(GetProcAddress(m_hWabDll, "WABOpen"));
    if (!pfnWABOpen)
        return S_OK;

    WAB_PARAM wp;
    std::memset(&wp, 0, sizeof(wp));
    wp.cbSize = sizeof(WAB_PARAM);
    wp.hwnd = NULL;
    wp.szFileName = m_szFileName;
    wp.ulFlags = 0;
    qx::com::ComPtr<IAddrBook> pAddrBook;
    qx::com::ComPtr<IWABObject> pWABObject;
    if (FAILED(pfnWABOpen(&pAddrBook, &pWABObject, &wp, 0)) || !pAddrBook || !pWABObject)
        return S_OK;

    qx::com::ComPtr<IABContainer> pContainer;
    if (JobType == ::ContactOut && FAILED(OpenPab(pAddrBook, pWABObject, pContainer)))
        return S_OK;

    m_pAddrBook = pAddrBook;
    m_pWABObject = pWABObject;
    m_pContainer = pContainer;
    *pVal = VARIANT_TRUE;
    return S_OK;
}

HRESULT CContactIO::ListMailUsers(IAddrBook* pAddrBook, IWABObject* pWABObject, std::vector<EntryId>& ids) {
    qx::com::ComPtr<IABContainer> pContainer;
    HRESULT hr = OpenPab(pAddrBook, pWABObject, pContainer);
    if (FAILED(hr))
        return hr;
    qx::com::ComPtr<IMAPITable> pTable;
    hr = pContainer->GetContentsTable(0, &pTable);
    if (FAILED(hr))
        return hr;
    SizedSPropTagArray<3> columns = {3, {PR_DISPLAY_NAME, PR_ENTRYID, PR_OBJECT_TYPE}};
    hr = pTable->SetColumns(reinterpret_cast<LPSPropTagArray>(&columns), 0);
    if (FAILED(hr))
        return hr;
    hr = pTable->SeekRow(BOOKMARK_BEGINNING, 0, NULL);
    if (FAILED(hr))
        return hr;
    for (;;) {
        LPSRowSet pRows = NULL;
        hr = pTable->QueryRows(1, 0, &pRows);
        if (FAILED(hr))
            return hr;
        CWabBuffer rowSetBuffer(pWABObject, pRows);
        if (!pRows || pRows->cRows == 0)
            break;
        for (ULONG r = 0; r < pRows->cRows; ++r) {
            const SRow& row = pRows->aRow[r];
            CWabBuffer rowBuffer(pWABObject, row.lpProps);
            if (row.cValues < 3 || !row.lpProps)
                continue;
            const SPropValue& entryId = row.lpProps[1];
            const SPropValue& objectType = row.lpProps[2];
            // A column the book could not give is PT_ERROR: such a row names nothing to open.
            if (entryId.ulPropTag != PR_ENTRYID || objectType.ulPropTag != PR_OBJECT_TYPE)
                continue;
            if (objectType.Value.l != MAPI_MAILUSER || !entryId.Value.bin.lpb)
                continue;
            ids.push_back(EntryId(entryId.Value.bin.lpb, entryId.Value.bin.lpb + entryId.Value.bin.cb));
        }
    }
    return S_OK;
}

void CContactIO::PumpMessages(bool& quitSeen) {
    if (quitSeen)
        return;
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit belongs to the thread's own loop: put it back and pump no more.
            PostQuitMessage(static_cast<int>(msg.wParam));
            quitSeen = true;
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HRESULT CContactIO::ReadContact(IAddrBook* pAddrBook, IWABObject* pWABObject, IXMLDOMDocument* pDoc,
                                const EntryId& id, bool& quitSeen) {
    ULONG ulObjType = 0;
    qx::com::ComPtr<IUnknown> pUnknown;
    HRESULT hr = pAddrBook->OpenEntry(static_cast<ULONG>(id.size()),
                                      reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(id.data())), NULL, 0,
                                      &ulObjType, &pUnknown);
    if (FAILED(hr))
        return hr;
    qx::com::ComPtr<IMailUser> pMailUser;
    hr = pUnknown->QueryInterface(IID_PPV_ARGS(&pMailUser));
    if (FAILED(hr))
        return hr;
    ULONG cValues = 0;
    LPSPropValue pProps = NULL;
    hr = pMailUser->GetProps(NULL, 0, &cValues, &pProps);
    if (FAILED(hr))
        return hr;
    CWabBuffer propsBuffer(pWABObject, pProps);

    qx::com::ComPtr<IDispatch> pRoot;
    hr = pDoc->createElement(qx::com::Bstr(u"IN"), &pRoot);
    if (FAILED(hr))
        return hr;
    const ContactField* fields = ContactFields();
    for (int f = 0; f < kContactFieldCount; ++f) {
        // The field's property by id, converted by the type the book gave it.
        std::string text;
        for (ULONG i = 0; i < cValues; ++i) {
            if (PROP_ID(pProps[i].ulPropTag) == PROP_ID(fields[f].propTag) &&
                PROP_TYPE(pProps[i].ulPropTag) != PT_ERROR) {
                text = PropValueToString(pProps[i]);
                break;
            }
        }
        qx::com::ComPtr<IDispatch> pElementDisp;
        hr = pDoc->createElement(qx::com::Bstr::FromUtf8(fields[f].name), &pElementDisp);
        if (FAILED(hr))
            return hr;
        qx::com::ComPtr<IXMLDOMNode> pElement;
        hr = pElementDisp->QueryInterface(IID_PPV_ARGS(&pElement));
        if (FAILED(hr))
            return hr;
        qx::com::Bstr bstrText = qx::com::Bstr::Attach(AnsiToBstr(text));
        hr = pElement->put_text(bstrText.Get());
        if (FAILED(hr))
            return hr;
        qx::com::ComPtr<IXMLDOMNode> pRootNode;
        hr = pRoot->QueryInterface(IID_PPV_ARGS(&pRootNode));
        if (FAILED(hr))
            return hr;
        qx::com::ComPtr<IDispatch> pAppended;
        hr = pRootNode->appendChild(pElementDisp, &pAppended);
        if (FAILED(hr))
            return hr;
        PumpMessages(quitSeen);
    }
    qx::com::ComPtr<IDispatch> pOldRoot;
    hr = pDoc->get_documentElement(&pOldRoot);
    if (FAILED(hr))
        return hr;
    qx::com::ComPtr<IDispatch> pReplaced;
    if (pOldRoot)
        hr = pDoc->replaceChild(pRoot, pOldRoot, &pReplaced);
    else
        hr = pDoc->appendChild(pRoot, &pReplaced);
    return hr;
}

STDMETHODIMP CContactIO::ContactIn(BSTR FileName, BSTR* Result) {
    if (!Result)
        return E_POINTER;
    *Result = NULL;
    // Script runs between contacts: whatever a handler does to this object, the call keeps the
    // object, the book and the document it started with and walks its own list.
    qx::com::ComPtr<IContactIO> pSelf(this);

    VARIANT_BOOL bOpened = VARIANT_FALSE;
    OpenWABFile(FileName, ::ContactIn, &bOpened);
    if (!bOpened)
        return FailWith(IDS_OPEN_FAILED, Result);
    qx::com::ComPtr<IAddrBook> pAddrBook = m_pAddrBook;
    qx::com::ComPtr<IWABObject> pWABObject = m_pWABObject;
    qx::com::ComPtr<IXMLDOMDocument> pDoc = m_pXMLDoc;

    std::vector<EntryId> ids;
    if (FAILED(ListMailUsers(pAddrBook, pWABObject, ids))) {
        m_entryIds.clear();
        return FailWith(IDS_LIST_FAILED, Result);
    }
    m_entryIds = ids;

    const LONG total = static_cast<LONG>(ids.size());
    bool quitSeen = false;
    for (LONG i = 0; i < total; ++i) {
        if (FAILED(ReadContact(pAddrBook, pWABObject, pDoc, ids[static_cast<std::size_t>(i)], quitSeen))) {
            m_entryIds.clear();
            return FailWith(IDS_CONTACT_FAILED, Result);
        }
        qx::com::ComPtr<IDispatch> pDocDisp;
        pDoc->QueryInterface(IID_PPV_ARGS(&pDocDisp));
        m_events.Fire_ReadyContact(pDocDisp, i + 1, total);
    }
    m_entryIds.clear();
    *Result = SysAllocString(u"");
    return S_OK;
}

STDMETHODIMP CContactIO::ContactOut(IDispatch* ContactXMLData, BSTR* Result) {
    if (!Result)
        return E_POINTER;
    qx::com::ComPtr<IContactIO> pSelf(this);
    qx::com::ComPtr<IXMLDOMDocument> pData;
    if (!ContactXMLData ||
        FAILED(ContactXMLData->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(&pData))))
        return FailWith(IDS_WRITE_FAILED, Result);
    qx::com::ComPtr<IABContainer> pContainer = m_pContainer;
    if (!pContainer)
        return FailWith(IDS_WRITE_FAILED, Result);

    qx::com::ComPtr<IMAPIProp> pEntry;
    if (FAILED(pContainer->CreateEntry(0, NULL, 8 /* whatever the book does with it */, &pEntry)) || !pEntry)
        return FailWith(IDS_WRITE_FAILED, Result);

    // The values live here until SetProps has copied them.
    const ContactField* fields = ContactFields();
    std::vector<std::string> texts;
    std::vector<LPSTR> lists;
    texts.reserve(kContactFieldCount);
    lists.reserve(kContactFieldCount);
    std::vector<SPropValue> values;
    for (int f = 0; f < kContactFieldCount; ++f) {
        qx::com::ComPtr<IDispatch> pNodeDisp;
        std::string query = std::string("OUT/") + fields[f].name;
        if (FAILED(pData->selectSingleNode(qx::com::Bstr::FromUtf8(query), &pNodeDisp)) || !pNodeDisp)
            continue;
        qx::com::ComPtr<IXMLDOMNode> pNode;
        if (FAILED(pNodeDisp->QueryInterface(IID_PPV_ARGS(&pNode))))
            continue;
        qx::com::Bstr bstrText;
        if (FAILED(pNode->get_text(&bstrText)))
            return FailWith(IDS_WRITE_FAILED, Result);
        texts.push_back(BstrToAnsi(bstrText.Get()));
        const std::string& text = texts.back();
        if (fields[f].propTag == PR_EMAIL_ADDRESS && text.empty())
            continue;
        SPropValue value;
        std::memset(&value, 0, sizeof(value));
        value.ulPropTag = fields[f].propTag;
        switch (PROP_TYPE(fields[f].propTag)) {
        case PT_SHORT:
            value.Value.i = static_cast<SHORT>(std::atoi(text.c_str()));
            break;
        case PT_LONG:
            value.Value.l = std::atoi(text.c_str());
            break;
        case PT_MV_STRING8:
            lists.push_back(const_cast<LPSTR>(text.c_str()));
            value.Value.MVszA.cValues = 1;
            value.Value.MVszA.lppszA = &lists.back();
            break;
        default:
            value.Value.lpszA = const_cast<LPSTR>(text.c_str());
            break;
        }
        values.push_back(value);
    }
    if (FAILED(
            pEntry->SetProps(static_cast<ULONG>(values.size()), values.empty() ? NULL : values.data(), NULL)))
        return FailWith(IDS_WRITE_FAILED, Result);
    if (FAILED(pEntry->SaveChanges(FORCE_SAVE)))
        return FailWith(IDS_WRITE_FAILED, Result);
    return S_OK;
}

STDMETHODIMP CContactIO::GetSaveFileNameSel(BSTR Filter, BSTR FileName, BSTR* SelFileName) {
    if (!SelFileName)
        return E_POINTER;
    *SelFileName = NULL;
    // The caller's filter is read but the dialog always offers address books and all files.
    std::string callerFilter = BstrToAnsi(Filter);
    (void)callerFilter;
    static const char szFilter[] = "WAB(Window Address Book) File(*.WAB)\0*.WAB\0All File(*.*)\0*.*\0";
    static const char szTitle[] = "\xC0\xFA\xC0\xE5"; // "저장" in code page 949

    char szFile[MAX_PATH];
    std::string seed = BstrToAnsi(FileName);
    std::size_t cbSeed = seed.size() < sizeof(szFile) - 1 ? seed.size() : sizeof(szFile) - 1;
    std::memcpy(szFile, seed.data(), cbSeed);
    szFile[cbSeed] = '\0';

    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof(ofn));
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = NULL;
    ofn.lpstrFilter = szFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof(szFile);
    ofn.lpstrTitle = szTitle;
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    if (!GetSaveFileNameA(&ofn)) {
        *SelFileName = SysAllocString(u"");
        return S_FALSE;
    }
    *SelFileName = AnsiToBstr(szFile);
    return S_OK;
}
