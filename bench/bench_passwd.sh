#!/usr/bin/env bash
# zarkent-cli passwd against what it spares the user: decrypting the file and encrypting it again with
# the new password (which also puts the plain contents on the disk for a while). Stored and compressed
# files, each run on a fresh copy in the page cache (the copy is not timed), the runs of all commands
# interleaved; the figures are medians of RUNS runs (default 5) and the ratios are taken between them.
# Usage: [BENCH_DIR=folder] [RUNS=n] bench/bench_passwd.sh BUILD_DIR [SIZE_MIB]
set -euo pipefail
CLI=$(realpath "$1/zarkent-cli")
SIZE_MIB=${2:-512}
RUNS=${RUNS:-5}
source "$(dirname "$0")/lib.sh"
printf 'benchmark password\n' >pw
printf 'the new password\n' >pw-new
"$CLI" encrypt --keep --password-file pw input.bin >/dev/null && mv input.bin.zrk stored.zrk
"$CLI" encrypt --keep --compress --password-file pw input.bin >/dev/null && mv input.bin.zrk compressed.zrk
rm input.bin

# name|file to copy to work.zrk first|command
commands=(
    "passwd|stored.zrk|'$CLI' passwd --password-file pw --new-password-file pw-new work.zrk"
    "again|stored.zrk|'$CLI' decrypt --password-file pw work.zrk && '$CLI' encrypt --password-file pw-new input.bin"
    "cpasswd|compressed.zrk|'$CLI' passwd --password-file pw --new-password-file pw-new work.zrk"
    "cagain|compressed.zrk|'$CLI' decrypt --password-file pw work.zrk && '$CLI' encrypt --compress --password-file pw-new input.bin"
)

declare -A times
for _ in $(seq "$RUNS"); do
    for entry in "${commands[@]}"; do
        name=${entry%%|*}
        rest=${entry#*|}
        rm -f work.zrk input.bin input.bin.zrk
        cp "${rest%%|*}" work.zrk
        start=$(date +%s.%N)
        eval "${rest#*|}" >/dev/null
        end=$(date +%s.%N)
        times[$name]+="$(python3 -c "print($end - $start)") "
    done
done
rm -f work.zrk input.bin input.bin.zrk

seconds() { python3 -c "print(f'{$(median "$1"):7.3f}')"; }

echo "file: $SIZE_MIB MiB in the page cache ($(df --output=fstype . | tail -1)), $(nproc) cores, median of $RUNS interleaved runs"
for entry in "${commands[@]}"; do
    printf '  %-8s %s\n' "${entry%%|*}" "$(eval "echo \"${entry##*|}\"")"
done
printf '%-44s %s s\n' "passwd (stored)" "$(seconds passwd)"
printf '%-44s %s s  passwd is %s x as fast\n' "decrypt + encrypt (stored)" "$(seconds again)" "$(ratio passwd again)"
printf '%-44s %s s\n' "passwd (compressed)" "$(seconds cpasswd)"
printf '%-44s %s s  passwd is %s x as fast\n' "decrypt + encrypt --compress (compressed)" "$(seconds cagain)" \
    "$(ratio cpasswd cagain)"
echo "load after: $(uptime | sed 's/.*load average: //')"
