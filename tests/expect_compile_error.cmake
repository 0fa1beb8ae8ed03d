# Compiles SOURCE and passes only when the compile fails with exactly one
# error, and that error's text matches MESSAGE (a regular expression).
#   cmake -DCOMPILER=... -DSTANDARD=c++17 -DINCLUDE=... -DSOURCE=... -DMESSAGE=... -P expect_compile_error.cmake
execute_process(
    COMMAND ${COMPILER} -std=${STANDARD} -fsyntax-only -fno-diagnostics-color -I${INCLUDE} ${SOURCE}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
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
