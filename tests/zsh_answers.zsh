#!/usr/bin/env zsh
# Prints what zsh's completion offers for each command line, the cursor at
# its end: a line "= LINE", then "match WORD" for each candidate and
# "message TEXT" for each heading or message it would show.
#   zsh -f zsh_answers.zsh COMPLETION_FILE LINE...
# zsh completes only inside its line editor, so each line is typed into an
# interactive zsh on a pseudo-terminal (zpty), where TAB runs a widget that
# completes with compadd wrapped to print what it is given.
zmodload zsh/zpty || exit 77
file=$1
shift
directory=$(mktemp -d) || exit 1
trap 'rm -rf $directory' EXIT
cp $file $directory/ || exit 1

cat > $directory/setup.zsh <<SETUP
PS1='' PS2='' RPS1=''
unsetopt beep
fpath=($directory \$fpath)
autoload -Uz compinit && compinit -u -D
zstyle ':completion:*' format '%d'
zstyle ':completion:*:messages' format '%d'
compadd() {
    local -a matches
    local index explanation=''
    # Calls that only collect matches into arrays are passed through.
    if (( \${@[(I)-[OAD]*]} )); then
        builtin compadd "\$@"
        return
    fi
    for ((index = 1; index <= \$#; index++)); do
        case \${@[index]} in
            -[Xx]) explanation=\${@[index + 1]} ;;
            -[Xx]?*) explanation=\${@[index]#-?} ;;
        esac
    done
    builtin compadd -O matches "\$@"
    [[ -n \$explanation ]] && print -r -- "message \${(%)explanation}"
    (( \$#matches )) && print -rl -- \${matches/#/match }
    builtin compadd "\$@"
}
answer() {
    print -r -- '<answers>'
    zle complete-word
    print -r -- '</answers>'
    BUFFER=''
}
zle -N answer
bindkey '^I' answer
SETUP

zpty answers zsh -f -i || exit 1
zpty -w answers "source $directory/setup.zsh"
for line in "$@"; do
    print -r -- "= $line"
    zpty -w -n answers "$line"$'\t'
    reading=0
    for ((tries = 0; tries < 500; tries++)); do
        zpty -r -t answers got || { sleep 0.01; continue; }
        got=${got//$'\r'/}
        got=${got%$'\n'}
        case $got in
            *'</answers>'*) break ;;
            *'<answers>'*) reading=1 ;;
            'match '*|'message '*) ((reading)) && print -r -- $got ;;
        esac
    done
    ((tries < 500)) || { print -r -- "timed out"; exit 1; }
done
zpty -d answers
