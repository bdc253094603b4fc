# The zip that players get, Pallbrook-<version>.zip, with the plugin, the sample
# settings file, the player's README and SHA256SUMS at its top level, ready to
# be unpacked into the game folder, and the capture build with its note in the
# folder capture/. Made by the `package` target of the Windows build, to the
# same bytes from the same commit.

# The text files go with Windows line ends (CR LF), as a player's editor on
# Windows expects; the sources keep Unix ones.
set(PALLBROOK_DIST_TEXT ${CMAKE_BINARY_DIR}/dist)
foreach(name Pallbrook.ini README.txt capture/README.txt)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/${name})
    file(READ ${CMAKE_SOURCE_DIR}/dist/${name} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    set(out ${PALLBROOK_DIST_TEXT}/${name})
    set(written "")
    if(EXISTS ${out})
        file(READ ${out} written)
    endif()
    if(NOT written STREQUAL text)
        file(WRITE ${out} "${text}")
    endif()
endforeach()

install(TARGETS Pallbrook LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES ${PALLBROOK_DIST_TEXT}/Pallbrook.ini ${PALLBROOK_DIST_TEXT}/README.txt
        DESTINATION .)
# The capture build, in a folder of its own with its note: only for when a mod
# developer asks for a capture.
install(TARGETS PallbrookCapture LIBRARY DESTINATION capture RUNTIME DESTINATION capture)
install(FILES ${PALLBROOK_DIST_TEXT}/capture/README.txt DESTINATION capture)
# SHA256SUMS lists every other file of the zip, in the form `sha256sum -c`
# reads: the hash, two blanks, the name.
install(CODE [[
    set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    set(sums "")
    foreach(name Pallbrook.asi Pallbrook.ini README.txt capture/PallbrookCapture.asi
                 capture/README.txt)
        file(SHA256 "${root}/${name}" hash)
        string(APPEND sums "${hash}  ${name}\n")
    endforeach()
    file(WRITE "${root}/SHA256SUMS" "${sums}")
]])

# The `package` target installs the files above into a folder of its own and
# zips them with cmake/MakeZip.cmake, which gives every entry the time of the
# commit the sources are at, in a fixed order with fixed attributes: the same
# commit makes the same zip, byte for byte.
set(PALLBROOK_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/Pallbrook-${PROJECT_VERSION}.zip)
# A build folder that CPack once made the zip in keeps its configuration, and
# CMake refuses a target of that name beside it.
file(REMOVE ${CMAKE_BINARY_DIR}/CPackConfig.cmake ${CMAKE_BINARY_DIR}/CPackSourceConfig.cmake)
add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -D BUILD_DIR=${CMAKE_BINARY_DIR} -D SOURCE_DIR=${CMAKE_SOURCE_DIR}
            -D STAGE=${CMAKE_BINARY_DIR}/package -D ZIP=${PALLBROOK_PACKAGE_ZIP}
            -P ${CMAKE_SOURCE_DIR}/cmake/MakeZip.cmake
    COMMENT "Players' zip: ${PALLBROOK_PACKAGE_ZIP}"
    VERBATIM)
add_dependencies(package Pallbrook PallbrookCapture)
