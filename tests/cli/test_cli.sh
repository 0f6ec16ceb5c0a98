#!/usr/bin/env bash
# End-to-end checks of zarkent-cli: exit codes, messages, outputs and what is left on disk.
set -u
CLI=$(realpath "$1")
DATA=$(realpath "$2")
source "$(dirname "$0")/lib.sh"

printf 'secret\n' >pw
printf 'other\r\n' >pw-wrong
: >pw-empty

# Usage and information.
run --help;                 check "help exit" 0 "$rc"; check "help text" 1 "$(grep -c '^Usage: zarkent-cli encrypt' out.txt)"
run --version;              check "version" "zarkent-cli ${ZARKENT_VERSION:?the project version}" "$out"
run;                        check "no command" 2 "$rc"; check "usage on error" 1 "$(grep -c '^Usage:' err.txt)"
run frobnicate x;           check "unknown command" 2 "$rc"
run encrypt --bogus x;      check "unknown option" 2 "$rc"
run decrypt --compress x;   check "compress is for encrypt only" 2 "$rc"
run encrypt --password-file pw; check "no path" 2 "$rc"
run encrypt --password-file; check "password file without name" 2 "$rc"
# Each command's --help (or -h, anywhere before "--") prints its own usage and options and exits 0; bad
# usage prints that command's usage.
for command in encrypt decrypt test passwd wipe md5 passgen random; do
    for flag in --help -h; do
        run "$command" --keep "$flag"
        check "$command $flag exit" 0 "$rc"
        check "$command $flag usage" "Usage: zarkent-cli $command" "$(head -1 out.txt | cut -d' ' -f1-3)"
        check "$command $flag only its own" 0 "$(grep -E 'zarkent-cli [a-z0-9]+' out.txt | grep -vc "zarkent-cli $command")"
        check "$command $flag quiet stderr" "" "$err"
    done
done
run encrypt --password-file pw -- --help; check "--help after -- is a path" 1 "$(grep -c "^--help: " err.txt)"
run decrypt --bogus; check "usage of the command" "Usage: zarkent-cli decrypt [--keep] [--password-file FILE] PATH..." "$(sed -n 2p err.txt)"
run --help; check "program help lists every command" 8 "$(grep -oE '^(Usage:|      ) zarkent-cli [a-z0-9]+' out.txt | awk '{print $NF}' | sort -u | wc -l)"
# The combinations -o, --name, --armor and -r allow.
printf 'x' >a; printf 'x' >b
for bad in "-o" "-o x.zrk a b" "-o - -r a" "-r -" "-" "--name n a" "--armor a" "-o - -" "--password-file - -o - -"; do
    eval "run encrypt --password-file pw $bad"
    check "encrypt $bad exit" 2 "$rc"; check "encrypt $bad usage" 1 "$(grep -c '^Usage: zarkent-cli encrypt' err.txt)"
done
for bad in "--name n -o - a" "--armor -o - a" "--password-file - -o - -"; do
    eval "run decrypt --password-file pw $bad"
    check "decrypt $bad exit" 2 "$rc"; check "decrypt $bad usage" 1 "$(grep -c '^Usage: zarkent-cli decrypt' err.txt)"
done
check "bad usage touches nothing" "a b" "$(listing | sed 's/ $//')"
rm -f a b
printf 'x' >a.txt
setsid "$CLI" encrypt a.txt >out.txt 2>err.txt </dev/null; rc=$?
check "no terminal and no password file" 2 "$rc"
check "no terminal message" "zarkent-cli: no terminal to ask the password on; use --password-file" "$(head -1 err.txt)"
rm -f a.txt

# Encrypt then decrypt: the source goes, the output is printed, nothing else is left; no progress off a terminal.
head -c 200000 /dev/urandom >data.bin
cp data.bin orig.bin
run encrypt --password-file pw data.bin
check "encrypt exit" 0 "$rc"; check "encrypt prints output" "data.bin.zrk" "$out"; check "quiet stderr" "" "$err"
check "encrypt leaves .zrk only" "data.bin.zrk orig.bin " "$(listing)"
run decrypt --password-file pw data.bin.zrk
check "decrypt exit" 0 "$rc"; check "decrypt prints output" "data.bin" "$out"
check "decrypt restores" "" "$(cmp data.bin orig.bin)"
check "decrypt leaves plain only" "data.bin orig.bin " "$(listing)"

