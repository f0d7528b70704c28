#!/usr/bin/env bash
# The book's benchmark on both databases: a SQLite file and a private
# PostgreSQL server started here (as the tests start theirs).
# Run as root after building: bash benchmarks/book-benchmark.sh [FILES [FOLDER]]
# The books go to a temporary folder removed at the end; given a FOLDER, they
# are kept there, and a FOLDER that holds them already is measured as it is
# (nothing imported). A FOLDER on a tmpfs (/dev/shm) fills the books at
# memory speed: quicker, but its import and save figures are not the disk's.
set -euo pipefail
cd "$(dirname "$0")/.."
files="${1:-100000}"
program="$PWD/build/benchmarks/book_benchmark"
bin=/usr/lib/postgresql/15/bin
if [[ -n "${2:-}" ]]; then
    work="$(realpath -m "$2")"
    keep=1
    mkdir -p "$work"
else
    work="$(mktemp -d /tmp/tarnwell-bench-XXXXXX)"
    keep=0
fi
chown postgres "$work"
cleanup() {
    runuser -u postgres -- "$bin/pg_ctl" -D "$work/data" -m fast stop >/dev/null 2>&1 || true
    [[ $keep == 1 ]] || rm -rf "$work"
}
trap cleanup EXIT

echo "== load before: $(uptime)"
echo "== SQLite"
sqlite_files=$files
[[ -s "$work/book.sqlite" ]] && sqlite_files=0
"$program" "$work/book.sqlite" "$sqlite_files"
ls -l "$work/book.sqlite"
echo "== load: $(uptime)"

echo "== PostgreSQL 15"
postgres_files=$files
if [[ -d "$work/data" ]]; then
    postgres_files=0
else
    runuser -u postgres -- "$bin/initdb" -D "$work/data" -A trust -U tarnwell >/dev/null
fi
runuser -u postgres -- "$bin/pg_ctl" -D "$work/data" -o "-k $work -c listen_addresses=''" \
    -l "$work/log" -w start >/dev/null
if [[ $postgres_files != 0 ]]; then
    runuser -u postgres -- "$bin/psql" -h "$work" -U tarnwell -d postgres -q \
        -c "CREATE ROLE clerk LOGIN" -c "CREATE DATABASE book OWNER clerk"
fi
"$program" "postgresql://clerk@$(python3 -c 'import sys,urllib.parse;print(urllib.parse.quote(sys.argv[1],safe=""))' "$work")/book" "$postgres_files"
echo "== load after: $(uptime)"
