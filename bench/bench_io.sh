#!/usr/bin/env bash
# Throughput of zarkent-cli on one file in the page cache, next to its peers on the same file in the
# same run: cp (copy), age (modern encryption) and gzip -6 (compression). Also peak memory.
# Usage: [BENCH_DIR=folder] bench/bench_io.sh BUILD_DIR [SIZE_MIB]   (needs: age, gzip, /usr/bin/time)
set -euo pipefail
CLI=$(realpath "$1/zarkent-cli")
SIZE_MIB=${2:-1024}
# tmpfs by default: the page cache without the noise of disk write-back.
work=$(mktemp -d "${BENCH_DIR:-/dev/shm}/zarkent-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# Half compressible text, half random: a fair input for both the cipher and the compressors.
python3 - "$SIZE_MIB" <<'PY'
import os, sys
mib = int(sys.argv[1])
words = b"zarkent protects files with a password and keeps every byte of them safe " * 14
with open("input.bin", "wb") as f:
    for i in range(mib):
        f.write(os.urandom(1 << 19) if i % 2 else (words * ((1 << 19) // len(words) + 1))[: 1 << 19])
        f.write((words * ((1 << 19) // len(words) + 1))[: 1 << 19])
PY
printf 'benchmark password\n' >pw
age-keygen -o key.txt 2>/dev/null
recipient=$(grep -o 'age1[0-9a-z]*' key.txt | head -1)
cat input.bin >/dev/null # into the page cache

seconds() { # seconds COMMAND... ; prints the wall time of the best of five runs (this machine is noisy)
    local best=""
    for _ in 1 2 3 4 5; do
        rm -f out.* input.bin.zrk '(0)'* 2>/dev/null || true
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        best=$(python3 -c "b='$best'; t=$end-$start; print(min(t, float(b)) if b else t)")
    done
    echo "$best"
}
mbps() { python3 -c "print(f'{$SIZE_MIB * 1.048576 / $1:8.1f}')"; }
ratio() { python3 -c "print(f'{$2 / $1:5.2f}')"; }

t_cp=$(seconds cp input.bin out.cp)
t_age=$(seconds age -r "$recipient" -o out.age input.bin)
t_gzip=$(seconds sh -c 'gzip -6 -c input.bin > out.gz')
t_enc=$(seconds "$CLI" encrypt --keep --password-file pw input.bin)
"$CLI" encrypt --keep --password-file pw input.bin >/dev/null
mv input.bin.zrk stored.zrk
t_dec=$(seconds "$CLI" decrypt --keep --password-file pw stored.zrk)
age -r "$recipient" -o dec.age input.bin
t_age_dec=$(seconds age -d -i key.txt -o out.agedec dec.age)
t_cenc=$(seconds "$CLI" encrypt --keep --compress --password-file pw input.bin)

echo "file: $SIZE_MIB MiB in the page cache, $(nproc) cores"
printf '%-34s %8s MB/s\n' "cp" "$(mbps "$t_cp")"
printf '%-34s %8s MB/s\n' "age -r KEY (encrypt)" "$(mbps "$t_age")"
printf '%-34s %8s MB/s\n' "age -d (decrypt)" "$(mbps "$t_age_dec")"
printf '%-34s %8s MB/s\n' "gzip -6" "$(mbps "$t_gzip")"
printf '%-34s %8s MB/s  %s x cp  %s x age\n' "zarkent-cli encrypt --keep" "$(mbps "$t_enc")" \
    "$(ratio "$t_enc" "$t_cp")" "$(ratio "$t_enc" "$t_age")"
printf '%-34s %8s MB/s  %s x cp  %s x age -d\n' "zarkent-cli decrypt --keep" "$(mbps "$t_dec")" \
    "$(ratio "$t_dec" "$t_cp")" "$(ratio "$t_dec" "$t_age_dec")"
printf '%-34s %8s MB/s  %s x gzip -6\n' "zarkent-cli encrypt --keep --compress" "$(mbps "$t_cenc")" \
    "$(ratio "$t_cenc" "$t_gzip")"
rm -f input.bin.zrk
for mode in "encrypt --keep" "encrypt --keep --compress"; do
    rm -f input.bin.zrk
    kib=$(/usr/bin/time -f %M "$CLI" $mode --password-file pw input.bin 2>&1 >/dev/null | tail -1)
    printf 'peak memory, %-26s %6s KiB\n' "$mode:" "$kib"
done
kib=$(/usr/bin/time -f %M "$CLI" decrypt --keep --password-file pw stored.zrk 2>&1 >/dev/null | tail -1)
printf 'peak memory, %-26s %6s KiB\n' "decrypt --keep:" "$kib"