# --keep, --compress, "(n)" names, and the password from standard input (CRLF line end dropped).
printf 'secret\r\nsecond line\n' | "$CLI" encrypt --keep --compress --password-file - data.bin >out.txt 2>err.txt
check "stdin password exit" 0 "$?"
run encrypt --keep --password-file pw data.bin
check "second output is numbered" "(0)data.bin.zrk" "$out"
check "keep keeps source" "(0)data.bin.zrk data.bin data.bin.zrk orig.bin " "$(listing)"
run decrypt --keep --password-file pw data.bin.zrk '(0)data.bin.zrk'
check "two decrypts exit" 0 "$rc"
check "restored names" "(0)data.bin
(1)data.bin" "$out"
check "compressed restores" "" "$(cmp '(0)data.bin' orig.bin)"
check "stored restores" "" "$(cmp '(1)data.bin' orig.bin)"
rm -f '(0)data.bin' '(1)data.bin' '(0)data.bin.zrk'

# --threads: the compressed file is the same on any number of threads; only numbers from 1 to 32.
head -c 1000000 /dev/urandom >t.bin; head -c 1000000 /dev/zero >>t.bin
run encrypt --keep --compress --threads 1 --password-file pw t.bin; mv t.bin.zrk one.zrk
run encrypt --keep --compress --threads 3 --password-file pw t.bin
check "threads exit" 0 "$rc"; check "same on 1 and 3 threads" "" "$(cmp one.zrk t.bin.zrk)"
for bad in 0 33 x 2x ""; do
    run encrypt --compress --threads "$bad" --password-file pw t.bin
    check "threads '$bad' exit" 2 "$rc"
done
run decrypt --threads 2 --password-file pw t.bin.zrk; check "no threads for decrypt" 2 "$rc"
rm -f t.bin one.zrk t.bin.zrk

# Wrong password: exit 3, the message, the .zrk untouched and no .coz.
cp data.bin.zrk before.zrk
run decrypt --password-file pw-wrong data.bin.zrk
check "wrong password exit" 3 "$rc"
check "wrong password message" "data.bin.zrk: The Password is Wrong" "$err"
check "zrk untouched" "" "$(cmp data.bin.zrk before.zrk)"
check "no coz left" "before.zrk data.bin data.bin.zrk orig.bin " "$(listing)"

# A failure of another kind among the paths makes the status 1; the other paths still run.
cp data.bin.zrk copy.zrk
run decrypt --password-file pw-wrong data.bin.zrk missing.zrk
check "mixed failures exit" 1 "$rc"
check "missing file message" "missing.zrk: Cannot open file \"missing.zrk\". No such file or directory" "$(sed -n 2p err.txt)"
run decrypt --password-file pw missing.zrk copy.zrk
check "later path still runs" 1 "$rc"; check "later path restored" "(0)data.bin" "$out"
rm -f '(0)data.bin'

# Invalid passwords are errors, never crashes.
# An empty password, from a file or standard input, is refused before any file is touched.
run encrypt --password-file pw-empty data.bin
check "empty password exit" 2 "$rc"; check "empty password message" "zarkent-cli: No Password Entered" "$err"
printf '\r\n' | "$CLI" decrypt --password-file - data.bin.zrk >out.txt 2>err.txt
check "empty password from standard input" "2 zarkent-cli: No Password Entered" "$? $(cat err.txt)"
printf 'a\0b\n' >pw-nul
run encrypt --password-file pw-nul data.bin
check "NUL password message" "data.bin: Division by zero" "$err"
check "sources kept after failures" "before.zrk data.bin data.bin.zrk orig.bin " "$(listing)"

# A file-size limit is a failed write: the partial output goes, the source stays.
head -c 3000000 /dev/urandom >big.bin
(ulimit -f 1000; "$CLI" encrypt --password-file pw big.bin >out.txt 2>err.txt); rc=$?
check "size limit exit" 1 "$rc"
check "size limit message" 'big.bin: Cannot write file "big.bin.zrk". File too large' "$(cat err.txt)"
check "size limit leaves the source only" "big.bin" "$(ls big.bin*)"
rm -f big.bin

# Control characters in names are shown escaped; the files keep their real names.
printf 'x' >"$(printf 'e\033[31mvil')"
run encrypt --password-file pw "$(printf 'e\033[31mvil')"
check "escaped name exit" 0 "$rc"
check "escaped name printed" 'e\x1b[31mvil.zrk' "$out"
check "real name kept" 1 "$(ls | grep -c "$(printf '^e\033\\[31mvil.zrk$')")"
rm -f e*vil.zrk

