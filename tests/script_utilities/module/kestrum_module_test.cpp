// The Kestrum component file's server functions: class factories, aggregation under an outer
// object, the lock count, its version information and its type library.
#include "kestrum_module_support.h"

#include "kestrum_typelib.h"
#include <qx/xml/xml_dom.h>

#include <oleauto.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <winver.h>

#include <vector>

using namespace kestrum_test;
using qx::com::ComPtr;

namespace {

const CLSID* const kCreatable[] = {&CLSID_Calendar, &CLSID_MiscFunc, &CLSID_RegScript, &CLSID_ContactIO};

// An outer object that aggregates one Kestrum object and hands out its interfaces as its own.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    virtual ~Outer() = default;
    ULONG refs = 1;
    IUnknown* inner = nullptr;
};

// The member's DISPID by name, then Invoke, as script calls it.
HRESULT CallByName(IDispatch* object, const char16_t* name, std::vector<qx::com::Variant> args,
                   VARIANT* result) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                          result, nullptr, nullptr);
}

TEST_F(KestrumModuleTest, OnlyTheMappedClassesHaveFactories) {
    for (const CLSID* clsid : kCreatable) {
        ComPtr<IClassFactory> first, second;
        ASSERT_EQ(GetClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&first)), S_OK);
        ASSERT_EQ(GetClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&second)), S_OK);
        EXPECT_EQ(first.Get(), second.Get()) << "one cached factory per class";
    }
    static const GUID kRegEnumList = CLSID_RegEnumList;
    for (const GUID* clsid : {&kRegEnumList, &LIBID_KESTRUMLib}) {
        void* out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(GetClassObject(*clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(GetClassObject(CLSID_Calendar, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(KestrumModuleTest, EveryClassWorksInsideAnOuterObject) {
    ASSERT_TRUE(SUCCEEDED(qx::xml::RegisterXmlDomClass())); // ContactIO holds an XML document
    for (const CLSID* clsid : kCreatable) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(GetClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        Outer outer;
        // Aggregated, the first interface asked for must be IUnknown.
        void* refused = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(factory->CreateInstance(&outer, IID_IDispatch, &refused), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(refused, nullptr);
        ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
                  S_OK);
        ASSERT_NE(outer.inner, nullptr);

        IDispatch* dispatch = nullptr;
        ASSERT_EQ(outer.QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
        // The inner object's interfaces answer for the outer one.
        IUnknown* identity = nullptr;
        ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
        EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
        identity->Release();
        EXPECT_GT(outer.refs, 1u) << "references to the inner interfaces count on the outer object";
        dispatch->Release();
        EXPECT_EQ(outer.refs, 1u);
        outer.inner->Release();
    }
    qx::xml::RevokeXmlDomClass();
}

TEST_F(KestrumModuleTest, AggregatedObjectsAreCalledByName) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(CLSID_Calendar, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    Outer outer;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    IDispatch* calendar = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&calendar)), S_OK);
    qx::com::Variant ignored, year, month, day;
    ASSERT_EQ(CallByName(calendar, u"Convert",
                         {qx::com::Variant(LONG(1988)), qx::com::Variant(LONG(2)), qx::com::Variant(LONG(18)),
                          qx::com::Variant(false)},
                         &ignored),
              S_OK);
    ASSERT_EQ(CallByName(calendar, u"resultYear", {}, &year), S_OK);
    ASSERT_EQ(CallByName(calendar, u"resultMonth", {}, &month), S_OK);
    ASSERT_EQ(CallByName(calendar, u"resultDay", {}, &day), S_OK);
    EXPECT_EQ(year.lVal, 1988);
    EXPECT_EQ(month.lVal, 1);
    EXPECT_EQ(day.lVal, 1);
    calendar->Release();
    outer.inner->Release();
}

TEST_F(KestrumModuleTest, LockCountFollowsObjectsAndServerLocks) {
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(CLSID_MiscFunc, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK) << "the cached factory does not count";
    ComPtr<IMiscFunc> misc;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IMiscFunc, reinterpret_cast<void**>(&misc)), S_OK);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    // A list made by RegScript counts like any object of the file.
    ComPtr<IRegScript> reg;
    ASSERT_EQ(GetClassObject(CLSID_RegScript, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IRegScript, reinterpret_cast<void**>(&reg)), S_OK);
    qx::com::Variant list;
    qx::com::Bstr key(u"Software");
    ASSERT_EQ(reg->GetEnumListKey(key.Get(), &list), S_OK);
    ASSERT_EQ(list.vt, VT_DISPATCH);
    misc = nullptr;
    reg = nullptr;
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    VariantClear(&list);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
    factory->LockServer(TRUE);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
}

std::string VersionString(const std::vector<BYTE>& info, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\041204b0\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "<missing>";
    return std::string(value, length && value[length - 1] == '\0' ? length - 1 : length);
}

TEST_F(KestrumModuleTest, VersionInformationNamesTheModule) {
    const std::string path = ComponentPath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, 2u); // a DLL
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 1042);
    EXPECT_EQ(translation[1], 1200);
    static const struct {
        const char* name;
        const char* value;
    } kStrings[] = {
        {"CompanyName", ""},
        {"FileDescription", "Kestrum Module"},
        {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "Kestrum"},
        {"LegalCopyright", ""},
        {"OriginalFilename", "Kestrum.DLL"},
        {"ProductName", "Kestrum Module"},
        {"ProductVersion", "1, 0, 0, 1"},
        {"OLESelfRegister", ""},
    };
    for (const auto& s : kStrings)
        EXPECT_EQ(VersionString(info, s.name), s.value) << s.name;
}

