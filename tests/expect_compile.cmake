# Compiles SOURCE as STANDARD with the compiler's FLAGS. Without MESSAGE the
# compile must succeed; with MESSAGE (a regular expression) it must fail
# with exactly one error, and that error's text must match.
#   cmake -DCOMPILER=... "-DFLAGS=..." -DSTANDARD=c++17 -DINCLUDE=... -DSOURCE=... [-DMESSAGE=...] -P expect_compile.cmake
separate_arguments(flags UNIX_COMMAND "${FLAGS}")
execute_process(
    COMMAND ${COMPILER} ${flags} -std=${STANDARD} -fsyntax-only -fno-diagnostics-color
        -I${INCLUDE} ${SOURCE}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT MESSAGE)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${SOURCE} must compile, but:\n${output}")
    endif()
    message(STATUS "compiled as expected")
    return()
endif()
if(status EQUAL 0)
    message(FATAL_ERROR "${SOURCE} compiled, but must not")
endif()
string(REPLACE ";" "," output "${output}")  # not a CMake list
string(REGEX MATCHALL "(^|\n)[^\n]*(fatal )?error:[^\n]*" errors "${output}")
list(LENGTH errors count)
if(NOT count EQUAL 1 OR NOT output MATCHES "${MESSAGE}")
    message(FATAL_ERROR "expected one error matching \"${MESSAGE}\", got ${count}:\n${output}")
endif()
message(STATUS "refused as expected:${errors}")
