// The module the resource tests read: the loaded test module, or this program's own resources
// registered as a statically linked module (both carry the same manifest).
#pragma once

#include "qx/module/loader.h"
#include "qx/resource/packed_resources.h"
#include "winmodule.h"

#include <gtest/gtest.h>

QX_DECLARE_PACKED_RESOURCES(resource_tests);

namespace qx::resource::testing {

enum class Source { Loaded, Static };

inline const char* SourceName(const ::testing::TestParamInfo<Source>& info) {
    return info.param == Source::Loaded ? "Loaded" : "Static";
}

class ModuleTest : public ::testing::TestWithParam<Source> {
protected:
    void SetUp() override {
        if (GetParam() == Source::Loaded) {
            module_ = LoadLibraryA(QX_TEST_MODULE_A);
        } else {
            qx::module::RegisterStaticModule(
                {"/opt/qx-test/libresources.so", QX_PACKED_RESOURCES(resource_tests), {}});
            module_ = LoadLibraryA("/opt/qx-test/libresources.so");
        }
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    HMODULE module_ = nullptr;
};

} // namespace qx::resource::testing
