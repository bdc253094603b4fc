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
set(PALLBROOK_ASI_NAME Pallbrook.asi)
set(PALLBROOK_ASI_DESCRIPTION "${PROJECT_DESCRIPTION}")
configure_file(${CMAKE_SOURCE_DIR}/src/plugin/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)

add_library(Pallbrook MODULE ${PALLBROOK_PLUGIN_SOURCES} ${CMAKE_BINARY_DIR}/version.rc)
set_target_properties(Pallbrook PROPERTIES PREFIX "" SUFFIX ".asi" OUTPUT_NAME Pallbrook)
target_include_directories(Pallbrook PRIVATE ${CMAKE_SOURCE_DIR}/src)
add_dependencies(Pallbrook pallbrook_host_imports)
target_link_libraries(Pallbrook PRIVATE ${PALLBROOK_HOST_IMPORTS})
# Small (at most 256 KiB, checked by a test of the Linux build):
# - each function in a section of its own, and the linker drops what nothing
#   reaches, in the runtimes too (not -fdata-sections: mingw then stores the
#   zero-filled tables in the file);
# - no export table: the loader and the host need none, the host is handed the
#   entry points;
# - std::terminate calls abort directly: the default handler would first
#   print the exception's demangled type to the standard error stream, which
#   a game has not got, and it pulls in the demangler and printf (about 60
#   KiB). Nothing in the plugin reaches std::terminate: the script catches
#   everything.
# The same commit builds to the same bytes, in any folder and at any time:
# the linker writes no time stamp (the PE checksum then follows from the
# bytes alone), and no path of the source or build folder reaches the image.
# PallbrookCapture.asi is built with the same options.
set(PALLBROOK_ASI_COMPILE_OPTIONS -ffunction-sections -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                                  -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
set(PALLBROOK_ASI_LINK_OPTIONS ${PALLBROOK_STATIC_RUNTIME} -s -Wl,--gc-sections
                               -Wl,--exclude-all-symbols -Wl,--no-insert-timestamp
                               -Wl,--defsym,_ZN9__gnu_cxx27__verbose_terminate_handlerEv=abort)
target_compile_options(Pallbrook PRIVATE ${PALLBROOK_ASI_COMPILE_OPTIONS})
target_link_options(Pallbrook PRIVATE ${PALLBROOK_ASI_LINK_OPTIONS})
pallbrook_warnings(Pallbrook)

# PallbrookCapture.asi, the same plugin recording a capture.
include(${CMAKE_SOURCE_DIR}/cmake/CapturePlugin.cmake)

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
