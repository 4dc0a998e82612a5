// Quorle's classes created the way a page creates them: by ProgID through the registry and
// CoCreateInstance from the registered component file; aggregation refused; the file's lock
// count; the registered type library describing both classes.
#include "quorle_module_test_support.h"

#include "convert_interfaces.h"

#include "objbase.h"
#include "objsafe.h"
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/dispatch.h"
#include "qx/com/variant.h"

using namespace quorle_module_test;
using qx::com::Bstr;
using qx::com::ComPtr;

namespace {

class QuorleActivation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        char pattern[] = "/tmp/quorle-activation-temp-XXXXXX";
        temp_ = mkdtemp(pattern);
        setenv("QX_TEMP_DIR", temp_.c_str(), 1);
        LoadedComponent component(kComponent);
        ASSERT_TRUE(component.Loaded());
        ASSERT_EQ(component.Call("DllRegisterServer"), S_OK);
    }
    void TearDown() override {
        CoFreeUnusedLibraries();
        CoUninitialize();
        unsetenv("QX_TEMP_DIR");
        std::error_code ec;
        fs::remove_all(temp_, ec);
    }
    template <class I>
    HRESULT Create(const char16_t* progId, REFIID iid, ComPtr<I>& out) {
        CLSID clsid{};
        const HRESULT hr = CLSIDFromProgID(progId, &clsid);
        if (FAILED(hr))
            return hr;
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&out));
    }

    TempRegistry registry_;
    fs::path temp_;
};

TEST_F(QuorleActivation, ProgIdsNameTheirClasses) {
    const std::pair<const char16_t*, const CLSID*> cases[] = {
        {u"Quorle.Convert", &CLSID_Convert},
        {u"Quorle.Convert.1", &CLSID_Convert},
        {u"Quorle.MailFormat", &CLSID_MailFormat},
        {u"Quorle.MailFormat.1", &CLSID_MailFormat},
    };
    for (const auto& [progId, clsid] : cases) {
        CLSID found{};
        ASSERT_EQ(CLSIDFromProgID(progId, &found), S_OK) << Utf8(progId);
        EXPECT_TRUE(IsEqualGUID(found, *clsid)) << Utf8(progId);
    }
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_Convert, &progId), S_OK);
    EXPECT_EQ(std::u16string(progId), u"Quorle.Convert.1");
    CoTaskMemFree(progId);
    CLSID none{};
    EXPECT_EQ(CLSIDFromProgID(u"Quorle.Nothing", &none), CO_E_CLASSSTRING);
}

TEST_F(QuorleActivation, ConvertCreatedByEitherProgIdPacksAndUnpacks) {
    ComPtr<IConvert> packer, unpacker;
    ASSERT_EQ(Create(u"Quorle.Convert", IID_IConvert, packer), S_OK);
    ASSERT_EQ(Create(u"Quorle.Convert.1", IID_IConvert, unpacker), S_OK);

    ASSERT_EQ(packer->put_sync(VARIANT_TRUE), S_OK);
    ASSERT_EQ(packer->put_htmlData(Bstr(u"<p>hello</p>").Get()), S_OK);
    VARIANT_BOOL started = VARIANT_FALSE;
    ASSERT_EQ(packer->filterOut(Bstr(u"file://c:/page.htm").Get(), &started), S_OK);
    EXPECT_EQ(started, VARIANT_TRUE);
    Bstr mht;
    ASSERT_EQ(packer->get_mhtData(&mht), S_OK);
    const std::u16string text(mht.Get(), SysStringLen(mht.Get()));
    EXPECT_NE(text.find(u"Content-Type: Multipart/related;"), std::u16string::npos) << Utf8(text);
    VARIANT_BOOL isMht = VARIANT_FALSE;
    ASSERT_EQ(unpacker->IsMHTML(mht.Get(), &isMht), S_OK);
    EXPECT_EQ(isMht, VARIANT_TRUE);

    ASSERT_EQ(unpacker->put_sync(VARIANT_TRUE), S_OK);
    ASSERT_EQ(unpacker->put_mhtData(mht.Get()), S_OK);
    ASSERT_EQ(unpacker->filterIn(&started), S_OK);
    EXPECT_EQ(started, VARIANT_TRUE);
    Bstr html;
    ASSERT_EQ(unpacker->get_htmlData(&html), S_OK);
    EXPECT_EQ(std::u16string(html.Get(), SysStringLen(html.Get())), u"<p>hello</p>");
}

TEST_F(QuorleActivation, ConvertAnswersByNameAndTellsItsEventInterface) {
    ComPtr<IDispatch> convert;
    ASSERT_EQ(Create(u"Quorle.Convert", IID_IDispatch, convert), S_OK);
    // Names are matched without regard to case.
    const std::pair<const char16_t*, DISPID> names[] = {
        {u"filterIn", 1},    {u"FILTEROUT", 2},   {u"ismhtml", 3},          {u"htmlData", 4},
        {u"mhtData", 5},     {u"DownloadURL", 7}, {u"ViewMhtInBrowser", 8}, {u"SetDocumentDisp", 9},
        {u"FireEvent2", 10}, {u"sync", 11},       {u"Subject", 12},
    };
    for (const auto& [name, expected] : names) {
        DISPID id = -1;
        LPOLESTR list[] = {const_cast<LPOLESTR>(name)};
        ASSERT_EQ(convert->GetIDsOfNames(IID_NULL, list, 1, LOCALE_USER_DEFAULT, &id), S_OK) << Utf8(name);
        EXPECT_EQ(id, expected) << Utf8(name);
    }
    qx::com::Variant result;
    qx::com::Variant text(u"MIME-Version: 1.0\r\n\r\nx");
    ASSERT_EQ(qx::com::InvokeByDispid(convert.Get(), 3, DISPATCH_METHOD, &text, 1, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);

    ComPtr<IProvideClassInfo2> info;
    ASSERT_EQ(convert->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)), S_OK);
    GUID source{};
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, DIID__DIConvertEvent));
    ComPtr<IObjectSafety> safety;
    EXPECT_EQ(convert->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety)), S_OK);
}

