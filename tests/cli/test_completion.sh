#!/usr/bin/env bash
# The bash completion of zarkent-cli, called as bash calls it: the words typed so far, the candidates
# it offers.
set -u
COMPLETION=$(realpath "$1")
CLI=$(realpath "$2") # only its --help is asked
source "$(dirname "$0")/lib.sh"
source "$COMPLETION"

offers() { # offers WORD... : the candidates for the last word, sorted, on one line
    COMP_WORDS=(zarkent-cli "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _zarkent_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

mkdir folder
touch a.txt b.zrk C.ZRK notes.txt.zrk folder/inner.zrk
check "registered for zarkent-cli" "complete -F _zarkent_cli zarkent-cli" "$(complete -p zarkent-cli)"
check "commands" "--help --version decrypt encrypt md5 passgen passwd random test wipe" "$(offers '')"
check "command prefix" "passgen passwd" "$(offers pa)"
check "program options" "--help --version" "$(offers --)"
check "decrypt options" "--help --keep --output --password-file --recursive" "$(offers decrypt --)"
check "encrypt options" "--armor --compress --help --keep --name --output --password-file --recursive --threads" \
    "$(offers encrypt --)"
check "passwd options" "--help --new-password-file --password-file" "$(offers passwd --)"
check "test options" "--help --password-file" "$(offers test --)"
check "wipe methods" "0 1 2 3 4 5 6" "$(offers wipe --method '')"
check "random formats" "pascal plain-hex" "$(offers random --format p)"
check "no files for a number" "" "$(offers encrypt --threads '')"
# File arguments: .zrk files (either case) and folders where an encrypted file is wanted, any file where a
# plain one is.
for command in decrypt test passwd; do
    check "$command takes .zrk files" "C.ZRK b.zrk folder notes.txt.zrk" "$(offers "$command" '')"
done
check "decrypt after an option" "b.zrk" "$(offers decrypt --keep b)"
check "encrypt takes any file" "C.ZRK a.txt b.zrk folder notes.txt.zrk" "$(offers encrypt --keep '')"
check "password file is any file" "a.txt" "$(offers decrypt --password-file a)"
check "output is any file" "a.txt" "$(offers encrypt -o a)"
check "-r takes folders" "folder" "$(offers encrypt -r '')"
check "-r after other options" "folder" "$(offers decrypt --keep --recursive f)"
check "after -- a dash is a name" "" "$(offers decrypt -- --)"
# Every option of a command's --help (its option lines, and -h/--help) is offered, and nothing else.
for command in encrypt decrypt test passwd wipe md5 passgen random; do
    documented=$({ echo "--help -h"; "$CLI" "$command" --help | grep -E '^  -' | sed -E 's/^  (.*[^ ])  +.*/\1/'; } |
        grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u | tr '\n' ' ' | sed 's/ $//')
    check "$command offers what its help names" "$documented" "$(offers "$command" -)"
done
finish
