// The Kestrum component file loaded into a private registry for each test.
#pragma once

#include "kestrum_interfaces.h"

#include "component_test_support.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace kestrum_test {

using namespace qxtest;

// A fresh registry directory, the apartment, and the component file loaded through the module
// loader, for each test.
class KestrumModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        component_.emplace(QX_KESTRUM_COMPONENT);
        ASSERT_TRUE(component_->Loaded());
    }
    void TearDown() override {
        component_.reset();
        CoUninitialize();
    }
    HRESULT Call(const char* name) { return component_->Call(name); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
        return component_->GetClassObject(clsid, iid, out);
    }
    // The component file's path as registered: the full path of the loaded file.
    static std::string ComponentPath() { return std::filesystem::absolute(QX_KESTRUM_COMPONENT).string(); }

    TempRegistry registry_;
    std::optional<LoadedComponent> component_;
};

} // namespace kestrum_test
