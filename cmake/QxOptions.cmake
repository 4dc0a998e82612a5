# Defaults of the target properties (standard C++ without extensions, position-independent code);
# the compile and link flags themselves are the qx_build_settings target below.
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Everything built lands in bin/ of the build tree (build/bin for the default preset).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib")

# The language level, warnings and sanitizer or fuzzer instrumentation of every target the
# project builds. Each target links this (PRIVATE); qx_apply_build_settings() at the end of the
# top-level CMakeLists.txt links it to every target of every folder, so a new target gets it
# without its CMakeLists.txt remembering to.
add_library(qx_build_settings INTERFACE)
target_compile_features(qx_build_settings INTERFACE cxx_std_20 c_std_11)
target_compile_options(qx_build_settings INTERFACE -Wall -Wextra -Werror)
# GCC 12 reports std::string copies as overlapping memcpy at -O2/-O3 (a known false positive of
# its -Wrestrict inside libstdc++); the check stays on in the debug build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_compile_options(qx_build_settings INTERFACE -Wno-restrict)
endif()

if(QX_SANITIZE)
    set(QX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(qx_build_settings INTERFACE ${QX_SANITIZER_FLAGS})
    target_link_options(qx_build_settings INTERFACE ${QX_SANITIZER_FLAGS})
endif()

if(QX_TSAN)
    if(QX_SANITIZE)
        message(FATAL_ERROR "QX_TSAN and QX_SANITIZE do not go together (use the tsan preset)")
    endif()
    set(QX_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
    add_compile_options(${QX_SANITIZER_FLAGS})
    add_link_options(${QX_SANITIZER_FLAGS})
endif()

if(QX_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QX_FUZZ needs clang (use the fuzz preset)")
    endif()
    target_compile_options(qx_build_settings INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Links qx_build_settings to every target built in `dir` and the folders below it: executables
# and libraries of every kind (interface libraries and custom targets compile nothing).
function(qx_apply_build_settings dir)
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            target_link_libraries(${target} PRIVATE qx_build_settings)
        endif()
    endforeach()
    get_property(children DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
    foreach(child IN LISTS children)
        qx_apply_build_settings("${child}")
    endforeach()
endfunction()

find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
