#!/usr/bin/env bash
# End-to-end checks of zarkent-cli.exe (run through the emulator, Wine): round trips, names beyond
# ASCII, exit codes and messages, the golden files, md5 and the random numbers' exact bytes. With a
# Linux zarkent-cli as fourth argument, files also cross between the two builds in both directions.
# Usage: test_cli_win.sh CLI.exe DATA-FOLDER [EMULATOR] [LINUX-CLI]
set -u
CLI=$(realpath "$1")
DATA=$(realpath "$2")
EMULATOR=${3:-}
LINUX_CLI=${4:-}
source "$(dirname "$0")/lib.sh"

printf 'secret\n' >pw
printf 'other\r\n' >pw-wrong

run --version; check "version" "zarkent-cli ${ZARKENT_VERSION:?the project version}" "$out"
run frobnicate; check "unknown command" 2 "$rc"

# Encrypt then decrypt: the source goes, the output is printed, nothing else is left.
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
printf 'secret\r\nsecond line\n' | cli encrypt --keep --compress --password-file - data.bin >out.txt 2>err.txt
check "stdin password exit" 0 "$?"
run encrypt --keep --password-file pw data.bin
check "second output is numbered" "(0)data.bin.zrk" "$out"
run decrypt --keep --password-file pw data.bin.zrk '(0)data.bin.zrk'
check "two decrypts exit" 0 "$rc"
check "restored names" "(0)data.bin
(1)data.bin" "$(tr -d '\r' <out.txt)"
check "compressed restores" "" "$(cmp '(0)data.bin' orig.bin)"
check "stored restores" "" "$(cmp '(1)data.bin' orig.bin)"
rm -f '(0)data.bin' '(1)data.bin' '(0)data.bin.zrk'

# Wrong password: exit 3, the message, the .zrk untouched and no .coz; a missing file makes it 1.
cp data.bin.zrk before.zrk
run decrypt --password-file pw-wrong data.bin.zrk missing.zrk
check "wrong password and missing exit" 1 "$rc"
check "wrong password message" "data.bin.zrk: The Password is Wrong" "$(sed -n 1p err.txt)"
check "missing file message" 'missing.zrk: Cannot open file "missing.zrk". No such file or directory' \
    "$(sed -n 2p err.txt)"
check "zrk untouched" "" "$(cmp data.bin.zrk before.zrk)"
check "no coz left" "before.zrk data.bin data.bin.zrk orig.bin " "$(listing)"
rm -f before.zrk data.bin.zrk

# Names beyond ASCII arrive whole through the wide command line and come back in UTF-8.
name='şifreli ĞÜ 日本.txt'
cp orig.bin "$name"
run encrypt --compress --password-file pw "$name"
check "unicode encrypt" "$name.zrk" "$out"
run decrypt --password-file pw "$name.zrk"
check "unicode decrypt" "$name" "$out"
check "unicode contents" "" "$(cmp "$name" orig.bin)"
rm -f "$name" data.bin

# Files written by earlier builds keep decrypting.
for golden in sample-stored.zrk:"Zarkent golden 1" sample-compressed.zrk:"şifre ĞÜ 2"; do
    file=${golden%%:*}
    mkdir g && cp "$DATA/golden/$file" g/
    printf '%s\n' "${golden#*:}" >pw-golden
    run decrypt --password-file pw-golden "g/$file"
    check "golden $file" 0 "$rc"
    check "golden $file contents" "" "$(cmp g/sample.bin "$DATA/golden/sample.bin")"
    rm -rf g
done

# md5 of files and of standard input, and the check of a list.
printf 'abc' >m1; : >m2
run md5 m1 m2
check "md5 lines" "900150983cd24fb0d6963f7d28e17f72  m1
d41d8cd98f00b204e9800998ecf8427e  m2" "$out"
cp out.txt list.md5
run md5 --check list.md5; check "md5 check" "m1: OK m2: OK" "$(echo $out)"
check "md5 of standard input" "900150983cd24fb0d6963f7d28e17f72  -" "$(printf abc | cli md5 -)"
rm -f m1 m2 list.md5

# Exact bytes on standard output: CR LF only where the window's layout puts it.
cli random --bound 100 --count 9 --format pascal --as-window >win.txt
check "window layout bytes" 1 "$(LC_ALL=C grep -cE '^(\$00[0-6][0-9A-F],){8}'$'\r''$' win.txt)"
check "one CR only" 1 "$(tr -cd '\r' <win.txt | wc -c)"
run passgen --length 20 --count 3 --digits
check "passgen" 3 "$(grep -cxE '[0-9]{20}' out.txt)"

# wipe: the file is gone, the other stays.
printf 'one' >w1; printf 'two' >w2
run wipe --method 0 w1
check "wipe exit" 0 "$rc"; check "wipe leaves the other" "w2" "$(ls w1 w2 2>/dev/null)"
rm -f w2

