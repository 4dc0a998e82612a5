// The Kestrum component file loaded into a private registry for each test.
#pragma once

#include "kestrum_interfaces.h"

#include "component_test_support.h"

#include <objbase.h>

#include <filesystem>
#include <string>

namespace kestrum_test {

using namespace qxtest;

// A fresh registry directory, the apartment, and the component file loaded through the module
// loader, for each test.
class KestrumModuleTest : public ComponentFileTest {
protected:
    KestrumModuleTest() : ComponentFileTest(QX_KESTRUM_COMPONENT) {}
    // The component file's path as registered: the full path of the loaded file.
    static std::string ComponentPath() { return std::filesystem::absolute(QX_KESTRUM_COMPONENT).string(); }
};

} // namespace kestrum_test