# Only regular files, never through a link.
printf 'x' >real.txt; ln -s real.txt link.txt; mkfifo fifo
run encrypt --password-file pw link.txt fifo
check "link and fifo exit" 1 "$rc"
check "link message" 'link.txt: Cannot open file "link.txt". It is a symbolic link to "real.txt"; choose that file itself' "$(sed -n 1p err.txt)"
check "fifo message" 'fifo: Cannot open file "fifo". It is a FIFO, not a regular file' "$(sed -n 2p err.txt)"
check "nothing created" "fifo link.txt real.txt" "$(ls fifo link.txt real.txt* | tr '\n' ' ' | sed 's/ $//')"
rm -f real.txt link.txt fifo

# Too short for a .zrk file: damaged, not a wrong password.
head -c 100 /dev/zero >short.zrk
run decrypt --password-file pw short.zrk
check "short zrk exit" 1 "$rc"
check "short zrk message" "short.zrk: Stream read error" "$err"
rm -f short.zrk

# Until the program has its outputs and temporary files open: they have no names, so they show only among
# its open files, as "(deleted)".
wait_for_unnamed_files() {
    for _ in $(seq 100); do
        [ "$(find /proc/"$1"/fd -lname '*(deleted)' 2>/dev/null | wc -l)" -ge 2 ] && break
        sleep 0.05
    done
}

# A signal while a file is compressed is a cancel, seen within a block: the partial outputs go.
head -c 64000000 /dev/urandom >big.bin
cp big.bin big.orig
"$CLI" encrypt --compress --password-file pw big.bin >out.txt 2>err.txt &
pid=$!
wait_for_unnamed_files $pid
kill -TERM $pid; wait $pid; rc=$?
check "a signal cancels the compression" 1 "$rc"
check "cancel message" "big.bin: Process Has Been Cancelled !" "$(cat err.txt)"
check "a signal leaves only the source" "big.bin big.orig" "$(ls big.* | tr '\n' ' ' | sed 's/ $//')"

# Two signals in a row (GNU timeout's way, or Ctrl-C and then a kill): the program ends at once, by
# the signal, and the partial outputs go too. Two different ones, as a signal sent again before the
# first is delivered is only one.
"$CLI" encrypt --compress --password-file pw big.bin >out.txt 2>err.txt &
pid=$!
wait_for_unnamed_files $pid
kill -INT $pid; kill -TERM $pid; wait $pid; rc=$?
check "two signals end the program" "by a signal" "$([ "$rc" -eq 130 ] || [ "$rc" -eq 143 ] && echo "by a signal" || echo "exit $rc")"
check "two signals leave only the source" "big.bin big.orig" "$(ls big.* | tr '\n' ' ' | sed 's/ $//')"
check "source intact" "" "$(cmp big.bin big.orig)"
rm -f big.bin big.orig

# wipe: one line per wiped file, failures on standard error, 0 all wiped, 1 any failure, 2 bad usage.
printf 'one' >w1; printf 'two' >w2; ln -s w2 wl
run wipe --method 0 w1 w2
check "wipe exit" 0 "$rc"; check "wipe lines" "w1 w2" "$(echo $out)"; check "wipe leaves nothing" "" "$(ls w1 w2 2>/dev/null)"
printf 'three' >w3
run wipe w3 wl missing
check "wipe failure exit" 1 "$rc"
check "wipe link refused" 'wl: Cannot open file "wl". It is a symbolic link to "w2"; choose that file itself' "$(sed -n 1p err.txt)"
check "wipe goes on after a failure" "w3" "$out"
rm -f wl
for bad in "--method" "--method 7" "--method x" "--bogus w"; do
    run wipe $bad; check "wipe usage: $bad" 2 "$rc"
done
run wipe; check "wipe without files" 2 "$rc"
run --help; check "help says what overwriting cannot reach" 1 "$(grep -c 'wear levelling' out.txt)"

# wipe stopped by SIGINT: it ends after the group being written, the file stays under its name, partly
# overwritten, the files not yet begun are untouched, and the exit status is 1.
yes ZARKENT-WIPE-STOP | head -c 67108864 >big; cp big big.orig; printf 'later' >w4
"$CLI" wipe --method 6 big w4 >out.txt 2>err.txt & pid=$!
sleep 0.5; kill -INT $pid; wait $pid; rc=$?
check "stopped wipe exit" 1 "$rc"
check "stopped wipe message" 'big: The wipe of "big" was stopped; the file was left under its name, partly overwritten.' "$(cat err.txt)"
check "stopped wipe keeps the file" "67108864 later" "$(stat -c %s big) $(cat w4)"
check "stopped wipe overwrote part" "differ" "$(cmp -s big big.orig || echo differ)"
rm -f big big.orig w4

