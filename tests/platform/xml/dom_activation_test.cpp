// DOMDocument created by ProgID through the activation layer once it is registered in-process,
// and gone again once revoked.
#include "dom_test_util.h"

#include "objbase.h"
#include "objbase_activation.h"
#include "winreg.h"

using namespace xmltest;

namespace {

TEST(DomActivation, CreatableByProgIdAfterRegistration) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_TRUE(SUCCEEDED(qx::xml::RegisterXmlDomClass()));
    EXPECT_EQ(qx::xml::RegisterXmlDomClass(), S_FALSE);
    for (const char16_t* progId : {u"Microsoft.XMLDOM", u"Msxml2.DOMDocument"}) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
        ComPtr<IDispatch> doc;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&doc)),
                  S_OK);
        Put(doc.Get(), u"async", Variant(false));
        ASSERT_TRUE(LoadXml(doc.Get(), u"<IN><NAME>x</NAME></IN>"));
        EXPECT_EQ(Text(Get(Obj(Call(doc.Get(), u"selectSingleNode", {Variant(u"IN/NAME")})), u"text")), u"x");
    }
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Microsoft.XMLDOM", &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_DOMDocument));
    // The ProgIDs are known to activation alone, matched as registry keys are (without regard to
    // case); the registry is not written.
    ASSERT_EQ(CLSIDFromProgID(u"msxml2.domdocument", &clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, CLSID_DOMDocumentMsxml2));
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_DOMDocument, &progId), S_OK);
    EXPECT_EQ(std::u16string(progId), u"Microsoft.XMLDOM");
    CoTaskMemFree(progId);
    for (const char16_t* key :
         {u"Microsoft.XMLDOM", u"Msxml2.DOMDocument", u"CLSID\\{2933BF90-7B36-11D2-B20E-00C04F983E60}"}) {
        HKEY handle = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle), ERROR_FILE_NOT_FOUND);
    }
    qx::xml::RevokeXmlDomClass();
    EXPECT_EQ(CLSIDFromProgID(u"Microsoft.XMLDOM", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(ProgIDFromCLSID(CLSID_DOMDocument, &progId), REGDB_E_CLASSNOTREG);
    ComPtr<IDispatch> none;
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&none))));
    CoUninitialize();
}

} // namespace
