# Every scenario file is a test: it must run and all its expectations hold.
file(GLOB PALLBROOK_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scenarios/*.json)
foreach(scenario ${PALLBROOK_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME scenario.${name} COMMAND pallbrook-sim run ${scenario})
endforeach()