# md5: the lines of md5sum, which md5sum -c accepts, and --check in return.
printf 'abc' >m1; : >m2; printf 'x' >'m 3'; printf 'y' >'back\slash'; printf 'z' >"$(printf 'new\nline')"
names=(m1 m2 'm 3' 'back\slash' "$(printf 'new\nline')")
run md5 "${names[@]}"
check "md5 exit" 0 "$rc"
check "md5 lines as md5sum" "$(md5sum "${names[@]}")" "$out"
cp out.txt list.md5
check "md5sum -c accepts them" 0 "$(md5sum -c --quiet list.md5 >/dev/null 2>&1; echo $?)"
run md5 --check list.md5
check "check all OK" 0 "$rc"; check "check lines" 5 "$(grep -c ': OK$' out.txt)"
printf 'changed' >m1
run md5 --check list.md5
check "check failure exit" 1 "$rc"; check "check failed line" "m1: FAILED" "$(grep FAILED out.txt)"
# A list written on Windows (CR LF) checks the same; a list with nothing to check fails as md5sum's does.
sed 's/$/\r/' list.md5 >crlf.md5
run md5 --check crlf.md5
check "CR LF list" "m1: FAILED|m2: OK" "$(grep -e '^m1:' -e '^m2:' out.txt | tr '\n' '|' | sed 's/|$//')"
for list in empty junk; do
    if [ $list = empty ]; then : >$list.md5; else printf 'not a digest\r\n%s\n' "$(printf '%031d' 0)  m1" >$list.md5; fi
    run md5 --check $list.md5
    check "$list list exit" 1 "$rc"
    check "$list list message" "zarkent-cli: $list.md5: no properly formatted MD5 checksum lines found" "$err"
done
rm -f crlf.md5 empty.md5 junk.md5
run md5 --upper m2; check "upper" "D41D8CD98F00B204E9800998ECF8427E  m2" "$out"
check "standard input" "900150983cd24fb0d6963f7d28e17f72  -" "$(printf abc | "$CLI" md5 -)"
run md5 missing m2; check "md5 missing exit" 1 "$rc"; check "md5 goes on" "d41d8cd98f00b204e9800998ecf8427e  m2" "$out"
rm -f m1 m2 'm 3' 'back\slash' "$(printf 'new\nline')" list.md5

# Files written by earlier builds keep decrypting.
for golden in sample-stored.zrk:"Zarkent golden 1" sample-compressed.zrk:"şifre ĞÜ 2"; do
    name=${golden%%:*}
    mkdir g && cp "$DATA/golden/$name" g/
    printf '%s\n' "${golden#*:}" >pw-golden
    run decrypt --password-file pw-golden "g/$name"
    check "golden $name" 0 "$rc"
    check "golden $name contents" "" "$(cmp g/sample.bin "$DATA/golden/sample.bin")"
    rm -rf g
done

# passgen: one password per line from the chosen pool; bad lengths, counts and pools are usage errors.
run passgen; check "passgen exit" 0 "$rc"; check "passgen default" 1 "$(grep -cxE '[A-Za-z0-9]{8}' out.txt)"
run passgen --length 64 --count 50 --digits
check "digits count" 50 "$(grep -cxE '[0-9]{64}' out.txt)"
run passgen --letters --length 30 --count 20
check "letters only" 20 "$(grep -cxE '[A-Za-z]{30}' out.txt)"
run passgen --chars 'aş' --length 400
check "chars are whole characters" "400 0" "$(printf '%s' "$out" | LC_ALL=C.UTF-8 wc -m | tr -d ' ') $(printf '%s' "$out" | LC_ALL=C.UTF-8 grep -c '[^aş]')"
check "both characters drawn" "yes" "$([[ $out == *a* && $out == *ş* ]] && echo yes)"
run passgen --length 4096; check "longest" 4096 "${#out}"
run passgen --count 2 --length 12 --mixed
check "two differ" 2 "$(sort -u out.txt | wc -l)"
for bad in "--length 0" "--length 4097" "--length -1" "--length x" "--count 0" "--length" "--digits --letters" \
    "--chars" "--chars ' '" "--chars ''" "--bogus" "--mixed --chars ab"; do
    eval "run passgen $bad"
    check "passgen $bad exit" 2 "$rc"; check "passgen $bad usage" 1 "$(grep -c '^Usage:' err.txt)"; check "passgen $bad no output" "" "$out"
