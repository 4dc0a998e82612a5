#include "wab_objects.h"

#include "entry_ids.h"
#include "mapi_bases.h"
#include "mapi_buffers.h"
#include "prop_convert.h"
#include "property_values.h"
#include "test_hooks.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace qx::wab {
namespace {

using qx::com::ObjectPtr;

// Opens what an entry id of the book names: the container (number 0) or a card.
HRESULT OpenBookEntry(const std::shared_ptr<Book>& book, ULONG cbEntryID, LPENTRYID lpEntryID,
                      ULONG* lpulObjType, LPUNKNOWN* lppUnk);

// The property side shared by mail users and distribution lists.
template <class Base>
class CEntry : public qx::com::ObjectRoot, public Base {
public:
    static constexpr bool kCountsInModuleLock = false;

    void Init(std::shared_ptr<Book> book, Card card) {
        book_ = std::move(book);
        card_ = std::move(card);
    }

    STDMETHODIMP SaveChanges(ULONG) override {
        unsigned serial = 0;
        HRESULT hr = book_->SaveCard(card_, serial);
        if (SUCCEEDED(hr)) {
            book_->FindCard(serial, card_);
        }
        return hr;
    }

    STDMETHODIMP GetProps(LPSPropTagArray lpPropTagArray, ULONG, ULONG* lpcValues,
                          LPSPropValue* lppPropArray) override {
        return BuildValues(book_, card_, lpPropTagArray, lpcValues, lppPropArray);
    }

    STDMETHODIMP SetProps(ULONG cValues, LPSPropValue lpPropArray,
                          LPSPropProblemArray* lppProblems) override {
        if (lppProblems != nullptr) {
            *lppProblems = nullptr;
        }
        if (cValues > 0 && lpPropArray == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        std::vector<SPropProblem> problems;
        for (ULONG i = 0; i < cValues; ++i) {
            Property property;
            SCODE sc = ReadValue(lpPropArray[i], property);
            if (sc != S_OK) {
                problems.push_back(SPropProblem{i, lpPropArray[i].ulPropTag, sc});
                continue;
            }
            // One value per property id; an empty one removes it.
            std::erase_if(card_.properties,
                          [&](const Property& p) { return PROP_ID(p.tag) == PROP_ID(property.tag); });
            if (!IsEmptyValue(property)) {
                card_.properties.push_back(std::move(property));
            }
        }
        if (problems.empty() || lppProblems == nullptr) {
            return S_OK;
        }
        LPVOID block = nullptr;
        ULONG size = static_cast<ULONG>(offsetof(SPropProblemArray, aProblem) +
                                        sizeof(SPropProblem) * problems.size());
        HRESULT hr = AllocateBlock(size, &block);
        if (FAILED(hr)) {
            return hr;
        }
        auto* array = static_cast<LPSPropProblemArray>(block);
        array->cProblem = static_cast<ULONG>(problems.size());
        std::memcpy(array->aProblem, problems.data(), sizeof(SPropProblem) * problems.size());
        *lppProblems = array;
        return S_OK;
    }

protected:
    std::shared_ptr<Book> book_;
    Card card_;
};

class CMailUser : public CEntry<CMapiPropBase<IMailUser>> {
public:
    QX_BEGIN_INTERFACES(CMailUser)
    QX_INTERFACE_ENTRY(IMailUser)
    QX_INTERFACE_ENTRY2(IMAPIProp, IMailUser)
    QX_END_INTERFACES()
};

// A group's card; its members are not opened here.
class CDistList : public CEntry<CContainerBase<IDistList>> {
public:
    QX_BEGIN_INTERFACES(CDistList)
    QX_INTERFACE_ENTRY(IDistList)
    QX_INTERFACE_ENTRY2(IABContainer, IDistList)
    QX_INTERFACE_ENTRY2(IMAPIContainer, IDistList)
    QX_INTERFACE_ENTRY2(IMAPIProp, IDistList)
    QX_END_INTERFACES()
};

// A snapshot of the book's cards, read a row at a time.
class CContentsTable : public qx::com::ObjectRoot, public IMAPITable {
public:
    static constexpr bool kCountsInModuleLock = false;

    QX_BEGIN_INTERFACES(CContentsTable)
    QX_INTERFACE_ENTRY(IMAPITable)
    QX_END_INTERFACES()

