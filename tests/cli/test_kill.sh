#!/usr/bin/env bash
# SIGKILL at moments spread over the work, in each mode of zarkent-cli. After every kill the folder
# holds the source, intact, or the complete output, or both, and nothing else: no partial output under
# its name, no intermediate or temporary file with plain data in it. A password change leaves the old
# file or the new one under the name, whole, and at most the other one under its temporary name.
set -u
CLI=$(realpath "$1")
POINTS=${2:-8}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
kills=0
passwd_old=0 passwd_new=0 # how many password-change kills left the old file, and the new one
fail() { failures=$((failures + 1)); printf 'FAIL: %s\n' "$1"; }

printf 'kill test password\n' >pw
printf 'the new one\n' >pw-new
# Half random, half text: both the cipher and the compressor have work to do.
{ head -c 24000000 /dev/urandom; yes 'zarkent keeps every byte of its files safe' | head -c 24000000; } >master.bin
"$CLI" encrypt --keep --password-file pw master.bin >/dev/null && mv master.bin.zrk master-stored.zrk
"$CLI" encrypt --keep --compress --password-file pw master.bin >/dev/null && mv master.bin.zrk master-compressed.zrk
# What a password change of each must give.
for kind in stored compressed; do
    cp "master-$kind.zrk" "changed-$kind.zrk"
    "$CLI" passwd --password-file pw --new-password-file pw-new "changed-$kind.zrk" >/dev/null
done

restores_to_master() { # restores_to_master ZRK NAME: decrypts a copy elsewhere; NAME must hold the master
    rm -rf check && mkdir check && cp "$1" check/x.zrk
    "$CLI" decrypt --password-file pw check/x.zrk >/dev/null 2>&1 && cmp -s "check/$2" master.bin
}

for mode in encrypt encrypt-compress decrypt decrypt-compress passwd passwd-compress; do
    changed=
    case $mode in
        encrypt) source=master.bin; args=(encrypt) ;;
        encrypt-compress) source=master.bin; args=(encrypt --compress) ;;
        decrypt) source=master-stored.zrk; args=(decrypt) ;;
        decrypt-compress) source=master-compressed.zrk; args=(decrypt) ;;
        passwd) source=master-stored.zrk; changed=changed-stored.zrk; args=(passwd --new-password-file pw-new) ;;
        passwd-compress) source=master-compressed.zrk; changed=changed-compressed.zrk; args=(passwd --new-password-file pw-new) ;;
    esac
    name=data.bin
    [[ $mode == decrypt* || $mode == passwd* ]] && name=data.bin.zrk
    # How long one run takes here, so that the kills spread over the whole of it.
    rm -rf run && mkdir run && cp "$source" "run/$name"
    start=$(date +%s%N)
    "$CLI" "${args[@]}" --password-file pw "run/$name" >/dev/null 2>&1
    duration=$(( ($(date +%s%N) - start) / 1000 ))
    for ((i = 0; i < POINTS; i++)); do
        rm -rf run && mkdir run && cp "$source" "run/$name"
        delay=$(( duration * i / POINTS + duration / (2 * POINTS) )) # microseconds
        "$CLI" "${args[@]}" --password-file pw "run/$name" >/dev/null 2>&1 &
        pid=$!
        sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
        kill -KILL $pid 2>/dev/null
        wait $pid 2>/dev/null
        kills=$((kills + 1))
        what="$mode, kill at ${delay} us of ${duration} us"
        if [ -n "$changed" ]; then
            # The name holds the old file or the new one; a temporary name, at most the other one.
            old=no
            if cmp -s "run/$name" "$source"; then old=yes; other=$changed
            elif cmp -s "run/$name" "$changed"; then other=$source
            else fail "$what: the file is neither the old nor the new one, whole"; other=; fi
            for entry in run/* run/.[!.]*; do
                [ -e "$entry" ] || continue
                case ${entry#run/} in
                    "$name") ;;
                    "$name"_____.tmp.tzl.[0-9]*)
                        [ -n "$other" ] && cmp -s "$entry" "$other" || fail "$what: the temporary file is not the other file, whole" ;;
                    *) fail "$what: left behind: ${entry#run/}" ;;
                esac
            done
            [ "$old" = yes ] && passwd_old=$((passwd_old + 1)) || passwd_new=$((passwd_new + 1))
            continue
        fi
        # Nothing but the source, intact, and the complete output; at least one of them.
        found=0
        for entry in run/* run/.[!.]*; do
            [ -e "$entry" ] || continue
            case ${entry#run/} in
                "$name") cmp -s "$entry" "$source" || fail "$what: the source changed" ;;
                data.bin.zrk) restores_to_master "$entry" data.bin || fail "$what: an incomplete .zrk file" ;;
                master.bin) cmp -s "$entry" master.bin || fail "$what: a half file under the restored name" ;;
                *) fail "$what: left behind: ${entry#run/}" ;;
            esac
            found=$((found + 1))
        done
        [ "$found" -gt 0 ] || fail "$what: neither the source nor the output is there"
    done
done
echo "$kills kills ($passwd_old password changes killed before the exchange, $passwd_new after), $failures failures"
[ "$failures" -eq 0 ]
