#!/usr/bin/env bash
# zarkent --unregister in a scratch home, without a display: it removes the entries Zarkent wrote (the
# file-manager entries, its line in mimeapps.list, its Thunar action), keeps the user's own, exits 0 and
# says nothing; a second run is just as quiet; a uca.xml it cannot edit is named on the error output and
# makes the exit status 1.
set -eu
program=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() { echo "test_unregister: $*" >&2; exit 1; }
data=$home/data
config=$home/config
unregister() {
    HOME=$home XDG_DATA_HOME=$data XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=no-such-platform \
        "$program" --unregister >"$home/out" 2>"$home/err"
}

mkdir -p "$data/nemo/actions" "$data/nautilus/scripts" "$data/kio/servicemenus" "$data/applications" \
         "$config/Thunar"
printf '[Nemo Action]\nName=Encrypt File\n' >"$data/nemo/actions/zarkent-encrypt-file.nemo_action"
printf '[Desktop Entry]\nName=Zarkent\n' >"$data/applications/zarkent.desktop"
printf '[Desktop Entry]\nName=Zarkent\n' >"$data/kio/servicemenus/zarkent-folder.desktop"
printf '#!/bin/sh\n# zarkent-folder-entry\nexec zarkent "$@"\n' >"$data/nautilus/scripts/Encrypt∕Decrypt Folder"
printf '#!/bin/sh\n# my own script of that name\n' >"$data/nautilus/scripts/Klasörü Şifrele∕Çözümle"
printf '[Nemo Action]\nName=Mine\n' >"$data/nemo/actions/mine.nemo_action"
printf '[Default Applications]\ntext/plain=gedit.desktop\napplication/x-zarkent-encrypted=zarkent.desktop\n' \
    >"$config/mimeapps.list"
cat >"$config/Thunar/uca.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<actions>
<action>
	<name>Open Terminal Here</name>
	<unique-id>1234-1</unique-id>
	<command>exo-open --launch TerminalEmulator</command>
</action>
<action>
	<name>Encrypt/Decrypt Folder</name>
	<unique-id>zarkent-folder-entry</unique-id>
	<command>zarkent %f</command>
</action>
</actions>
XML

unregister || fail "exit status $? (error output: $(cat "$home/err"))"
[ ! -s "$home/out" ] && [ ! -s "$home/err" ] || fail "a run that succeeded printed: $(cat "$home/out" "$home/err")"
for gone in nemo/actions/zarkent-encrypt-file.nemo_action applications/zarkent.desktop \
            kio/servicemenus/zarkent-folder.desktop "nautilus/scripts/Encrypt∕Decrypt Folder"; do
    [ ! -e "$data/$gone" ] || fail "$gone is still there"
done
[ -f "$data/nautilus/scripts/Klasörü Şifrele∕Çözümle" ] || fail "the user's own script was removed"
[ -f "$data/nemo/actions/mine.nemo_action" ] || fail "the user's own Nemo action was removed"
[ "$(cat "$config/mimeapps.list")" = "$(printf '[Default Applications]\ntext/plain=gedit.desktop')" ] ||
    fail "mimeapps.list is now: $(cat "$config/mimeapps.list")"
grep -q 'zarkent' "$config/Thunar/uca.xml" && fail "the Thunar action is still there: $(cat "$config/Thunar/uca.xml")"
grep -q '<unique-id>1234-1</unique-id>' "$config/Thunar/uca.xml" || fail "the user's Thunar action was removed"

before=$(cd "$home" && find . -printf '%p %s\n' | sort)
unregister || fail "a second run: exit status $? ($(cat "$home/err"))"
[ ! -s "$home/out" ] && [ ! -s "$home/err" ] || fail "a second run printed: $(cat "$home/out" "$home/err")"
[ "$(cd "$home" && find . -printf '%p %s\n' | sort)" = "$before" ] || fail "a second run changed the home"

# A Thunar list that is not well formed is left alone and named; the rest still goes.
printf '<actions>\n<action><unique-id>zarkent-folder-entry</unique-id>\n' >"$config/Thunar/uca.xml"
printf '[Nemo Action]\n' >"$data/nemo/actions/zarkent-folder.nemo_action"
status=0
unregister || status=$?
[ "$status" = 1 ] || fail "exit status $status with a broken uca.xml"
grep -qF "zarkent --unregister: \"$config/Thunar/uca.xml\" was left unchanged" "$home/err" ||
    fail "the error output does not name uca.xml: $(cat "$home/err")"
[ ! -e "$data/nemo/actions/zarkent-folder.nemo_action" ] || fail "a problem with uca.xml stopped the rest"
echo "PASS"
