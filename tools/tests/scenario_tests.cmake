# Every scenario file is a test: it must run and all its expectations hold.
file(GLOB PALLBROOK_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scenarios/*.json)
foreach(scenario ${PALLBROOK_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME scenario.${name} COMMAND pallbrook-sim run ${scenario})
endforeach()

# The demo played by the real Pallbrook.asi under Wine must leave the same call
# trace and brief as the plugin linked into the Linux build.
if(PALLBROOK_WINDOWS_BUILD_DIR)
    add_test(NAME scenario.demo_wine_trace_matches_linux
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/compare_wine_trace.sh
                     $<TARGET_FILE:pallbrook-sim> ${PALLBROOK_WINDOWS_BUILD_DIR}
                     ${CMAKE_SOURCE_DIR}/scenarios/demo.json
                     ${CMAKE_CURRENT_BINARY_DIR}/wine-demo)
    set_tests_properties(scenario.demo_wine_trace_matches_linux PROPERTIES TIMEOUT 300)
endif()
