#!/usr/bin/env bash
# Started where no display can be opened, a desktop program says so in one
# line on stderr and exits with status 1, rather than Qt's five lines and an
# abort. Usage: NoDisplayTest.sh PATH-TO-PROGRAM
set -u
program="$1"
stderr="$(mktemp)"
trap 'rm -f "$stderr"' EXIT
failed=0

# Runs the program with only the display variables given (none: no display).
check() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$program" >/dev/null 2>"$stderr"
    local status=$?
    if [ "$status" -eq 1 ] && [ "$(wc -l <"$stderr")" -eq 1 ] && grep -q "^$(basename "$program"): " "$stderr"; then
        echo "ok ($*): $(cat "$stderr")"
    else
        echo "FAILED ($*): status $status, stderr:"
        cat "$stderr"
        failed=1
    fi
}

check
check DISPLAY=:77
check QT_QPA_PLATFORM=bogus
exit "$failed"
