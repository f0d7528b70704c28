#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built: lintian, the
# desktop entries, the metainfo and the manual pages as the package installs
# them; then starts the packaged program on a virtual screen with a window
# manager, waits for its window and closes it as a desktop's close button
# does. The program must end with status 0 and print nothing on stderr.
set -euo pipefail
cd "$(dirname "$0")/.."

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)"
deb="build/package/tarnwell_${version}_$(dpkg --print-architecture).deb"

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    # Whatever ignores the request to end is killed a second later.
    sleep 1
    for pid in "${pids[@]}"; do
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "check-package: $*" >&2
    exit 1
}

# Polls COMMAND until it succeeds, for at most SECONDS.
wait_for() {
    local seconds="$1"
    shift
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

echo "== lintian $deb"
lintian --display-info --fail-on error,warning "$deb"

root="$work/root"
dpkg-deb -x "$deb" "$root"

echo "== desktop-file-validate"
for entry in "$root"/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry"
    echo "$(basename "$entry"): valid"
done

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

echo "== manual pages"
for page in "$root"/usr/share/man/man1/*.1.gz; do
    out="$(zcat "$page" | groff -man -ww -z 2>&1)"
    [ -z "$out" ] || fail "$(basename "$page"): $out"
    echo "$(basename "$page"): no warnings"
done

echo "== the packaged tarnwell-quote"
quoted="$("$root/usr/bin/tarnwell-quote" --split 15 --price 250000 --loan 200000 --cpl --csv)"
grep -q ',Total,total,.*,710\.00,127\.75,' <<<"$quoted" || fail "tarnwell-quote did not quote the closing: $quoted"
echo "tarnwell-quote: a purchase with a loan and the letter comes to 710.00"

echo "== the packaged tarnwell-book"
book="$work/book/book.sqlite"
printf 'file,split,price,loan,cpl,buyers\n2026-00001,15,250000,200000,yes,=Ann Smith\n' >"$work/closings.csv"
"$root/usr/bin/tarnwell-book" --database "$book" import "$work/closings.csv" >/dev/null \
    || fail "tarnwell-book could not import into a new book"
[ "$(stat -c %a "$book")" = 600 ] || fail "the new book is not readable by its owner only"
listed="$("$root/usr/bin/tarnwell-book" list --database "$book" --csv)"
grep -q "^2026-00001,QMV,'=Ann Smith,.*,710\.00,127\.75\$" <<<"$listed" \
    || fail "tarnwell-book did not list the imported file: $listed"
echo "tarnwell-book: a closing imported into a new book lists at 710.00, its buyers guarded"

# The month's report as PDF where there is no display and no session.
export TARNWELL_TODAY=2026-02-10
"$root/usr/bin/tarnwell-book" --database "$book" close 2026-00001 --date 2026-01-30 >/dev/null
"$root/usr/bin/tarnwell-book" --database "$book" issue 2026-00001 --date 2026-01-31 \
    --owners-policy O-1 --loan-policy L-1 >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR \
    "$root/usr/bin/tarnwell-book" --database "$book" report --month 2026-01 --underwriter QMV \
    --mark-sent --check 1042 --paid 2026-02-10 --pdf "$work/report.pdf" >/dev/null 2>"$work/stderr" \
    || fail "tarnwell-book did not write the report's PDF: $(cat "$work/stderr")"
[ ! -s "$work/stderr" ] || fail "tarnwell-book wrote on stderr: $(cat "$work/stderr")"
unset TARNWELL_TODAY
pdftotext -layout "$work/report.pdf" - | grep -Eq 'Check 1042 +127\.75' \
    || fail "the report's PDF has no check of 127.75: $(pdftotext -layout "$work/report.pdf" -)"
echo "tarnwell-book: January's report marked sent, its PDF made with no display: check 127.75"

echo "== the packaged program on a virtual screen"
runtime="$work/runtime"
mkdir -m 0700 "$runtime"
# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 10 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
export XDG_RUNTIME_DIR="$runtime"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 10 wmctrl -m || fail "openbox did not start: $(cat "$work/openbox.log")"

# Starts a packaged program, waits for its window, checks the window's icon
# and closes the window as a desktop's close button does.
open_and_close() {
    local program="$1" title="$2"
    "$root/usr/bin/$program" >"$work/stdout" 2>"$work/stderr" &
    local pid=$!
    pids+=("$pid")
    timeout 20 xdotool search --sync --onlyvisible --name "^${title}\$" >"$work/window" \
        || fail "$program: no \"$title\" window within 20 s; stderr: $(cat "$work/stderr")"
    local window
    window="$(head -n 1 "$work/window")"
    xprop -id "$window" _NET_WM_ICON >"$work/icon"
    # Qt hands the window manager the sizes up to 128 pixels.
    for size in 48 64 128; do
        grep -q "Icon ($size x $size)" "$work/icon" || fail "$program: the window has no ${size}x${size} icon"
    done
    echo "$program: window $window \"$title\" is mapped and has its icon"

    wmctrl -c "$title"
    wait_for 15 bash -c "! kill -0 $pid" || fail "$program did not end within 15 s of the close request"
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "$program ended with status $status; stderr: $(cat "$work/stderr")"
    if [ -s "$work/stderr" ]; then
        fail "$program wrote on stderr:
$(cat "$work/stderr")"
    fi
    echo "$program: closed by the window manager: status 0, nothing on stderr"
}

open_and_close tarnwell "Arkansas Rates"
open_and_close tarnwell-closing "Tarnwell Closing Quote"
