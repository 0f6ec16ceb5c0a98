#!/usr/bin/env bash
# Throughput of zarkent-cli through pipes against its file mode on the same file in the page cache:
# encrypt and decrypt, stored and compressed, with `cat FILE | zarkent-cli ... -o - - >/dev/null`
# against `zarkent-cli encrypt|decrypt --keep FILE`, and `test` against `decrypt -o - FILE >/dev/null`
# (the work of test with the output thrown away; -o never takes an existing file such as /dev/null).
# `cat | cat` gives what the pipe itself carries, the ceiling of the stored modes through pipes.
# Each command runs RUNS times (default 5), the runs of all commands interleaved so that a change in
# the machine's load hits them alike; the figures are medians and the ratios are taken between them.
# Usage: [BENCH_DIR=folder] [RUNS=n] bench/bench_pipe.sh BUILD_DIR [SIZE_MIB]
set -euo pipefail
CLI=$(realpath "$1/zarkent-cli")
SIZE_MIB=${2:-512}
RUNS=${RUNS:-5}
source "$(dirname "$0")/lib.sh"
printf 'benchmark password\n' >pw
"$CLI" encrypt --keep --password-file pw input.bin >/dev/null && mv input.bin.zrk stored.zrk
"$CLI" encrypt --keep --compress --password-file pw input.bin >/dev/null && mv input.bin.zrk compressed.zrk
cat input.bin stored.zrk compressed.zrk >/dev/null # into the page cache

# name|command; every output goes to a name that is removed before the next run.
P="--password-file pw"
commands=(
    "enc|'$CLI' encrypt --keep $P input.bin"
    "enc-pipe|sh -c \"cat input.bin | '$CLI' encrypt --name x $P -o - - >/dev/null\""
    "cenc|'$CLI' encrypt --keep --compress $P input.bin"
    "cenc-pipe|sh -c \"cat input.bin | '$CLI' encrypt --compress --name x $P -o - - >/dev/null\""
    "dec|'$CLI' decrypt --keep $P stored.zrk"
    "dec-pipe|sh -c \"cat stored.zrk | '$CLI' decrypt $P -o - - >/dev/null\""
    "cdec|'$CLI' decrypt --keep $P compressed.zrk"
    "cdec-pipe|sh -c \"cat compressed.zrk | '$CLI' decrypt $P -o - - >/dev/null\""
    "pipe|sh -c \"cat input.bin | cat >/dev/null\""
    "ctest|'$CLI' test $P compressed.zrk"
    "cnull|sh -c \"'$CLI' decrypt $P -o - compressed.zrk >/dev/null\""
    "stest|'$CLI' test $P stored.zrk"
    "snull|sh -c \"'$CLI' decrypt $P -o - stored.zrk >/dev/null\""
)

declare -A times
for _ in $(seq "$RUNS"); do
    for entry in "${commands[@]}"; do
        name=${entry%%|*}
        rm -f input.bin.zrk '(0)input.bin' 2>/dev/null || true
        start=$(date +%s.%N)
        eval "${entry#*|}" >/dev/null
        end=$(date +%s.%N)
        times[$name]+="$(python3 -c "print($end - $start)") "
    done
done
rm -f input.bin.zrk '(0)input.bin'


echo "file: $SIZE_MIB MiB in the page cache, $(nproc) cores, median of $RUNS interleaved runs (MB/s of the plain size)"
row() { printf '%-44s %8s MB/s   %-44s %8s MB/s   pipe/file %s\n' "$1" "$(mbps "$2")" "$3" "$(mbps "$4")" "$(ratio "$4" "$2")"; }
row "encrypt --keep" enc "cat | encrypt -o - -" enc-pipe
row "encrypt --keep --compress" cenc "cat | encrypt --compress -o - -" cenc-pipe
row "decrypt --keep (stored)" dec "cat | decrypt -o - - (stored)" dec-pipe
row "decrypt --keep (compressed)" cdec "cat | decrypt -o - - (compressed)" cdec-pipe
# A pipe carries only so much: the stored modes, fast as a copy, meet its ceiling before their own.
printf '%-44s %8s MB/s   pipe/ceiling: encrypt %s, decrypt %s\n' "the pipe alone: cat | cat >/dev/null" \
    "$(mbps pipe)" "$(ratio enc-pipe pipe)" "$(ratio dec-pipe pipe)"
printf '%-44s %8s MB/s   %-44s %8s MB/s   test/decrypt %s\n' "decrypt -o - >/dev/null (compressed)" "$(mbps cnull)" \
    "test (compressed)" "$(mbps ctest)" "$(ratio ctest cnull)"
printf '%-44s %8s MB/s   %-44s %8s MB/s   test/decrypt %s\n' "decrypt -o - >/dev/null (stored)" "$(mbps snull)" \
    "test (stored)" "$(mbps stest)" "$(ratio stest snull)"
echo "load after: $(uptime | sed 's/.*load average: //')"
