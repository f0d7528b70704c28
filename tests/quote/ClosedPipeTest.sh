#!/usr/bin/env bash
# A batch whose reader stops early (| head -1) ends with status 2 and the
# write error in one line, never by SIGPIPE (141).
program=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
{ echo file,split,price; for ((i = 0; i < 20000; ++i)); do echo "$i,15,100000"; done; } \
    | "$program" --batch - 2>"$err" | head -1 >/dev/null
status=${PIPESTATUS[1]}
expected="tarnwell-quote: the output could not be written"
if [[ $status != 2 || $(cat "$err") != "$expected" ]]; then
    echo "status $status (expected 2), stderr: $(head -c 300 "$err")" >&2
    exit 1
fi
