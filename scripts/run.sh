#!/usr/bin/env bash
# Sets everything up, builds and starts the Zarkent window program (paths given are passed on).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
exec ./build/zarkent "$@"
