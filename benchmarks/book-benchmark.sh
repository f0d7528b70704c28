#!/usr/bin/env bash
# The book's benchmark on both databases: a SQLite file in a temporary folder
# and a private PostgreSQL server started here (as the tests start theirs).
# Run as root after building: bash benchmarks/book-benchmark.sh [FILES]
set -euo pipefail
cd "$(dirname "$0")/.."
files="${1:-100000}"
program=build/benchmarks/book_benchmark
bin=/usr/lib/postgresql/15/bin
work="$(mktemp -d /tmp/tarnwell-bench-XXXXXX)"
chown postgres "$work"
cleanup() {
    runuser -u postgres -- "$bin/pg_ctl" -D "$work/data" -m fast stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "== load before: $(uptime)"
echo "== SQLite"
"$program" "$work/book.sqlite" "$files"
ls -l "$work/book.sqlite"

echo "== PostgreSQL 15"
runuser -u postgres -- "$bin/initdb" -D "$work/data" -A trust -U tarnwell >/dev/null
runuser -u postgres -- "$bin/pg_ctl" -D "$work/data" -o "-k $work -c listen_addresses=''" \
    -l "$work/log" -w start >/dev/null
runuser -u postgres -- "$bin/psql" -h "$work" -U tarnwell -d postgres -q \
    -c "CREATE ROLE clerk LOGIN" -c "CREATE DATABASE book OWNER clerk"
"$program" "postgresql://clerk@$(python3 -c 'import sys,urllib.parse;print(urllib.parse.quote(sys.argv[1],safe=""))' "$work")/book" "$files"
echo "== load after: $(uptime)"
