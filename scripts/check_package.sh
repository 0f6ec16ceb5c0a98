#!/usr/bin/env bash
# Builds the Debian package from an already built tree, unpacks it into a scratch root (no root rights
# needed) and checks what a user gets: the programs start from there and the window program finds its
# companion documents, the desktop entry, MIME type, icon, manual pages and copyright file are in place
# and valid, the manual pages cover every command and option of the programs' --help, and the package,
# both programs and both manual pages name one version.
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
            usr/share/man/man1/zarkent-cli.1.gz usr/share/man/man1/zarkent.1.gz usr/share/doc/zarkent/copyright \
            usr/share/bash-completion/completions/zarkent-cli; do
    [ -e "$root/$path" ] || fail "the package lacks /$path"
done
extra=$(find "$root/usr/bin" -mindepth 1 ! -name zarkent ! -name zarkent-cli)
[ -z "$extra" ] || fail "unexpected files in /usr/bin: $extra"
[ "$(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/128x128/apps/zarkent.png" | tr -s ' ')" = " 0 0 0 128 0 0 0 128" ] ||
    fail "the icon is not 128x128"

# One version: the package's, its file name's, both programs' (zarkent --version prints what the about
# window shows) and, below, both manual pages'.
release=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "zarkent_${release}_$(dpkg-deb -f "$deb" Architecture).deb" ] ||
    fail "the package's file name $(basename "$deb") does not carry its version $release"
version=$("$root/usr/bin/zarkent-cli" --version)
[ "$version" = "zarkent-cli $release" ] || fail "zarkent-cli --version says '$version', the package $release"
version=$(QT_QPA_PLATFORM=no-such-platform "$root/usr/bin/zarkent" --version) || fail "zarkent --version failed"
[ "$version" = "zarkent $release" ] || fail "zarkent --version says '$version', the package $release"

# The installed programs start, and the window program finds its companions beside its real file.
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

# Each manual page names the package's version, formats without a warning and has an entry (a tagged
# paragraph) for every option of its program's --help; zarkent-cli's also a section for every command
# and the meaning of every exit status.
entries_of() { awk 'previous == ".TP" || /^\.SS / { print } { previous = $0 }' "$1" | sed 's/\\-/-/g'; }
for program in zarkent-cli zarkent; do
    page=$scratch/$program.1
    gzip -dc "$root/usr/share/man/man1/$program.1.gz" >"$page"
    warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff: $warnings"
    [ -z "$warnings" ] || fail "the manual page $program(1) has warnings: $warnings"
    grep -qE "^\.TH .* \"Zarkent ${release//./\\.}\"" "$page" || fail "$program(1) does not name version $release"
    usage=$(QT_QPA_PLATFORM=no-such-platform "$root/usr/bin/$program" --help)
    entries=$(entries_of "$page")
    for word in $(grep -oE -- '--[a-z][a-z-]*' <<<"$usage" | sort -u); do
        grep -qE -- "^\.(B|BI|BR) $word( |$)" <<<"$entries" || fail "$program(1) has no entry for $word"
    done
done
page=$scratch/zarkent-cli.1
entries=$(entries_of "$page")
for word in $(grep -oE 'zarkent-cli [a-z0-9]+' <<<"$("$root/usr/bin/zarkent-cli" --help)" | sed 's/^zarkent-cli //' | sort -u); do
    grep -qE "^\.SS .*\b$word\b" <<<"$entries" || fail "zarkent-cli(1) has no section for $word"
done
text=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou "$page")
for status in 0 1 2 3; do
    grep -qE "^ {7}$status\b" <<<"$text" || fail "zarkent-cli(1) does not explain exit status $status"
done
grep -qE '^\.SH FILES' "$scratch/zarkent.1" || fail "zarkent(1) names no files"
grep -qF 'Zarkent/Zarkent.conf' "$scratch/zarkent.1" || fail "zarkent(1) does not name the settings file"

# The copyright file is in Debian's machine-readable format: a header naming the format, paragraphs of
# "Field: value" lines with indented continuations, and every licence a Files paragraph names given
# either in that paragraph or in a License paragraph of its own; Zarkent (GPL-3+), zlib (Zlib) and Qt
# (LGPL-3) are named, and every licence text it points to exists on Debian.
copyright=$root/usr/share/doc/zarkent/copyright
problem=$(awk '
    function finish() {
        if (!fields) return
        if ("Files" in para) {
            files++
            if (!("Copyright" in para) || !("License" in para)) { print "a Files paragraph lacks Copyright or License"; bad = 1 }
            n = split(para["License"], names, / or | and /)
            for (i = 1; i <= n; i++) { named[names[i]] = 1; if (!textlines) used[names[i]] = 1 }
            if (para["Files"] == "*") whole = para["License"]
        } else if ("License" in para && fields == 1 && textlines > 0) {
            given[para["License"]] = 1
        } else if (paragraph > 1) { print "paragraph " paragraph " is neither a Files nor a License paragraph"; bad = 1 }
        delete para; fields = 0; textlines = 0
    }
    NR == 1 && $0 != "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" { print "the first line is not the Format field"; bad = 1 }
    /^$/ { finish(); next }
    /^[ \t]/ { if (last == "License") textlines++; next }
    /^[A-Za-z-]+:/ { if (!fields) paragraph++; name = substr($0, 1, index($0, ":") - 1); value = substr($0, index($0, ":") + 1)
                    sub(/^ +/, "", value); para[name] = value; last = name; fields++; next }
    { print "line " NR " is neither a field nor a continuation: " $0; bad = 1 }
    END {
        finish()
        if (whole != "GPL-3+") { print "Files: * is not under GPL-3+"; bad = 1 }
        for (name in used) if (!(name in given)) { print "no text for the licence " name; bad = 1 }
        if (!("Zlib" in named) || !("LGPL-3" in named)) { print "zlib (Zlib) or Qt (LGPL-3) is not named"; bad = 1 }
        exit bad
    }' "$copyright") || fail "the copyright file: $problem"
grep -qF 'Upstream-Name: Zarkent' "$copyright" || fail "the copyright file does not name Zarkent"
for pointer in $(grep -oE '/usr/share/common-licenses/[A-Za-z0-9.+-]+' "$copyright" | sort -u); do
    [ -f "$pointer" ] || fail "the copyright file points to $pointer, which Debian does not have"
done

echo "package: $(basename "$deb") checked ($(grep -c . "$scratch/contents") entries)"
