#!/usr/bin/env bash
# Secure deletion on a real disk folder: bytes written to the device per second by zarkent-cli wipe
# with methods 0 (4 overwrites) and 1 (12 overwrites), next to shred -n 4 and shred -n 12 on the same
# file in the same run (shred flushes each pass), and the wipe's peak memory.
# Usage: [BENCH_DIR=folder] bench/bench_wipe.sh BUILD_DIR [SIZE_MIB]   (default 256 MiB in /var/tmp)
set -euo pipefail
CLI=$(realpath "$1/zarkent-cli")
SIZE_MIB=${2:-256}
work=$(mktemp -d "${BENCH_DIR:-/var/tmp}/zarkent-wipe-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c $((SIZE_MIB << 20)) /dev/urandom >master.bin

seconds() { # seconds OVERWRITES COMMAND... ; the wall time of one run on a fresh copy
    cp master.bin victim.bin && sync
    local start end
    start=$(date +%s.%N)
    "${@:2}" >/dev/null
    sync
    end=$(date +%s.%N)
    python3 -c "print($end - $start)"
}
rate() { python3 -c "print(f'{$SIZE_MIB * 1.048576 * $1 / $2:8.1f}')"; }
ratio() { python3 -c "print(f'{$1 / $2:5.2f}')"; }

t_shred4=$(seconds 4 shred -n 4 -u victim.bin)
t_wipe0=$(seconds 4 "$CLI" wipe --method 0 victim.bin)
t_shred12=$(seconds 12 shred -n 12 -u victim.bin)
t_wipe1=$(seconds 12 "$CLI" wipe --method 1 victim.bin)
echo "file: $SIZE_MIB MiB in $(df -T . | awk 'NR==2 {print $2}') at ${BENCH_DIR:-/var/tmp}"
printf '%-32s %8s MB/s to the device\n' "shred -n 4 -u" "$(rate 4 "$t_shred4")"
printf '%-32s %8s MB/s to the device  %s x shred\n' "zarkent-cli wipe --method 0" "$(rate 4 "$t_wipe0")" \
    "$(ratio "$t_shred4" "$t_wipe0")"
printf '%-32s %8s MB/s to the device\n' "shred -n 12 -u" "$(rate 12 "$t_shred12")"
printf '%-32s %8s MB/s to the device  %s x shred\n' "zarkent-cli wipe --method 1" "$(rate 12 "$t_wipe1")" \
    "$(ratio "$t_shred12" "$t_wipe1")"
cp master.bin victim.bin
kib=$(/usr/bin/time -f %M "$CLI" wipe --method 0 victim.bin 2>&1 >/dev/null | tail -1)
printf 'peak memory, wipe --method 0:  %6s KiB\n' "$kib"
