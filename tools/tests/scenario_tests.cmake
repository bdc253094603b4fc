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

# Capture and replay: every scenario captured by PallbrookCapture.asi under Wine
# replays on Linux with no difference; the demo's capture then replays with a
# changed setting, through a plugin changed on purpose, cut short as a killed
# process leaves it, and damaged.
if(PALLBROOK_WINDOWS_BUILD_DIR)
    set(round_trip ${CMAKE_CURRENT_BINARY_DIR}/round-trip)
    add_test(NAME capture.round_trip_every_scenario
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/capture_round_trip.sh
                     $<TARGET_FILE:pallbrook-sim> ${PALLBROOK_WINDOWS_BUILD_DIR}
                     ${CMAKE_SOURCE_DIR}/scenarios ${round_trip})
    set_tests_properties(capture.round_trip_every_scenario PROPERTIES
                         TIMEOUT 600 FIXTURES_SETUP round_trip_captures)

    # The mutant: the plugin's sources with a change forced in at the host seam.
    add_library(pallbrook_mutant_plugin STATIC ${PALLBROOK_PLUGIN_SOURCES}
                                               ${CMAKE_CURRENT_SOURCE_DIR}/tests/replay/mutant_push.cpp)
    target_include_directories(pallbrook_mutant_plugin PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(pallbrook_mutant_plugin PRIVATE
        "SHELL:-include ${CMAKE_CURRENT_SOURCE_DIR}/tests/replay/mutant_plugin.h")
    target_link_libraries(pallbrook_mutant_plugin PUBLIC pallbrook_standin_host)
    add_executable(pallbrook-sim-mutant pallbrook_sim/main.cpp
                                        ${CMAKE_SOURCE_DIR}/sim/plugin_loader_linked.cpp)
    target_link_libraries(pallbrook-sim-mutant PRIVATE pallbrook_sim_tool pallbrook_mutant_plugin)
    pallbrook_warnings(pallbrook-sim-mutant)

    foreach(check changed_setting changed_plugin torn_tail refused)
        set(sim $<TARGET_FILE:pallbrook-sim>)
        if(check STREQUAL changed_plugin)
            set(sim $<TARGET_FILE:pallbrook-sim-mutant>)
        endif()
        add_test(NAME capture.replay_${check}
                 COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/replay/replay_checks.sh ${check}
                         ${sim} ${round_trip} ${CMAKE_CURRENT_BINARY_DIR}/replay-${check})
        set_tests_properties(capture.replay_${check} PROPERTIES FIXTURES_REQUIRED round_trip_captures)
    endforeach()

    # Why nothing happened, told from captures of the players' reports.
    add_test(NAME capture.why_nothing_happened
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/replay/why_nothing_happened.sh
                     $<TARGET_FILE:pallbrook-sim> ${round_trip} ${CMAKE_SOURCE_DIR}/scenarios)
    set_tests_properties(capture.why_nothing_happened PROPERTIES FIXTURES_REQUIRED round_trip_captures)

    # Every command and option on captures as a player sends them.
    add_test(NAME pallbrook_sim.every_command
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/every_command.sh $<TARGET_FILE:pallbrook-sim>
                     ${round_trip} ${CMAKE_SOURCE_DIR}/tests/capture/released
                     ${CMAKE_SOURCE_DIR}/scenarios ${CMAKE_CURRENT_BINARY_DIR}/every-command
                     ${PALLBROOK_WINDOWS_BUILD_DIR})
    set_tests_properties(pallbrook_sim.every_command PROPERTIES FIXTURES_REQUIRED round_trip_captures
                                                                TIMEOUT 300)
endif()

# Where the tool writes its outputs, and what it never destroys, with the
# Linux tool and, where a Windows build is made, under Wine.
add_test(NAME pallbrook_sim.output_cases
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/output_cases.sh $<TARGET_FILE:pallbrook-sim>
                 ${CMAKE_SOURCE_DIR}/tests/capture/released ${CMAKE_SOURCE_DIR}/scenarios
                 ${CMAKE_CURRENT_BINARY_DIR}/output-cases ${PALLBROOK_WINDOWS_BUILD_DIR})

# Captures written by released capture builds replay with no difference and
# the same brief; a capture of an unknown format version is refused.
add_test(NAME capture.released_captures_replay
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/replay/replay_released.sh
                 $<TARGET_FILE:pallbrook-sim> ${CMAKE_SOURCE_DIR}/tests/capture/released
                 ${CMAKE_CURRENT_BINARY_DIR}/released-captures)

# What info tells of the released captures, and the replay's progress.
add_test(NAME capture.info_and_replay_progress
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/replay/capture_info.sh
                 $<TARGET_FILE:pallbrook-sim> ${CMAKE_SOURCE_DIR}/tests/capture/released
                 ${CMAKE_CURRENT_BINARY_DIR}/capture-info)

# Scenario files that must be refused before anything runs: exit status 2 and a
# message naming the file, the place and what is wrong.
set(refused ${CMAKE_CURRENT_SOURCE_DIR}/tests/scenario/refused)
set(PALLBROOK_REFUSED_SCENARIOS
    "bad_json|bad_json\\.json: \\(top level\\): not valid JSON at line 3, column 1, where the file ends too soon"
    "number_overflow|number_overflow\\.json: \\(top level\\): not valid JSON: a number beyond the range of a double, 1e400"
    "float_overflow|float_overflow\\.json: /world/player/position/1: beyond the range of a float"
    "unknown_key|unknown_key\\.json: /world/frame_time: unknown key \\(known here: frame_time_ms"
    "duplicate_key|duplicate_key\\.json: /world/peds/0/dead: the key \"dead\" is given twice"
    "wrong_type|wrong_type\\.json: /frames: expected a whole number, found a string"
    "unknown_ped|unknown_ped\\.json: /expect/0/prompt/on: no ped is named \"nobody\""
    "bad_control|bad_control\\.json: /timeline/0/hold: \"INPUT_NOT_A_CONTROL\" is no control name"
    "two_actions|two_actions\\.json: /timeline/0: give exactly one action"
    "frame_out_of_range|frame_out_of_range\\.json: /expect/0/frame: must be from 1 to 10")
foreach(entry ${PALLBROOK_REFUSED_SCENARIOS})
    string(FIND "${entry}" "|" bar)
    string(SUBSTRING "${entry}" 0 ${bar} name)
    math(EXPR start "${bar} + 1")
    string(SUBSTRING "${entry}" ${start} -1 pattern)
    add_test(NAME pallbrook_sim.refuses_${name}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/expect_exit.sh
                     $<TARGET_FILE:pallbrook-sim> ${refused}/${name}.json 2 "${pattern}"
                     "was not run")
endforeach()

# A scenario whose expectations fail: exit status 1, each failure named.
add_test(NAME pallbrook_sim.names_failed_expectations
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/expect_exit.sh
                 $<TARGET_FILE:pallbrook-sim> ${CMAKE_CURRENT_SOURCE_DIR}/tests/play/wrong_expectations.json 1
                 "FAILED at frame 5 \\(/expect/0\\): state is Idle, expected Dragging"
                 "FAILED at frame 5 \\(/expect/0\\): prompt label is \"Drag\", expected \"Drop\""
                 "FAILED at the end \\(/expect/1\\): the player is at \\(0\\.000, 0\\.000, 0\\.000\\)"
                 "FAILED at the end \\(/expect/3\\): the player is at \\(0\\.000, 0\\.000, 0\\.000\\)"
                 "expectations: 4 checked, 3 failed")

# Unit tests of the tool's own pieces, in folders as the tool's.
add_executable(pallbrook_sim_tool_tests
               ${CMAKE_CURRENT_SOURCE_DIR}/tests/play/scratch_dir_test.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/tests/report/trace/trace_test.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/tests/scenario/scenario_reader_test.cpp)
target_link_libraries(pallbrook_sim_tool_tests PRIVATE pallbrook_sim_tool pallbrook_standin_host_linked
                                                      GTest::gtest_main)
target_compile_definitions(pallbrook_sim_tool_tests PRIVATE
    PALLBROOK_RELEASED_DEMO_CAPTURE="${CMAKE_SOURCE_DIR}/tests/capture/released/0.1.0/demo.pbcap")
pallbrook_warnings(pallbrook_sim_tool_tests)
gtest_discover_tests(pallbrook_sim_tool_tests)

# The demo's picture, drawn by the tool as a user draws it, of the scenario
# and of its released capture without names, then read as a reader reads it;
# and the picture of a long run, drawn from a track made for it.
set(PALLBROOK_PICTURES ${CMAKE_CURRENT_BINARY_DIR}/pictures)
set(PALLBROOK_DEMO_SVG ${PALLBROOK_PICTURES}/demo.svg)
set(PALLBROOK_DEMO_CAPTURE_SVG ${PALLBROOK_PICTURES}/demo-capture.svg)
file(MAKE_DIRECTORY ${PALLBROOK_PICTURES})
add_test(NAME picture.demo_drawn
         COMMAND pallbrook-sim run ${CMAKE_SOURCE_DIR}/scenarios/demo.json --svg ${PALLBROOK_DEMO_SVG})
add_test(NAME picture.demo_capture_drawn
         COMMAND pallbrook-sim replay ${CMAKE_SOURCE_DIR}/tests/capture/released/0.1.0/demo.pbcap
                 --svg ${PALLBROOK_DEMO_CAPTURE_SVG})
set_tests_properties(picture.demo_drawn picture.demo_capture_drawn PROPERTIES FIXTURES_SETUP demo_picture)
add_executable(pallbrook_picture_tests ${CMAKE_CURRENT_SOURCE_DIR}/tests/report/picture/picture_test.cpp
                                       ${CMAKE_CURRENT_SOURCE_DIR}/tests/report/picture/long_run_test.cpp)
target_link_libraries(pallbrook_picture_tests PRIVATE pallbrook_sim_tool pallbrook_standin_host_linked
                                                      GTest::gtest_main)
pallbrook_warnings(pallbrook_picture_tests)
gtest_discover_tests(pallbrook_picture_tests PROPERTIES FIXTURES_REQUIRED demo_picture
                     ENVIRONMENT PALLBROOK_PICTURES=${PALLBROOK_PICTURES})
