# The plug-in is built in layers, one folder each: a layer's sources are compiled once, into an
# object library the plug-in's shared library gathers, and into a static library that links only
# the layers below it, so that a call pointing up does not link. scripts/check-layers reads the
# BELOW lists to check the includes go the same way.
function(kivo_plugin_layer name)
    cmake_parse_arguments(LAYER "" "" "BELOW" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX ".*/resources/AppBitmaps\\.cpp$")
    add_library(${name}_objects OBJECT ${sources})
    target_include_directories(${name}_objects PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name}_objects PUBLIC ${LAYER_BELOW})
    add_library(${name} STATIC $<TARGET_OBJECTS:${name}_objects>)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${LAYER_BELOW})
    set_property(GLOBAL APPEND PROPERTY KIVO_PLUGIN_LAYERS ${name})
endfunction()
