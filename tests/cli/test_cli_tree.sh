#!/usr/bin/env bash
# zarkent-cli encrypt -r and decrypt -r end to end: what is worked on, skipped and failed in a tree with
# links, a FIFO, unreadable entries and a 300-deep nesting, the summary line, the exit codes, a round
# trip, the protected folders, other file systems and the open-file limit.
set -u
CLI=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

printf 'secret\n' >pw
printf 'other\n' >pw-wrong
summary() { tail -1 err.txt; }
has() { grep -cxF -- "$1" err.txt; } # how many lines of standard error are exactly $1

# The tree: files at several depths (one 300 folders down), a link to a file, to a folder and to
# nothing, and a FIFO (a walk that opened it would hang until the timeout).
mkdir -p t/a/b t/c t/empty
printf 'one' >t/top.txt
head -c 100000 /dev/urandom >t/a/big.bin
: >t/a/b/empty-file
printf 'spaced' >'t/a/b/name with spaces'
ln -s ../top.txt t/c/to-file
ln -s ../a t/c/to-folder
ln -s nowhere t/c/dangling
mkfifo t/c/fifo
deep=t/deep
for _ in $(seq 300); do deep=$deep/d; done
mkdir -p "$deep"
printf 'bottom' >"$deep/bottom"
cp -a t copy

EMULATOR="timeout 60" run encrypt -r --password-file pw t
check "encrypt -r exit (skips are no failures)" 0 "$rc"
check "encrypt -r summary" "5 done, 0 failed, 4 skipped" "$(summary)"
check "link to a file skipped" 1 "$(has 't/c/to-file: skipped: a symbolic link, which is never followed')"
check "link to a folder skipped" 1 "$(has 't/c/to-folder: skipped: a symbolic link, which is never followed')"
check "dangling link skipped" 1 "$(has 't/c/dangling: skipped: a symbolic link, which is never followed')"
check "FIFO skipped" 1 "$(has 't/c/fifo: skipped: a FIFO')"
check "nothing else on stderr" 5 "$(wc -l <err.txt)"
check "outputs printed" 5 "$(grep -c '\.zrk$' out.txt)"
check "deep file encrypted" "$deep/bottom.zrk" "$(grep '/bottom' out.txt)"
check "no plain file left" "" "$(find t -type f ! -name '*.zrk')"
check "each file encrypted once" "" "$(find t -name '*.zrk.zrk')"
check "links untouched" "../top.txt ../a nowhere" "$(readlink t/c/to-file) $(readlink t/c/to-folder) $(readlink t/c/dangling)"

EMULATOR="timeout 60" run decrypt -r --password-file pw t
check "decrypt -r exit" 0 "$rc"
check "decrypt -r summary" "5 done, 0 failed, 4 skipped" "$(summary)"
check "round trip restores the tree" "" "$(diff -r --no-dereference -x fifo t copy 2>&1)"
check "round trip keeps the FIFO" yes "$([ -p t/c/fifo ] && echo yes)"
rm -rf t copy

# Encrypting: .zrk files are reported and skipped, the walk's own outputs are not. Enough files with
# long enough names that the folder's listing takes several reads of the system's buffer (32 KiB in
# glibc) and so meets some of the outputs made while it is read (on ext4; a tmpfs listing never shows
# files made after it began).
pad=$(printf '%0150d' 0)
mkdir z
printf 'z' >z/old.zrk
for i in $(seq 400); do printf '%s' "$i" >"z/f$i$pad"; done
run encrypt -r --keep --password-file pw z
check ".zrk encrypt exit" 0 "$rc"
check ".zrk skipped" 1 "$(has 'z/old.zrk: skipped: already a .zrk file')"
check ".zrk summary" "400 done, 0 failed, 1 skipped" "$(summary)"
check ".zrk untouched" z "$(cat z/old.zrk)"
rm -rf z

