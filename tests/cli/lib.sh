# The shared head of the zarkent-cli checks, sourced after CLI is set (and EMULATOR, which runs it, where
# one is needed): a scratch folder to work in, and check/run/listing/finish.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
passes=0

check() { # check DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fi
}
cli() { ${EMULATOR:-} "$CLI" "$@"; }
run() { # run ARGS... ; sets rc, out, err
    cli "$@" >out.txt 2>err.txt </dev/null
    rc=$?
    out=$(cat out.txt)
    err=$(cat err.txt)
}
listing() { ls -A | grep -v -e '^out.txt$' -e '^err.txt$' -e '^pw' | tr '\n' ' '; }
finish() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