    void Init(std::shared_ptr<Book> book) {
        book_ = std::move(book);
        cards_ = book_->Cards();
        columns_ = {PR_ENTRYID, PR_OBJECT_TYPE, PR_DISPLAY_NAME};
    }

    STDMETHODIMP SetColumns(LPSPropTagArray lpPropTagArray, ULONG) override {
        if (lpPropTagArray == nullptr || lpPropTagArray->cValues == 0) {
            return MAPI_E_INVALID_PARAMETER;
        }
        columns_.assign(lpPropTagArray->aulPropTag, lpPropTagArray->aulPropTag + lpPropTagArray->cValues);
        return S_OK;
    }

    STDMETHODIMP GetRowCount(ULONG, ULONG* lpulCount) override {
        if (lpulCount == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lpulCount = static_cast<ULONG>(cards_.size());
        return S_OK;
    }

    STDMETHODIMP SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) override {
        long long origin = 0;
        if (bkOrigin == BOOKMARK_CURRENT) {
            origin = static_cast<long long>(position_);
        } else if (bkOrigin == BOOKMARK_END) {
            origin = static_cast<long long>(cards_.size());
        } else if (bkOrigin != BOOKMARK_BEGINNING) {
            return MAPI_E_INVALID_PARAMETER;
        }
        long long target =
            std::clamp<long long>(origin + lRowCount, 0, static_cast<long long>(cards_.size()));
        if (lplRowsSought != nullptr) {
            *lplRowsSought = static_cast<LONG>(target - origin);
        }
        position_ = static_cast<std::size_t>(target);
        return S_OK;
    }

    STDMETHODIMP QueryRows(LONG lRowCount, ULONG, LPSRowSet* lppRows) override {
        if (lppRows == nullptr || lRowCount <= 0) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lppRows = nullptr;
        std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(lRowCount), cards_.size() - position_);
        LPVOID block = nullptr;
        HRESULT hr =
            AllocateBlock(static_cast<ULONG>(offsetof(SRowSet, aRow) + sizeof(SRow) * (n ? n : 1)), &block);
        if (FAILED(hr)) {
            return hr;
        }
        auto* rows = static_cast<LPSRowSet>(block);
        rows->cRows = 0;
        std::vector<ULONG> tagBlock(columns_.size() + 1);
        tagBlock[0] = static_cast<ULONG>(columns_.size());
        std::copy(columns_.begin(), columns_.end(), tagBlock.begin() + 1);
        const auto* tags = reinterpret_cast<const SPropTagArray*>(tagBlock.data());
        for (std::size_t i = 0; i < n; ++i) {
            SRow& row = rows->aRow[i];
            row.ulAdrEntryPad = 0;
            hr = BuildValues(book_, cards_[position_ + i], tags, &row.cValues, &row.lpProps);
            if (FAILED(hr)) {
                for (ULONG k = 0; k < rows->cRows; ++k) {
                    FreeBlock(rows->aRow[k].lpProps);
                }
                FreeBlock(block);
                return hr;
            }
            rows->cRows = static_cast<ULONG>(i + 1);
        }
        position_ += n;
        *lppRows = rows;
        return S_OK;
    }

