#!/usr/bin/env bash
# Throughput of zarkent-cli on one file in the page cache, next to its peers on the same file in the
# same run: cp (copy), age (modern encryption), gzip -6, pigz -6 on every core and pigz -d. Each
# command runs RUNS times (default 3), the runs of all commands interleaved so that a change in the
# machine's load hits them alike; the figures are medians and the ratios are taken between them.
# BASELINE_CLI=path adds an older zarkent-cli (for example a build of the previous release) to the
# compressed encryption. Also peak memory, and the load of the machine before and after.
# Usage: [BENCH_DIR=folder] [RUNS=n] [BASELINE_CLI=path] bench/bench_io.sh BUILD_DIR [SIZE_MIB]
#        (needs: age, gzip, pigz, /usr/bin/time)
set -euo pipefail
CLI=$(realpath "$1/zarkent-cli")
SIZE_MIB=${2:-1024}
RUNS=${RUNS:-3}
BASELINE=${BASELINE_CLI:+$(realpath "$BASELINE_CLI")}
CORES=$(nproc)
source "$(dirname "$0")/lib.sh"
printf 'benchmark password\n' >pw
age-keygen -o key.txt 2>/dev/null
recipient=$(grep -o 'age1[0-9a-z]*' key.txt | head -1)
"$CLI" encrypt --keep --password-file pw input.bin >/dev/null && mv input.bin.zrk stored.zrk
"$CLI" encrypt --keep --compress --password-file pw input.bin >/dev/null && mv input.bin.zrk compressed.zrk
age -r "$recipient" -o dec.age input.bin
pigz -6 -p "$CORES" -c input.bin >dec.gz
cat input.bin stored.zrk compressed.zrk dec.age dec.gz >/dev/null # into the page cache

# name|command; every output goes to a name that is removed before the next run.
commands=(
    "cp|cp input.bin out.cp"
    "age|age -r $recipient -o out.age input.bin"
    "age-d|age -d -i key.txt -o out.agedec dec.age"
    "gzip|sh -c 'gzip -6 -c input.bin > out.gz'"
    "pigz|sh -c 'pigz -6 -p $CORES -c input.bin > out.gz'"
    "pigz-d|sh -c 'pigz -d -c dec.gz > out.raw'"
    "enc|'$CLI' encrypt --keep --password-file pw input.bin"
    "cenc|'$CLI' encrypt --keep --compress --password-file pw input.bin"
    "cenc1|'$CLI' encrypt --keep --compress --threads 1 --password-file pw input.bin"
    "dec|'$CLI' decrypt --keep --password-file pw stored.zrk"
    "cdec|'$CLI' decrypt --keep --password-file pw compressed.zrk"
)
[ -n "$BASELINE" ] && commands+=("cbase|'$BASELINE' encrypt --keep --compress --password-file pw input.bin")

declare -A times
for _ in $(seq "$RUNS"); do
    for entry in "${commands[@]}"; do
        name=${entry%%|*}
        rm -f out.* input.bin.zrk '(0)input.bin' 2>/dev/null || true
        start=$(date +%s.%N)
        eval "${entry#*|}" >/dev/null
        end=$(date +%s.%N)
        times[$name]+="$(python3 -c "print($end - $start)") "
    done
done
rm -f out.* input.bin.zrk '(0)input.bin'


echo "file: $SIZE_MIB MiB in the page cache, $CORES cores, median of $RUNS interleaved runs"
printf '%-40s %8s MB/s\n' "cp" "$(mbps cp)"
printf '%-40s %8s MB/s\n' "age -r KEY (encrypt)" "$(mbps age)"
printf '%-40s %8s MB/s\n' "age -d (decrypt)" "$(mbps age-d)"
printf '%-40s %8s MB/s\n' "gzip -6" "$(mbps gzip)"
printf '%-40s %8s MB/s\n' "pigz -6 -p $CORES" "$(mbps pigz)"
printf '%-40s %8s MB/s (of its output)\n' "pigz -d" "$(mbps pigz-d)"
printf '%-40s %8s MB/s  %s x cp  %s x age\n' "zarkent-cli encrypt --keep" "$(mbps enc)" \
    "$(ratio enc cp)" "$(ratio enc age)"
printf '%-40s %8s MB/s  %s x cp  %s x age -d\n' "zarkent-cli decrypt --keep" "$(mbps dec)" \
    "$(ratio dec cp)" "$(ratio dec age-d)"
printf '%-40s %8s MB/s  %s x pigz -6 -p %s  %s x gzip -6  %s x --threads 1\n' \
    "zarkent-cli encrypt --keep --compress" "$(mbps cenc)" "$(ratio cenc pigz)" "$CORES" "$(ratio cenc gzip)" \
    "$(ratio cenc cenc1)"
printf '%-40s %8s MB/s  %s x gzip -6\n' "  the same, --threads 1" "$(mbps cenc1)" "$(ratio cenc1 gzip)"
if [ -n "$BASELINE" ]; then
    printf '%-40s %8s MB/s  %s x gzip -6; the new one is %s x this\n' "  baseline zarkent-cli --compress" \
        "$(mbps cbase)" "$(ratio cbase gzip)" "$(ratio cenc cbase)"
fi
printf '%-40s %8s MB/s  %s x pigz -d\n' "zarkent-cli decrypt --keep (compressed)" "$(mbps cdec)" "$(ratio cdec pigz-d)"

for mode in "encrypt --keep" "encrypt --keep --compress"; do
    rm -f input.bin.zrk
    kib=$(/usr/bin/time -f %M "$CLI" $mode --password-file pw input.bin 2>&1 >/dev/null | tail -1)
    printf 'peak memory, %-26s %6s KiB\n' "$mode:" "$kib"
done
for file in stored compressed; do
    rm -f '(0)input.bin'
    kib=$(/usr/bin/time -f %M "$CLI" decrypt --keep --password-file pw $file.zrk 2>&1 >/dev/null | tail -1)
    printf 'peak memory, %-26s %6s KiB\n' "decrypt --keep ($file):" "$kib"
done
echo "load after: $(uptime | sed 's/.*load average: //')"
