#!/usr/bin/env bash
# SIGKILL at moments spread over the work, in each mode of zarkent-cli. After every kill the folder
# holds the source, intact, or the complete output, or both, and nothing else: no partial output under
# its name, no intermediate or temporary file with plain data in it.
set -u
CLI=$(realpath "$1")
POINTS=${2:-8}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
kills=0
fail() { failures=$((failures + 1)); printf 'FAIL: %s\n' "$1"; }

printf 'kill test password\n' >pw
# Half random, half text: both the cipher and the compressor have work to do.
{ head -c 24000000 /dev/urandom; yes 'zarkent keeps every byte of its files safe' | head -c 24000000; } >master.bin
"$CLI" encrypt --keep --password-file pw master.bin >/dev/null && mv master.bin.zrk master-stored.zrk
"$CLI" encrypt --keep --compress --password-file pw master.bin >/dev/null && mv master.bin.zrk master-compressed.zrk

restores_to_master() { # restores_to_master ZRK NAME: decrypts a copy elsewhere; NAME must hold the master
    rm -rf check && mkdir check && cp "$1" check/x.zrk
    "$CLI" decrypt --password-file pw check/x.zrk >/dev/null 2>&1 && cmp -s "check/$2" master.bin
}

for mode in encrypt encrypt-compress decrypt decrypt-compress; do
    case $mode in
        encrypt) source=master.bin; args=(encrypt) ;;
        encrypt-compress) source=master.bin; args=(encrypt --compress) ;;
        decrypt) source=master-stored.zrk; args=(decrypt) ;;
        decrypt-compress) source=master-compressed.zrk; args=(decrypt) ;;
    esac
    name=data.bin
    [[ $mode == decrypt* ]] && name=data.bin.zrk
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
echo "$kills kills, $failures failures"
[ "$failures" -eq 0 ]