done

# random: numbers below the bound, one per line or in the window's layout.
run random --bound 100 --count 1000
check "random exit" 0 "$rc"; check "random lines" 1000 "$(grep -cxE '[0-9]{1,2}' out.txt)"
check "random spread" yes "$(awk '$1>=90{h=1} $1<10{l=1} END{print (h&&l)?"yes":"no"}' out.txt)"
run random --bound 1 --count 5; check "bound 1" "0 0 0 0 0" "$(echo $out)"
run random --bound 0 --count 3 --secure; check "bound 0" "0 0 0" "$(echo $out)"
run random --bound -1 --count 200 --format c
check "negative bound is unsigned" 200 "$(grep -cxE '0x[0-9A-F]{4,8}' out.txt)"
check "large values drawn" yes "$(grep -qxE '0x[89A-F][0-9A-F]{7}' out.txt && echo yes)"
run random --bound 3000000000 --count 200
check "unsigned decimal below the bound" 0 "$(awk '$1<0 || $1>=3000000000' out.txt | wc -l)"
run random --bound 70000 --count 200 --format plain-hex --secure
check "plain hex below the bound" 200 "$(grep -cxE '[0-9A-F]{4,5}' out.txt)"
"$CLI" random --bound 100 --count 10 --as-window >win.txt
check "window decimal line" 1 "$(grep -cE '^([0-9]{1,2},){10}$' win.txt)"
check "no line break after ten" "" "$(tr -d '0-9,' <win.txt)"
"$CLI" random --bound 100 --count 9 --format pascal --as-window >win.txt
check "window pascal layout" 1 "$(LC_ALL=C grep -cE '^(\$00[0-6][0-9A-F],){8}'$'\r''$' win.txt)"
check "window pascal last" 1 "$(LC_ALL=C grep -cE '^\$00[0-6][0-9A-F],$' win.txt)"
"$CLI" random --bound 100 --count 40 --as-window --secure >win.txt
check "window decimal breaks" "2 2" "$(LC_ALL=C grep -c $'\r$' win.txt) $(wc -l <win.txt)"
"$CLI" random --bound 100 --count 0 --as-window >win.txt; check "count 0" 0 "$(wc -c <win.txt)"
for bad in "" "--bound 10" "--count 10" "--bound x --count 1" "--bound 4294967296 --count 1" "--bound 5 --count -1" \
    "--bound 5 --count 1 --format hex" "--bound 5 --count 1000001 --as-window" "--bound" "--bogus"; do
    eval "run random $bad"
    check "random $bad exit" 2 "$rc"; check "random $bad usage" 1 "$(grep -c '^Usage:' err.txt)"
done
rm -f win.txt
# A reader that stops early ends the generators at once and quietly, with status 1.
: >f; many=$(printf 'f %.0s' $(seq 200000))
for command in "random --bound 10 --count 2000000000" "passgen --count 1000000 --length 4096" "md5 $many"; do
    timeout 20 "$CLI" $command 2>err.txt | head -c 10 >/dev/null
    check "${command:0:20} into a closed pipe" "1 " "${PIPESTATUS[0]} $(cat err.txt)"
done
rm -f f

# passwd: the new password opens each file and the old one no longer does; the permissions stay; a
# failure leaves the file as it was and the next file still runs.
head -c 300000 /dev/urandom >pd.bin
printf 'new one\n' >pw-new
"$CLI" encrypt --keep --password-file pw pd.bin >/dev/null
"$CLI" encrypt --keep --compress --password-file pw pd.bin >/dev/null
chmod 640 pd.bin.zrk
run passwd --password-file pw --new-password-file pw-new pd.bin.zrk '(0)pd.bin.zrk'
check "passwd exit" 0 "$rc"; check "passwd prints each" "pd.bin.zrk (0)pd.bin.zrk" "$(echo $out)"; check "passwd quiet" "" "$err"
check "passwd leaves only the files" "(0)pd.bin.zrk pd.bin pd.bin.zrk " "$(ls -A | grep -e pd -e tmp.tzl | tr '\n' ' ')"
check "passwd keeps the mode" 640 "$(stat -c %a pd.bin.zrk)"
for zrk in pd.bin.zrk '(0)pd.bin.zrk'; do
    mkdir pc && cp "$zrk" pc/x.zrk
    run decrypt --password-file pw pc/x.zrk; check "old password refused by $zrk" 3 "$rc"
    run decrypt --password-file pw-new pc/x.zrk; check "new password opens $zrk" "" "$(cmp pc/pd.bin pd.bin)"
    rm -rf pc
