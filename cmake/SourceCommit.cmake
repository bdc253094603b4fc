# pallbrook_source_commit(SOURCE_DIR COMMIT TIME): the commit that the source
# tree SOURCE_DIR is at (12 hex digits) and its time (seconds since 1970), or
# empty texts where the tree is no git checkout of its own. An unpacked source
# archive placed inside another repository's work tree takes nothing from
# that repository: git would answer for the enclosing one.
function(pallbrook_source_commit source_dir commit_var time_var)
    set(commit "")
    set(time "")
    execute_process(COMMAND git -C ${source_dir} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status ERROR_QUIET)
    if(status EQUAL 0 AND NOT top STREQUAL "")
        file(REAL_PATH ${top} top)
        file(REAL_PATH ${source_dir} source)
        if(top STREQUAL source)
            execute_process(COMMAND git -C ${source_dir} rev-parse --short=12 HEAD
                            OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
            execute_process(COMMAND git -C ${source_dir} log -1 --format=%ct
                            OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        endif()
    endif()
    set(${commit_var} "${commit}" PARENT_SCOPE)
    set(${time_var} "${time}" PARENT_SCOPE)
endfunction()
