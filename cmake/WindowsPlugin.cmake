# Windows build: Pallbrook.asi, the stand-in host's ScriptHookRDR2.dll and the
# programs that run the real plugin under Wine.

# Everything links the C and C++ runtimes statically: a game folder has no
# mingw runtime DLLs.
set(PALLBROOK_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# Import library for the host's nine functions, under their decorated names.
set(PALLBROOK_HOST_DEF ${CMAKE_SOURCE_DIR}/src/plugin/ScriptHookRDR2.def)
set(PALLBROOK_HOST_IMPORTS ${CMAKE_BINARY_DIR}/libScriptHookRDR2-imports.a)
add_custom_command(
    OUTPUT ${PALLBROOK_HOST_IMPORTS}
    COMMAND ${PALLBROOK_DLLTOOL} -d ${PALLBROOK_HOST_DEF} -l ${PALLBROOK_HOST_IMPORTS}
            -D ScriptHookRDR2.dll
    DEPENDS ${PALLBROOK_HOST_DEF}
    COMMENT "Import library for ScriptHookRDR2.dll")
add_custom_target(pallbrook_host_imports DEPENDS ${PALLBROOK_HOST_IMPORTS})

# The version resource: product name, version and description from the project.
enable_language(RC)
configure_file(${CMAKE_SOURCE_DIR}/src/plugin/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)

add_library(Pallbrook MODULE ${PALLBROOK_PLUGIN_SOURCES} ${CMAKE_BINARY_DIR}/version.rc)
set_target_properties(Pallbrook PROPERTIES PREFIX "" SUFFIX ".asi" OUTPUT_NAME Pallbrook)
target_include_directories(Pallbrook PRIVATE ${CMAKE_SOURCE_DIR}/src)
add_dependencies(Pallbrook pallbrook_host_imports)
target_link_libraries(Pallbrook PRIVATE ${PALLBROOK_HOST_IMPORTS})
target_link_options(Pallbrook PRIVATE ${PALLBROOK_STATIC_RUNTIME} -s)
pallbrook_warnings(Pallbrook)

# The stand-in host, built for Windows.
add_subdirectory(sim)

add_library(ScriptHookRDR2 SHARED ${CMAKE_SOURCE_DIR}/sim/windows/script_hook_dll.cpp
                                  ${CMAKE_SOURCE_DIR}/sim/windows/script_hook_dll.def)
set_target_properties(ScriptHookRDR2 PROPERTIES PREFIX "" OUTPUT_NAME ScriptHookRDR2)
target_link_options(ScriptHookRDR2 PRIVATE ${PALLBROOK_STATIC_RUNTIME})
pallbrook_warnings(ScriptHookRDR2)

foreach(part tests/windows tests/settings tools)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${part}/windows.cmake)
        include(${CMAKE_SOURCE_DIR}/${part}/windows.cmake)
    endif()
endforeach()

# The players' zip: Pallbrook.asi, Pallbrook.ini and README.txt.
include(${CMAKE_SOURCE_DIR}/cmake/Packaging.cmake)
