#!/usr/bin/env bash
# Builds the library with each C++20 toolchain a user may have and runs its
# tests there: the consumer that calls it in every form (library.every_form)
# and the compiles the header must refuse or take (header.*), each with the
# toolchain's own compiler and standard library, warnings as errors.
#   tests/toolchain_test.sh [NAME ...]   (default: every toolchain below)
set -euo pipefail
cd "$(dirname "$0")/.."

# name | compiler | flags | more cache settings. libc++ needs a GoogleTest
# built with it, from the sources of Debian's googletest package.
toolchains=(
    "g++-11|g++-11||"
    "g++-12|g++-12||"
    "clang++-14|clang++-14||"
    "clang++-16|clang++-16||"
    "clang++-16-libc++|clang++-16|-stdlib=libc++|-DQUIRT_FORMAT_GTEST_SOURCE_DIR=/usr/src/googletest"
)

# Runs the command with its output in the toolchain's log, shown if it fails.
logged() { "$@" > "$log" 2>&1 || { cat "$log"; exit 1; }; }

mkdir -p build/toolchains
wanted=" $* "
for entry in "${toolchains[@]}"; do
    IFS='|' read -r name compiler flags settings <<< "$entry"
    [[ $# -eq 0 || $wanted == *" $name "* ]] || continue
    echo "toolchain $name: $compiler $flags"
    build=build/toolchains/$name
    log=$build.log
    # shellcheck disable=SC2086 # the settings are words
    logged cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER="$compiler" \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DQUIRT_FORMAT_TESTS=ON \
        -DQUIRT_FORMAT_INSTALL=OFF -DQUIRT_FORMAT_STATIC=OFF $settings
    logged cmake --build "$build" -j 2 --target quirt_format_consumer
    logged ctest --test-dir "$build" -R '^(library|header)\.' --no-tests=error --output-on-failure
    grep 'tests passed' "$log"
done
