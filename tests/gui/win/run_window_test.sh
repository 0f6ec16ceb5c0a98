#!/usr/bin/env bash
# Runs one window test (a QtTest program built for Windows) under Wine with Qt's Windows platform
# plugin on a virtual display of its own. QtTest writes nothing to a pipe when the program has no
# console, so the log goes through a file and is printed here.
# Usage: run_window_test.sh TEST.exe [QTEST-ARGUMENTS...]
set -euo pipefail
program=$1
shift
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is not installed"; exit 77; }
work=$(mktemp -d)
source "$(dirname "$0")/display.sh"
trap 'display_cleanup; rm -rf "$work"' EXIT
display_start
status=0
wine "$program" -o "$(winepath -w "$work/log.txt"),txt" "$@" >"$work/wine.log" 2>&1 || status=$?
# Wine 8 lacks the per-window DPI call Qt tries first; Qt carries on without it.
grep -v -e 'EnableNonClientDpiScaling() failed' "$work/log.txt" 2>/dev/null || cat "$work/wine.log"
exit "$status"
