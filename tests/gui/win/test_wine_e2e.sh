#!/usr/bin/env bash
# The Windows window program end to end, under Wine on a virtual X display with a window manager:
#  1. the setup program installs it silently for the current user (no administrator rights);
#  2. started with a file on its command line (as the Send To entry or a double click starts it), the
#     password typed twice into its real dialog and Enter in the main window encrypt the file, and the
#     Linux zarkent-cli decrypts that .zrk file to the original bytes;
#  3. the association, the folder verb and the Send To shortcut written at start-up are read back
#     (reg query, the shortcut's target), and so is the settings key;
#  4. the uninstaller removes the program's files, its Start menu and uninstall entries and everything
#     the program registered, and keeps the settings key (a silent uninstall does not ask).
# Usage: test_wine_e2e.sh SETUP.exe LINK_TARGET.exe LINUX-ZARKENT-CLI [SCREENSHOT.png]
# Exit status 77 (skipped) when Wine, Xvfb, openbox, xdotool or ImageMagick's import is missing.
set -euo pipefail
setup=$(realpath "$1")
link_target=$(realpath "$2")
linux_cli=$(realpath "$3")
shot=${4:-}
for tool in wine wineserver winepath Xvfb openbox xdotool import; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
source "$(dirname "$0")/display.sh"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    display_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    local screen=${TMPDIR:-/tmp}/zarkent-e2e-failure.png
    if [ -n "${DISPLAY:-}" ] && import -window root "$screen" 2>/dev/null; then
        echo "screen at the failure: $screen" >&2
    fi
    exit 1
}
step() { echo "== $*"; }

# A display of our own, with openbox: prompts that open behind their window show only with a window manager.
display_start --window-manager || fail "no display"

# Windows texts and paths; reg prints CRLF lines.
wtext() { tr -d '\r'; }
wenv() { wine cmd /c echo "%$1%" 2>/dev/null | wtext; }
reg_default() { wine reg query "$1" /ve 2>/dev/null | wtext | sed -n 's/^ *(Default) *REG_SZ *//p'; }
reg_exists() { wine reg query "$1" >/dev/null 2>&1; }
# Waits up to $1 seconds for a visible window whose name matches $2; prints its id.
window() {
    local deadline=$(($(date +%s) + $1)) id
    while [ "$(date +%s)" -lt "$deadline" ]; do
        id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.5
    done
    return 1
}

step "install (silent, current user)"
wine "$setup" /S /CurrentUser
wineserver -w
local_app=$(winepath -u "$(wenv LOCALAPPDATA)")
app_data=$(winepath -u "$(wenv APPDATA)")
folder=$local_app/Programs/Zarkent
for f in zarkent.exe zarkent-cli.exe help.html help_tr.html about_tr.txt translations/qtbase_tr.qm LICENSE.txt uninstall.exe; do
    [ -f "$folder/$f" ] || fail "the setup program did not install $f into $folder"
done
start_menu=$app_data/Microsoft/Windows/Start\ Menu/Programs/Zarkent.lnk
[ -f "$start_menu" ] || fail "no Start menu entry"
program=$(winepath -w "$folder/zarkent.exe" | wtext)

