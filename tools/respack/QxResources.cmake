# qx_add_resources(target MANIFEST file [SYMBOL name] [SEARCH dir...] [DEPENDS file...])
#
# Packs the resources listed in a manifest (format: tools/respack/manifest.h) into the target:
# the blob lands in the file's "qxrsrc" section, reachable when loaded through the exported
# QxModuleAnchor and, from a statically linked copy, through qx_resources_<SYMBOL> (default: the
# target name with every other character than letters and digits made '_'). Relative file names
# in the manifest are found next to it, then in the SEARCH folders; files made by the build go in
# DEPENDS. The files the manifest names are tracked, so editing one repacks the target.
function(qx_add_resources target)
    cmake_parse_arguments(R "" "MANIFEST;SYMBOL" "SEARCH;DEPENDS" ${ARGN})
    if(NOT R_MANIFEST)
        message(FATAL_ERROR "qx_add_resources(${target}): MANIFEST is required")
    endif()
    if(NOT R_SYMBOL)
        string(MAKE_C_IDENTIFIER "${target}" R_SYMBOL)
    endif()
    get_filename_component(manifest "${R_MANIFEST}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
    set(search_args "")
    foreach(dir IN LISTS R_SEARCH)
        get_filename_component(abs "${dir}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        list(APPEND search_args --search "${abs}")
    endforeach()
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:qx_respack>
                --manifest "${manifest}" --output "${output}" --symbol "${R_SYMBOL}"
                --depfile "${output}.d" ${search_args}
        DEPENDS qx_respack "${manifest}" ${R_DEPENDS}
        DEPFILE "${output}.d"
        COMMENT "Packing resources of ${target}"
        VERBATIM)
    target_sources(${target} PRIVATE "${output}")
    target_include_directories(${target} PRIVATE
        "$<TARGET_PROPERTY:qx_platform_module,INTERFACE_INCLUDE_DIRECTORIES>")
endfunction()
