#!/usr/bin/env bash
# Checks what a user, a packager and a C++ programmer get: the README's
# commands, examples and snippets, the installed files, the manual page and
# completions, the plain CMake build, the library from find_package, the
# build tree, pkg-config and FetchContent, and Debian packages that lintian
# accepts and that build the same twice.
# Run after `cmake --workflow --preset release` and `cmake --workflow --preset package`.
set -euo pipefail
cd "$(dirname "$0")/.."
release=build/release
package=build/package
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A home of the user's own, so that the README's "~/.local" lines work as written.
export HOME=$scratch/home
prefix=$HOME/.local
mkdir -p "$HOME"
line="[0 %brax [%base %eval %noun [%pim-eval ['(add 1 2)' [dep1 ~]]]]]"
consumer_line="[0 %brax [%base %murl-eval %noun [%pim-eval ['(add 1 2)' [dep1 dep2 ~]]]]]"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")
release_date=$(sed -n 's/^## [^ ]* (\([0-9-]*\))$/\1/p' CHANGELOG.md | head -1)
architecture=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2> /dev/null)

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
# The lines of the README's code block that contains the given line.
readme_block_with() {
    awk -v wanted="$1" '/^```/ { if (inside && found) exit; inside = !inside; block = ""; next }
        inside { block = block $0 "\n"; if (index($0, wanted)) found = 1 }
        END { if (found) printf "%s", block }' README.md
}
# Runs each "$ quirt-format ..." line of the text on standard input and
# compares what it prints with the lines that follow it there.
check_examples() {
    local source=$1 command="" expected="" got count=0
    local -a lines
    mapfile -t lines
    lines+=('$ ')
    for entry in "${lines[@]}"; do
        if [[ $entry == '$ '* ]]; then
            if [[ -n $command ]]; then
                got=$(eval "${command#$ }") || fail "$source: '$command' failed"
                same "$got" "${expected%$'\n'}" "$source: $command"
                count=$((count + 1))
            fi
            command=$entry expected=""
        elif [[ -n $command ]]; then
            expected+=$entry$'\n'
        fi
    done
    ((count > 0)) || fail "$source has no examples"
}

step "the README's set-up commands are the ones CI runs, and install what CI installs"
setup=$(readme_block_with 'cmake --workflow --preset test')
[[ $(sed -n 1p <<< "$setup") =~ ^apt-get\ update\ \&\&\ apt-get\ install\ -y\ ([a-z0-9+ -]+)\ \&\&\ (cmake\ --workflow\ .*)$ ]] ||
    fail "the README's first set-up command does not install, build and run: $(sed -n 1p <<< "$setup")"
build_command=${BASH_REMATCH[2]}
ci_packages=" $(sed -n '/^packages=(/,/)/p' .ci/run | tr -d '()\n' | sed 's/packages=//') "
for each in ${BASH_REMATCH[1]}; do
    [[ $ci_packages == *" $each "* ]] || fail "the README installs $each, which .ci/run does not"
done
for each in cmake ninja-build g++ libgtest-dev; do
    [[ " ${BASH_REMATCH[1]} " == *" $each "* ]] || fail "the README's set-up does not install $each"
done
grep -qxF "$build_command" .ci/run || fail ".ci/run does not run the README's '$build_command'"
grep -qxF "$(sed -n 2p <<< "$setup")" .ci/run || fail ".ci/run does not run the README's second command"
same "$(wc -l <<< "$setup")" 2 "the number of set-up commands"

step "cmake --install: every file, in a prefix of the user's"
cmake --install "$release" --prefix "$prefix" > /dev/null
for file in bin/quirt-format share/man/man1/quirt-format.1.gz \
    share/bash-completion/completions/quirt-format share/zsh/site-functions/_quirt-format \
    share/fish/vendor_completions.d/quirt-format.fish include/quirt_format/request.hpp \
    lib/$multiarch/libquirt_format_request.a lib/$multiarch/cmake/quirt-format/quirt-format-config.cmake \
    lib/$multiarch/cmake/quirt-format/quirt-format-config-version.cmake lib/$multiarch/pkgconfig/quirt-format.pc \
    share/doc/quirt-format/copyright share/doc/quirt-format/changelog.gz \
    share/doc/quirt-format-dev/copyright share/doc/quirt-format-dev/changelog.gz; do
    [[ -f $prefix/$file ]] || fail "$file is not installed"
