#!/usr/bin/env bash
# Asks a shell's completion for quirt-format what it offers after each
# command line of the table below, and compares. Exit 77: that shell is not
# installed.
#   completion_test.sh bash|fish|zsh COMPLETION_FILE
set -uo pipefail
shell=$1
file=$2

# command line (the cursor at its end) | what must be offered, sorted.
# fish offers options only once a word begins with "-": its third field.
cases=(
    'quirt-format |-h -k|'
    'quirt-format -|-h -k'
    'quirt-format -k|-k'
    'quirt-format -h|-h'
    'quirt-format -k |-h|'
    'quirt-format -k -k |-h|'
    'quirt-format -k -|-h'
    'quirt-format -h |'
    'quirt-format x |'
    'quirt-format x -|'
    'quirt-format ad|'
    'quirt-format -k ad|'
    'quirt-format -k x -|'
    'quirt-format -x |'
)

answers_bash() {
    # shellcheck source=/dev/null
    source "$file"
    local line=$1
    read -r -a COMP_WORDS <<< "$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    _quirt_format quirt-format "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}"
}

answers_fish() {
    fish --no-config -c "source '$file'; complete -C '$1'" | cut -f1
}

case $shell in
    bash)
        complete -p quirt-format > /dev/null 2>&1 && { echo "registered before sourcing"; exit 1; }
        ;;
    fish)
        command -v fish > /dev/null || { echo "fish is not installed"; exit 77; }
        ;;
    zsh)
        # zsh answers only inside its line editor; check that the file parses.
        command -v zsh > /dev/null || { echo "zsh is not installed"; exit 77; }
        zsh -n "$file" && echo "zsh completion parses" && exit 0
        exit 1
        ;;
    *) echo "no such shell: $shell"; exit 2 ;;
esac

failed=0
for entry in "${cases[@]}"; do
    line=${entry%%|*}
    expected=${entry#*|}
    if [[ $expected == *'|'* ]]; then
        [[ $shell == fish ]] && expected=${expected#*|} || expected=${expected%%|*}
    fi
    got=$("answers_$shell" "$line" | sort | tr '\n' ' ' | sed 's/ *$//')
    if [[ $got == "$expected" ]]; then
        echo "ok      '$line' -> '$got'"
    else
        echo "FAILED  '$line' -> '$got', expected '$expected'"
        failed=1
    fi
done
exit "$failed"
