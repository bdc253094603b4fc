# The capture build of the plugin: the plugin's own sources, each with
# capture/layer/host_redirect.h forced in so that its host calls go through the
# capture layer, linked with the capture layer. On Windows it is
# PallbrookCapture.asi, built beside Pallbrook.asi; on Linux a library that the
# capture tests and the bench link with the stand-in host. Pallbrook.asi is
# built from none of it.

# The build's identity, written into each capture's header: the version and
# the commit it was built from ("no commit" for sources that are no git
# checkout).
include(${CMAKE_SOURCE_DIR}/cmake/SourceCommit.cmake)
pallbrook_source_commit(${CMAKE_SOURCE_DIR} PALLBROOK_COMMIT commit_time)
if(PALLBROOK_COMMIT STREQUAL "")
    set(PALLBROOK_COMMIT "no commit")
endif()

# The capture layer at the host seam, in capture/layer: the seam, the session,
# and the platform of the system it is built for (capture/layer/platform).
set(PALLBROOK_CAPTURE_LAYER_SOURCES ${CMAKE_SOURCE_DIR}/capture/layer/capture_seam.cpp
                                    ${CMAKE_SOURCE_DIR}/capture/layer/capture_session.cpp)
if(WIN32)
    list(APPEND PALLBROOK_CAPTURE_LAYER_SOURCES
         ${CMAKE_SOURCE_DIR}/capture/layer/platform/capture_platform_windows.cpp)
    set(capture_system "Windows")
else()
    list(APPEND PALLBROOK_CAPTURE_LAYER_SOURCES
         ${CMAKE_SOURCE_DIR}/capture/layer/platform/capture_platform_posix.cpp)
    set(capture_system "stand-in host")
endif()

add_library(pallbrook_capture_plugin_objects OBJECT ${PALLBROOK_PLUGIN_SOURCES})
target_include_directories(pallbrook_capture_plugin_objects PUBLIC ${CMAKE_SOURCE_DIR}
                                                                   ${CMAKE_SOURCE_DIR}/src)
target_compile_options(pallbrook_capture_plugin_objects PRIVATE
                       "SHELL:-include ${CMAKE_SOURCE_DIR}/capture/layer/host_redirect.h")
pallbrook_warnings(pallbrook_capture_plugin_objects)

add_library(pallbrook_capture_layer OBJECT ${PALLBROOK_CAPTURE_LAYER_SOURCES})
target_include_directories(pallbrook_capture_layer PUBLIC ${CMAKE_SOURCE_DIR}
                                                          ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(pallbrook_capture_layer PRIVATE
    PALLBROOK_VERSION="${PROJECT_VERSION}"
    PALLBROOK_BUILD_IDENTITY="PallbrookCapture ${PROJECT_VERSION}, commit ${PALLBROOK_COMMIT}, ${capture_system}, ${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}")
pallbrook_warnings(pallbrook_capture_layer)

if(WIN32)
    set(PALLBROOK_ASI_NAME PallbrookCapture.asi)
    set(PALLBROOK_ASI_DESCRIPTION "${PROJECT_DESCRIPTION}, recording a capture for the developers")
    configure_file(${CMAKE_SOURCE_DIR}/src/plugin/version.rc.in
                   ${CMAKE_BINARY_DIR}/version-capture.rc @ONLY)
    foreach(part pallbrook_capture_plugin_objects pallbrook_capture_layer)
        add_dependencies(${part} pallbrook_host_imports)
    endforeach()
    foreach(part pallbrook_capture_plugin_objects pallbrook_capture_layer pallbrook_capture_format
                 pallbrook_capture_layer_native_kinds)
        target_compile_options(${part} PRIVATE ${PALLBROOK_ASI_COMPILE_OPTIONS})
    endforeach()
    add_library(PallbrookCapture MODULE $<TARGET_OBJECTS:pallbrook_capture_plugin_objects>
                                        $<TARGET_OBJECTS:pallbrook_capture_layer>
                                        ${CMAKE_BINARY_DIR}/version-capture.rc)
    set_target_properties(PallbrookCapture PROPERTIES PREFIX "" SUFFIX ".asi"
                                                      OUTPUT_NAME PallbrookCapture)
    target_link_libraries(PallbrookCapture PRIVATE pallbrook_capture_format
                                                   pallbrook_capture_layer_native_kinds
                                                   ${PALLBROOK_HOST_IMPORTS})
    target_link_options(PallbrookCapture PRIVATE ${PALLBROOK_ASI_LINK_OPTIONS})
    pallbrook_warnings(PallbrookCapture)
else()
    add_library(pallbrook_capture_plugin STATIC $<TARGET_OBJECTS:pallbrook_capture_plugin_objects>
                                                $<TARGET_OBJECTS:pallbrook_capture_layer>)
    target_include_directories(pallbrook_capture_plugin PUBLIC ${CMAKE_SOURCE_DIR}
                                                               ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(pallbrook_capture_plugin PUBLIC pallbrook_capture_format
                                                          pallbrook_capture_layer_native_kinds
                                                          pallbrook_standin_host)
    target_link_libraries(pallbrook_capture_plugin_objects PUBLIC pallbrook_standin_host)
    target_link_libraries(pallbrook_capture_layer PUBLIC pallbrook_standin_host
                                                         pallbrook_capture_format
                                                         pallbrook_capture_layer_native_kinds)
endif()
