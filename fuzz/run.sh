#!/usr/bin/env bash
# Builds the decryption fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs it from a seed corpus of small generated .zrk files and the golden files.
# Usage: fuzz/run.sh [SECONDS]   (default 60; for a long run: fuzz/run.sh 3600)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARKENT_CORE_ONLY=ON \
    -DZARKENT_FUZZ=ON -DZARKENT_SANITIZE=fuzzer-no-link,address,undefined >/dev/null
cmake --build build-fuzz -j2 --target fuzz_decrypt zarkent-cli

# Seeds: the first byte picks the password (0, 1: the golden files' passwords; 2: "pw").
corpus=build-fuzz/corpus
mkdir -p "$corpus"
seed() { { printf "\\x$(printf %02x "$1")"; cat "$2"; } >"$corpus/$3"; }
seed 0 tests/data/golden/sample-stored.zrk golden-stored
seed 1 tests/data/golden/sample-compressed.zrk golden-compressed
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf 'pw\n' >"$tmp/pw"
for size in 0 1 3 4 5 100 4099; do
    head -c "$size" /dev/urandom >"$tmp/f$size"
    build-fuzz/zarkent-cli encrypt --keep --password-file "$tmp/pw" "$tmp/f$size" >/dev/null
    seed 2 "$tmp/f$size.zrk" "stored-$size"
    build-fuzz/zarkent-cli encrypt --keep --compress --password-file "$tmp/pw" "$tmp/f$size" >/dev/null
    seed 2 "$tmp/(0)f$size.zrk" "compressed-$size"
done
build-fuzz/fuzz/fuzz_decrypt -max_total_time="$seconds" -max_len=70000 -print_final_stats=1 "$corpus"
