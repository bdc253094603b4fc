# pallbrook-sim for Windows: the same scenario runner, but it loads the real
# Pallbrook.asi through the stand-in ScriptHookRDR2.dll. Run under Wine, it
# writes the same brief and trace as the Linux build.

# nlohmann-json is header-only; its Debian headers sit among the Linux system
# headers, which the cross compiler must not see, so only its folder is copied.
find_path(PALLBROOK_NLOHMANN_DIR nlohmann/json.hpp PATHS /usr/include /usr/local/include
          NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH REQUIRED)
file(COPY ${PALLBROOK_NLOHMANN_DIR}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/nlohmann-include)

file(GLOB_RECURSE PALLBROOK_SIM_TOOL_WINDOWS_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_LIST_DIR}/pallbrook_sim/*.cpp)
list(FILTER PALLBROOK_SIM_TOOL_WINDOWS_SOURCES EXCLUDE REGEX "/platform_linked\\.cpp$")

# The control names come from the plugin's own table, and the brief's account
# of a settings file from the plugin's own loader.
file(GLOB PALLBROOK_SIM_SETTINGS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/settings/*.cpp)
add_executable(pallbrook-sim ${PALLBROOK_SIM_TOOL_WINDOWS_SOURCES} ${PALLBROOK_SIM_SETTINGS_SOURCES})
target_include_directories(pallbrook-sim PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pallbrook_sim
                                                 ${CMAKE_SOURCE_DIR}/src)
target_include_directories(pallbrook-sim SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/nlohmann-include)
target_link_libraries(pallbrook-sim PRIVATE pallbrook_replay_host pallbrook_standin_host)
target_link_options(pallbrook-sim PRIVATE ${PALLBROOK_STATIC_RUNTIME})
pallbrook_warnings(pallbrook-sim)
add_dependencies(pallbrook-sim Pallbrook ScriptHookRDR2)
