#!/usr/bin/env bash
# Fails when an include crosses the layers downwards-up: src/core (Qt-free, what zarkent-cli and the core
# tests link) includes no Qt header and nothing of src/gui or src/cli, and src/core/platform includes
# nothing of the core above it but the error type and the integration plans it executes.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
if grep -rnE '#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>"]*|qt[a-z]*\.h)[>"]|#[[:space:]]*include[[:space:]]*"(gui|cli)/' src/core; then
    echo "src/core must not include Qt, window or command-line headers" >&2
    status=1
fi
if grep -rnE '#[[:space:]]*include[[:space:]]*"core/(cipher|container|state|wipe|tools|lang)/' src/core/platform; then
    echo "src/core/platform must not include the layers above it" >&2
    status=1
fi
exit $status
