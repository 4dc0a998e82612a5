#include <guiddef.h>
#include <winerror.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct GuidCase {
    const char* text;
    bool valid;
};

const GuidCase kGuidCases[] = {
    {"{2D360201-FFF5-11d1-8D03-00A0C959BC0A}", true},
    {"2D360201-FFF5-11d1-8D03-00A0C959BC0A", true},
    {"{2d360201-fff5-11D1-8d03-00a0c959bc0a}", true},
    {"{2D360201-FFF5-11d1-8D03-00A0C959BC0A", false},
    {"2D360201-FFF5-11d1-8D03-00A0C959BC0A}", false},
    {"{2D360201-FFF5-11d1-8D0300A0C959BC0A}", false},
    {"{2D360201-FFF5-11d1-8D03-00A0C959BC0G}", false},
    {"{2D360201-FFF5-11d1-8D03-00A0C959BC0A}x", false},
    {"", false},
    {"{}", false},
};

TEST(GuidText, ParsesOnlyWellFormedText) {
    for (const auto& c : kGuidCases) {
        GUID g{};
        std::string text(c.text);
        EXPECT_EQ(qx::guid_detail::parse(text.data(), text.size(), g), c.valid) << c.text;
    }
}

TEST(GuidText, FieldsAreReadInRegistryOrder) {
    constexpr GUID g = MakeGuid("{01234567-89ab-cdef-0123-456789ABCDEF}");
    EXPECT_EQ(g.Data1, 0x01234567u);
    EXPECT_EQ(g.Data2, 0x89abu);
    EXPECT_EQ(g.Data3, 0xcdefu);
    const BYTE tail[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(g.Data4[i], tail[i]);
    EXPECT_TRUE(IsEqualGUID(g, MakeGuid("01234567-89AB-CDEF-0123-456789abcdef")));
    EXPECT_FALSE(IsEqualGUID(g, GUID_NULL));
}

TEST(ResultCodes, Win32ErrorsMapIntoFacilityWin32) {
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SUCCESS), S_OK);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), E_ACCESSDENIED);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER), E_INVALIDARG);
    EXPECT_TRUE(FAILED(DISP_E_EXCEPTION));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_EQ(HRESULT_FACILITY(DISP_E_TYPEMISMATCH), FACILITY_DISPATCH);
}

} // namespace
