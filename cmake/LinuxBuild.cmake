# Linux build: the plugin's sources as a library, linked with the stand-in host
# by the tests and the tools.
add_library(pallbrook_plugin STATIC ${PALLBROOK_PLUGIN_SOURCES})
target_include_directories(pallbrook_plugin PUBLIC ${CMAKE_SOURCE_DIR}/src)
pallbrook_warnings(pallbrook_plugin)

add_subdirectory(sim)
# The plugin with the capture layer at its host seam, for the capture tests.
include(${CMAKE_SOURCE_DIR}/cmake/CapturePlugin.cmake)
# On Linux the stand-in host answers the host functions the plugin imports.
target_link_libraries(pallbrook_plugin PUBLIC pallbrook_standin_host)

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

# Where the Windows build lives, for the tests that check the shipped artifact.
set(PALLBROOK_WINDOWS_BUILD_DIR "" CACHE PATH "Folder of the Windows cross-build, for its tests")

foreach(subsystem plugin settings deferred drag sim capture windows fuzz package perf soak)
    if(EXISTS ${CMAKE_SOURCE_DIR}/tests/${subsystem}/CMakeLists.txt)
        add_subdirectory(tests/${subsystem})
    endif()
endforeach()
# The frame benchmarks (run them from the release preset).
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
    add_subdirectory(bench)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/CMakeLists.txt)
    add_subdirectory(tools)
endif()
