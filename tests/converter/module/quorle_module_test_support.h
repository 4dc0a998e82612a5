// Quorle's component file under test, with the shared helpers for component files.
#pragma once

#include "component_test_support.h"

#include <filesystem>
#include <string>

namespace quorle_module_test {

namespace fs = std::filesystem;
using namespace qxtest;

inline const std::string kComponent = QX_QUORLE_COMPONENT;

} // namespace quorle_module_test
