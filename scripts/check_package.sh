#!/usr/bin/env bash
# Builds the Debian package from an already built tree, unpacks it into a scratch root (no root rights
# needed) and checks what a user gets: the programs start from there and the window program finds its
# companion documents, the desktop entry, MIME type, icon and manual page are in place and valid, and the
# manual page covers every command and option of zarkent-cli --help.
# Usage: scripts/check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: scripts/check_package.sh BUILD_DIR}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$scratch"/out/zarkent_*.deb)
[ -f "${debs[0]}" ] || fail "no package was built"
deb=${debs[0]}

# Control fields, and the runtime libraries among the dependencies.
dpkg-deb -f "$deb" >"$scratch/control"
for field in Package Version Architecture Maintainer Section Description Depends; do
    grep -q "^$field: ." "$scratch/control" || fail "the package has no $field field"
done
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6 zlib1g libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done

# Every file belongs to root and sits where it belongs.
dpkg-deb -c "$deb" >"$scratch/contents"
if awk '$2 != "root/root"' "$scratch/contents" | grep -q .; then fail "files not owned by root in the package"; fi
root=$scratch/root
dpkg-deb -x "$deb" "$root"
for path in usr/bin/zarkent usr/bin/zarkent-cli usr/lib/zarkent/zarkent usr/lib/zarkent/help.html usr/lib/zarkent/help_tr.html \
            usr/lib/zarkent/about_tr.txt usr/share/applications/zarkent.desktop \
            usr/share/icons/hicolor/128x128/apps/zarkent.png usr/share/mime/packages/zarkent.xml \
            usr/share/man/man1/zarkent-cli.1.gz; do
    [ -e "$root/$path" ] || fail "the package lacks /$path"
done
extra=$(find "$root/usr/bin" -mindepth 1 ! -name zarkent ! -name zarkent-cli)
[ -z "$extra" ] || fail "unexpected files in /usr/bin: $extra"
[ "$(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/128x128/apps/zarkent.png" | tr -s ' ')" = " 0 0 0 128 0 0 0 128" ] ||
    fail "the icon is not 128x128"

# The installed programs start, and the window program finds its companions beside its real file.
version=$("$root/usr/bin/zarkent-cli" --version)
[ "$version" = "zarkent-cli $(dpkg-deb -f "$deb" Version)" ] || fail "zarkent-cli --version says '$version'"
printf 'packaged\n' >"$scratch/note.txt"
printf 'secret\n' | "$root/usr/bin/zarkent-cli" encrypt --compress --password-file - "$scratch/note.txt" >/dev/null
printf 'secret\n' | "$root/usr/bin/zarkent-cli" decrypt --password-file - "$scratch/note.txt.zrk" >/dev/null
[ "$(cat "$scratch/note.txt")" = packaged ] || fail "the installed zarkent-cli does not round-trip a file"
help=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/zarkent" --help) || fail "zarkent --help failed"
grep -q '^Usage: zarkent ' <<<"$help" || fail "zarkent --help printed no usage: $help"
grep -qxF "Help page: $root/usr/lib/zarkent/help.html" <<<"$help" ||
    fail "the installed zarkent does not find its help page: $help"

# The desktop entry is valid and names what the package installs.
desktop=$root/usr/share/applications/zarkent.desktop
# Errors fail, and so do warnings; hints (advice on extra categories) are only shown.
validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $validation"
if grep -v ': hint: ' <<<"$validation" | grep -q .; then fail "desktop-file-validate: $validation"; fi
[ -z "$validation" ] || echo "$validation"
grep -qx 'Exec=zarkent %F' "$desktop" || fail "the desktop entry does not start zarkent"
grep -qx 'Icon=zarkent' "$desktop" || fail "the desktop entry does not name the icon"
grep -qx 'MimeType=application/x-zarkent-encrypted;' "$desktop" || fail "the desktop entry does not name the MIME type"

# The MIME type compiles: *.zrk (lower case only), with its icon and its English and Turkish comments.
mime_log=$(XDG_DATA_DIRS="$root/usr/share" update-mime-database "$root/usr/share/mime" 2>&1) || fail "update-mime-database: $mime_log"
[ -z "$mime_log" ] || fail "update-mime-database: $mime_log"
grep -qx '50:application/x-zarkent-encrypted:\*\.zrk:cs' "$root/usr/share/mime/globs2" ||
    fail "the MIME type does not take *.zrk case-sensitively"
grep -qx 'application/x-zarkent-encrypted:zarkent' "$root/usr/share/mime/generic-icons" 2>/dev/null ||
    grep -q 'icon name="zarkent"' "$root/usr/share/mime/application/x-zarkent-encrypted.xml" ||
    fail "the MIME type has no icon"
for comment in '<comment>Zarkent Encrypted Files</comment>' '<comment xml:lang="tr">Zarkent Şifreli Dosyaları</comment>'; do
    grep -qF "$comment" "$root/usr/share/mime/application/x-zarkent-encrypted.xml" || fail "the MIME type lacks $comment"
done

# The manual page names the package's version, formats without a warning, has a section for every
# command of zarkent-cli --help and an entry (a tagged paragraph) for every option.
page=$scratch/zarkent-cli.1
gzip -dc "$root/usr/share/man/man1/zarkent-cli.1.gz" >"$page"
warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff: $warnings"
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
release=$(dpkg-deb -f "$deb" Version)
grep -qE "^\.TH .* \"Zarkent ${release//./\\.}\"" "$page" || fail "the manual page does not name version $release"
entries=$(awk 'previous == ".TP" || /^\.SS / { print } { previous = $0 }' "$page" | sed 's/\\-/-/g')
usage=$("$root/usr/bin/zarkent-cli" --help)
for word in $(grep -oE -- '--[a-z][a-z-]*|zarkent-cli [a-z0-9]+' <<<"$usage" | sed 's/^zarkent-cli //' | sort -u); do
    if [[ $word == --* ]]; then
        grep -qE -- "^\.(B|BI|BR) $word( |$)" <<<"$entries" || fail "the manual page has no entry for $word"
    else
        grep -qE "^\.SS .*\b$word\b" <<<"$entries" || fail "the manual page has no section for $word"
    fi
done
text=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou "$page")
for status in 0 1 2 3; do
    grep -qE "^ {7}$status\b" <<<"$text" || fail "the manual page does not explain exit status $status"
done

echo "package: $(basename "$deb") checked ($(grep -c . "$scratch/contents") entries)"
