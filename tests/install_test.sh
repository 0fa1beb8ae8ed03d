#!/usr/bin/env bash
# Checks what a user, a packager and a C++ programmer get: the installed
# files, the manual page and completions, the plain CMake build, the
# library from find_package, the build tree, pkg-config and FetchContent,
# and Debian packages that lintian accepts and that build the same twice.
# Run after `cmake --workflow --preset release` and `cmake --workflow --preset package`.
set -euo pipefail
cd "$(dirname "$0")/.."
release=build/release
package=build/package
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
line="[0 %brax [%base %eval %noun [%pim-eval ['(add 1 2)' [dep1 ~]]]]]"
consumer_line="[0 %brax [%base %murl-eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")
architecture=$(dpkg --print-architecture)

fail() { echo "install check FAILED: $*" >&2; exit 1; }
same() { [[ $1 == "$2" ]] || fail "$3: got '$1', expected '$2'"; }
step() { echo "install check: $*"; }
is_static() { ! readelf -l "$1" | grep -q 'Requesting program interpreter'; }
# gzip -9n: no file name and no time in the header.
is_gzip_without_name_or_time() {
    local header
    header=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
    [[ ${header:0:6} == 1f8b08 && ${header:6:2} == 00 && ${header:8:8} == 00000000 ]]
}

step "cmake --install: every file, in a prefix of the user's"
cmake --install "$release" --prefix "$prefix" > /dev/null
for file in bin/quirt-format share/man/man1/quirt-format.1.gz \
    share/bash-completion/completions/quirt-format share/zsh/site-functions/_quirt-format \
    share/fish/vendor_completions.d/quirt-format.fish include/quirt_format/request.hpp \
    lib/libquirt_format_request.a lib/cmake/quirt-format/quirt-format-config.cmake \
    lib/cmake/quirt-format/quirt-format-config-version.cmake lib/pkgconfig/quirt-format.pc \
    share/doc/quirt-format/copyright share/doc/quirt-format/changelog.gz \
    share/doc/quirt-format-dev/copyright share/doc/quirt-format-dev/changelog.gz; do
    [[ -f $prefix/$file ]] || fail "$file is not installed"
done
same "$("$prefix/bin/quirt-format" '(add 1 2)' dep1)" "$line" "installed tool"
is_static "$prefix/bin/quirt-format" || fail "the release tool is not linked statically"
grep -q "^Copyright: $(sed -n 's/^Copyright (c) //p' LICENSE)\$" "$prefix/share/doc/quirt-format/copyright" ||
    fail "the copyright file does not carry LICENSE's copyright"
grep -q '^License: Expat$' "$prefix/share/doc/quirt-format/copyright" || fail "the copyright file names no licence"

step "the manual page: compressed reproducibly, no groff warnings, every section"
manual=$prefix/share/man/man1/quirt-format.1.gz
is_gzip_without_name_or_time "$manual" || fail "the manual page is not compressed with gzip -9n"
is_gzip_without_name_or_time "$prefix/share/doc/quirt-format/changelog.gz" ||
    fail "the changelog is not compressed with gzip -9n"
warnings=$(zcat "$manual" | groff -man -ww -z 2>&1) || fail "groff failed: $warnings"
[[ -z $warnings ]] || fail "manual page warnings: $warnings"
zcat "$manual" | grep -q "^\.TH .*quirt\\\\-format $version" || fail "manual page header lacks version $version"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS OUTPUT 'EXIT STATUS' EXAMPLES 'SEE ALSO'; do
    zcat "$manual" | grep -q "^\.SH \"\?$section\"\?$" || fail "manual page lacks section $section"
done

step "the completions' answers from the installed files"
for shell_and_file in bash:share/bash-completion/completions/quirt-format \
    fish:share/fish/vendor_completions.d/quirt-format.fish zsh:share/zsh/site-functions/_quirt-format; do
    status=0
    bash tests/completion_test.sh "${shell_and_file%%:*}" "$prefix/${shell_and_file#*:}" > /dev/null ||
        status=$?
    ((status == 0 || status == 77)) || fail "${shell_and_file%%:*} completion answers"
done

step "the library: every form of words from find_package (under ASan and UBSan), the build tree, pkg-config and FetchContent"
sanitize=-fsanitize=address,undefined
cmake -S tests/consumer -B "$scratch/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_FLAGS="$sanitize -fno-sanitize-recover=all" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" > /dev/null
cmake --build "$scratch/consumer" > /dev/null || fail "the find_package consumer does not build"
same "$("$scratch/consumer/consumer")" "$consumer_line" "find_package consumer"
cmake -S tests/consumer -B "$scratch/build-tree-consumer" -G Ninja -Dquirt-format_DIR="$PWD/$release" > /dev/null
cmake --build "$scratch/build-tree-consumer" > /dev/null || fail "the consumer of the build tree does not build"
same "$("$scratch/build-tree-consumer/consumer")" "$consumer_line" "consumer of the build tree"
flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs quirt-format) ||
    fail "pkg-config does not find quirt-format"
# shellcheck disable=SC2086 # the flags are words
c++ -std=c++20 -o "$scratch/pkg-config-consumer" tests/consumer/main.cpp $flags ||
    fail "the pkg-config consumer does not build"
same "$("$scratch/pkg-config-consumer")" "$consumer_line" "pkg-config consumer"
cmake -S tests/subproject -B "$scratch/subproject" -G Ninja -DQUIRT_FORMAT_SOURCE_DIR="$PWD" > /dev/null ||
    fail "the FetchContent consumer does not configure"
