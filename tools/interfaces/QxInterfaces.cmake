# qx_add_interfaces(TARGET target DESCRIPTIONS file.qxidl... [TYPELIB name OUTPUT file.tlb])
#
# Generates, at build time, the header of each interface description (the format is in
# tools/interfaces/README.md): file.qxidl gives file.h, which the target's sources and everything
# that links the target include. A target that does not exist yet is made as an interface
# library, for other targets to link. With TYPELIB, the first description's library is also
# written by qx_add_type_library into OUTPUT; the custom target NAME makes it. Editing a
# description, or one it imports, regenerates its header.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QX_PYTHON3 "${Python3_EXECUTABLE}" CACHE INTERNAL "the interpreter of the build-time generators")
set(QX_INTERFACE_GENERATOR "${CMAKE_CURRENT_LIST_DIR}/generate.py" CACHE INTERNAL "the interface generator")
file(GLOB QX_INTERFACE_GENERATOR_FILES "${CMAKE_CURRENT_LIST_DIR}/generate.py" "${CMAKE_CURRENT_LIST_DIR}/idl/*.py")
set(QX_INTERFACE_GENERATOR_FILES "${QX_INTERFACE_GENERATOR_FILES}" CACHE INTERNAL "the interface generator's files")

function(qx_add_interfaces)
    cmake_parse_arguments(I "" "TARGET;TYPELIB;OUTPUT" "DESCRIPTIONS" ${ARGN})
    if(NOT I_TARGET OR NOT I_DESCRIPTIONS)
        message(FATAL_ERROR "qx_add_interfaces needs TARGET and DESCRIPTIONS")
    endif()
    if(I_TYPELIB AND NOT I_OUTPUT)
        message(FATAL_ERROR "qx_add_interfaces(${I_TARGET}): TYPELIB needs OUTPUT")
    endif()
    if(I_OUTPUT)
        get_filename_component(I_OUTPUT "${I_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    endif()
    if(NOT TARGET ${I_TARGET})
        add_library(${I_TARGET} INTERFACE)
        target_link_libraries(${I_TARGET} INTERFACE qx_platform_com)
    endif()
    get_target_property(type ${I_TARGET} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        set(scope INTERFACE)
    else()
        set(scope PUBLIC)
    endif()
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/qx_interfaces")
    set(headers "")
    set(typelib_source "")
    foreach(description IN LISTS I_DESCRIPTIONS)
        get_filename_component(path "${description}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        get_filename_component(stem "${description}" NAME_WE)
        set(header "${dir}/${stem}.h")
        set(outputs "${header}")
        set(extra "")
        if(I_TYPELIB AND NOT typelib_source)
            set(typelib_source "${dir}/${stem}_typelib.cpp")
            list(APPEND outputs "${typelib_source}")
            set(extra --typelib-source "${typelib_source}")
        endif()
        add_custom_command(
            OUTPUT ${outputs}
            COMMAND "${QX_PYTHON3}" -B "${QX_INTERFACE_GENERATOR}" "${path}" --header "${header}"
                    --depfile "${header}.d" --root "${PROJECT_SOURCE_DIR}" ${extra}
            DEPENDS "${path}" ${QX_INTERFACE_GENERATOR_FILES}
            DEPFILE "${header}.d"
            COMMENT "Generating ${stem}.h from ${description}"
            VERBATIM)
        list(APPEND headers "${header}")
    endforeach()
    add_custom_target(${I_TARGET}_headers DEPENDS ${headers})
    add_dependencies(${I_TARGET} ${I_TARGET}_headers)
    target_include_directories(${I_TARGET} ${scope} "${dir}")
    if(I_TYPELIB)
        qx_add_type_library(NAME ${I_TYPELIB} SOURCES "${typelib_source}" OUTPUT "${I_OUTPUT}")
        target_include_directories(${I_TYPELIB}_generator PRIVATE "${dir}")
        add_dependencies(${I_TYPELIB}_generator ${I_TARGET}_headers)
    endif()
endfunction()
