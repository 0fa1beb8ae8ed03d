#!/usr/bin/env bash
# Checks the packages that the cross workflows leave in build/<preset>/packages
# against this machine's from the package preset: the same files path for path
# (the multiarch directory aside), each package naming its architecture,
# lintian as clean, and the packaged tool printing the line under the
# preset's emulator.
# Run after `cmake --workflow --preset package` and the given presets' workflows.
#   tests/architecture_test.sh arm64 armhf s390x
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
line="[0 %brax [%base %eval %noun [%pim-eval ['(add 1 2)' [dep1 ~]]]]]"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)
native=$(dpkg --print-architecture)
native_multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2> /dev/null)

fail() { echo "architecture check FAILED: $*" >&2; exit 1; }
# The paths a package holds, its multiarch directory written as <multiarch>.
paths() { dpkg-deb -c "$1" | awk '{ print $6 }' | sed "s|/$2/|/<multiarch>/|" | sort; }

for preset in "$@"; do
    cache=build/$preset/CMakeCache.txt
    [[ -f $cache ]] || fail "build/$preset is not built: run cmake --workflow --preset $preset"
    architecture=$preset  # each preset is named for its Debian architecture
    multiarch=$(dpkg-architecture -a"$architecture" -qDEB_HOST_MULTIARCH 2> /dev/null)
    read -r -a emulator <<< "$(sed -n 's/^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]*=//p' "$cache" | tr ';' ' ')"
    echo "architecture check: $preset, packages for $architecture"
    for package in quirt-format quirt-format-dev; do
        deb=build/$preset/packages/${package}_${version}_$architecture.deb
        [[ -f $deb ]] || fail "no $deb"
        [[ $(dpkg-deb -f "$deb" Architecture) == "$architecture" ]] ||
            fail "$deb names architecture $(dpkg-deb -f "$deb" Architecture)"
        diff <(paths "build/package/packages/${package}_${version}_$native.deb" "$native_multiarch") \
            <(paths "$deb" "$multiarch") > "$scratch/diff" || fail "$deb holds other paths than $native's: $(cat "$scratch/diff")"
        findings=$(lintian --tag-display-limit 0 "$deb" 2> /dev/null) || fail "lintian failed on $deb: $findings"
        [[ -z $findings ]] || fail "lintian on $deb: $findings"
    done
    [[ -f build/$preset/packages/quirt-format-$version-Linux.tar.gz ]] || fail "no tarball for $preset"
    dpkg-deb -x "build/$preset/packages/quirt-format_${version}_$architecture.deb" "$scratch/$preset"
    tool=$scratch/$preset/usr/bin/quirt-format
    ! readelf -l "$tool" | grep -q 'Requesting program interpreter' || fail "the $architecture tool is not static"
    got=$("${emulator[@]}" "$tool" '(add 1 2)' dep1) || fail "the packaged $architecture tool failed"
    [[ $got == "$line" ]] || fail "the packaged $architecture tool printed '$got'"
done
echo "architecture check: every package is for its architecture, holds $native's paths and is lintian-clean"
