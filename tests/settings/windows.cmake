# The settings dump program built with the Windows toolchain from the same
# settings sources as the plugin, to compare with the Linux build under Wine.
file(GLOB PALLBROOK_SETTINGS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/settings/*.cpp)
add_executable(pallbrook-settings-dump
    ${CMAKE_SOURCE_DIR}/tests/settings/settings_dump.cpp ${PALLBROOK_SETTINGS_SOURCES})
target_include_directories(pallbrook-settings-dump PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_options(pallbrook-settings-dump PRIVATE -static)
pallbrook_warnings(pallbrook-settings-dump)
