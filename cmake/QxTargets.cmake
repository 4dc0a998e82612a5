# Helpers that declare the project's tests, benchmarks and fuzz targets in one way.

include(CMakeParseArguments)

# Adds every immediate subfolder that holds a CMakeLists.txt, in name order.
function(qx_add_subdirectories)
    file(GLOB children LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}"
         "${CMAKE_CURRENT_SOURCE_DIR}/*")
    list(SORT children)
    foreach(child IN LISTS children)
        if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${child}"
           AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt")
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# qx_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [ENVIRONMENT ...])
# A GoogleTest program whose cases are registered with CTest one by one.
function(qx_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
    if(QX_FUZZ OR NOT QX_BUILD_TESTS)
        return()
    endif()
    find_package(GTest REQUIRED)
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
    target_compile_definitions(${T_NAME} PRIVATE
        QX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QX_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    set(properties "")
    if(T_LABELS)
        list(APPEND properties LABELS "${T_LABELS}")
    endif()
    if(T_ENVIRONMENT)
        list(APPEND properties ENVIRONMENT "${T_ENVIRONMENT}")
    endif()
    include(GoogleTest)
    gtest_discover_tests(${T_NAME}
        WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
        PROPERTIES ${properties}
        DISCOVERY_TIMEOUT 60)
endfunction()

# qx_add_benchmark(NAME name SOURCES ... [LIBS ...])
# A Google Benchmark program; built in every preset, meaningful in the release one.
function(qx_add_benchmark)
    cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
    if(QX_FUZZ)
        return()
    endif()
    find_package(benchmark REQUIRED)
    add_executable(${B_NAME} ${B_SOURCES})
    target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
    set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
    set_property(GLOBAL APPEND PROPERTY QX_BENCHMARKS ${B_NAME})
endfunction()

# qx_add_fuzzer(NAME name SOURCES ... [LIBS ...] [CORPUS dir] [SEEDS_ONLY])
# A libFuzzer target (LLVMFuzzerTestOneInput). With the fuzz preset it links libFuzzer; in the
# other presets it links a small driver that replays the seed corpus, registered as a test, so
# every seed runs under the sanitizers with each ordinary test run. SEEDS_ONLY: a target whose
# random runs still find faults being mended; it is built and its seeds replay, but scripts/fuzz
# does not run it.
function(qx_add_fuzzer)
    cmake_parse_arguments(F "SEEDS_ONLY" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
    if(NOT F_CORPUS)
        set(F_CORPUS "${CMAKE_CURRENT_SOURCE_DIR}/corpus/${F_NAME}")
    endif()
    if(NOT QX_FUZZ AND NOT QX_BUILD_TESTS)
        return()
    endif()
    add_executable(${F_NAME} ${F_SOURCES})
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} Threads::Threads)
    set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
    if(QX_FUZZ)
        target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
        if(NOT F_SEEDS_ONLY)
            set_property(GLOBAL APPEND PROPERTY QX_FUZZERS "${F_NAME}|${F_CORPUS}")
        endif()
    else()
        target_link_libraries(${F_NAME} PRIVATE qx_fuzz_driver)
        add_test(NAME fuzz_replay.${F_NAME} COMMAND ${F_NAME} "${F_CORPUS}")
        set_tests_properties(fuzz_replay.${F_NAME} PROPERTIES LABELS fuzz)
    endif()
endfunction()