cmake --build "$scratch/subproject" > /dev/null || fail "the FetchContent consumer does not build"
same "$("$scratch/subproject/consumer")" "$consumer_line" "FetchContent consumer"

step "the plain habit, cmake -B build, gives the same fast tool as the presets"
cmake -S . -B "$scratch/plain" > "$scratch/plain.log" || fail "the plain configure failed"
grep -q 'the tool is linked statically' "$scratch/plain.log" || fail "the plain configure does not say it links statically"
same "$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$scratch/plain/CMakeCache.txt")" Release "plain build type"
cmake --build "$scratch/plain" -j 2 > "$scratch/plain-build.log" 2>&1 ||
    fail "the plain build failed: $(tail -20 "$scratch/plain-build.log")"
! grep -q 'warning:' "$scratch/plain-build.log" ||
    fail "the plain build warns: $(grep -m5 'warning:' "$scratch/plain-build.log")"
cmake --install "$scratch/plain" --prefix "$scratch/plain-prefix" > /dev/null
is_static "$scratch/plain-prefix/bin/quirt-format" || fail "the plain build's tool is not static"
same "$("$scratch/plain-prefix/bin/quirt-format" '(add 1 2)' dep1)" "$line" "plain build's tool"

step "the Debian packages: fields, contents, lintian"
deb=$package/packages/quirt-format_${version}_$architecture.deb
dev_deb=$package/packages/quirt-format-dev_${version}_$architecture.deb
[[ -f $deb && -f $dev_deb ]] || fail "no packages $deb and $dev_deb"
same "$(dpkg-deb -f "$deb" Package)" quirt-format "package name"
same "$(dpkg-deb -f "$deb" Section)" utils "package section"
same "$(dpkg-deb -f "$dev_deb" Section)" libdevel "-dev package section"
same "$(dpkg-deb -f "$deb" Depends)" "" "dependencies of the static tool"
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "package has no maintainer"
[[ $(dpkg-deb -f "$deb" Description | wc -l) -ge 2 ]] || fail "package lacks a summary and a description"
dpkg-deb -x "$deb" "$scratch/deb"
for file in usr/bin/quirt-format usr/share/man/man1/quirt-format.1.gz \
    usr/share/bash-completion/completions/quirt-format usr/share/zsh/vendor-completions/_quirt-format \
    usr/share/fish/vendor_completions.d/quirt-format.fish usr/share/doc/quirt-format/copyright \
    usr/share/doc/quirt-format/changelog.gz usr/share/lintian/overrides/quirt-format; do
    [[ -f $scratch/deb/$file ]] || fail "$file is not in $deb"
done
same "$(zcat "$scratch/deb/usr/share/doc/quirt-format/changelog.gz" | head -1)" \
    "quirt-format ($version) unstable; urgency=medium" "the changelog's first line"
same "$("$scratch/deb/usr/bin/quirt-format" '(add 1 2)' dep1)" "$line" "tool from the package"
for each in "$deb" "$dev_deb"; do
    findings=$(lintian --tag-display-limit 0 "$each" 2> /dev/null) || fail "lintian failed on $each: $findings"
    [[ -z $findings ]] || fail "lintian on $each: $findings"
done
same "$(grep -v '^#' "$scratch/deb/usr/share/lintian/overrides/quirt-format")" \
    "quirt-format: statically-linked-binary [usr/bin/quirt-format]" "the lintian override file"
same "$(lintian --show-overrides "$deb" 2> /dev/null | grep '^O:')" \
    "O: quirt-format: statically-linked-binary [usr/bin/quirt-format]" "lintian overrides of the tool"
same "$(lintian --show-overrides "$dev_deb" 2> /dev/null | grep '^O:' || true)" "" "lintian overrides of -dev"
tar -tzf "$package/packages/quirt-format-$version-Linux.tar.gz" > "$scratch/tar-contents"
grep -q '/usr/bin/quirt-format$' "$scratch/tar-contents" || fail "the tar package lacks the tool"

step "a second package build, in another directory, is the same byte for byte"
cmake --preset package -B "$scratch/again" > /dev/null
cmake --build "$scratch/again" > /dev/null
(cd "$scratch/again" && cpack > /dev/null)
for each in "$deb" "$dev_deb" "$package/packages/quirt-format-$version-Linux.tar.gz"; do
    cmp "$each" "$scratch/again/packages/$(basename "$each")" || fail "$(basename "$each") differs between builds"
done

step "a dynamically linked tool's package depends on the libraries it needs"
cmake --preset package -B "$scratch/dynamic" -DQUIRT_FORMAT_STATIC=OFF > "$scratch/dynamic.log"
grep -q 'the tool is linked dynamically' "$scratch/dynamic.log" || fail "-DQUIRT_FORMAT_STATIC=OFF is not dynamic"
cmake --build "$scratch/dynamic" > /dev/null
(cd "$scratch/dynamic" && cpack -G DEB > /dev/null 2>&1)
dynamic_deb=$scratch/dynamic/packages/quirt-format_${version}_$architecture.deb
[[ $(dpkg-deb -f "$dynamic_deb" Depends) == *libstdc++6* ]] ||
    fail "the dynamic tool's package does not depend on libstdc++6: '$(dpkg-deb -f "$dynamic_deb" Depends)'"
findings=$(lintian --tag-display-limit 0 "$dynamic_deb" 2> /dev/null) || fail "lintian failed: $findings"
[[ -z $findings ]] || fail "lintian on the dynamic package: $findings"

echo "install check: every file, the manual page, the completions, the consumers, the plain build and the packages are right"
