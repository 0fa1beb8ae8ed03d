# fish completion for quirt-format. The tool reads options only before the
# expression: -h and -k are offered while every word so far is -k, and
# nothing, not even file names, anywhere else.
function __quirt_format_before_expression
    for word in (commandline -opc)[2..-1]
        test "$word" = -k; or return 1
    end
end

function __quirt_format_k_given
    contains -- -k (commandline -opc)[2..-1]
end

complete -c quirt-format -f
# -o, not -s: the tool takes no bundled options such as -kh.
complete -c quirt-format -n __quirt_format_before_expression -o h -d 'Show usage info'
complete -c quirt-format -n '__quirt_format_before_expression; and not __quirt_format_k_given' \
    -o k -d "Format for the 'murl-eval' thread instead"
