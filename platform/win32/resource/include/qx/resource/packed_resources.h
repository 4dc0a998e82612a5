// The resource blob that the build packs into a library (qx_add_resources), under the symbol
// qx_resources_<name>. A statically linked component hands it to qx::module::RegisterStaticModule:
//
//     QX_DECLARE_PACKED_RESOURCES(quorle);
//     qx::module::RegisterStaticModule({"/opt/qx/libquorle.so", QX_PACKED_RESOURCES(quorle), exports});
#pragma once

#define QX_DECLARE_PACKED_RESOURCES(name) extern "C" const unsigned char qx_resources_##name[]
#define QX_PACKED_RESOURCES(name) (static_cast<const void*>(qx_resources_##name))
