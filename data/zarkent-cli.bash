# bash completion for zarkent-cli: the commands, their options, option values, and file arguments
# (.zrk files for decrypt, test and passwd; folders after -r).

_zarkent_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="encrypt decrypt test passwd wipe md5 passgen random"
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command=${COMP_WORDS[1]} options recursive="" ended="" i
    for ((i = 2; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            -r | --recursive) recursive=1 ;;
            --) ended=1 ;;
        esac
    done
    case $command in
        encrypt) options="--compress --threads --keep --password-file -o --output --name --armor -r --recursive" ;;
        decrypt) options="--keep --password-file -o --output -r --recursive" ;;
        test) options="--password-file" ;;
        passwd) options="--password-file --new-password-file" ;;
        wipe) options="--method" ;;
        md5) options="--upper --check -c" ;;
        passgen) options="--length --digits --mixed --letters --chars --count" ;;
        random) options="--bound --count --format --secure --as-window" ;;
        *) return ;;
    esac
    options="$options --help -h"

    if [ -z "$ended" ]; then
        case $prev in
            --password-file | --new-password-file | -o | --output | --check | -c)
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -f -- "$cur"))
                return
                ;;
            --method)
                COMPREPLY=($(compgen -W "0 1 2 3 4 5 6" -- "$cur"))
                return
                ;;
            --format)
                COMPREPLY=($(compgen -W "decimal c pascal plain-hex" -- "$cur"))
                return
                ;;
            --threads | --name | --length | --count | --chars | --bound)
                return
                ;;
        esac
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$options" -- "$cur"))
            return
        fi
    fi

    compopt -o filenames 2>/dev/null
    if [ -n "$recursive" ]; then
        COMPREPLY=($(compgen -d -- "$cur"))
        return
    fi
    case $command in
        decrypt | test | passwd)
            # .zrk files, and folders to reach them.
            local IFS=$'\n'
            COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[zZ][rR][kK]' -- "$cur"))
            ;;
        encrypt | wipe | md5)
            local IFS=$'\n'
            COMPREPLY=($(compgen -f -- "$cur"))
            ;;
    esac
}
complete -F _zarkent_cli zarkent-cli
