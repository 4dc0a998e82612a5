// A private registry with "QxTest.Control" registered like a component (its MiscStatus too), an
// apartment, and a parent window for the controls.
#pragma once

#include "recording_window.h"
#include "test_control.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <qx/com/bstr.h>
#include <qx/win32/registry.h>
#include <winreg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qx::test {

class TestControlFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx-control-XXXXXX";
        dir_ = mkdtemp(pattern);
        qx::registry::SetRootForTesting(dir_ / "registry");
        for (const char16_t* clsid :
             {u"{6B7C8D90-1A2B-4C3D-8E9F-0A1B2C3D4E53}", u"{6B7C8D90-1A2B-4C3D-8E9F-0A1B2C3D4E54}"}) {
            const std::u16string key = u"CLSID\\" + std::u16string(clsid);
            Set(key + u"\\InprocServer32", com::Utf8ToUtf16(QX_TEST_CONTROL_SERVER));
            Set(key + u"\\MiscStatus", u"0");
            Set(key + u"\\MiscStatus\\1", u"131473");
        }
        Set(u"QxTest.Control\\CLSID", u"{6B7C8D90-1A2B-4C3D-8E9F-0A1B2C3D4E53}");
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        window_ = std::make_unique<RecordingWindow>(400, 300);
    }
    void TearDown() override {
        window_.reset();
        CoUninitialize();
        qx::registry::SetRootForTesting(dir_ / "unused");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    static void Set(const std::u16string& key, const std::u16string& value) {
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
                  ERROR_SUCCESS);
    }
    HWND Parent() const { return window_->hwnd(); }

    std::filesystem::path dir_;
    std::unique_ptr<RecordingWindow> window_;
};

} // namespace qx::test
