#!/usr/bin/env bash
# tarnwell-quote against a former build of itself: the month's report of a
# large generated file, and single closings in every output, byte for byte
# with the exit status. The file mixes closings priced and refused (bad
# amounts, splits, coverages, forms, letters; closings the catalogue has no
# line for), half cents, grouped amounts, the largest amounts and beyond,
# file numbers a spreadsheet would take for formulas, blank rows. Run by hand,
# outside ctest; exits 1 on any difference:
#
#   benchmarks/quote-equivalence.sh FORMER PRESENT [rows, default 1000000] [closings, default 3000]
#
# FORMER is a tarnwell-quote built from the commit to hold to, e.g.
#   git worktree add /tmp/former <commit> && cmake -S /tmp/former -B /tmp/former/build \
#     -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build /tmp/former/build --target tarnwell-quote
set -euo pipefail

former=${1:?former tarnwell-quote}
present=${2:?present tarnwell-quote}
rows=${3:-1000000}
closings=${4:-3000}
for program in "$former" "$present"; do
    [[ -x $program ]] || { echo "quote-equivalence.sh: no program at $program" >&2; exit 2; }
done

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

# One closing a row: file, split, price, loan, prior_owners, prior_loan,
# coverage, endorsements, cpl. Written once as a batch file and once as the
# arguments of single quotes.
generate() {
    awk -v rows="$1" -v seed="$2" -v mode="$3" 'BEGIN {
        srand(seed)
        n = split("8.1 9-06 3.1:loan 3:owner 3 3.1 27 9 9.1 7.1 13.1 14.1 1.1-06 5 8.2-06 22 4.1 6 6.2 9:loan 9:owner bogus 9:bad 7.2 13 28.1 35 39 9.5", forms, " ")
        m = split("999,999,999,999.99|1000000000000|0|0.00|1.005|2.675|0.005|0.015|12.345|1,234.5|.5|5.|1e5|-5|$100| 100|1,23|abc|100000.125|999999999999.994|999999999999.995", odd, "|")
        s = split("9.99|70.01|abc||10.5.1|45.123|1e1|010|70.00", oddSplits, "|")
        if (mode == "batch")
            print "file,split,price,loan,prior_owners,prior_loan,coverage,endorsements,cpl"
        for (i = 0; i < rows; ++i) {
            kind = int(rand() * 10)
            price = kind == 2 ? "" : amount()
            loan = kind == 3 ? "" : amount()
            prior = (kind == 4 || kind == 5) ? amount() : ""
            priorLoan = (kind == 2 || (kind == 6 && price == "")) ? amount() : ""
            r = rand()
            coverage = r < 0.04 ? "expanded" : r < 0.06 ? "standard" : r < 0.07 ? "Expanded" : r < 0.08 ? "other" : ""
            endorse = ""
            if (rand() < 0.5)
                for (k = int(rand() * 4); k > 0; --k)
                    endorse = endorse (endorse == "" ? "" : " ") forms[1 + int(rand() * n)]
            r = rand()
            cpl = r < 0.3 ? "yes" : r < 0.6 ? "no" : r < 0.62 ? "YES" : r < 0.64 ? "maybe" : ""
            r = rand()
            split_ = r < 0.03 ? oddSplits[1 + int(rand() * s)] : r < 0.3 ? sprintf("%d.%02d", 10 + int(rand() * 60), int(rand() * 100)) : 10 + int(rand() * 61)
            if (mode == "batch") {
                r = rand()
                file = r < 0.05 ? "=SUM(" i ")" : r < 0.1 ? "-" i : r < 0.12 ? "\"q,\"\"" i "\"\"\"" : r < 0.14 ? "@x" i : "F-" i
                if (rand() < 0.002) { print ""; continue }
                print file "," q(split_) "," q(price) "," q(loan) "," q(prior) "," q(priorLoan) "," coverage "," q(endorse) "," cpl
            } else {
                line = "--split=" split_
                if (price != "") line = line "\t--price=" price
                if (loan != "") line = line "\t--loan=" loan
                if (prior != "") line = line "\t--prior-owners=" prior
                if (priorLoan != "") line = line "\t--prior-loan=" priorLoan
                if (coverage != "") line = line "\t--coverage=" coverage
                if (endorse != "") { gsub(" ", ",", endorse); line = line "\t--endorse=" endorse }
                if (cpl == "yes") line = line "\t--cpl"
                print line
            }
        }
    }
    function q(text) { return text ~ /[, ]/ ? "\"" text "\"" : text }
    function amount(   r) {
        r = rand()
        if (r < 0.05) return "999999999999.99"
        if (r < 0.08) return odd[1 + int(rand() * m)]
        if (r < 0.14) return sprintf("%d.%02d", int(rand() * 5000000), int(rand() * 100))
        if (r < 0.20) return sprintf("%d.%d5", int(rand() * 2000000), int(rand() * 10))
        if (r < 0.25) return sprintf("%.0f", int(rand() * 1000000000))
        if (r < 0.28) return sprintf("%d,%03d,%03d", 1 + int(rand() * 999), int(rand() * 1000), int(rand() * 1000))
        if (r < 0.32) return sprintf("%.0f", int(rand() * 1000000000000))
        return sprintf("%.0f", 1000 + int(rand() * 2000000))
    }'
}

differing=0
generate "$rows" 20130201 batch >"$folder/batch.csv"
for program in former present; do
    set +e
    "${!program}" --batch "$folder/batch.csv" >"$folder/$program.out" 2>"$folder/$program.err"
    echo $? >"$folder/$program.status"
    set -e
done
priced=$(($(wc -l <"$folder/present.out") - 2))
refused=$(wc -l <"$folder/present.err")
if cmp -s "$folder/former.out" "$folder/present.out" && cmp -s "$folder/former.err" "$folder/present.err" \
    && cmp -s "$folder/former.status" "$folder/present.status"; then
    echo "batch of $rows rows ($priced priced, $refused refused): report, messages and status the same"
else
    echo "batch of $rows rows: DIFFERENT"
    differing=$((differing + 1))
fi

compared=0
different=0
while IFS=$'\t' read -r -a args; do
    for mode in "" --json --csv --explain "--json --explain" --customer "--customer --json"; do
        # shellcheck disable=SC2086 # the mode is one or two options
        a=$("$former" "${args[@]}" $mode 2>&1; echo "status $?")
        # shellcheck disable=SC2086
        b=$("$present" "${args[@]}" $mode 2>&1; echo "status $?")
        compared=$((compared + 1))
        if [[ $a != "$b" ]]; then
            different=$((different + 1))
            ((different > 1)) || echo "first difference: ${args[*]} $mode"
        fi
    done
done < <(generate "$closings" 19 single)
echo "single closings: $closings closings, $compared outputs compared, $different different"
((different == 0 && differing == 0))
