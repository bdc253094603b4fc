# The zip that players get, Pallbrook-<version>.zip, with the plugin, the sample
# settings file, the player's README, BUILT-WITH.txt and SHA256SUMS at its top
# level, ready to be unpacked into the game folder, and the capture build with
# its note in the folder capture/. Made by the `package` target of the Windows
# build, to the same bytes from the same commit.

# The text files go with Windows line ends (CR LF), as a player's editor on
# Windows expects; the sources keep Unix ones. Each is written into
# build/windows/dist only when its text changes.
set(PALLBROOK_DIST_TEXT ${CMAKE_BINARY_DIR}/dist)
function(pallbrook_dist_text text name)
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
endfunction()
foreach(name Pallbrook.ini README.txt capture/README.txt)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/${name})
    file(READ ${CMAKE_SOURCE_DIR}/dist/${name} text)
    pallbrook_dist_text("${text}" ${name})
endforeach()

# BUILT-WITH.txt: the commit, the system and the Debian packages of the
# toolchain that built the plugins, which decide their bytes as much as the
# sources do.
set(PALLBROOK_BUILD_SYSTEM "an unknown system")
if(EXISTS /etc/os-release)
    file(STRINGS /etc/os-release pretty REGEX "^PRETTY_NAME=")
    string(REGEX REPLACE "^PRETTY_NAME=\"?([^\"]*)\"?$" "\\1" PALLBROOK_BUILD_SYSTEM "${pretty}")
endif()
file(REAL_PATH ${CMAKE_CXX_COMPILER} compiler_file)
execute_process(COMMAND dpkg-query -S ${compiler_file} OUTPUT_VARIABLE compiler_package
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
string(REGEX REPLACE ":.*" "" compiler_package "${compiler_package}")
execute_process(COMMAND dpkg-query -W -f "  \${Package} \${Version}\n" ${compiler_package}
                        binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev libz-mingw-w64-dev
                OUTPUT_VARIABLE PALLBROOK_TOOLCHAIN_PACKAGES OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0 OR compiler_package STREQUAL "")
    set(PALLBROOK_TOOLCHAIN_PACKAGES
        "  ${CMAKE_CXX_COMPILER} (GCC ${CMAKE_CXX_COMPILER_VERSION}), of no package dpkg-query knows")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/BUILT-WITH.txt.in)
file(READ ${CMAKE_SOURCE_DIR}/dist/BUILT-WITH.txt.in text)
string(CONFIGURE "${text}" text @ONLY)
pallbrook_dist_text("${text}" BUILT-WITH.txt)

install(TARGETS Pallbrook LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES ${PALLBROOK_DIST_TEXT}/Pallbrook.ini ${PALLBROOK_DIST_TEXT}/README.txt
              ${PALLBROOK_DIST_TEXT}/BUILT-WITH.txt DESTINATION .)
# The capture build, in a folder of its own with its note: only for when a mod
# developer asks for a capture.
install(TARGETS PallbrookCapture LIBRARY DESTINATION capture RUNTIME DESTINATION capture)
install(FILES ${PALLBROOK_DIST_TEXT}/capture/README.txt DESTINATION capture)
# SHA256SUMS lists every other file of the zip, in the form `sha256sum -c`
# reads: the hash, two blanks, the name.
install(CODE [[
    set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    set(sums "")
    foreach(name BUILT-WITH.txt Pallbrook.asi Pallbrook.ini README.txt
                 capture/PallbrookCapture.asi capture/README.txt)
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
