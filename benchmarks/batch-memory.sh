#!/usr/bin/env bash
# Peak memory of the month's remittance report: tarnwell-quote --batch on a
# generated file of 100,000 closings and on one of about 1 GB, each run under
# /usr/bin/time -f %M (the peak resident set, in KiB). Run by hand, never by
# ctest: the large file takes a minute or more to write and to price.
#
#   benchmarks/batch-memory.sh [path/to/tarnwell-quote] [size of the large file in MB]
#
# The files go to a temporary folder that is removed at the end.
set -euo pipefail

program=${1:-build/quote/tarnwell-quote}
megabytes=${2:-1000}
[[ -x $program ]] || { echo "batch-memory.sh: no program at $program" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "batch-memory.sh: /usr/bin/time is needed (apt-get install time)" >&2; exit 2; }

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

# A month of closings as agencies mix them: purchases with and without a
# loan, refinances with the credit, reissues, expanded policies, endorsements
# and the letter.
awk -v rows=100000 'BEGIN {
    srand(20130201)
    print "file,split,price,loan,prior_owners,prior_loan,coverage,endorsements,cpl"
    split("|8.1 9-06|3.1:loan 8.1|27|3:owner", forms, "|")
    for (i = 0; i < rows; ++i) {
        kind = i % 5
        price = (kind == 2 || kind == 4) ? "" : 1000 + int(rand() * 900000)
        loan = kind == 3 ? "" : 1000 + int(rand() * 900000)
        priorOwners = kind == 3 ? 1000 + int(rand() * 500000) : ""
        priorLoan = kind == 2 ? 1000 + int(rand() * 500000) : ""
        coverage = kind == 4 ? "expanded" : ""
        form = kind == 1 ? forms[2 + i % 2] : kind == 3 ? forms[5] : kind == 4 ? forms[4] : forms[1]
        printf "2026-%d,%d,%s,%s,%s,%s,%s,%s,%s\n", i, 10 + i % 61, price, loan, priorOwners,
            priorLoan, coverage, form, (i % 2 ? "yes" : "no")
    }
}' >"$folder/rows.csv"

# The large file: the same closings over and over, one header.
bytes=$((megabytes * 1000 * 1000))
tail -n +2 "$folder/rows.csv" >"$folder/body.csv"
cp "$folder/rows.csv" "$folder/large.csv"
while (($(stat -c %s "$folder/large.csv") < bytes)); do
    cat "$folder/body.csv" >>"$folder/large.csv"
done

measure() {
    local name=$1 file=$2 status=0
    /usr/bin/time -o "$folder/time" -f '%M %U %e' "$program" --batch "$file" >"$folder/out.csv" \
        2>"$folder/err.txt" || status=$?
    read -r peak user elapsed <"$folder/time"
    printf '%-28s %8d KiB peak (%.1f MiB), %s s user, %s s elapsed, status %d, %d report rows\n' \
        "$name" "$peak" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$user" "$elapsed" "$status" \
        "$(wc -l <"$folder/out.csv")"
    [[ -s $folder/err.txt ]] && head -3 "$folder/err.txt" >&2 || true
}

measure "100,000 rows ($(($(stat -c %s "$folder/rows.csv") / 1000)) kB)" "$folder/rows.csv"
measure "$(($(stat -c %s "$folder/large.csv") / 1000000)) MB" "$folder/large.csv"