done
[[ ! -e $prefix/share/lintian ]] || fail "cmake --install writes the lintian override, a packager's file"
same "$("$prefix/bin/quirt-format" '(add 1 2)' dep1)" "$line" "installed tool"
is_static "$prefix/bin/quirt-format" || fail "the release tool is not linked statically"
grep -q "^Copyright: $(sed -n 's/^Copyright (c) //p' LICENSE)\$" "$prefix/share/doc/quirt-format/copyright" ||
    fail "the copyright file does not carry LICENSE's copyright"
grep -q '^License: Expat$' "$prefix/share/doc/quirt-format/copyright" || fail "the copyright file names no licence"

step "the zsh completion's place follows the prefix given at install time"
DESTDIR=$scratch/destdir cmake --install "$release" --prefix /usr > /dev/null
[[ -f $scratch/destdir/usr/share/zsh/vendor-completions/_quirt-format ]] ||
    fail "configured for /usr/local and installed into /usr, the zsh completion is not in vendor-completions"
[[ ! -e $scratch/destdir/usr/share/zsh/site-functions ]] || fail "an install into /usr writes site-functions"

step "the README's usage text, examples and claims about the command line and its streams"
same "$(readme_block_with 'Usage:')" "$(PATH=$prefix/bin:$PATH quirt-format -h 2>&1)" "the README's usage text"
PATH=$prefix/bin:$PATH check_examples README < <(readme_block_with '$ quirt-format foo dep1 dep2')
# The README's commands for closed streams, run as it writes them.
for closed in 'quirt-format x >&-' 'quirt-format -h 2>&-'; do
    tr -s '\n ' ' ' < README.md | grep -qF "\`$closed\`" || fail "the README does not show '$closed'"
    PATH=$prefix/bin:$PATH bash -c "$closed" || fail "'$closed' exits with $?, not 0"