done
mv pd.bin.zrk c.zrk
rm -f '(0)pd.bin.zrk'
head -c 100 pd.bin >short.zrk
while IFS='|' read -r what args code message; do
    cp c.zrk before.zrk
    eval "run passwd $args"
    check "passwd $what exit" "$code" "$rc"
    check "passwd $what message" "$message" "$(head -1 err.txt)"
    check "passwd $what untouched" "" "$(cmp c.zrk before.zrk)"
    check "passwd $what nothing printed" "" "$out"
    [[ $code != 2 || $message == *"No Password Entered" ]] || check "passwd $what usage" 1 "$(grep -c '^Usage: zarkent-cli passwd' err.txt)"
done <<'CASES'
wrong old password|--password-file pw --new-password-file pw c.zrk|3|c.zrk: The Password is Wrong
both from standard input|--password-file - --new-password-file - c.zrk|2|zarkent-cli: standard input cannot give both the old and the new password
empty new password|--password-file pw-new --new-password-file pw-empty c.zrk|2|zarkent-cli: No Password Entered
empty old password|--password-file pw-empty --new-password-file pw c.zrk|2|zarkent-cli: No Password Entered
unreadable new password file|--password-file pw-new --new-password-file missing-pw c.zrk|1|zarkent-cli: cannot read the password file "missing-pw"
no path|--password-file pw-new --new-password-file pw|2|zarkent-cli: no PATH given
standard input as a file|--password-file pw-new --new-password-file pw -|2|zarkent-cli: passwd changes files in place; standard input ('-') cannot be one
unknown option|--bogus c.zrk|2|zarkent-cli: unknown option '--bogus'
too short|--password-file pw-new --new-password-file pw short.zrk|1|short.zrk: Stream read error
missing file|--password-file pw-new --new-password-file pw missing.zrk|1|missing.zrk: Cannot open file "missing.zrk". No such file or directory
CASES
printf 'new one\n' | "$CLI" passwd --password-file - --new-password-file pw missing.zrk c.zrk c.zrk >out.txt 2>err.txt
check "passwd goes on after failures" "1 c.zrk" "$? $(cat out.txt)"
check "passwd reports each failure" 2 "$(wc -l <err.txt)"
check "passwd wrong after the change" "c.zrk: The Password is Wrong" "$(tail -1 err.txt)"
check "passwd from standard input changed it" "" "$(cmp c.zrk before.zrk >/dev/null && echo unchanged)"
rm -f c.zrk before.zrk pd.bin pw-new short.zrk

# On a terminal: the password is asked twice without echo, and a progress bar is drawn.
if command -v script >/dev/null; then
    printf 'x' >t.txt
    (sleep 0.3; printf 'one\n'; sleep 0.3; printf 'two\n') | script -qec "'$CLI' encrypt t.txt" /dev/null >tty.txt 2>&1
    check "mismatch message" 1 "$(grep -c 'The passwords that you entered are different. Please make sure they are same' tty.txt)"
    check "no echo" 0 "$(grep -c 'one' tty.txt)"
    check "mismatch asks again" 2 "$(grep -c 'Password: ' tty.txt)"
    # A mismatch asks again, as passwd does: a match at the second or third try goes on, three mismatches
    # end with exit status 2 and nothing written; an empty password ends at once.
    typed() { for line in "$@"; do sleep 0.3; printf '%s\n' "$line"; done; }
    typed one two one two one two | script -qec "'$CLI' encrypt t.txt" /dev/null >tty.txt 2>&1; rc=$?
    check "three mismatches" "2 3 t.txt" "$rc $(grep -c 'are different' tty.txt) $(ls t.txt*)"
    typed "" | script -qec "'$CLI' decrypt t.txt" /dev/null >tty.txt 2>&1; rc=$?
    check "empty typed password" "2 1" "$rc $(grep -c 'No Password Entered' tty.txt)"
    typed one two same same | script -qec "'$CLI' encrypt t.txt" /dev/null >tty.txt 2>&1
    check "terminal encrypt" 1 "$(grep -c '\] 100%' tty.txt)"
    check "match at the second try" 1 "$(grep -c 'are different' tty.txt)"
    check "terminal output" "t.txt.zrk" "$(ls t.txt*)"
    (sleep 0.3; printf 'same\n'; sleep 0.3; printf 'two\n'; sleep 0.3; printf 'two\n') |
        script -qec "'$CLI' passwd t.txt.zrk" /dev/null >tty.txt 2>&1
    check "terminal passwd prompts" "Old password: New password: New password again: " \
        "$(grep -o -e 'Old password: ' -e 'New password: ' -e 'New password again: ' tty.txt | tr -d '\n')"
    check "terminal passwd" 1 "$(grep -c '\] 100%' tty.txt)"
    printf 'two\n' >pw-two
    check "terminal passwd changed it" 0 "$(cd /tmp && "$CLI" decrypt --keep --password-file "$work/pw-two" "$work/t.txt.zrk" >/dev/null; echo $?)"
