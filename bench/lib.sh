# The shared start of the file benchmarks, sourced after SIZE_MIB is set: a scratch folder on tmpfs by
# default (the page cache without the noise of disk write-back; BENCH_DIR=folder elsewhere), removed at
# the end, made the working folder; the load of the machine; and input.bin, SIZE_MIB MiB of half
# compressible text, half random bytes, a fair input for both the cipher and the compressors. Then the
# figures of the runs each benchmark collects in the array `times` (name -> seconds of each run).
work=$(mktemp -d "${BENCH_DIR:-/dev/shm}/zarkent-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "load before: $(uptime | sed 's/.*load average: //')"

python3 - "$SIZE_MIB" <<'PY'
import os, sys
mib = int(sys.argv[1])
words = b"zarkent protects files with a password and keeps every byte of them safe " * 14
text = (words * ((1 << 19) // len(words) + 1))[: 1 << 19]
with open("input.bin", "wb") as f:
    for i in range(mib):
        f.write(os.urandom(1 << 19) if i % 2 else text)
        f.write(text)
PY

# The median seconds of the runs of $1, its speed in MB/s of the input, and the speed of $1 over $2.
median() { python3 -c "import statistics, sys; print(statistics.median(float(x) for x in sys.argv[1:]))" ${times[$1]}; }
mbps() { python3 -c "print(f'{$SIZE_MIB * 1.048576 / $(median "$1"):8.1f}')"; }
ratio() { python3 -c "print(f'{$(median "$2") / $(median "$1"):5.2f}')"; } # speed of $1 over speed of $2
