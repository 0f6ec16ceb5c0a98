#!/usr/bin/env bash
# The overwrites of zarkent-cli wipe reach the device: on a small ext4 image, a wiped file's old
# contents can no longer be found in the image, while a file removed with a plain rm leaves them. Then
# the same on a full disk, where the passes cannot make a file longer: the wipe still completes and
# leaves nothing of the files behind.
# Needs root and loop devices; exits 77 (skipped) without them.
set -u
CLI=$(realpath "$1")
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root to mount a loop device"; exit 77; }
command -v mkfs.ext4 >/dev/null || { echo "skipped: no mkfs.ext4"; exit 77; }
work=$(mktemp -d /var/tmp/zarkent-wipe-device.XXXXXX)
cleanup() { umount "$work/mnt" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
truncate -s 32M "$work/image"
mkfs.ext4 -q -F "$work/image" || { echo "skipped: mkfs.ext4 failed"; exit 77; }
mkdir "$work/mnt"
mount -o loop "$work/image" "$work/mnt" 2>/dev/null || { echo "skipped: cannot mount a loop device here"; exit 77; }

wiped="ZARKENT-WIPED-$RANDOM$RANDOM-"
removed="ZARKENT-REMOVED-$RANDOM$RANDOM-"
yes "$wiped" | head -c 4194304 >"$work/mnt/secret"
yes "$removed" | head -c 4194304 >"$work/mnt/plain"
sync
"$CLI" wipe --method 0 "$work/mnt/secret" >/dev/null || { echo "FAIL: wipe failed"; exit 1; }
rm "$work/mnt/plain"
sync
umount "$work/mnt"

failures=0
left=$(grep -a -c "$wiped" "$work/image")
[ "$left" -eq 0 ] || { echo "FAIL: $left lines of the wiped file are still in the image"; failures=1; }
kept=$(grep -a -c "$removed" "$work/image")
[ "$kept" -gt 0 ] || { echo "FAIL: the control file removed with rm left nothing (the check cannot tell)"; failures=1; }
echo "wiped file: $left lines left; removed file: $kept lines left"

# A full disk: a 5000-byte file and a 20 MB one (neither a whole number of 32 KiB blocks).
truncate -s 0 "$work/image"; truncate -s 40M "$work/image"
mkfs.ext4 -q -F "$work/image" || { echo "FAIL: mkfs.ext4 failed"; exit 1; }
mount -o loop "$work/image" "$work/mnt" || { echo "FAIL: cannot mount again"; exit 1; }
small="ZARKENT-FULL-SMALL-$RANDOM$RANDOM-"
large="ZARKENT-FULL-LARGE-$RANDOM$RANDOM-"
yes "$small" | head -c 5000 >"$work/mnt/small"
yes "$large" | head -c 20000000 >"$work/mnt/large"
dd if=/dev/zero of="$work/mnt/filler" bs=4096 2>/dev/null # until the disk is full
sync
free=$(df --output=avail -B1 "$work/mnt" | tail -1)
[ "$free" -lt 32768 ] || { echo "FAIL: the disk is not full ($free bytes free)"; failures=1; }
"$CLI" wipe --method 0 "$work/mnt/small" "$work/mnt/large" >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: wipe on a full disk exited $rc: $(cat "$work/err")"; failures=1; }
[ ! -e "$work/mnt/small" ] && [ ! -e "$work/mnt/large" ] || { echo "FAIL: a file stayed on the full disk"; failures=1; }
sync
umount "$work/mnt"
for marker in "$small" "$large"; do
    n=$(grep -a -c "$marker" "$work/image")
    [ "$n" -eq 0 ] || { echo "FAIL: $n lines of a file wiped on the full disk are still in the image"; failures=1; }
done
echo "full disk: wipe exit $rc"
exit $failures