fi

# -o and pipes: the bytes of the file mode both ways, stored and compressed, around the chunk edges
# (65540 and 16 * 65540 bytes) and the compression blocks (256 KiB).
mkdir pipes && cp pw pw-wrong pipes/ && cd pipes || exit 1
for size in 0 1 65539 65540 65541 262145 1048639 1048640 1048641 3000001; do
    head -c "$size" /dev/urandom >p.bin; head -c "$size" "$DATA/golden/sample.bin" >>p.bin
    for mode in "" --compress; do
        what="$size bytes ${mode:-stored}"
        "$CLI" encrypt --keep $mode --password-file pw p.bin >/dev/null
        cat p.bin | "$CLI" encrypt $mode --name p.bin --password-file pw -o - - >pipe.zrk 2>err.txt
        check "pipe encrypt $what" "0 same ''" "$? $(cmp -s pipe.zrk p.bin.zrk && echo same) '$(cat err.txt)'"
        "$CLI" decrypt --password-file pw -o - - <pipe.zrk >back.bin 2>err.txt
        check "pipe decrypt $what" "0 same ''" "$? $(cmp -s back.bin p.bin && echo same) '$(cat err.txt)'"
        "$CLI" decrypt --password-file pw -o new.bin p.bin.zrk 2>err.txt
        check "decrypt into a new file $what" "0 same" "$? $(cmp -s new.bin p.bin && echo same)"
        rm -f p.bin.zrk pipe.zrk back.bin new.bin
    done
done

# -o FILE: a new file (never replaced), the source kept; a decrypted file is for its owner only.
run encrypt --compress --password-file pw -o p.zrk p.bin
check "encrypt -o file" "0 | p.bin p.zrk " "$rc $out| $(listing)"
cp p.zrk p.before
run decrypt --password-file pw -o p.zrk p.bin.zrk
check "existing -o refused" "1 p.bin.zrk: Cannot create file \"p.zrk\". File exists" "$rc $err"
run encrypt --password-file pw -o p.zrk p.bin
check "existing -o untouched" "1 same" "$rc $(cmp -s p.zrk p.before && echo same)"
run decrypt --password-file pw -o out.bin p.zrk
check "decrypt -o file" "0 out.bin p.before p.bin p.zrk " "$rc $(listing)"
check "decrypted -o is the owner's" "600 same" "$(stat -c %a out.bin) $(cmp -s out.bin p.bin && echo same)"
run decrypt --password-file pw-wrong -o out2.bin p.zrk
check "wrong password -o" "3 p.zrk: The Password is Wrong" "$rc $err"
check "wrong password leaves nothing" "out.bin p.before p.bin p.zrk " "$(listing)"
rm -f out.bin p.before
# The name given with --name is what decryption restores.
printf 'from a pipe' | "$CLI" encrypt --name x.txt --password-file pw -o - - >x.zrk
run decrypt --password-file pw x.zrk
check "--name restored" "0 x.txt from a pipe" "$rc $out $(cat x.txt)"
rm -f x.txt

# A reader that closes the pipe early ends the command at once, quietly, with status 1, leaving
# nothing behind.
before=$(listing)
for command in "encrypt --name p.bin -o - -" "encrypt --compress --name p.bin -o - -" "decrypt -o - -"; do
    input=p.bin; [[ $command == decrypt* ]] && input=p.zrk
    "$CLI" $command --password-file pw <$input 2>err.txt | head -c 10 >/dev/null
    check "closed pipe: $command" "1 ''" "${PIPESTATUS[0]} '$(cat err.txt)'"
