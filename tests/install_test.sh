#!/usr/bin/env bash
# Installs the release build into a temporary prefix and checks what a user
# gets: every file, the manual page, the completions' answers, the C++
# package from an out-of-tree project, and the Debian and tar packages.
# Run after `cmake --workflow --preset package`.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
line="[0 %brax [%base %eval %noun [%pim-eval ['(add 1 2)' [dep1 ~]]]]]"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

fail() { echo "install check FAILED: $*" >&2; exit 1; }
same() { [[ $1 == "$2" ]] || fail "$3: got '$1', expected '$2'"; }

cmake --install "$build" --prefix "$prefix" > /dev/null
for file in bin/quirt-format share/man/man1/quirt-format.1 \
    share/bash-completion/completions/quirt-format share/zsh/site-functions/_quirt-format \
    share/fish/vendor_completions.d/quirt-format.fish include/quirt_format/request.hpp \
    lib/libquirt_format_request.a lib/cmake/quirt-format/quirt-format-config.cmake \
    lib/cmake/quirt-format/quirt-format-config-version.cmake; do
    [[ -f $prefix/$file ]] || fail "$file is not installed"
done
same "$("$prefix/bin/quirt-format" '(add 1 2)' dep1)" "$line" "installed tool"

manual=$prefix/share/man/man1/quirt-format.1
warnings=$(groff -man -ww -z "$manual" 2>&1) || fail "groff failed: $warnings"
[[ -z $warnings ]] || fail "manual page warnings: $warnings"
grep -q "^\.TH .*quirt\\\\-format $version" "$manual" || fail "manual page header lacks version $version"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS OUTPUT 'EXIT STATUS' EXAMPLES 'SEE ALSO'; do
    grep -q "^\.SH \"\?$section\"\?$" "$manual" || fail "manual page lacks section $section"
done

bash tests/completion_test.sh bash "$prefix/share/bash-completion/completions/quirt-format" > /dev/null ||
    fail "bash completion answers"
for shell_and_file in fish:share/fish/vendor_completions.d/quirt-format.fish \
    zsh:share/zsh/site-functions/_quirt-format; do
    status=0
    bash tests/completion_test.sh "${shell_and_file%%:*}" "$prefix/${shell_and_file#*:}" > /dev/null ||
        status=$?
    ((status == 0 || status == 77)) || fail "${shell_and_file%%:*} completion"
done

cmake -S tests/consumer -B "$scratch/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$scratch/consumer" > /dev/null || fail "the consumer does not build"
same "$("$scratch/consumer/consumer")" \
    "[0 %brax [%base %murl-eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]" "consumer"

deb=$build/packages/quirt-format_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no package $deb"
same "$(dpkg-deb -f "$deb" Package)" quirt-format "package name"
same "$(dpkg-deb -f "$deb" Section)" utils "package section"
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "package has no maintainer"
[[ $(dpkg-deb -f "$deb" Description | wc -l) -ge 2 ]] || fail "package lacks a summary and a description"
dpkg-deb -x "$deb" "$scratch/deb"
for file in usr/bin/quirt-format usr/share/man/man1/quirt-format.1 \
    usr/share/bash-completion/completions/quirt-format usr/share/zsh/site-functions/_quirt-format \
    usr/share/fish/vendor_completions.d/quirt-format.fish; do
    [[ -f $scratch/deb/$file ]] || fail "$file is not in $deb"
done
same "$("$scratch/deb/usr/bin/quirt-format" '(add 1 2)' dep1)" "$line" "tool from the package"
tar -tzf "$build/packages/quirt-format-$version-Linux.tar.gz" > "$scratch/tar-contents"
grep -q '/usr/bin/quirt-format$' "$scratch/tar-contents" || fail "the tar package lacks the tool"

echo "install check: every file, the manual page, the completions, the consumer and the packages are right"