# Each command's own help; an empty password is refused before anything is touched.
for command in encrypt decrypt test passwd; do
    run "$command" --help
    check "$command --help" "0 Usage: zarkent-cli $command" "$rc $(head -1 out.txt | cut -d' ' -f1-3)"
done
: >pw-empty; printf 'x' >e.txt
run encrypt --password-file pw-empty e.txt
check "empty password" "2 zarkent-cli: No Password Entered e.txt" "$rc $(tr -d '\r' <err.txt) $(ls e.txt*)"
rm -f e.txt

# Pipes: standard input to standard output and back, stored and compressed, the bytes of the file mode.
head -c 300000 /dev/urandom >p.bin; yes pipe | head -c 300000 >>p.bin
for compress in "" --compress; do
    cli encrypt $compress --name p.bin --password-file pw -o - - <p.bin >piped.zrk 2>err.txt
    check "pipe encrypt $compress" "0 " "$? $(cat err.txt)"
    run encrypt $compress --keep --password-file pw p.bin
    check "pipe bytes are the file's $compress" "" "$(cmp piped.zrk p.bin.zrk)"
    cli decrypt --password-file pw -o - - <piped.zrk >back.bin 2>err.txt
    check "pipe decrypt $compress" "0 " "$? $(cmp back.bin p.bin)"
    run test --password-file pw piped.zrk
    check "test $compress" 0 "$rc"
    rm -f piped.zrk p.bin.zrk back.bin
done
# -o FILE never replaces; test finds a damaged compressed file.
run encrypt --compress --password-file pw -o p.zrk p.bin
check "-o file" "0 p.bin p.zrk" "$rc $(echo p.*)"
cp p.zrk p.before
run encrypt --password-file pw -o p.zrk p.bin
check "-o existing is refused and kept" "1 " "$rc $(cmp p.zrk p.before)"
rm -f p.before
cp p.zrk cut.zrk; truncate -s -100 cut.zrk
run test --password-file pw cut.zrk
check "test cut file" 1 "$rc"

# passwd exchanges the files in one step (ReplaceFileW): the new password opens it, the old one no longer.
printf 'new secret\n' >pw-new
run passwd --password-file pw --new-password-file pw-new p.zrk
check "passwd" "0 p.bin p.zrk" "$rc $(echo p.*)"
run test --password-file pw p.zrk; check "old password refused" 3 "$rc"
cli decrypt --password-file pw-new -o - p.zrk >back.bin 2>err.txt
check "new password restores" "0 " "$? $(cmp back.bin p.bin)"
rm -f p.* cut.zrk back.bin

# -r walks a small tree and restores it exactly.
mkdir -p tree/a/b; printf 'one' >tree/1.txt; printf 'two' >tree/a/2.txt; printf 'three' >tree/a/b/3.txt
cp -r tree tree.orig
run encrypt -r --password-file pw tree
check "encrypt -r" "0 3" "$rc $(find tree -name '*.zrk' | wc -l)"
check "encrypt -r summary" "3 done, 0 failed, 0 skipped" "$(tail -1 err.txt | tr -d '\r')"
run decrypt -r --password-file pw tree
check "decrypt -r restores" "0 " "$rc $(diff -r tree tree.orig)"
rm -rf tree tree.orig

# The text window's armour decrypts.
printf 'golden armour\n' >pw-armour
cli decrypt --password-file pw-armour -o - "$DATA/golden/message-armour.txt" >armour.out 2>err.txt
check "armour" "0 1" "$? $(grep -c . armour.out)"
rm -f armour.out

# The same .zrk files on both systems: Windows encrypts, Linux decrypts, and the reverse.
if [ -n "$LINUX_CLI" ]; then
    for compress in "" --compress; do
        head -c 300000 /dev/urandom >cross.bin; cp cross.bin cross.orig
        run encrypt $compress --password-file pw cross.bin
        "$LINUX_CLI" decrypt --password-file pw cross.bin.zrk >/dev/null 2>&1
        check "Windows to Linux $compress" "0 " "$? $(cmp cross.bin cross.orig)"
        "$LINUX_CLI" encrypt $compress --password-file pw cross.bin >/dev/null 2>&1
        cp cross.bin.zrk linux.zrk
        run decrypt --password-file pw cross.bin.zrk
        check "Linux to Windows $compress" "0 " "$rc $(cmp cross.bin cross.orig)"
        # Both builds write the very same bytes for the same file and password.
        run encrypt $compress --password-file pw cross.bin
        check "same bytes from both builds $compress" "" "$(cmp cross.bin.zrk linux.zrk)"
        rm -f cross.* linux.zrk
    done
fi

finish
