// The address book's programming interface: WABOpen, the objects it gives (IWABObject, IAddrBook)
// and the MAPI containers, tables and property objects reached through them, with the property
// values, tags and result codes they exchange. Method order follows the documented interfaces;
// the members nobody calls here answer MAPI_E_NO_SUPPORT.
#pragma once

#include "unknwn.h"
#include "wintypes.h"

// Property types and tags.
#define PT_UNSPECIFIED 0x0000
#define PT_NULL 0x0001
#define PT_SHORT 0x0002
#define PT_I2 PT_SHORT
#define PT_LONG 0x0003
#define PT_I4 PT_LONG
#define PT_ERROR 0x000A
#define PT_BOOLEAN 0x000B
#define PT_STRING8 0x001E
#define PT_UNICODE 0x001F
#define PT_BINARY 0x0102
#define MV_FLAG 0x1000
#define PT_MV_STRING8 (MV_FLAG | PT_STRING8)

#define PROP_TYPE(tag) ((ULONG)(tag)&0xFFFF)
#define PROP_ID(tag) ((ULONG)(tag) >> 16)
#define PROP_TAG(type, id) ((((ULONG)(id)) << 16) | ((ULONG)(type)))
#define CHANGE_PROP_TYPE(tag, type) (((ULONG)0xFFFF0000 & (tag)) | (type))

#define PR_ENTRYID PROP_TAG(PT_BINARY, 0x0FFF)
#define PR_OBJECT_TYPE PROP_TAG(PT_LONG, 0x0FFE)
#define PR_DISPLAY_NAME PROP_TAG(PT_STRING8, 0x3001)
#define PR_EMAIL_ADDRESS PROP_TAG(PT_STRING8, 0x3003)
#define PR_COMMENT PROP_TAG(PT_STRING8, 0x3004)
#define PR_GIVEN_NAME PROP_TAG(PT_STRING8, 0x3A06)
#define PR_BUSINESS_TELEPHONE_NUMBER PROP_TAG(PT_STRING8, 0x3A08)
#define PR_HOME_TELEPHONE_NUMBER PROP_TAG(PT_STRING8, 0x3A09)
#define PR_SURNAME PROP_TAG(PT_STRING8, 0x3A11)
#define PR_COMPANY_NAME PROP_TAG(PT_STRING8, 0x3A16)
#define PR_TITLE PROP_TAG(PT_STRING8, 0x3A17)
#define PR_DEPARTMENT_NAME PROP_TAG(PT_STRING8, 0x3A18)
#define PR_OFFICE_LOCATION PROP_TAG(PT_STRING8, 0x3A19)
#define PR_MOBILE_TELEPHONE_NUMBER PROP_TAG(PT_STRING8, 0x3A1C)
#define PR_PAGER_TELEPHONE_NUMBER PROP_TAG(PT_STRING8, 0x3A21)
#define PR_BUSINESS_FAX_NUMBER PROP_TAG(PT_STRING8, 0x3A24)
#define PR_HOME_FAX_NUMBER PROP_TAG(PT_STRING8, 0x3A25)
#define PR_COUNTRY PROP_TAG(PT_STRING8, 0x3A26)
#define PR_LOCALITY PROP_TAG(PT_STRING8, 0x3A27)
#define PR_STATE_OR_PROVINCE PROP_TAG(PT_STRING8, 0x3A28)
#define PR_STREET_ADDRESS PROP_TAG(PT_STRING8, 0x3A29)
#define PR_POSTAL_CODE PROP_TAG(PT_STRING8, 0x3A2A)
#define PR_MIDDLE_NAME PROP_TAG(PT_STRING8, 0x3A44)
#define PR_DISPLAY_NAME_PREFIX PROP_TAG(PT_STRING8, 0x3A45)
#define PR_SPOUSE_NAME PROP_TAG(PT_STRING8, 0x3A48)
#define PR_NICKNAME PROP_TAG(PT_STRING8, 0x3A4F)
#define PR_PERSONAL_HOME_PAGE PROP_TAG(PT_STRING8, 0x3A50)
#define PR_HOME_ADDRESS_CITY PROP_TAG(PT_STRING8, 0x3A59)
#define PR_HOME_ADDRESS_COUNTRY PROP_TAG(PT_STRING8, 0x3A5A)
#define PR_HOME_ADDRESS_POSTAL_CODE PROP_TAG(PT_STRING8, 0x3A5B)
#define PR_HOME_ADDRESS_STATE_OR_PROVINCE PROP_TAG(PT_STRING8, 0x3A5C)
#define PR_HOME_ADDRESS_STREET PROP_TAG(PT_STRING8, 0x3A5D)

