#include <gtest/gtest.h>

#include "qx/module/loader.h"
#include "qx/resource/packed_resources.h"
#include "qx/win32/window_internals.h"
#include "window_test_support.h"
#include "winmodule.h"

QX_DECLARE_PACKED_RESOURCES(window_tests);

namespace {

class CursorResources : public ::testing::Test {
protected:
    void SetUp() override {
        qx::module::RegisterStaticModule(
            {"/opt/qx-test/libwindowtests.so", QX_PACKED_RESOURCES(window_tests), {}});
        module_ = LoadLibraryA("/opt/qx-test/libwindowtests.so");
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }
    HMODULE module_ = nullptr;
};

TEST_F(CursorResources, AModulesCursorsLoadOnceByNumberOrName) {
    struct Case {
        LPCSTR name;
        WORD id;
        std::u16string identityName;
    };
    const Case cases[] = {{MAKEINTRESOURCEA(201), 201, u""}, {"#201", 201, u""}, {"sizer", 0, u"SIZER"}};
    for (const Case& c : cases) {
        HCURSOR cursor = LoadCursorA(module_, c.name);
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(LoadCursorA(module_, c.name), cursor);
        auto identity = qx::win32::DescribeCursor(cursor);
        ASSERT_TRUE(identity.has_value());
        EXPECT_EQ(*identity, (qx::win32::CursorIdentity{module_, c.id, c.identityName}));
    }
    EXPECT_EQ(LoadCursorW(module_, u"SIZER"), LoadCursorA(module_, "Sizer"));
    EXPECT_NE(LoadCursorA(module_, MAKEINTRESOURCEA(201)), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(DestroyCursor(LoadCursorA(module_, "SIZER"))); // shared: it stays
    EXPECT_NE(qx::win32::DescribeCursor(LoadCursorA(module_, "SIZER")), std::nullopt);
}

TEST_F(CursorResources, MissingAndDamagedCursorsFailWithTheirReason) {
    struct Case {
        LPCSTR name;
        DWORD error;
    };
    const Case cases[] = {{MAKEINTRESOURCEA(202), ERROR_RESOURCE_DATA_NOT_FOUND},
                          {MAKEINTRESOURCEA(999), ERROR_RESOURCE_NAME_NOT_FOUND},
                          {"NOSUCH", ERROR_RESOURCE_NAME_NOT_FOUND}};
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadCursorA(module_, c.name), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

} // namespace
