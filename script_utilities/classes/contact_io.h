// Kestrum.ContactIO: moves contacts between an address-book file and XML. ContactIn hands every
// mail user of a book to script as an IN document through ReadyContact; ContactOut writes one
// contact of an OUT document into a book opened for output; GetSaveFileNameSel asks for a file.
#pragma once

#include "kestrum_interfaces.h"

#include <msxml.h>
#include <qx/com/class_info.h>
#include <qx/com/comptr.h>
#include <qx/com/connection_point.h>
#include <qx/com/dispatch.h>
#include <qx/com/object.h>
#include <qx/com/object_safety.h>
#include <wabapi.h>

#include <string>
#include <vector>

class CContactIO
    : public qx::com::ObjectRoot,
      public qx::com::DispatchImpl<IContactIO>,
      public qx::com::ConnectionPointContainerImpl,
      public qx::com::ObjectSafetyImpl<INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA>,
      public qx::com::ProvideClassInfo2Impl<kestrum::kKestrumLibrary, CLSID_ContactIO> {
public:
    CContactIO();

    QX_BEGIN_INTERFACES(CContactIO)
    QX_INTERFACE_ENTRY(IContactIO)
    QX_INTERFACE_ENTRY2(IDispatch, IContactIO)
    QX_INTERFACE_ENTRY(IConnectionPointContainer)
    QX_INTERFACE_ENTRY(IObjectSafety)
    QX_INTERFACE_ENTRY(IProvideClassInfo2)
    QX_INTERFACE_ENTRY2(IProvideClassInfo, IProvideClassInfo2)
    QX_END_INTERFACES()

    HRESULT FinalConstruct();
    void FinalRelease();

    QX_OVERRIDES_IContactIO;

private:
    typedef std::vector<BYTE> EntryId;

    void ReleaseBook();
    void LoadWabLibrary();
    // Step 2 of ContactIn: the entry ids of the book's mail users, in file order.
    static HRESULT ListMailUsers(IAddrBook* pAddrBook, IWABObject* pWABObject, std::vector<EntryId>& ids);
    // Step 3 of ContactIn for one contact: the IN document of the entry, then the event.
    HRESULT ReadContact(IAddrBook* pAddrBook, IWABObject* pWABObject, IXMLDOMDocument* pDoc,
                        const EntryId& id, bool& quitSeen);
    // Dispatches the thread's pending messages; a WM_QUIT is posted again and ends the pumping.
    static void PumpMessages(bool& quitSeen);
    static HRESULT FailWith(UINT nMessageId, BSTR* pResult);

    qx::com::ComPtr<IXMLDOMDocument> m_pXMLDoc;
    std::vector<EntryId> m_entryIds;
    HMODULE m_hWabDll;
    qx::com::ComPtr<IAddrBook> m_pAddrBook;
    qx::com::ComPtr<IWABObject> m_pWABObject;
    qx::com::ComPtr<IABContainer> m_pContainer;
    char m_szFileName[MAX_PATH];

    kestrum::CProxy_DIContactIOEvents m_events;
};
