# Warnings are errors on every toolchain.
function(pallbrook_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wconversion -Wsign-conversion)
        # GCC 12 at -O2 and above warns of overlapping copies inside
        # std::string's own operator+ (GCC bug 105651, mended in GCC 13);
        # the warning is about the library, not this code.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            target_compile_options(${target} PRIVATE -Wno-restrict)
        endif()
    endif()
endfunction()
