#!/usr/bin/env bash
# Asks a shell's completion for quirt-format what it offers after each
# command line of the table below, and compares. Exit 77: that shell is not
# installed.
#   completion_test.sh bash|fish|zsh COMPLETION_FILE
set -uo pipefail
shell=$1
file=$2

# command line (the cursor at its end) | bash's answers | fish's | zsh's, each
# sorted and joined by ", ", so that one candidate "-h -k" shows as such.
# Every shell offers options only once a word begins with "-", so that none
# inserts an option into an empty word. zsh's headings and messages are
# shown in parentheses; it shows nothing at all after -h.
cases=(
    'quirt-format |||(Velk expression)'
    'quirt-format -|-h, -k|-h, -k|(Velk expression), (option), -h, -k'
    'quirt-format -k|-k|-k|(option), -k'
    'quirt-format -h|-h|-h|(option), -h'
    'quirt-format -k |||(Velk expression)'
    'quirt-format -k -k |||(Velk expression)'
    'quirt-format -k -|-h|-h|(Velk expression), (option), -h'
    'quirt-format -h |||'
    'quirt-format -h -|||'
    'quirt-format x |||(dependency word)'
    'quirt-format x -|||(dependency word)'
    'quirt-format ad|||(Velk expression)'
    'quirt-format -k ad|||(Velk expression)'
    'quirt-format -k x -|||(dependency word)'
    'quirt-format -x |||(Velk expression)'
)

# The second argument is the IFS in force when the completion runs.
answers_bash() {
    # shellcheck source=/dev/null
    source "$file"
    local line=$1
    IFS=$' \t\n' read -r -a COMP_WORDS <<< "$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    local IFS=${2-$' \t\n'}
    _quirt_format quirt-format "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    IFS=$' \t\n'
    printf '%s\n' "${COMPREPLY[@]}"
}

# The same, in a shell whose IFS is a newline: the answers must not change.
answers_bash_newline_ifs() {
    answers_bash "$1" $'\n'
}

answers_fish() {
    fish --no-config -c "source '$file'; complete -C '$1'" | cut -f1
}

# zsh answers only inside its line editor: zsh_answers.zsh types every line
# into one on a pseudo-terminal, once for the whole table.
declare -A zsh_answers
answers_zsh() {
    [[ -n ${zsh_answers[$1]-} ]] && printf '%s\n' "${zsh_answers[$1]%$'\n'}"
    return 0
}

load_zsh_answers() {
    local lines=() entry got current=''
    for entry in "${cases[@]}"; do
        lines+=("${entry%%|*}")
    done
    got=$(zsh -f "$(dirname "$0")/zsh_answers.zsh" "$file" "${lines[@]}") || return 1
    while IFS= read -r entry; do
        case $entry in
            '= '*) current=${entry#= }; zsh_answers[$current]='' ;;
            'match '*) zsh_answers[$current]+="${entry#match }"$'\n' ;;
            'message '*) zsh_answers[$current]+="(${entry#message })"$'\n' ;;
        esac
    done <<< "$got"
}

shells=("$shell")
case $shell in
    bash)
        complete -p quirt-format > /dev/null 2>&1 && { echo "registered before sourcing"; exit 1; }
        shells=(bash bash_newline_ifs)
        ;;
    fish)
        command -v fish > /dev/null || { echo "fish is not installed"; exit 77; }
        ;;
    zsh)
        command -v zsh > /dev/null || { echo "zsh is not installed"; exit 77; }
        zsh -n "$file" || { echo "the zsh completion does not parse"; exit 1; }
        load_zsh_answers || { echo "zsh gave no answers"; exit 1; }
        ;;
    *) echo "no such shell: $shell"; exit 2 ;;
esac

failed=0
for entry in "${cases[@]}"; do
    IFS='|' read -r line bash_expected fish_expected zsh_expected <<< "$entry"
    for each in "${shells[@]}"; do
        case $each in
            bash*) expected=$bash_expected ;;
            fish) expected=$fish_expected ;;
            zsh) expected=$zsh_expected ;;
        esac
        got=$("answers_$each" "$line" | sort | paste -s -d ',' | sed 's/,/, /g')
        if [[ $got == "$expected" ]]; then
            echo "ok      $each '$line' -> '$got'"
        else
            echo "FAILED  $each '$line' -> '$got', expected '$expected'"
            failed=1
        fi
    done
done
exit "$failed"
