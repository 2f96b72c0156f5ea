# bash completion for torvane-cli: verbs, their sub-verbs and the options.
_torvane_cli()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --port)
            COMPREPLY=($(compgen -f -- "${cur:-/dev/}"))
            return
            ;;
        --station)
            COMPREPLY=($(compgen -W '0 1 2 3 4 5 6 7 8 9' -- "$cur"))
            return
            ;;
        --trace-file | --conditions | --out | --csv)
            _filedir
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--help --port --station --trace --trace-file --json --yes
            --conditions --out --csv' -- "$cur"))
        return
    fi

    # The verb is the first word that is neither an option nor its value.
    local i verb="" sub="" count=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --port | --station | --trace-file | --conditions | --out | --csv)
                ((i++))
                ;;
            -*) ;;
            *)
                if [[ -z $verb ]]; then
                    verb=${words[i]}
                elif [[ -z $sub ]]; then
                    sub=${words[i]}
                fi
                ((count++))
                ;;
        esac
    done

    if [[ -z $verb ]]; then
        COMPREPLY=($(compgen -W 'info send ports params programs io reset-com terminal
            monitor scope table points cam backup restore motor-backup motor-restore' -- "$cur"))
        return
    fi
    if [[ -z $sub ]]; then
        case $verb in
            params | io | points)
                COMPREPLY=($(compgen -W 'upload download' -- "$cur"))
                ;;
            programs)
                COMPREPLY=($(compgen -W 'list upload download delete batch-upload
                    batch-download' -- "$cur"))
                ;;
            scope)
                COMPREPLY=($(compgen -W 'items capture' -- "$cur"))
                ;;
            table)
                COMPREPLY=($(compgen -W 'upload download batch-upload batch-download' -- "$cur"))
                ;;
            cam)
                COMPREPLY=($(compgen -W 'upload download batch-upload batch-download
                    universal' -- "$cur"))
                ;;
            *)
                _filedir
                ;;
        esac
        return
    fi
    case $verb in
        table)
            if ((count == 2)) && [[ $sub == upload || $sub == download ]]; then
                COMPREPLY=($(compgen -W 'idx idp aac' -- "$cur"))
                return
            fi
            ;;
    esac
    _filedir
} &&
    complete -F _torvane_cli torvane-cli
