#!/usr/bin/env bash
# zarkent-cli encrypt -r against the window's folder batch (bench_batch --encrypt-folder) on the same N
# files of 4 KiB in one folder, in interleaved runs (the order swapped every round); then the peak memory
# of encrypt -r over N and 10 N files, in one folder and spread over folders of 100, to show whether it
# grows with the number of files. Under /dev/shm where there is one, so the disk does not set the pace.
#
# Usage: bench/bench_tree.sh ZARKENT_CLI BENCH_BATCH [N] [ROUNDS]   (N defaults to 10000, ROUNDS to 3)
set -eu
cli=$(realpath "$1")
batch=$(realpath "$2")
n=${3:-10000}
rounds=${4:-3}
base=/dev/shm
[ -d "$base" ] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/zarkent-bench-tree.XXXXXX")
trap 'rm -rf "$work"' EXIT
printf 'bench password\n' >"$work/pw"
block=$(head -c 4090 /dev/zero | tr '\0' x)

flat() { # flat FOLDER COUNT
    rm -rf "$1" && mkdir -p "$1"
    for ((i = 0; i < $2; i++)); do printf '%s%06d' "$block" "$i" >"$1/f$i"; done
}
spread() { # spread FOLDER COUNT: folders of 100 files
    rm -rf "$1" && mkdir -p "$1"
    for ((i = 0; i < $2; i++)); do
        ((i % 100 == 0)) && mkdir "$1/d$((i / 100))"
        printf '%s%06d' "$block" "$i" >"$1/d$((i / 100))/f$i"
    done
}
measure() { # measure COMMAND...: prints "SECONDS MAXRSS_KIB"
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
        cat "$work/err" >&2
        exit 1
    }
    cat "$work/time"
}
cli_run() { measure "$cli" encrypt -r --password-file "$work/pw" "$1"; }
batch_run() { measure "$batch" --encrypt-folder "$1"; }

cli_times=() batch_times=()
for ((round = 1; round <= rounds; round++)); do
    for which in cli batch; do
        [ $((round % 2)) = 0 ] && which=$([ "$which" = cli ] && echo batch || echo cli)
        flat "$work/tree" "$n"
        read -r seconds rss < <("${which}_run" "$work/tree")
        [ "$(find "$work/tree" -name '*.zrk' | wc -l)" = "$n" ] || { echo "$which did not encrypt every file" >&2; exit 1; }
        echo "round $round  $which  ${seconds} s  ${rss} KiB"
        if [ "$which" = cli ]; then cli_times+=("$seconds"); else batch_times+=("$seconds"); fi
    done
done
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END{print v[int((NR+1)/2)]}'; }
cli_median=$(median "${cli_times[@]}")
batch_median=$(median "${batch_times[@]}")
echo "$n files of 4 KiB in $base, median of $rounds:"
awk -v n="$n" -v c="$cli_median" -v b="$batch_median" 'BEGIN {
    printf "zarkent-cli encrypt -r  %8.0f files/s\n", n / c
    printf "window batch            %8.0f files/s\n", n / b
    printf "encrypt -r / batch      %8.2f x the batch'"'"'s speed\n", b / c }'

echo "peak memory of encrypt -r:"
for layout in flat spread; do
    for count in "$n" $((n * 10)); do
        "$layout" "$work/tree" "$count"
        read -r seconds rss < <(cli_run "$work/tree")
        printf '  %-6s %7d files  %6d KiB  %6.0f files/s\n' "$layout" "$count" "$rss" "$(awk -v n="$count" -v s="$seconds" 'BEGIN{print n/s}')"
    done
done
