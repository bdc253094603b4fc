# Windows programs that the Linux test run starts under Wine.
add_executable(pallbrook-wine-lifecycle ${CMAKE_CURRENT_LIST_DIR}/wine_lifecycle.cpp)
target_link_libraries(pallbrook-wine-lifecycle PRIVATE pallbrook_standin_host)
target_link_options(pallbrook-wine-lifecycle PRIVATE ${PALLBROOK_STATIC_RUNTIME})
pallbrook_warnings(pallbrook-wine-lifecycle)
add_dependencies(pallbrook-wine-lifecycle Pallbrook ScriptHookRDR2)

# The real plugin loaded and unloaded a hundred times in one process.
add_executable(pallbrook-wine-load-cycles ${CMAKE_CURRENT_LIST_DIR}/wine_load_cycles.cpp)
target_link_libraries(pallbrook-wine-load-cycles PRIVATE pallbrook_standin_host)
target_link_options(pallbrook-wine-load-cycles PRIVATE ${PALLBROOK_STATIC_RUNTIME})
pallbrook_warnings(pallbrook-wine-load-cycles)
add_dependencies(pallbrook-wine-load-cycles Pallbrook ScriptHookRDR2)

# Pallbrook.asi and PallbrookCapture.asi loaded together: one drag feature runs.
add_executable(pallbrook-wine-capture-beside-shipped
               ${CMAKE_CURRENT_LIST_DIR}/wine_capture_beside_shipped.cpp)
target_link_libraries(pallbrook-wine-capture-beside-shipped PRIVATE pallbrook_standin_host
                                                                    pallbrook_capture_format)
target_link_options(pallbrook-wine-capture-beside-shipped PRIVATE ${PALLBROOK_STATIC_RUNTIME})
pallbrook_warnings(pallbrook-wine-capture-beside-shipped)
add_dependencies(pallbrook-wine-capture-beside-shipped Pallbrook PallbrookCapture ScriptHookRDR2)

# A game folder that cannot take the capture: it goes to the player's folder.
add_executable(pallbrook-wine-capture-player-folder
               ${CMAKE_CURRENT_LIST_DIR}/wine_capture_player_folder.cpp)
target_link_libraries(pallbrook-wine-capture-player-folder PRIVATE pallbrook_standin_host
                                                                   pallbrook_capture_format)
target_link_options(pallbrook-wine-capture-player-folder PRIVATE ${PALLBROOK_STATIC_RUNTIME})
pallbrook_warnings(pallbrook-wine-capture-player-folder)
add_dependencies(pallbrook-wine-capture-player-folder PallbrookCapture ScriptHookRDR2)