TEST_F(QuorleActivation, MailFormatAcceptsEverythingAndAnswersEmptyTexts) {
    ComPtr<IMailFormat> mail;
    ASSERT_EQ(Create(u"Quorle.MailFormat", IID_IMailFormat, mail), S_OK);
    LONG attached = 12345;
    EXPECT_EQ(mail->addAttachFile(Bstr(u"file://c:/a.txt").Get(), &attached), S_OK);
    EXPECT_EQ(attached, 12345);
    EXPECT_EQ(mail->put_To(Bstr(u"someone").Get()), S_OK);
    // Every getter writes its out value: an empty text (a null BSTR), never what was there.
    using Getter = HRESULT (STDMETHODCALLTYPE IMailFormat::*)(BSTR*);
    for (Getter get :
         {&IMailFormat::get_To, &IMailFormat::get_Body, &IMailFormat::get_From, &IMailFormat::get_Cc,
          &IMailFormat::get_Bcc, &IMailFormat::get_Subject, &IMailFormat::get_mailData}) {
        BSTR text = reinterpret_cast<BSTR>(0x1234);
        EXPECT_EQ((mail.Get()->*get)(&text), S_OK);
        EXPECT_EQ(text, nullptr);
        EXPECT_EQ((mail.Get()->*get)(nullptr), E_POINTER);
    }
    ComPtr<IDispatch> byName;
    ASSERT_EQ(Create(u"Quorle.MailFormat.1", IID_IDispatch, byName), S_OK);
    DISPID id = -1;
    LPOLESTR list[] = {const_cast<LPOLESTR>(u"mailData")};
    ASSERT_EQ(byName->GetIDsOfNames(IID_NULL, list, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, 8);
    // Convert's interface is not MailFormat's.
    ComPtr<IConvert> wrong;
    EXPECT_EQ(byName->QueryInterface(IID_IConvert, reinterpret_cast<void**>(&wrong)), E_NOINTERFACE);
}

TEST_F(QuorleActivation, AggregationIsRefusedByBothClasses) {
    ComPtr<IUnknown> outer;
    ASSERT_EQ(Create(u"Quorle.MailFormat", IID_IUnknown, outer), S_OK);
    for (const CLSID* clsid : {&CLSID_Convert, &CLSID_MailFormat}) {
        void* out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(CoCreateInstance(*clsid, outer.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
                  CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(CoGetClassObject(*clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)),
                  S_OK);
        out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(QuorleActivation, FileCannotUnloadWhileAnObjectLives) {
    LoadedComponent component(kComponent);
    ASSERT_TRUE(component.Loaded());
    EXPECT_EQ(component.Call("DllCanUnloadNow"), S_OK);
    for (const char16_t* progId : {u"Quorle.Convert", u"Quorle.MailFormat"}) {
        ComPtr<IUnknown> object;
        ASSERT_EQ(Create(progId, IID_IUnknown, object), S_OK);
        EXPECT_EQ(component.Call("DllCanUnloadNow"), S_FALSE) << Utf8(progId);
        object = nullptr;
        EXPECT_EQ(component.Call("DllCanUnloadNow"), S_OK) << Utf8(progId);
    }
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(component.GetClassObject(CLSID_Convert, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(component.Call("DllCanUnloadNow"), S_OK) << "the cached factory does not count";
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(component.Call("DllCanUnloadNow"), S_FALSE);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(component.Call("DllCanUnloadNow"), S_OK);
}

TEST_F(QuorleActivation, UnknownClassIsNotAvailable) {
    LoadedComponent component(kComponent);
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(component.GetClassObject(IID_IConvert, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(component.GetClassObject(CLSID_Convert, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(QuorleActivation, RegisteredTypeLibraryDescribesTheClasses) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT,
                            u"TypeLib\\{6DF30454-DF5F-4654-8D72-8AA069997695}\\1.0\\0\\win32", 0, KEY_READ,
                            &key),
              ERROR_SUCCESS);
    WCHAR path[1024] = {};
    DWORD size = sizeof path - sizeof(WCHAR);
    ASSERT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);

    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLib(path, &library), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_QUORLELib));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attr);
    Bstr name, doc;
    ASSERT_EQ(library->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::u16string(name.Get()), u"QUORLELib");
    EXPECT_EQ(std::u16string(doc.Get()), u"Quorle 1.0 Type Library");

    const std::tuple<const GUID*, const char16_t*, const char16_t*> types[] = {
        {&CLSID_Convert, u"Convert", u"Convert Class"},
        {&CLSID_MailFormat, u"MailFormat", u"MailFormat Class"},
        {&IID_IConvert, u"IConvert", u"IConvert Interface"},
        {&DIID__DIConvertEvent, u"_DIConvertEvent", u"_DIConvertEvent Interface"},
    };
    for (const auto& [guid, typeName, typeDoc] : types) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfoOfGuid(*guid, &info), S_OK) << Utf8(typeName);
        Bstr n, d;
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &n, &d, nullptr, nullptr), S_OK);
        EXPECT_EQ(std::u16string(n.Get()), typeName);
        EXPECT_EQ(std::u16string(d.Get()), typeDoc);
    }
}

} // namespace
