# qx_add_component(NAME name SOURCES src... MANIFEST file [TYPELIB typelib-target]
#                  [LIBS lib...] [OUTPUT_DIRECTORY dir])
#
# Builds a component twice from the same sources:
# - NAME_static, a static library for unit tests (with the server module; the test calls the
#   server functions itself or registers the module with qx::module::RegisterStaticModule);
# - NAME, the component file libNAME.so (in build/bin unless OUTPUT_DIRECTORY says otherwise),
#   with hidden visibility, exporting only DllMain, DllGetClassObject, DllCanUnloadNow,
#   DllRegisterServer, DllUnregisterServer and the resource anchor, and carrying the resources of
#   MANIFEST (REGISTRY scripts, version information, and TYPELIB 1 when TYPELIB names a type
#   library made by qx_add_type_library: the manifest names its file, found in its folder).
set(QX_COMPONENT_EXPORTS "${CMAKE_CURRENT_LIST_DIR}/component_exports.map" CACHE INTERNAL "component version script")
function(qx_add_component)
    cmake_parse_arguments(C "" "NAME;MANIFEST;TYPELIB;OUTPUT_DIRECTORY" "SOURCES;LIBS" ${ARGN})
    if(NOT C_NAME OR NOT C_SOURCES OR NOT C_MANIFEST)
        message(FATAL_ERROR "qx_add_component needs NAME, SOURCES and MANIFEST")
    endif()
    if(NOT C_OUTPUT_DIRECTORY)
        set(C_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
    endif()

    add_library(${C_NAME}_static STATIC ${C_SOURCES})
    target_link_libraries(${C_NAME}_static PUBLIC qx_common_server qx_platform ${C_LIBS})
    set_target_properties(${C_NAME}_static PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

    set(typelib_args "")
    if(C_TYPELIB)
        get_target_property(tlb_file ${C_TYPELIB} QX_TYPELIB_FILE)
        get_filename_component(tlb_dir "${tlb_file}" DIRECTORY)
        set(typelib_args SEARCH "${tlb_dir}" DEPENDS "${tlb_file}")
    endif()

    add_library(${C_NAME} SHARED "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/component_file.cpp")
    set_property(GLOBAL APPEND PROPERTY QX_COMPONENT_FILES ${C_NAME})
    # The component's objects and the server module go in whole (nothing in the file refers to
    # the entry points; the version script exports them). The plain link brings what they need.
    target_link_libraries(${C_NAME} PRIVATE ${C_NAME}_static qx_common_server qx_platform)
    target_link_options(${C_NAME} PRIVATE
        "LINKER:--whole-archive" "$<TARGET_FILE:${C_NAME}_static>" "$<TARGET_FILE:qx_common_server>"
        "LINKER:--no-whole-archive"
        "LINKER:--version-script=${QX_COMPONENT_EXPORTS}")
    # Every symbol must resolve at link time, except in the fuzz build, whose coverage counters
    # come from the fuzzing runtime of the program that loads the component.
    if(NOT QX_FUZZ)
        target_link_options(${C_NAME} PRIVATE "LINKER:--no-undefined")
    endif()
    set_target_properties(${C_NAME} PROPERTIES
        CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
        LINK_DEPENDS "${QX_COMPONENT_EXPORTS}"
        LIBRARY_OUTPUT_DIRECTORY "${C_OUTPUT_DIRECTORY}")
    qx_add_resources(${C_NAME} MANIFEST "${C_MANIFEST}" ${typelib_args})
    if(C_TYPELIB)
        add_dependencies(${C_NAME} ${C_TYPELIB})
    endif()
endfunction()

# qx_add_component_symbol_test(): once every folder has declared its targets, a test that fails
# when a component file holds its own definition of a platform symbol (a function or variable of
# libqxplatform.so or of a static platform piece): components reach the platform only through
# libqxplatform.so. A second test runs the check on the platform library itself and must fail,
# so that a check which finds nothing cannot pass for a clean result.
function(qx_add_component_symbol_test)
    if(QX_FUZZ OR NOT QX_BUILD_TESTS OR NOT TARGET qx_platform)
        return()
    endif()
    get_property(components GLOBAL PROPERTY QX_COMPONENT_FILES)
    qx_platform_archives("${PROJECT_SOURCE_DIR}/platform" archives)
    set(check "${PROJECT_SOURCE_DIR}/tests/common/server/component_symbols.sh")
    set(files "")
    foreach(component IN LISTS components)
        list(APPEND files "$<TARGET_FILE:${component}>")
    endforeach()
    add_test(NAME component_files.hold_no_platform_symbol
             COMMAND bash "${check}" "${CMAKE_NM}" "$<TARGET_FILE:qx_platform>" ${archives} -- ${files})
    add_test(NAME component_files.check_finds_a_copy
             COMMAND bash "${check}" "${CMAKE_NM}" "$<TARGET_FILE:qx_platform>" ${archives} --
                     "$<TARGET_FILE:qx_platform>")
    set_tests_properties(component_files.check_finds_a_copy PROPERTIES WILL_FAIL TRUE)
endfunction()

# The static libraries declared in `dir` and below (the platform's pieces), as file paths.
function(qx_platform_archives dir out)
    set(found "")
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "STATIC_LIBRARY")
            list(APPEND found "$<TARGET_FILE:${target}>")
        endif()
    endforeach()
    get_property(children DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
    foreach(child IN LISTS children)
        qx_platform_archives("${child}" below)
        list(APPEND found ${below})
    endforeach()
    set(${out} "${found}" PARENT_SCOPE)
endfunction()
