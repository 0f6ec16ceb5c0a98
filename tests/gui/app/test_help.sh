#!/bin/sh
# zarkent --help and --version answer without a display (the platform named here does not exist, so
# creating any window would abort); the help names the help page beside the program file.
set -eu
program=$1
output=$(QT_QPA_PLATFORM=no-such-platform "$program" --help)
printf '%s\n' "$output"
printf '%s\n' "$output" | grep -q '^Usage: zarkent '
printf '%s\n' "$output" | grep -qxF "Help page: $(dirname "$(readlink -f "$program")")/help.html"
# --version answers without a display too, with the project's version (the one the about window shows).
version=$(QT_QPA_PLATFORM=no-such-platform "$program" --version)
[ "$version" = "zarkent ${ZARKENT_VERSION:?the project version}" ] || { echo "zarkent --version says '$version'" >&2; exit 1; }
