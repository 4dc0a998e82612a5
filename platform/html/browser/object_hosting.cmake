# OBJECT hosting: the controls of a page's OBJECT elements, on the control framework's container.
add_library(qx_platform_html_objects STATIC
    ${CMAKE_CURRENT_LIST_DIR}/src/object_safety_check.cpp
    ${CMAKE_CURRENT_LIST_DIR}/src/object_site.cpp)
target_include_directories(qx_platform_html_objects PUBLIC "${CMAKE_CURRENT_LIST_DIR}/include")
target_link_libraries(qx_platform_html_objects
    PUBLIC qx_platform_control qx_platform_html_dom qx_platform_html_events
    PRIVATE qx_platform_registry qx_platform_activation)
