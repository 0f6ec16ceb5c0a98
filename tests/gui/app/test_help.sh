#!/bin/sh
# zarkent --help answers without a display (the platform named here does not exist, so creating any window
# would abort) and names the help page beside the program file.
set -eu
program=$1
output=$(QT_QPA_PLATFORM=no-such-platform "$program" --help)
printf '%s\n' "$output"
printf '%s\n' "$output" | grep -q '^Usage: zarkent '
printf '%s\n' "$output" | grep -qxF "Help page: $(dirname "$(readlink -f "$program")")/help.html"
