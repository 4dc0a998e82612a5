# Compiler settings shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_STANDARD 11)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Everything built lands in bin/ of the build tree (build/bin for the default preset).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib")

add_compile_options(-Wall -Wextra -Werror)
# GCC 12 reports std::string copies as overlapping memcpy at -O2/-O3 (a known false positive of
# its -Wrestrict inside libstdc++); the check stays on in the debug build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    add_compile_options(-Wno-restrict)
endif()

if(QX_SANITIZE)
    set(QX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${QX_SANITIZER_FLAGS})
    add_link_options(${QX_SANITIZER_FLAGS})
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
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
