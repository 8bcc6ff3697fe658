#!/usr/bin/env bash
# Installs a build into a fresh prefix and uses it from there, as a person
# who installed it would: exactly the expected files are in place, the
# installed program answers --version, --help and a wrong option, and checks
# the installed demo setup clean. The desktop entry, the MIME type and the
# man page are validated with the system's own tools when they are present.
#
#   install-test.sh BUILD_DIR VERSION WITH_GUI(ON|OFF)
set -euo pipefail
build=$1
version=$2
with_gui=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/spotweaver-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
fi

# Exactly these files: no bench setup or stray example slips in.
expected=(
    bin/spotweaver
    share/doc/spotweaver/routes.png
    share/doc/spotweaver/screenshot-main.png
    share/doc/spotweaver/setup-telnet.png
    share/doc/spotweaver/web-page.png
    share/doc/spotweaver/user-guide.md
    share/man/man1/spotweaver.1
    share/spotweaver/examples/demo-spots.txt
    share/spotweaver/examples/demo.ini
    share/spotweaver/examples/gui-demo.ini
    share/spotweaver/examples/spotweaver@.service
)
if [ "$with_gui" = ON ]; then
    expected+=(
        share/applications/spotweaver.desktop
        share/icons/hicolor/scalable/apps/spotweaver.svg
        share/mime/packages/spotweaver.xml
    )
fi
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
if [ "$installed" != "$wanted" ]; then
    fail "installed files differ from the expected list"
    diff <(echo "$wanted") <(echo "$installed") >&2 || true
fi
[ -x "$prefix/bin/spotweaver" ] || fail "bin/spotweaver is not executable"

# Runs the installed program in an empty folder; keeps status, stdout, stderr.
run() {
    mkdir -p "$work/run"
    set +e
    (cd "$work/run" && "$prefix/bin/spotweaver" "$@" > "$work/out" 2> "$work/err")
    status=$?
    set -e
}

run --version
[ "$status" = 0 ] || fail "--version exited $status"
[ "$(head -n 1 "$work/out")" = "spotweaver $version" ] || fail "--version printed: $(cat "$work/out")"
[ ! -s "$work/err" ] || fail "--version wrote to standard error: $(cat "$work/err")"

run --help
[ "$status" = 0 ] || fail "--help exited $status"
[ "$(head -n 1 "$work/out")" = "Usage: spotweaver [OPTION]... [SETUP.ini] [/START]" ] ||
    fail "--help printed: $(head -n 1 "$work/out")"

run --bogus
[ "$status" = 2 ] || fail "--bogus exited $status"
[ "$(cat "$work/err")" = "spotweaver: unrecognized option '--bogus'
Try 'spotweaver --help' for more information." ] || fail "--bogus said: $(cat "$work/err")"
[ ! -s "$work/out" ] || fail "--bogus wrote to standard output"

run --check "$prefix/share/spotweaver/examples/demo.ini"
[ "$status" = 0 ] || fail "--check of the installed demo exited $status: $(cat "$work/err")"
grep -qx "Ports loaded, use Connect command to start" "$work/err" ||
    fail "--check of the installed demo said: $(cat "$work/err")"
[ -z "$(ls -A "$work/run")" ] || fail "--check created files: $(ls -A "$work/run")"

if [ "$with_gui" = ON ]; then
    if command -v desktop-file-validate > /dev/null; then
        desktop-file-validate "$prefix/share/applications/spotweaver.desktop" ||
            fail "desktop-file-validate"
    else
        echo "desktop-file-validate not found: the desktop entry is not validated"
    fi
    if command -v update-mime-database > /dev/null; then
        update-mime-database "$prefix/share/mime" > "$work/mime.log" 2>&1 ||
            fail "update-mime-database: $(cat "$work/mime.log")"
        [ -f "$prefix/share/mime/application/x-spotweaver-setup.xml" ] ||
            fail "the MIME type application/x-spotweaver-setup was not registered"
    else
        echo "update-mime-database not found: the MIME type is not checked"
    fi
fi

page=$prefix/share/man/man1/spotweaver.1
if command -v groff > /dev/null; then
    groff -wall -z -man "$page" > "$work/groff.log" 2>&1 || fail "groff failed on the man page"
    [ ! -s "$work/groff.log" ] || fail "groff warns about the man page: $(cat "$work/groff.log")"
else
    echo "groff not found: the man page is not checked for warnings"
fi
if command -v man > /dev/null; then
    MANWIDTH=80 man -l "$page" > "$work/man.txt" 2> "$work/man.log" || fail "man -l failed"
    grep -q "^SYNOPSIS" "$work/man.txt" || fail "man -l rendered no SYNOPSIS"
else
    echo "man not found: the man page is not rendered"
fi

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "installed into a fresh prefix and ran from there: all checks passed"
