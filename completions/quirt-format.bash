# bash completion for quirt-format. Plain bash: it needs nothing from the
# bash-completion package.
#
# The tool reads options only before the expression, so -h and -k are
# offered only while every word so far is -k, and only once the word begins
# with "-": a lone candidate would otherwise be inserted into an empty word
# and turn the command into another. After -h, the expression or anything
# else, nothing is offered (not even file names).
_quirt_format() {
    # The caller's IFS must not split the word list otherwise.
    local IFS=$' \t\n'
    local current=${COMP_WORDS[COMP_CWORD]}
    local index options="-h -k"
    COMPREPLY=()
    for ((index = 1; index < COMP_CWORD; index++)); do
        [[ ${COMP_WORDS[index]} == -k ]] || return 0
        options="-h"
    done
    if [[ $current == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$current")
    fi
    return 0
}
complete -F _quirt_format quirt-format