done
escape=$'\e'
same "$("$prefix/bin/quirt-format" x "$escape[2J")" "[0 %brax [%base %eval %noun [%pim-eval ['x' [$escape[2J ~]]]]]" \
    "a control sequence on standard output"
for claim in 'Standard output is not escaped' "quirt-format -5" "quirt-format -- x" \
    'when argument zero is empty or missing' 'outside printable ASCII, and every `"` and `\`' \
    'A standard stream that is closed when the tool starts is opened on `/dev/null`' \
    'standard output is open but cannot be written' 'standard error is open but cannot be written'; do
    tr -s '\n ' ' ' < README.md | grep -qF -- "$claim" || fail "the README does not say: $claim"
done

step "the manual page: the release's date, its examples, messages whole at any width, no groff warnings"
manual=$prefix/share/man/man1/quirt-format.1.gz
is_gzip_without_name_or_time "$manual" || fail "the manual page is not compressed with gzip -9n"
is_gzip_without_name_or_time "$prefix/share/doc/quirt-format/changelog.gz" ||
    fail "the changelog is not compressed with gzip -9n"
warnings=$(zcat "$manual" | groff -man -ww -z 2>&1) || fail "groff failed: $warnings"
[[ -z $warnings ]] || fail "manual page warnings: $warnings"
same "$(zcat "$manual" | sed -n 's/^\.TH [^ ]* 1 \([^ ]*\) "quirt\\-format \([^"]*\)".*/\1 \2/p')" \
    "$release_date $version" "the manual page's date and version"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS OUTPUT 'EXIT STATUS' DIAGNOSTICS EXAMPLES 'SEE ALSO'; do
    zcat "$manual" | grep -q "^\.SH \"\?$section\"\?$" || fail "manual page lacks section $section"
done
same "$(zcat "$manual" | sed -n '/^\.SH "\?SEE ALSO/,$p' | grep '^\.BR' | tr '\n' ' ')" '.BR utf\-8 (7) ' \
    "the manual page's SEE ALSO"
for width in 40 60 80 100 120; do
    text=$(zcat "$manual" | groff -man -Tascii -P-cbou -rLL=$((width - 2))n 2> /dev/null)
    for message in 'ERROR: no command' 'Invalid option: ' 'failed printing to stdout: ' \
        'is not valid UTF-8: ' 'quirt-format: out of memory'; do
        grep -qF -- "$message" <<< "$text" || fail "at $width columns the manual page breaks '$message'"
    done
    PATH=$prefix/bin:$PATH check_examples "the manual page at $width columns" \
        < <(sed -n '/^EXAMPLES/,/^SEE ALSO/p' <<< "$text" | sed -n 's/^ *\(\$ quirt-format\)/\1/p; s/^ *\(\[0 %brax\)/\1/p')
done
for claim in 'Standard output is not escaped' 'an expression can never begin with' 'an empty one counts as absent' \
    'A standard stream that is closed when the tool starts is opened on' \
    'so what would go there is dropped and the exit status is as if it had been written'; do
    zcat "$manual" | tr -s '\n ' ' ' | grep -qF -- "$claim" || fail "the manual page does not say: $claim"
done

step "the completions' answers from the installed files"
for shell_and_file in bash:share/bash-completion/completions/quirt-format \
    fish:share/fish/vendor_completions.d/quirt-format.fish zsh:share/zsh/site-functions/_quirt-format; do
    status=0
    bash tests/completion_test.sh "${shell_and_file%%:*}" "$prefix/${shell_and_file#*:}" > /dev/null ||
        status=$?
    ((status == 0 || status == 77)) || fail "${shell_and_file%%:*} completion answers"
done

step "the README's line for each shell turns the completions on under ~/.local"
completions=$(readme_block_with '~/.local/share/fish')
bash_line=$(grep '# bash,' <<< "$completions")
zsh_line=$(grep '# zsh,' <<< "$completions")
fish_line=$(grep '# fish,' <<< "$completions")
[[ -n $bash_line && -n $zsh_line && -n $fish_line ]] || fail "the README lacks a line for bash, zsh or fish"
bash --norc -c "$bash_line
complete -p quirt-format" | grep -q _quirt_format || fail "bash: $bash_line"
if command -v zsh > /dev/null; then
    same "$(zsh -f -c "$zsh_line
autoload -Uz compinit && compinit -u -d $HOME/.zcompdump && print -r -- \${_comps[quirt-format]}")" \
        _quirt-format "zsh: $zsh_line"
fi
if command -v fish > /dev/null; then
    # In the start-up file the README names; fish completes only a command it finds.
    mkdir -p "$HOME/.config/fish"
    echo "$fish_line" > "$HOME/.config/fish/config.fish"
    same "$(PATH=$prefix/bin:$PATH fish -c "complete -C 'quirt-format -'" | cut -f1 | sort | tr '\n' ' ')" \
        "-h -k " "fish: $fish_line"
fi

step "after an install into /usr/local, each shell finds the completions as the README says"
usr_local_lines=$(readme_block_with '/usr/local/share/fish')
bash_line=$(grep '# bash' <<< "$usr_local_lines")
fish_line=$(grep '# fish,' <<< "$usr_local_lines")
[[ -n $bash_line && -n $fish_line ]] || fail "the README lacks the /usr/local lines for bash and fish"
# In a mount namespace of its own with an empty /usr/local, so that nothing is
# installed on the machine; the shells keep their default search paths.
cat > "$scratch/usr-local.sh" << 'EOF'
set -euo pipefail
release=$1 bash_line=$2 fish_line=$3
mount -t tmpfs tmpfs /usr/local
cmake --install "$release" > /dev/null
unset XDG_DATA_DIRS BASH_COMPLETION_USER_DIR
export PATH=/usr/local/bin:$PATH
if [[ -f /usr/share/bash-completion/bash_completion ]]; then
    bash --norc -c 'source /usr/share/bash-completion/bash_completion && __load_completion quirt-format &&
        complete -p quirt-format' | grep -q _quirt_format || { echo "bash with bash-completion"; exit 1; }
else
    echo "install check: no bash-completion package, so bash as installed is not checked" >&2
fi
bash --norc -c "$bash_line
complete -p quirt-format" | grep -q _quirt_format || { echo "bash: $bash_line"; exit 1; }
if command -v zsh > /dev/null; then
    [[ $(zsh -f -c "autoload -Uz compinit && compinit -u -d $HOME/.zcompdump-usr-local &&
        print -r -- \${_comps[quirt-format]}") == _quirt-format ]] || { echo "zsh as installed"; exit 1; }
fi
if command -v fish > /dev/null; then
    options() { fish -c "complete -C 'quirt-format -'" | cut -f1 | sort | tr '\n' ' '; }
    [[ $(XDG_DATA_DIRS=/usr/local/share:/usr/share options) == "-h -k " ]] ||
        { echo "fish with XDG_DATA_DIRS=/usr/local/share:/usr/share"; exit 1; }
    echo "$fish_line" > "$HOME/.config/fish/config.fish"
    [[ $(options) == "-h -k " ]] || { echo "fish: $fish_line"; exit 1; }
fi
EOF
namespace=(unshare --mount --propagation private)
((EUID == 0)) || namespace+=(--map-root-user)
mkdir -p "$scratch/usr-local-home/.config/fish"
failed=$(HOME=$scratch/usr-local-home "${namespace[@]}" bash "$scratch/usr-local.sh" "$PWD/$release" \
    "$bash_line" "$fish_line") || fail "after an install into /usr/local, the completion is not found: $failed"

step "the library: every form of words from find_package (under ASan and UBSan), the build tree, pkg-config"
sanitize=-fsanitize=address,undefined
cmake -S tests/consumer -B "$scratch/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_FLAGS="$sanitize -fno-sanitize-recover=all" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" > /dev/null
cmake --build "$scratch/consumer" > /dev/null || fail "the find_package consumer does not build"
same "$("$scratch/consumer/consumer")" "$consumer_line" "find_package consumer"
# Through a link to the library directory, as /lib links to /usr/lib on Debian.
ln -s "$prefix/lib" "$scratch/linked-lib"
cmake -S tests/consumer -B "$scratch/linked-consumer" -G Ninja \
    -Dquirt-format_DIR="$scratch/linked-lib/$multiarch/cmake/quirt-format" > /dev/null ||
    fail "find_package through a link to the library directory does not configure"
cmake --build "$scratch/linked-consumer" > /dev/null || fail "the consumer found through a link does not build"
same "$("$scratch/linked-consumer/consumer")" "$consumer_line" "the consumer found through a link"
cmake -S tests/consumer -B "$scratch/build-tree-consumer" -G Ninja -Dquirt-format_DIR="$PWD/$release" > /dev/null
cmake --build "$scratch/build-tree-consumer" > /dev/null || fail "the consumer of the build tree does not build"
same "$("$scratch/build-tree-consumer/consumer")" "$consumer_line" "consumer of the build tree"
flags=$(PKG_CONFIG_PATH=$prefix/lib/$multiarch/pkgconfig pkg-config --cflags --libs quirt-format) ||
    fail "pkg-config does not find quirt-format"
# shellcheck disable=SC2086 # the flags are words
c++ -std=c++20 -o "$scratch/pkg-config-consumer" tests/consumer/main.cpp $flags ||
    fail "the pkg-config consumer does not build"
same "$("$scratch/pkg-config-consumer")" "$consumer_line" "pkg-config consumer"

step "the README's library example runs as written; the header states every rule a caller must keep"
readme_block_with 'quirt_format::format_request(quirt_format::EVAL_THREAD' > "$scratch/readme-example.cpp"
echo 'int main() { return std::puts(line.c_str()) < 0 ? 1 : 0; }' >> "$scratch/readme-example.cpp"
# shellcheck disable=SC2086 # the flags are words
c++ -std=c++20 -include cstdio -o "$scratch/readme-example" "$scratch/readme-example.cpp" $flags ||
    fail "the README's library example does not compile"
same "$("$scratch/readme-example")" "$(sed -n 's|^// ||p' "$scratch/readme-example.cpp")" \
    "the README's library example"
# Each text that may be a const char* says that it must not be null.
header=$prefix/include/quirt_format/request.hpp
for argument in thread_name expression dependency_words line_end; do
    awk -v name="$argument" '$0 ~ "^//   " name ":" { inside = 1; print; next }
        inside && /^\/\/     / { print; next } { inside = 0 }' "$header" | tr -s '\n/ ' ' ' |
        grep -q 'not null\|none of them null' || fail "the header does not say that $argument must not be null"
done

step "FetchContent: the source tree as a subproject, and the README's snippet from a file:// clone"
cmake -S tests/subproject -B "$scratch/subproject" -G Ninja -DQUIRT_FORMAT_SOURCE_DIR="$PWD" > /dev/null ||
    fail "the FetchContent consumer does not configure"
cmake --build "$scratch/subproject" > /dev/null || fail "the FetchContent consumer does not build"
same "$("$scratch/subproject/consumer")" "$consumer_line" "FetchContent consumer"
git clone --quiet "file://$PWD" "$scratch/clone"
mkdir "$scratch/snippet"
cp tests/consumer/main.cpp "$scratch/snippet/"
{
    echo "cmake_minimum_required(VERSION 3.25)"
    echo "project(snippet LANGUAGES CXX)"
    echo "add_executable(my_target main.cpp)"
    readme_block_with 'FetchContent_Declare'
} > "$scratch/snippet/CMakeLists.txt"
cmake -S "$scratch/snippet" -B "$scratch/snippet/build" -G Ninja \
    -DQUIRT_FORMAT_REPOSITORY="file://$scratch/clone" > "$scratch/snippet.log" 2>&1 ||
    fail "the README's FetchContent snippet does not configure: $(tail -5 "$scratch/snippet.log")"
cmake --build "$scratch/snippet/build" > /dev/null || fail "the README's FetchContent snippet does not build"
same "$("$scratch/snippet/build/my_target")" "$consumer_line" "the README's FetchContent snippet"

step "the plain habit, cmake -B build, gives the same fast tool as the presets, and builds nothing else"
cmake -S . -B "$scratch/plain" > "$scratch/plain.log" || fail "the plain configure failed"
grep -q 'the tool is linked statically' "$scratch/plain.log" || fail "the plain configure does not say it links statically"
same "$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$scratch/plain/CMakeCache.txt")" Release "plain build type"
cmake --build "$scratch/plain" -j 2 > "$scratch/plain-build.log" 2>&1 ||
    fail "the plain build failed: $(tail -20 "$scratch/plain-build.log")"
! grep -q 'warning:' "$scratch/plain-build.log" ||
    fail "the plain build warns: $(grep -m5 'warning:' "$scratch/plain-build.log")"
[[ ! -e $scratch/plain/tests ]] || fail "the plain build builds the tests"
cmake --install "$scratch/plain" --prefix "$scratch/plain-prefix" > /dev/null
is_static "$scratch/plain-prefix/bin/quirt-format" || fail "the plain build's tool is not static"
same "$("$scratch/plain-prefix/bin/quirt-format" '(add 1 2)' dep1)" "$line" "plain build's tool"

step "cpack in the plain build: the package preset's Debian packages, a tarball for the build's /usr/local"
(cd "$scratch/plain" && cpack -G "DEB;TGZ" > /dev/null 2>&1) || fail "cpack failed in the plain build"
# What a package is: its control fields, and each path with its mode and owner.
package_text() { dpkg-deb -f "$1" && dpkg-deb -c "$1" | awk '{ print $1, $2, $6 }'; }
for each in quirt-format quirt-format-dev; do
    plain_deb=$scratch/plain/packages/${each}_${version}_$architecture.deb
    diff <(package_text "$package/packages/$(basename "$plain_deb")") <(package_text "$plain_deb") \
        > "$scratch/plain-diff" || fail "the plain build's $each differs from the package preset's: $(cat "$scratch/plain-diff")"
    findings=$(lintian --tag-display-limit 0 "$plain_deb" 2> /dev/null) || fail "lintian failed: $findings"
    [[ -z $findings ]] || fail "lintian on the plain build's $each: $findings"
done
tar -tzf "$scratch/plain/packages/quirt-format-$version-Linux.tar.gz" > "$scratch/plain-tar"
grep -q '/usr/local/bin/quirt-format$' "$scratch/plain-tar" || fail "the plain build's tarball is not for /usr/local"
grep -q '/usr/local/share/zsh/site-functions/_quirt-format$' "$scratch/plain-tar" ||
    fail "the plain build's tarball puts the zsh completion elsewhere than site-functions"
! grep -q lintian "$scratch/plain-tar" || fail "the tarball carries the lintian override"

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
grep -q '/usr/share/zsh/vendor-completions/_quirt-format$' "$scratch/tar-contents" ||
    fail "the tarball for /usr puts the zsh completion elsewhere than vendor-completions"
! grep -q lintian "$scratch/tar-contents" || fail "the tarball carries the lintian override"

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

echo "install check: the README, the manual page, every file, the completions, the consumers, the plain build and the packages are right"