    // Nobody calls these here.
    STDMETHODIMP GetLastError(HRESULT, ULONG, LPVOID*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Advise(ULONG, LPVOID, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Unadvise(ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetStatus(ULONG*, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP QueryColumns(ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SeekRowApprox(ULONG, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP QueryPosition(ULONG*, ULONG*, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP FindRow(LPVOID, BOOKMARK, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Restrict(LPVOID, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP CreateBookmark(BOOKMARK*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP FreeBookmark(BOOKMARK) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SortTable(LPVOID, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP QuerySortOrder(LPVOID*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Abort() override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP ExpandRow(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet*, ULONG*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP CollapseRow(ULONG, LPBYTE, ULONG, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP WaitForCompletion(ULONG, ULONG, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetCollapseState(ULONG, ULONG, LPBYTE, ULONG*, LPBYTE*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP SetCollapseState(ULONG, ULONG, LPBYTE, BOOKMARK*) override { return MAPI_E_NO_SUPPORT; }

private:
    std::shared_ptr<Book> book_;
    std::vector<Card> cards_;
    std::vector<ULONG> columns_;
    std::size_t position_ = 0;
};

// The personal address book: every card of the file.
class CContainer : public qx::com::ObjectRoot, public CContainerBase<IABContainer> {
public:
    static constexpr bool kCountsInModuleLock = false;

    QX_BEGIN_INTERFACES(CContainer)
    QX_INTERFACE_ENTRY(IABContainer)
    QX_INTERFACE_ENTRY2(IMAPIContainer, IABContainer)
    QX_INTERFACE_ENTRY2(IMAPIProp, IABContainer)
    QX_END_INTERFACES()

    void Init(std::shared_ptr<Book> book) { book_ = std::move(book); }

    STDMETHODIMP SaveChanges(ULONG) override { return S_OK; }

    STDMETHODIMP GetProps(LPSPropTagArray lpPropTagArray, ULONG, ULONG* lpcValues,
                          LPSPropValue* lppPropArray) override {
        Card self;
        self.serial = 0;
        self.objectType = MAPI_ABCONT;
        Property name;
        name.tag = PR_DISPLAY_NAME;
        name.text = "Contacts";
        self.properties.push_back(name);
        return BuildValues(book_, self, lpPropTagArray, lpcValues, lppPropArray);
    }

    STDMETHODIMP GetContentsTable(ULONG, LPMAPITABLE* lppTable) override {
        if (lppTable == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lppTable = nullptr;
        if (TakeContentsTableFault()) {
            return MAPI_E_CALL_FAILED;
        }
        ObjectPtr<CContentsTable> table;
        HRESULT hr = qx::com::CreateObject<CContentsTable>(table);
        if (FAILED(hr)) {
            return hr;
        }
        table->Init(book_);
        *lppTable = table.Detach();
        return S_OK;
    }

    STDMETHODIMP OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID, ULONG, ULONG* lpulObjType,
                           LPUNKNOWN* lppUnk) override {
        return OpenBookEntry(book_, cbEntryID, lpEntryID, lpulObjType, lppUnk);
    }

    STDMETHODIMP CreateEntry(ULONG, LPENTRYID, ULONG, LPMAPIPROP* lppMAPIPropEntry) override {
        if (lppMAPIPropEntry == nullptr) {
            return MAPI_E_INVALID_PARAMETER;
        }
        *lppMAPIPropEntry = nullptr;
        ObjectPtr<CMailUser> user;
        HRESULT hr = qx::com::CreateObject<CMailUser>(user);
        if (FAILED(hr)) {
            return hr;
        }
        Card card;
        card.uid = NewUid();
        user->Init(book_, std::move(card));
        *lppMAPIPropEntry = static_cast<IMailUser*>(user.Detach());
        return S_OK;
    }

private:
    std::shared_ptr<Book> book_;
};

// Makes an object of class T for the book; `make` gives it what it holds.
template <class T, class Interface, class Make>
HRESULT MakeEntryObject(Make make, ULONG objectType, ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
    ObjectPtr<T> object;
    HRESULT hr = qx::com::CreateObject<T>(object);
    if (FAILED(hr)) {
        return hr;
    }
    make(*object);
    *lpulObjType = objectType;
    *lppUnk = static_cast<Interface*>(object.Detach());
    return S_OK;
}

HRESULT OpenBookEntry(const std::shared_ptr<Book>& book, ULONG cbEntryID, LPENTRYID lpEntryID,
                      ULONG* lpulObjType, LPUNKNOWN* lppUnk) {
    if (lpulObjType == nullptr || lppUnk == nullptr) {
        return MAPI_E_INVALID_PARAMETER;
    }
    *lppUnk = nullptr;
    unsigned serial = 0;
    if (cbEntryID != 0 && !ReadEntryId(book->Token(), cbEntryID, lpEntryID, serial)) {
        return MAPI_E_NOT_FOUND;
    }
    if (serial == 0) {
        return MakeEntryObject<CContainer, IABContainer>([&](CContainer& c) { c.Init(book); }, MAPI_ABCONT,
                                                         lpulObjType, lppUnk);
    }
    Card card;
    if (!book->FindCard(serial, card)) {
        return MAPI_E_NOT_FOUND;
    }
    if (card.objectType == MAPI_DISTLIST) {
        return MakeEntryObject<CDistList, IDistList>([&](CDistList& l) { l.Init(book, std::move(card)); },
                                                     MAPI_DISTLIST, lpulObjType, lppUnk);
    }
    if (TakeMailUserOpenFault()) {
        return MAPI_E_CALL_FAILED;
    }
    return MakeEntryObject<CMailUser, IMailUser>([&](CMailUser& u) { u.Init(book, std::move(card)); },
                                                 MAPI_MAILUSER, lpulObjType, lppUnk);
}

class CAddrBook : public qx::com::ObjectRoot, public CMapiPropBase<IAddrBook> {
public:
    static constexpr bool kCountsInModuleLock = false;

    QX_BEGIN_INTERFACES(CAddrBook)
    QX_INTERFACE_ENTRY(IAddrBook)
    QX_INTERFACE_ENTRY2(IMAPIProp, IAddrBook)
    QX_END_INTERFACES()

    void Init(std::shared_ptr<Book> book) { book_ = std::move(book); }

    STDMETHODIMP OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID, ULONG, ULONG* lpulObjType,
                           LPUNKNOWN* lppUnk) override {
        return OpenBookEntry(book_, cbEntryID, lpEntryID, lpulObjType, lppUnk);
    }

    STDMETHODIMP GetPAB(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override {
        return MakeEntryId(book_->Token(), 0, nullptr, lpcbEntryID, lppEntryID);
    }

    // Nobody calls these here.
    STDMETHODIMP CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP Advise(ULONG, LPENTRYID, ULONG, LPVOID, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Unadvise(ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP CreateOneOff(LPSTR, LPSTR, LPSTR, ULONG, ULONG*, LPENTRYID*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP NewEntry(ULONG_PTR, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG*, LPENTRYID*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP ResolveName(ULONG_PTR, ULONG, LPSTR, LPVOID) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Address(ULONG_PTR*, LPVOID, LPVOID*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Details(ULONG_PTR*, LPVOID, LPVOID, ULONG, LPENTRYID, LPVOID, LPVOID, LPSTR,
                         ULONG) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP RecipOptions(ULONG_PTR, ULONG, LPVOID) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP QueryDefaultRecipOpt(LPSTR, ULONG, ULONG*, LPSPropValue*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP SetPAB(ULONG, LPENTRYID) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetDefaultDir(ULONG*, LPENTRYID*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SetDefaultDir(ULONG, LPENTRYID) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetSearchPath(ULONG, LPSRowSet*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SetSearchPath(ULONG, LPSRowSet) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP PrepareRecips(ULONG, LPSPropTagArray, LPVOID) override { return MAPI_E_NO_SUPPORT; }

private:
    std::shared_ptr<Book> book_;
};

class CWabObject : public qx::com::ObjectRoot, public IWABObject {
public:
    static constexpr bool kCountsInModuleLock = false;

    QX_BEGIN_INTERFACES(CWabObject)
    QX_INTERFACE_ENTRY(IWABObject)
    QX_END_INTERFACES()

    STDMETHODIMP AllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) override {
        return AllocateBlock(cbSize, lppBuffer);
    }
    STDMETHODIMP AllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) override {
        return AllocateLinked(cbSize, lpObject, lppBuffer);
    }
    STDMETHODIMP FreeBuffer(LPVOID lpBuffer) override { return FreeBlock(lpBuffer); }

    // Nobody calls these here.
    STDMETHODIMP GetLastError(HRESULT, ULONG, LPVOID*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Backup(LPSTR) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Import(LPSTR) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Find(LPADRBOOK, HWND) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP VCardDisplay(LPADRBOOK, HWND, LPSTR) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP LDAPUrl(LPADRBOOK, HWND, ULONG, LPSTR, LPMAILUSER*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP VCardCreate(LPADRBOOK, ULONG, LPSTR, LPMAILUSER) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP VCardRetrieve(LPADRBOOK, ULONG, LPSTR, LPMAILUSER*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetMe(LPADRBOOK, ULONG, DWORD*, SBinary*, HWND) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SetMe(LPADRBOOK, ULONG, SBinary, HWND) override { return MAPI_E_NO_SUPPORT; }
};

} // namespace

HRESULT CreateBookObjects(std::shared_ptr<Book> book, LPADRBOOK* addrBook, LPWABOBJECT* wabObject) {
    ObjectPtr<CAddrBook> ab;
    ObjectPtr<CWabObject> wab;
    HRESULT hr = qx::com::CreateObject<CAddrBook>(ab);
    if (SUCCEEDED(hr)) {
        hr = qx::com::CreateObject<CWabObject>(wab);
    }
    if (FAILED(hr)) {
        return hr;
    }
    ab->Init(std::move(book));
    *addrBook = static_cast<IAddrBook*>(ab.Detach());
    *wabObject = static_cast<IWABObject*>(wab.Detach());
    return S_OK;
}

} // namespace qx::wab
