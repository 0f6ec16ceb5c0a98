#!/usr/bin/env bash
# The window program on a real X server with a window manager (Xvfb and openbox): the prompts that the
# windows which stay on top open (the password dialog's message, the folder window's warning, its two
# password boxes and their message) come up mapped, owned by the window that opened them (WM_TRANSIENT_FOR)
# and above it in the window manager's stacking order, and what the user types goes into them. Then the
# program is closed as a user closes it and must end with status 0.
# Usage: test_prompts.sh ZARKENT [SCREENSHOT.png]
# Exit status 77 (skipped) when Xvfb, openbox, xdotool, xprop, xwininfo, xmessage or ImageMagick's import is
# missing.
set -euo pipefail
program=$(realpath "$1")
shot=${2:-}
for tool in Xvfb openbox xdotool xprop xwininfo xmessage import; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
source "$(dirname "$0")/../win/display.sh"
program_pid=
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    display_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    local screen=${TMPDIR:-/tmp}/zarkent-prompts-failure.png
    if [ -n "${DISPLAY:-}" ] && import -window root "$screen" 2>/dev/null; then
        echo "screen at the failure: $screen" >&2
    fi
    if [ -n "$program_pid" ] && ! kill -0 "$program_pid" 2>/dev/null; then
        local status=0
        wait "$program_pid" || status=$?
        echo "the program had ended, status $status" >&2
        program_pid=
    fi
    if [ -f "$work/program.log" ]; then sed 's/^/program: /' "$work/program.log" >&2; fi
    exit 1
}
step() { echo "== $*"; }

# Polls `$2...` until it succeeds or $1 seconds have passed.
until_ok() {
    local deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
# The visible windows whose name matches the regular expression $1, oldest first.
windows_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
# Waits up to $1 seconds for a visible window named $2 that is none of the ids after it; prints its id.
new_window() {
    local deadline=$(($(date +%s) + $1)) name=$2 id
    shift 2
    while [ "$(date +%s)" -lt "$deadline" ]; do
        for id in $(windows_named "$name"); do
            case " $* " in *" $id "*) ;; *)
                echo "$id"
                return 0
                ;;
            esac
        done
        sleep 0.1
    done
    return 1
}
gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# Positions of the windows in the window manager's stacking order, bottom first.
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/^[^#]*# //; s/,//g'; }
stack_index() {
    local i=0 id
    for id in $(stacking); do
        [ $((id)) -eq $(($1)) ] && { echo "$i"; return 0; }
        i=$((i + 1))
    done
    echo -1
}
above() { [ "$(stack_index "$1")" -gt "$(stack_index "$2")" ]; }
transient_for() { xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*window id # //p'; }
# The prompt $1 is mapped, owned by $2 and above it.
owned() {
    local prompt=$1 owner=$2 what=$3 parent
    xwininfo -id "$prompt" | grep -q 'Map State: IsViewable' || fail "$what is not mapped"
    parent=$(transient_for "$prompt")
    [ -n "$parent" ] && [ $((parent)) -eq $((owner)) ] ||
        fail "$what is not owned by its window: WM_TRANSIENT_FOR ${parent:-unset}, window $(printf '0x%x' "$owner")"
    until_ok 5 above "$prompt" "$owner" || fail "$what is below its window in the stacking order: $(stacking)"
}
# Types $2 and $3 into the password dialog $1's two entries (each clicked, its text replaced), then Enter.
# The entries lie where the dialog's design puts them (18,23 and 215,23, 22 high).
enter_passwords() {
    xdotool windowactivate --sync "$1"
    xdotool mousemove --window "$1" 60 34 click 1 key ctrl+a type "$2"
    xdotool mousemove --window "$1" 260 34 click 1 key ctrl+a type "$3"
    xdotool key Return
}
type_into() {
    xdotool windowactivate --sync "$1"
    xdotool type --delay 30 "$2"
}

display_start --window-manager || fail "no display"

# A user of our own: settings, desktop entries and the home folder in the scratch folder; English stored.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Zarkent" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$work/empty"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[General]\nLanguage=2\nProgramHizAyari=tpnormal\n' >"$XDG_CONFIG_HOME/Zarkent/Zarkent.conf"

step "start with a folder: the password dialog (always on top) opens"
"$program" "$work/empty" >"$work/program.log" 2>&1 &
program_pid=$!
main=$(new_window 30 '^Zarkent Data Protection') || fail "the main window did not appear"
dialog=$(new_window 30 '^Please enter a password$') || fail "the password dialog did not appear"

step "two different passwords: the password dialog's message"
enter_passwords "$dialog" a b
error=$(new_window 10 '^Error$') || fail "no message for two different passwords"
owned "$error" "$dialog" "the password dialog's message"
xdotool windowactivate --sync "$error" key Return
until_ok 10 gone "$error" || fail "Enter did not close the message"
step "the same password, then the main button: the folder window's warning for an empty folder"
enter_passwords "$dialog" pw pw
until_ok 10 gone "$dialog" || fail "the password dialog did not take the password"
xdotool windowactivate --sync "$main" key Return
warning=$(new_window 10 '^Warning$') || fail "no warning for the empty folder"
folder=$(new_window 10 '^Please Select a Folder$') || fail "the folder window is not visible"
owned "$warning" "$folder" "the folder window's warning"
if [ -n "$shot" ]; then import -window root "$shot"; fi
xdotool windowactivate --sync "$warning" key Return
until_ok 10 gone "$warning" || fail "Enter did not close the warning"

step "the folder window's start button asks for the password twice"
xdotool windowactivate --sync "$folder" key space
first=$(new_window 10 '^Warning$' "$warning") || fail "no password box"
owned "$first" "$folder" "the first password box"
type_into "$first" one
xdotool key Return
second=$(new_window 10 '^Warning$' "$warning" "$first") || fail "no second password box"
owned "$second" "$folder" "the second password box"
type_into "$second" two
xdotool key Return
# Only what was typed into the boxes can differ: two empty answers close the window without a word.
error=$(new_window 10 '^Error$' "$error") || fail "no message for the two different passwords typed"
owned "$error" "$folder" "the folder window's message"
xdotool windowactivate --sync "$error" key Return
until_ok 10 gone "$error" || fail "Enter did not close the message"

step "close the program"
xdotool windowactivate --sync "$folder" key Escape
until_ok 10 gone "$folder" || fail "Escape did not close the folder window"
xdotool windowactivate --sync "$main" key alt+F4
until_ok 30 eval '! kill -0 "$program_pid" 2>/dev/null' || fail "the program did not end after its main window was closed"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS"
