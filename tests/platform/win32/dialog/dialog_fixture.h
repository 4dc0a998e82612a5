// The fixture dialogs (data/fixture.manifest), packed into the test program and registered as a
// statically linked component.
#pragma once

#include "qx/module/loader.h"
#include "qx/resource/packed_resources.h"

QX_DECLARE_PACKED_RESOURCES(dialog_fixture);

namespace qx::win32::testing {

inline HMODULE DialogFixtureModule() {
    static HMODULE module = qx::module::RegisterStaticModule(
        {"/opt/qx-test/libdialogfixture.so", QX_PACKED_RESOURCES(dialog_fixture), {}});
    return module;
}

inline constexpr int kTableDialog = 300;        // Korean and neutral
inline constexpr int kNeutralDialog = 301;      // neutral only
inline constexpr int kDamagedDialog = 302;      // cut off inside its header
inline constexpr int kUnknownClassDialog = 303; // a control of a class nobody registered
inline constexpr int kNameEdit = 100, kHeaderCheck = 101, kAcrossRadio = 102, kDownRadio = 103,
                     kStyleCombo = 104, kColumnList = 105;

} // namespace qx::win32::testing
