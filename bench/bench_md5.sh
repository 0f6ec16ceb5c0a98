#!/usr/bin/env bash
# zarkent-cli md5 next to md5sum on the same file in the page cache, in the same run (best of three).
# Usage: [BENCH_DIR=folder] bench/bench_md5.sh BUILD_DIR [SIZE_MIB]   (default 1024 MiB in /dev/shm)
set -euo pipefail
CLI=$(realpath "$1/zarkent-cli")
SIZE_MIB=${2:-1024}
work=$(mktemp -d "${BENCH_DIR:-/dev/shm}/zarkent-md5-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((SIZE_MIB << 20)) /dev/urandom >"$work/input.bin"
best() {
    local best=""
    for _ in 1 2 3; do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        best=$(python3 -c "b='$best'; t=$end-$start; print(min(t, float(b)) if b else t)")
    done
    echo "$best"
}
t_md5sum=$(best md5sum "$work/input.bin")
t_cli=$(best "$CLI" md5 "$work/input.bin")
[ "$(md5sum <"$work/input.bin" | cut -c1-32)" = "$("$CLI" md5 "$work/input.bin" | cut -c1-32)" ] || { echo "digests differ"; exit 1; }
python3 - "$SIZE_MIB" "$t_md5sum" "$t_cli" <<'PY'
import sys
mib, a, b = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
print(f"file: {mib} MiB in the page cache")
print(f"md5sum               {mib * 1.048576 / a:8.1f} MB/s")
print(f"zarkent-cli md5      {mib * 1.048576 / b:8.1f} MB/s  {a / b:5.2f} x md5sum")
PY