done
check "closed pipe leaves nothing" "$before" "$(listing)"

# test: checks without writing; stored contents can only show the password right.
"$CLI" encrypt --keep --password-file pw -o s.zrk p.bin
cp p.zrk trail.zrk; printf 'x' >>trail.zrk
head -c $(($(stat -c %s p.zrk) - 5)) p.zrk >cut.zrk
before=$(listing)
run test --password-file pw p.zrk s.zrk
check "test good" "0|p.zrk: OK
s.zrk: OK (password only; stored contents carry no checksum)|" "$rc|$out|$err"
run test --password-file pw-wrong p.zrk
check "test wrong password" "3 p.zrk: The Password is Wrong" "$rc $err"
run test --password-file pw trail.zrk cut.zrk p.zrk
check "test damaged" "1|trail.zrk: data error
cut.zrk: data error|p.zrk: OK" "$rc|$err|$out"
run test --password-file pw-wrong p.zrk missing.zrk
check "test wrong and missing" 1 "$rc"
out=$("$CLI" test --password-file pw - <p.zrk); check "test from standard input" "0 -: OK" "$? $out"
check "test writes nothing" "$before" "$(listing)"
rm -f s.zrk trail.zrk cut.zrk p.zrk p.bin

# Armour: the text window's golden armour decrypts, and encrypting its text gives it again.
printf 'golden armour\n' >pw-armour
text='Zarkent: şifreli metin / encrypted text'
out=$("$CLI" decrypt --password-file pw-armour -o - "$DATA/golden/message-armour.txt"); rc=$?
check "golden armour decrypts" "0 $text" "$rc $out"
printf '%s\n' "$text" | "$CLI" encrypt --armor --name message.txt --password-file pw-armour -o - - >armour.txt
check "armour is the window's" "" "$(cmp armour.txt "$DATA/golden/message-armour.txt")"
{ printf 'Hi,\r\n\r\nhere it is:\r\n\r\n'; sed 's/^/> /' armour.txt; printf '\nBye\n'; } >mail.txt
out=$("$CLI" decrypt --password-file pw-armour -o - - <mail.txt); rc=$?
check "armour inside a mail" "0 $text" "$rc $out"
run test --password-file pw-armour mail.txt
check "test armour" "0 mail.txt: OK" "$rc $out"
run decrypt --password-file pw mail.txt
check "armour wrong password" "3 mail.txt: The Password is Wrong" "$rc $err"
# Decrypted beside itself under the stored name, "(n)" when taken; the armour goes, as a .zrk would.
cp armour.txt armour2.txt
run decrypt --password-file pw-armour armour.txt armour2.txt
check "armour in place" "0 message.txt (0)message.txt mail.txt " "$rc $(echo $out) $(ls armour* mail.txt 2>/dev/null | tr '\n' ' ')"
check "armour in place contents" "$text" "$(cat '(0)message.txt')"
head -c $((16 * 1024 * 1024 + 1)) /dev/zero >huge.bin
run encrypt --armor --password-file pw -o big.txt huge.bin
check "armour too large" "1 huge.bin: The input is larger than 16777216 bytes, the most that is encrypted or read as text at once" "$rc $err"
check "armour too large leaves nothing" "" "$(ls big.txt 2>/dev/null)"
rm -f armour*.txt mail.txt message.txt '(0)message.txt' huge.bin

# Bad usage of -o, standard input and test: exit 2 with the usage.
printf 'x' >u.txt
for bad in "encrypt -o - u.txt u.txt" "encrypt -o - -" "decrypt -" \
    "encrypt --armor u.txt" "encrypt --name a/b -o - u.txt" "encrypt --name u.txt" "test" "test - -" \
    "test --bogus u.txt" "decrypt -r -o x u.txt"; do
    run $bad --password-file pw
    check "usage: $bad" "2 1" "$rc $(grep -c '^Usage:' err.txt)"
done
for bad in "encrypt --name a -o - --password-file - -" "decrypt -o - --password-file - -" "test --password-file - -" \
    "encrypt --password-file pw -o"; do
    run $bad
    check "usage: $bad" "2 1" "$rc $(grep -c '^Usage:' err.txt)"
done
cd .. && rm -rf pipes

finish
