# Makes the players' zip, run by the `package` target of the Windows build:
#   cmake -D BUILD_DIR=... -D SOURCE_DIR=... -D STAGE=... -D ZIP=... -P MakeZip.cmake
# Installs the build into STAGE and zips what lands there into ZIP so that
# the same commit gives the same bytes: every entry carries the time of the
# commit that SOURCE_DIR is at; where SOURCE_DIR is no git checkout (a source
# archive), SOURCE_DATE_EPOCH, or else midnight UTC of the newest release's
# date in CHANGELOG.md. The entries go in the order of their names, each file
# with the mode 644, and no owner, access time or directory entry is stored.
foreach(name BUILD_DIR SOURCE_DIR STAGE ZIP)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "MakeZip.cmake: ${name} is not given")
    endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/SourceCommit.cmake)
pallbrook_source_commit(${SOURCE_DIR} commit time)
set(source "the time of the commit")
if(NOT time MATCHES "^[0-9]+$")
    set(time "$ENV{SOURCE_DATE_EPOCH}")
    set(source "SOURCE_DATE_EPOCH, as no git checkout tells a commit")
endif()
if(NOT time MATCHES "^[0-9]+$")
    file(STRINGS ${SOURCE_DIR}/CHANGELOG.md releases
         REGEX "^## \\[[0-9]+\\.[0-9]+\\.[0-9]+\\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
    if(NOT releases)
        message(FATAL_ERROR "${SOURCE_DIR} is no git checkout, SOURCE_DATE_EPOCH is not set and "
                            "CHANGELOG.md names no release with its date: the zip has no time")
    endif()
    list(GET releases 0 newest)
    string(REGEX REPLACE "^## \\[([^]]+)\\] - (.*)$" "\\1;\\2" newest "${newest}")
    list(GET newest 0 version)
    list(GET newest 1 day)
    execute_process(COMMAND date -u -d "${day}" +%s OUTPUT_VARIABLE time
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(CONCAT source "the date of release ${version} in CHANGELOG.md, as no git checkout "
                  "tells a commit and SOURCE_DATE_EPOCH is not set")
endif()

file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# Sorted by name (GLOB_RECURSE sorts its results).
file(GLOB_RECURSE entries RELATIVE ${STAGE} ${STAGE}/*)
foreach(entry ${entries})
    file(CHMOD ${STAGE}/${entry} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
execute_process(COMMAND touch -d @${time} ${entries} WORKING_DIRECTORY ${STAGE}
                COMMAND_ERROR_IS_FATAL ANY)

# zip takes the entries' times as local time: UTC, whatever the machine's zone.
# -X: no owner and no extra time fields; -D: no directory entries.
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -D -q ${ZIP} ${entries}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
# string(TIMESTAMP) tells the time that SOURCE_DATE_EPOCH holds.
set(ENV{SOURCE_DATE_EPOCH} ${time})
string(TIMESTAMP when "%Y-%m-%d %H:%M:%S UTC" UTC)
message(STATUS "${ZIP}: every entry dated ${when}: ${source}")
