# The zip that players get, Pallbrook-<version>.zip, with the plugin, the sample
# settings file and the player's README at its top level, ready to be unpacked
# into the game folder. Made by the `package` target of the Windows build.
install(TARGETS Pallbrook LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/dist/Pallbrook.ini ${CMAKE_SOURCE_DIR}/dist/README.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Pallbrook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME Pallbrook-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# Only the files above: nothing else of the build is installed.
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