// Object types (PR_OBJECT_TYPE, OpenEntry).
#define MAPI_ABCONT 4
#define MAPI_MAILUSER 6
#define MAPI_DISTLIST 8

// Flags.
#define MAPI_MODIFY 0x00000001
#define KEEP_OPEN_READONLY 0x00000001
#define KEEP_OPEN_READWRITE 0x00000002
#define FORCE_SAVE 0x00000004
#define CREATE_CHECK_DUP_STRICT 0x00000001
#define CREATE_CHECK_DUP_LOOSE 0x00000002
#define CREATE_REPLACE 0x00000004
#define TBL_BATCH 0x00000002
#define BOOKMARK_BEGINNING ((BOOKMARK)0)
#define BOOKMARK_CURRENT ((BOOKMARK)1)
#define BOOKMARK_END ((BOOKMARK)2)

// Results.
#define MAPI_E_CALL_FAILED ((HRESULT)0x80004005L)
#define MAPI_E_NOT_ENOUGH_MEMORY ((HRESULT)0x8007000EL)
#define MAPI_E_INVALID_PARAMETER ((HRESULT)0x80070057L)
#define MAPI_E_NO_ACCESS ((HRESULT)0x80070005L)
#define MAPI_E_NO_SUPPORT ((HRESULT)0x80040102L)
#define MAPI_E_BAD_CHARWIDTH ((HRESULT)0x80040103L)
#define MAPI_E_INVALID_ENTRYID ((HRESULT)0x80040107L)
#define MAPI_E_NOT_FOUND ((HRESULT)0x8004010FL)
#define MAPI_E_COMPUTED ((HRESULT)0x8004011AL)
#define MAPI_E_CORRUPT_DATA ((HRESULT)0x8004011BL)
#define MAPI_E_INVALID_TYPE ((HRESULT)0x80040302L)
#define MAPI_E_TOO_BIG ((HRESULT)0x80040305L)
#define MAPI_W_ERRORS_RETURNED ((HRESULT)0x00040380L)

using BOOKMARK = ULONG;
using LPCIID = const IID*;

struct ENTRYID {
    BYTE abFlags[4];
    BYTE ab[1];
};
using LPENTRYID = ENTRYID*;

struct SBinary {
    ULONG cb;
    LPBYTE lpb;
};

struct SStringArray {
    ULONG cValues;
    LPSTR* lppszA;
};

union PV {
    SHORT i;
    LONG l;
    USHORT b;
    float flt;
    double dbl;
    LPSTR lpszA;
    SBinary bin;
    LPWSTR lpszW;
    SStringArray MVszA;
    SCODE err;
    LONG x;
    LONGLONG li;
};

struct SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    PV Value;
};
using LPSPropValue = SPropValue*;

struct SPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[1];
};
using LPSPropTagArray = SPropTagArray*;

// A tag array with room for `n` tags, for declaring column sets in place.
template <ULONG n>
struct SizedSPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[n];
};

struct SPropProblem {
    ULONG ulIndex;
    ULONG ulPropTag;
    SCODE scode;
};

struct SPropProblemArray {
    ULONG cProblem;
    SPropProblem aProblem[1];
};
using LPSPropProblemArray = SPropProblemArray*;

struct SRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    LPSPropValue lpProps;
};

struct SRowSet {
    ULONG cRows;
    SRow aRow[1];
};
using LPSRowSet = SRowSet*;

// What WABOpen reads: only the members that cbSize covers.
struct WAB_PARAM {
    ULONG cbSize;
    HWND hwnd;
    LPSTR szFileName;
    ULONG ulFlags;
    GUID guidPSExt;
};
using LPWAB_PARAM = WAB_PARAM*;

