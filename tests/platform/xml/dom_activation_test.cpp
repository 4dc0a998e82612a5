// DOMDocument created by ProgID through the activation layer once it is registered in-process.
#include "dom_test_util.h"

#include "objbase.h"
#include "objbase_activation.h"

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
    qx::xml::RevokeXmlDomClass();
    ComPtr<IDispatch> none;
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&none))));
    CoUninitialize();
}

} // namespace