# Decrypting: a restored file whose stored name ends in .zrk (a file encrypted twice) is not decrypted
# again by the walk that restored it.
mkdir dz
for i in $(seq 400); do printf '%s' "$i" >"dz/f$i$pad"; done
"$CLI" encrypt -r --password-file pw dz >/dev/null 2>&1
cp -a dz dz-once
"$CLI" encrypt --password-file pw dz/*.zrk >/dev/null 2>&1
check "twice encrypted" 400 "$(ls dz | grep -c '\.zrk\.zrk$')"
run decrypt -r --password-file pw dz
check "twice encrypted exit" 0 "$rc"
check "decrypted once each" "400 done, 0 failed, 0 skipped" "$(summary)"
check "restored .zrk files" "" "$(diff -r dz dz-once)"
rm -rf dz dz-once

# Exit codes: only wrong passwords give 3; any other failure gives 1; both count as failed.
mkdir w
printf 'a' >w/a; printf 'b' >w/b
"$CLI" encrypt -r --password-file pw w >/dev/null 2>&1
run decrypt -r --password-file pw-wrong w
check "wrong passwords exit" 3 "$rc"
check "wrong passwords summary" "0 done, 2 failed, 0 skipped" "$(summary)"
printf 'damaged' >w/c.zrk
run decrypt -r --password-file pw-wrong w
check "wrong password and damaged exit" 1 "$rc"
check "wrong password and damaged summary" "0 done, 3 failed, 0 skipped" "$(summary)"
rm -rf w

# Roots: a file, a link to a folder and a missing name each fail; the others are still walked.
mkdir r; printf 'r' >r/file; printf 'x' >plain; ln -s r to-r
run encrypt -r --password-file pw plain to-r to-r/ missing r
check "bad roots exit" 1 "$rc"
check "file root" 1 "$(has 'plain: Cannot read folder "plain". It is not a folder')"
check "link root" 1 "$(has 'to-r: Cannot read folder "to-r". It is a symbolic link, which is never followed')"
check "link root with separator" 1 "$(has 'to-r/: Cannot read folder "to-r/". It is a symbolic link, which is never followed')"
check "missing root" 1 "$(has 'missing: Cannot read folder "missing". No such file or directory')"
check "good root still walked" "1 done, 4 failed, 0 skipped" "$(summary)"
check "good root done" "r/file.zrk" "$out"
rm -rf r plain to-r

# The protected folders (here the home folder): refused as a FOLDER before anything is touched, and
# passed over with everything below them where the walk meets them.
mkdir -p p/home/sub p/other
printf 'h' >p/home/sub/mine; printf 'o' >p/other/file
for root in p/home p/home/ "$work/p/home"; do
    HOME=$work/p/home run encrypt -r --password-file pw p/other "$root"
    check "home as root '$root' exit" 2 "$rc"
    check "home as root '$root' message" "zarkent-cli: \"$root\" is your home folder; it holds your session's files, so its files are never processed as a batch." "$err"
done
check "nothing touched when refused" "p/other/file" "$(find p -type f | grep other)"
HOME=$work/p/home run encrypt -r --password-file pw p
check "home inside exit" 0 "$rc"
check "home inside skipped" 1 "$(has 'p/home: skipped: your home folder')"
check "home inside untouched" "h" "$(cat p/home/sub/mine)"
check "home inside summary" "1 done, 0 failed, 1 skipped" "$(summary)"
rm -rf p

# Unreadable entries: a file and a folder nobody may read. Root reads them anyway, so a root run drops
# the capabilities that let it (with setpriv); where that cannot be done, the case is left out.
mkdir -p u/locked-dir
printf 'ok' >u/ok; printf 'no' >u/locked-file; printf 'in' >u/locked-dir/inside
chmod 000 u/locked-file u/locked-dir
nodac=()
if [ "$(id -u)" = 0 ]; then nodac=(setpriv --bounding-set=-dac_override,-dac_read_search); fi
if "${nodac[@]}" cat u/locked-file >/dev/null 2>&1; then
    echo "NOTE: unreadable entries not checked (the run can read a file with mode 000)"
else
    "${nodac[@]}" "$CLI" encrypt -r --password-file pw u >out.txt 2>err.txt </dev/null
    rc=$?
    check "unreadable exit" 1 "$rc"
    check "unreadable file" 1 "$(has 'u/locked-file: Cannot open file "u/locked-file". Permission denied')"
    check "unreadable folder" 1 "$(has 'u/locked-dir: Cannot read folder "u/locked-dir". Permission denied')"
    check "unreadable summary" "1 done, 2 failed, 0 skipped" "$(summary)"
    check "readable one done" "u/ok.zrk" "$(cat out.txt)"
fi
chmod 700 u/locked-file u/locked-dir
check "unreadable left alone" "no in" "$(cat u/locked-file) $(cat u/locked-dir/inside)"
rm -rf u

# Another file system below the root is passed over (as find -xdev). /sys/fs/cgroup is a mount point on
# most Linux systems; decrypt takes only .zrk files, of which /sys has none, so nothing is written.
if [ -d /sys/fs/cgroup ] && [ "$(stat -c %d /sys/fs)" != "$(stat -c %d /sys/fs/cgroup)" ]; then
    run decrypt -r --password-file pw /sys/fs
    check "other file system skipped" 1 "$(has '/sys/fs/cgroup: skipped: on another file system')"
    check "nothing from the other file system" 0 "$(grep -c '^/sys/fs/cgroup/' err.txt)"
else
    echo "NOTE: no mount point below /sys/fs; the file-system rule is checked by the walk's own tests"
fi

# More folders deep than may be open at once: that folder fails, the levels above are done, no crash.
deep=lim
for level in $(seq 60); do deep=$deep/d; mkdir -p "$deep"; printf 'x' >"$deep/file"; done
(ulimit -n 40 && exec "$CLI" encrypt -r --password-file pw lim) >out.txt 2>err.txt </dev/null
rc=$?
check "open limit exit" 1 "$rc"
check "open limit message" 1 "$(grep -c ': Cannot read folder ".*". It is [0-9]* folders deep, more than can be open at once$' err.txt)"
# With 40 handles 20 folders may be open: the root and 19 below it, whose files are done.
check "open limit levels above done" "19 done, 1 failed, 0 skipped" "$(summary)"
check "open limit bottom untouched" x "$(cat "$deep/file")"
rm -rf lim

# Ctrl-C stops the walk: what was done stays done, the rest untouched, the summary says so, exit 1.
mkdir many
for i in $(seq 3000); do printf '%s' "$i" >"many/f$i"; done
# The signal goes as soon as the first file is done, however fast the machine is.
"$CLI" encrypt -r --password-file pw many >out.txt 2>err.txt </dev/null &
pid=$!
for _ in $(seq 400); do compgen -G "many/*.zrk" >/dev/null && break; sleep 0.01; done
kill -INT $pid
wait $pid
rc=$?
check "interrupted exit" 1 "$rc"
done_count=$(find many -name '*.zrk' | wc -l)
check "interrupted summary" 1 "$(grep -cE "^$done_count done, [01] failed, 0 skipped$" err.txt)"
check "interrupted part untouched" 3000 "$(($(find many -type f ! -name '*.zrk' | wc -l) + done_count))"
check "interrupted stopped early" yes "$([ "$done_count" -lt 3000 ] && echo yes)"
rm -rf many

finish