step "encrypt through the window"
mkdir -p "$work/data" "$work/check" "$work/original"
name="belge ğüşıöç.bin"
head -c 300000 /dev/urandom >"$work/original/$name"
cp "$work/original/$name" "$work/data/"
# xdotool types letters beyond the keyboard map by remapping a key for a moment, which Wine does not
# always see in time: the typed password stays ASCII (Turkish passwords cross in test_cli_win).
password='Gizli Sifre 42!'
wine "$program" "$(winepath -w "$work/data/$name" | wtext)" >"$work/program.log" 2>&1 &
program_pid=$!
# The password dialog opens over the main window; its title is Turkish until a language is stored.
dialog=$(window 90 'Şifre Giriniz|Enter a Password|Password') || fail "the password dialog did not appear"
xdotool windowactivate --sync "$dialog"
xdotool type --delay 40 "$password"
xdotool key Tab
xdotool type --delay 40 "$password"
xdotool key Return
main=$(window 30 '^ *Zarkent') || fail "the main window is not visible"
xdotool windowactivate --sync "$main"
sleep 1
if [ -n "$shot" ]; then import -window root "$shot"; fi
xdotool key Return
for _ in $(seq 120); do [ -f "$work/data/$name.zrk" ] && break; sleep 0.5; done
[ -f "$work/data/$name.zrk" ] || fail "no .zrk file after the main button"
printf '%s' "$password" >"$work/pw"
cp "$work/data/$name.zrk" "$work/check/"
(cd "$work/check" && "$linux_cli" decrypt --password-file "$work/pw" "$name.zrk" >/dev/null) ||
    fail "the Linux zarkent-cli cannot decrypt the .zrk file written under Wine"
cmp "$work/original/$name" "$work/check/$name" || fail "decrypted bytes differ from the original"
# The window replaces the file by its .zrk file.
[ -e "$work/data/$name" ] && fail "the original is still there beside its .zrk file"

step "close the program"
# The result window goes with Escape, then the main window closes as a user closes it.
if result=$(window 30 'Sonuç|Result|Bilgi|Information'); then
    xdotool windowactivate --sync "$result" key Escape
fi
xdotool windowactivate --sync "$main" key alt+F4
for _ in $(seq 60); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.5; done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after its main window was closed"
wait "$program_pid" || fail "the program ended with status $?"

step "read back what the start-up registered"
classes='HKCU\Software\Classes'
[ "$(reg_default "$classes\\.zrk")" = "Zarkent.Document" ] || fail ".zrk is not associated"
[ "$(reg_default "$classes\\Zarkent.Document\\shell\\open\\command")" = "\"$program\" \"%1\"" ] ||
    fail "open command: $(reg_default "$classes\\Zarkent.Document\\shell\\open\\command")"
verbs=$(wine reg query "$classes\\Folder\\shell" /s 2>/dev/null | wtext)
grep -qF "\"$program\" \"%1\" " <<<"$verbs" || fail "no folder verb runs the program: $verbs"
reg_exists 'HKCU\Software\Zarkent' || fail "no settings key"
send_to=$app_data/Microsoft/Windows/SendTo
links=("$send_to"/*.lnk)
[ "${#links[@]}" -eq 1 ] && [ -f "${links[0]}" ] || fail "expected one Send To shortcut: ${links[*]}"
target=$(wine "$link_target" "$(winepath -w "${links[0]}" | wtext)" | wtext | head -n1) ||
    fail "the Send To shortcut does not load: ${links[0]}"
[ "$target" = "$program" ] || fail "the Send To shortcut leads to \"$target\", not \"$program\""

step "uninstall (silent)"
wine "$(winepath -w "$folder/uninstall.exe" | wtext)" /S
wineserver -w
for _ in $(seq 60); do [ -e "$folder" ] || break; sleep 0.5; done
[ -e "$folder" ] && fail "the program folder is still there: $(ls -A "$folder")"
[ -e "$start_menu" ] && fail "the Start menu entry is still there"
reg_exists "$classes\\.zrk" && fail ".zrk is still associated"
reg_exists "$classes\\Zarkent.Document" && fail "the document class is still there"
grep -qF "$program" <<<"$(wine reg query "$classes\\Folder\\shell" /s 2>/dev/null | wtext)" &&
    fail "a folder verb still runs the program"
compgen -G "$send_to/*.lnk" >/dev/null && fail "a Send To shortcut is still there"
reg_exists 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarkent' && fail "the uninstall entry is still there"
reg_exists 'HKCU\Software\Zarkent' || fail "a silent uninstall removed the settings"
echo "PASS"
