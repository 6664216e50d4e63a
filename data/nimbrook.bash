# bash completion for nimbrook, the clipboard history
_nimbrook() {
    local cur prev words cword
    _init_completion || return

    local commands="list search get copy paste delete pin unpin convert clear pause resume"
    local conversions="prettifyJSON minifyJSON wrapCode htmlToMarkdown urlToMarkdown stripFormat"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -n | --limit) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        -n | --limit) return ;;
    esac

    case $command in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--help --version --toggle" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            fi
            ;;
        list | search)
            [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--limit --json --help" -- "$cur"))
            ;;
        clear)
            COMPREPLY=($(compgen -W "--yes" -- "$cur"))
            ;;
        get)
            [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--image" -- "$cur"))
            ;;
        convert)
            # After the entry number comes the conversion.
            local positional=0
            for ((i = i + 1; i < cword; i++)); do
                [[ ${words[i]} != -* ]] && ((positional++))
            done
            ((positional == 1)) && COMPREPLY=($(compgen -W "$conversions" -- "$cur"))
            ;;
    esac
} &&
    complete -F _nimbrook nimbrook