QX_DECLARE_INTERFACE(IMAPITable, "{00020301-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IMAPIProp, "{00020303-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IAddrBook, "{00020309-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IMailUser, "{0002030A-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IMAPIContainer, "{0002030B-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IABContainer, "{0002030D-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IDistList, "{0002030E-0000-0000-C000-000000000046}");
QX_DECLARE_INTERFACE(IWABObject, "{2A5F9E31-6C0B-4D7A-9E41-3B8C5D2F0A17}");

struct IMAPITable : IUnknown {
    STDMETHOD(GetLastError)(HRESULT hResult, ULONG ulFlags, LPVOID* lppMAPIError) PURE;
    STDMETHOD(Advise)(ULONG ulEventMask, LPVOID lpAdviseSink, ULONG* lpulConnection) PURE;
    STDMETHOD(Unadvise)(ULONG ulConnection) PURE;
    STDMETHOD(GetStatus)(ULONG* lpulTableStatus, ULONG* lpulTableType) PURE;
    STDMETHOD(SetColumns)(LPSPropTagArray lpPropTagArray, ULONG ulFlags) PURE;
    STDMETHOD(QueryColumns)(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) PURE;
    STDMETHOD(GetRowCount)(ULONG ulFlags, ULONG* lpulCount) PURE;
    STDMETHOD(SeekRow)(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) PURE;
    STDMETHOD(SeekRowApprox)(ULONG ulNumerator, ULONG ulDenominator) PURE;
    STDMETHOD(QueryPosition)(ULONG* lpulRow, ULONG* lpulNumerator, ULONG* lpulDenominator) PURE;
    STDMETHOD(FindRow)(LPVOID lpRestriction, BOOKMARK bkOrigin, ULONG ulFlags) PURE;
    STDMETHOD(Restrict)(LPVOID lpRestriction, ULONG ulFlags) PURE;
    STDMETHOD(CreateBookmark)(BOOKMARK* lpbkPosition) PURE;
    STDMETHOD(FreeBookmark)(BOOKMARK bkPosition) PURE;
    STDMETHOD(SortTable)(LPVOID lpSortCriteria, ULONG ulFlags) PURE;
    STDMETHOD(QuerySortOrder)(LPVOID* lppSortCriteria) PURE;
    STDMETHOD(QueryRows)(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) PURE;
    STDMETHOD(Abort)() PURE;
    STDMETHOD(ExpandRow)
    (ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulRowCount, ULONG ulFlags, LPSRowSet* lppRows,
     ULONG* lpulMoreRows) PURE;
    STDMETHOD(CollapseRow)
    (ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulFlags, ULONG* lpulRowCount) PURE;
    STDMETHOD(WaitForCompletion)(ULONG ulFlags, ULONG ulTimeout, ULONG* lpulTableStatus) PURE;
    STDMETHOD(GetCollapseState)
    (ULONG ulFlags, ULONG cbInstanceKey, LPBYTE lpbInstanceKey, ULONG* lpcbCollapseState,
     LPBYTE* lppbCollapseState) PURE;
    STDMETHOD(SetCollapseState)
    (ULONG ulFlags, ULONG cbCollapseState, LPBYTE pbCollapseState, BOOKMARK* lpbkLocation) PURE;

protected:
    ~IMAPITable() = default;
};
using LPMAPITABLE = IMAPITable*;

struct IMAPIProp : IUnknown {
    STDMETHOD(GetLastError)(HRESULT hResult, ULONG ulFlags, LPVOID* lppMAPIError) PURE;
    STDMETHOD(SaveChanges)(ULONG ulFlags) PURE;
    STDMETHOD(GetProps)
    (LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues, LPSPropValue* lppPropArray) PURE;
    STDMETHOD(GetPropList)(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) PURE;
    STDMETHOD(OpenProperty)
    (ULONG ulPropTag, LPCIID lpiid, ULONG ulInterfaceOptions, ULONG ulFlags, LPUNKNOWN* lppUnk) PURE;
    STDMETHOD(SetProps)(ULONG cValues, LPSPropValue lpPropArray, LPSPropProblemArray* lppProblems) PURE;
    STDMETHOD(DeleteProps)(LPSPropTagArray lpPropTagArray, LPSPropProblemArray* lppProblems) PURE;
    STDMETHOD(CopyTo)
    (ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps, ULONG_PTR ulUIParam,
     LPVOID lpProgress, LPCIID lpInterface, LPVOID lpDestObj, ULONG ulFlags,
     LPSPropProblemArray* lppProblems) PURE;
    STDMETHOD(CopyProps)
    (LPSPropTagArray lpIncludeProps, ULONG_PTR ulUIParam, LPVOID lpProgress, LPCIID lpInterface,
     LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) PURE;
    STDMETHOD(GetNamesFromIDs)
    (LPSPropTagArray* lppPropTags, LPGUID lpPropSetGuid, ULONG ulFlags, ULONG* lpcPropNames,
     LPVOID* lpppPropNames) PURE;
    STDMETHOD(GetIDsFromNames)
    (ULONG cPropNames, LPVOID* lppPropNames, ULONG ulFlags, LPSPropTagArray* lppPropTags) PURE;

protected:
    ~IMAPIProp() = default;
};
using LPMAPIPROP = IMAPIProp*;

struct IMailUser : IMAPIProp {
protected:
    ~IMailUser() = default;
};
using LPMAILUSER = IMailUser*;

struct IMAPIContainer : IMAPIProp {
    STDMETHOD(GetContentsTable)(ULONG ulFlags, LPMAPITABLE* lppTable) PURE;
    STDMETHOD(GetHierarchyTable)(ULONG ulFlags, LPMAPITABLE* lppTable) PURE;
    STDMETHOD(OpenEntry)
    (ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags, ULONG* lpulObjType,
     LPUNKNOWN* lppUnk) PURE;
    STDMETHOD(SetSearchCriteria)(LPVOID lpRestriction, LPVOID lpContainerList, ULONG ulSearchFlags) PURE;
    STDMETHOD(GetSearchCriteria)
    (ULONG ulFlags, LPVOID* lppRestriction, LPVOID* lppContainerList, ULONG* lpulSearchState) PURE;

protected:
    ~IMAPIContainer() = default;
};

struct IABContainer : IMAPIContainer {
    STDMETHOD(CreateEntry)
    (ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulCreateFlags, LPMAPIPROP* lppMAPIPropEntry) PURE;
    STDMETHOD(CopyEntries)(LPVOID lpEntries, ULONG_PTR ulUIParam, LPVOID lpProgress, ULONG ulFlags) PURE;
    STDMETHOD(DeleteEntries)(LPVOID lpEntries, ULONG ulFlags) PURE;
    STDMETHOD(ResolveNames)
    (LPSPropTagArray lpPropTagArray, ULONG ulFlags, LPVOID lpAdrList, LPVOID lpFlagList) PURE;

protected:
    ~IABContainer() = default;
};
using LPABCONT = IABContainer*;

struct IDistList : IABContainer {
protected:
    ~IDistList() = default;
};
using LPDISTLIST = IDistList*;

struct IAddrBook : IMAPIProp {
    STDMETHOD(OpenEntry)
    (ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags, ULONG* lpulObjType,
     LPUNKNOWN* lppUnk) PURE;
    STDMETHOD(CompareEntryIDs)
    (ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2, LPENTRYID lpEntryID2, ULONG ulFlags,
     ULONG* lpulResult) PURE;
    STDMETHOD(Advise)
    (ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask, LPVOID lpAdviseSink,
     ULONG* lpulConnection) PURE;
    STDMETHOD(Unadvise)(ULONG ulConnection) PURE;
    STDMETHOD(CreateOneOff)
    (LPSTR lpszName, LPSTR lpszAdrType, LPSTR lpszAddress, ULONG ulFlags, ULONG* lpcbEntryID,
     LPENTRYID* lppEntryID) PURE;
    STDMETHOD(NewEntry)
    (ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cbEIDContainer, LPENTRYID lpEIDContainer,
     ULONG cbEIDNewEntryTpl, LPENTRYID lpEIDNewEntryTpl, ULONG* lpcbEIDNewEntry,
     LPENTRYID* lppEIDNewEntry) PURE;
    STDMETHOD(ResolveName)
    (ULONG_PTR ulUIParam, ULONG ulFlags, LPSTR lpszNewEntryTitle, LPVOID lpAdrList) PURE;
    STDMETHOD(Address)(ULONG_PTR* lpulUIParam, LPVOID lpAdrParms, LPVOID* lppAdrList) PURE;
    STDMETHOD(Details)
    (ULONG_PTR* lpulUIParam, LPVOID lpfnDismiss, LPVOID lpvDismissContext, ULONG cbEntryID,
     LPENTRYID lpEntryID, LPVOID lpfButtonCallback, LPVOID lpvButtonContext, LPSTR lpszButtonText,
     ULONG ulFlags) PURE;
    STDMETHOD(RecipOptions)(ULONG_PTR ulUIParam, ULONG ulFlags, LPVOID lpRecip) PURE;
    STDMETHOD(QueryDefaultRecipOpt)
    (LPSTR lpszAdrType, ULONG ulFlags, ULONG* lpcValues, LPSPropValue* lppOptions) PURE;
    STDMETHOD(GetPAB)(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) PURE;
    STDMETHOD(SetPAB)(ULONG cbEntryID, LPENTRYID lpEntryID) PURE;
    STDMETHOD(GetDefaultDir)(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) PURE;
    STDMETHOD(SetDefaultDir)(ULONG cbEntryID, LPENTRYID lpEntryID) PURE;
    STDMETHOD(GetSearchPath)(ULONG ulFlags, LPSRowSet* lppSearchPath) PURE;
    STDMETHOD(SetSearchPath)(ULONG ulFlags, LPSRowSet lpSearchPath) PURE;
    STDMETHOD(PrepareRecips)(ULONG ulFlags, LPSPropTagArray lpPropTagArray, LPVOID lpRecipList) PURE;

protected:
    ~IAddrBook() = default;
};
using LPADRBOOK = IAddrBook*;

struct IWABObject : IUnknown {
    STDMETHOD(GetLastError)(HRESULT hResult, ULONG ulFlags, LPVOID* lppMAPIError) PURE;
    STDMETHOD(AllocateBuffer)(ULONG cbSize, LPVOID* lppBuffer) PURE;
    STDMETHOD(AllocateMore)(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) PURE;
    STDMETHOD(FreeBuffer)(LPVOID lpBuffer) PURE;
    STDMETHOD(Backup)(LPSTR lpFileName) PURE;
    STDMETHOD(Import)(LPSTR lpWIP) PURE;
    STDMETHOD(Find)(LPADRBOOK lpIAB, HWND hWnd) PURE;
    STDMETHOD(VCardDisplay)(LPADRBOOK lpIAB, HWND hWnd, LPSTR lpszFileName) PURE;
    STDMETHOD(LDAPUrl)
    (LPADRBOOK lpIAB, HWND hWnd, ULONG ulFlags, LPSTR lpszURL, LPMAILUSER* lppMailUser) PURE;
    STDMETHOD(VCardCreate)(LPADRBOOK lpIAB, ULONG ulFlags, LPSTR lpszVCard, LPMAILUSER lpMailUser) PURE;
    STDMETHOD(VCardRetrieve)(LPADRBOOK lpIAB, ULONG ulFlags, LPSTR lpszVCard, LPMAILUSER* lppMailUser) PURE;
    STDMETHOD(GetMe)(LPADRBOOK lpIAB, ULONG ulFlags, DWORD* lpdwAction, SBinary* lpsbEID, HWND hwnd) PURE;
    STDMETHOD(SetMe)(LPADRBOOK lpIAB, ULONG ulFlags, SBinary sbEID, HWND hwnd) PURE;

protected:
    ~IWABObject() = default;
};
using LPWABOBJECT = IWABObject*;

// The library's entry point, found by name with GetProcAddress.
using LPWABOPEN = HRESULT(STDMETHODCALLTYPE*)(LPADRBOOK* lppAdrBook, LPWABOBJECT* lppWABObject,
                                              LPWAB_PARAM lpWP, DWORD Reserved2);
#define WAB_DLL_NAME "WAB32.DLL"
#define WAB_DLL_PATH_KEY "Software\\Microsoft\\WAB\\DLLPath"