TEST_F(KestrumModuleTest, TypeLibraryOfTheFileDescribesInterfacesAndClasses) {
    const std::u16string path = qx::com::Utf8ToUtf16(ComponentPath());
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLib(path.c_str(), &library), S_OK);
    qx::com::Bstr name, help;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(name.ToUtf8(), "KESTRUMLib");
    EXPECT_EQ(help.ToUtf8(), "Kestrum 1.0 Type Library");
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_KESTRUMLib));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attributes);
    ASSERT_EQ(library->GetTypeInfoCount(), 12u);

    static const struct {
        const GUID* guid;
        const char* name;
        TYPEKIND kind;
        const IID* defaultInterface;
    } kTypes[] = {
        {&IID_ICalendar, "ICalendar", TKIND_DISPATCH, nullptr},
        {&IID_IMiscFunc, "IMiscFunc", TKIND_DISPATCH, nullptr},
        {&IID_IRegScript, "IRegScript", TKIND_DISPATCH, nullptr},
        {&IID_IRegEnumList, "IRegEnumList", TKIND_DISPATCH, nullptr},
        {&IID_IContactIO, "IContactIO", TKIND_DISPATCH, nullptr},
        {&DIID__DIContactIOEvents, "_DIContactIOEvents", TKIND_DISPATCH, nullptr},
        {&CLSID_Calendar, "Calendar", TKIND_COCLASS, &IID_ICalendar},
        {&CLSID_MiscFunc, "MiscFunc", TKIND_COCLASS, &IID_IMiscFunc},
        {&CLSID_RegScript, "RegScript", TKIND_COCLASS, &IID_IRegScript},
        {&CLSID_RegEnumList, "RegEnumList", TKIND_COCLASS, &IID_IRegEnumList},
        {&CLSID_ContactIO, "ContactIO", TKIND_COCLASS, &IID_IContactIO},
        {&GUID_NULL, "InOutType", TKIND_ENUM, nullptr},
    };
    for (UINT index = 0; index < 12; ++index) {
        const auto& t = kTypes[index];
        SCOPED_TRACE(t.name);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfo(index, &info), S_OK);
        qx::com::Bstr typeName;
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &typeName, nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(typeName.ToUtf8(), t.name);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_TRUE(IsEqualGUID(attr->guid, *t.guid));
        EXPECT_EQ(attr->typekind, t.kind);
        info->ReleaseTypeAttr(attr);
        if (t.defaultInterface) {
            HREFTYPE ref = 0;
            ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
            ComPtr<ITypeInfo> implemented;
            ASSERT_EQ(info->GetRefTypeInfo(ref, &implemented), S_OK);
            TYPEATTR* implAttr = nullptr;
            ASSERT_EQ(implemented->GetTypeAttr(&implAttr), S_OK);
            EXPECT_TRUE(IsEqualGUID(implAttr->guid, *t.defaultInterface));
            implemented->ReleaseTypeAttr(implAttr);
        }
    }
}

TEST_F(KestrumModuleTest, MembersOfTheTypeLibraryMatchTheObjects) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLib(qx::com::Utf8ToUtf16(ComponentPath()).c_str(), &library), S_OK);
    static const struct {
        const IID* iid;
        std::vector<std::pair<const char16_t*, MEMBERID>> members;
    } kInterfaces[] = {
        {&IID_ICalendar, {{u"Convert", 1}, {u"resultYear", 2}, {u"resultMonth", 3}, {u"resultDay", 4}}},
        {&IID_IMiscFunc,
         {{u"DownloadToBase64", 1},
          {u"ExtractFileName", 2},
          {u"GetTemporaryFileName", 3},
          {u"Base64ToLocalFile", 4},
          {u"EncodeBase64", 5},
          {u"DecodeBase64", 6},
          {u"GetUniqueFileName", 7},
          {u"FileExists", 8},
          {u"DebugTrace", 9},
          {u"GetFileSize", 10},
          {u"GetGUID", 11}}},
        {&IID_IRegScript,
         {{u"GetEnumListKey", 1}, {u"OpenKey", 2}, {u"Close", 3}, {u"ReadValue", 4}, {u"DeleteRegKey", 5}}},
        {&IID_IRegEnumList, {{u"Count", 1}, {u"Item", DISPID_VALUE}}},
        {&IID_IContactIO,
         {{u"ContactIn", 1}, {u"ContactOut", 2}, {u"OpenWABFile", 3}, {u"GetSaveFileNameSel", 4}}},
        {&DIID__DIContactIOEvents, {{u"ReadyContact", 1}}},
    };
    for (const auto& i : kInterfaces) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfoOfGuid(*i.iid, &info), S_OK);
        for (const auto& [name, id] : i.members) {
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            MEMBERID found = DISPID_UNKNOWN;
            EXPECT_EQ(info->GetIDsOfNames(names, 1, &found), S_OK) << Utf8(name);
            EXPECT_EQ(found, id) << Utf8(name);
        }
    }
}

} // namespace
