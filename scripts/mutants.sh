#!/usr/bin/env bash
# Mutation baseline: applies each hand-made fault of tests/mutants/*.patch in
# turn, builds the test programs, runs them, and says whether the suite
# caught the fault. It measures; it always exits 0 once the run is through.
#
#   scripts/mutants.sh                  every patch
#   scripts/mutants.sh 04 tests/mutants/17-remit-on-rounded-total.patch
#                                       only those named (by path, file name
#                                       or number prefix)
#
# Each patch is judged by the test programs that link the code it changes
# (see choose_programs); the unmutated suite is run whole first.
#
# The tree is always given back as it was, on an interrupt too. The script
# refuses to start while tracked files have uncommitted changes.
set -uo pipefail

cd "$(dirname "$0")/.." || exit 2
root=$(pwd)
build="$root/build-mutants"
logs="$build/mutant-logs"
jobs=2
shards=3

if ! git diff --quiet HEAD -- 2>/dev/null; then
    echo "mutants.sh: tracked files have uncommitted changes; commit or restore them first" >&2
    exit 2
fi

# ---- which patches -----------------------------------------------------------
patches=()
if [ $# -eq 0 ]; then
    for p in tests/mutants/*.patch; do patches+=("$p"); done
else
    for arg in "$@"; do
        if [ -f "$arg" ]; then
            patches+=("$arg")
        else
            found=$(ls tests/mutants/"$arg"*.patch 2>/dev/null | head -n 1)
            if [ -z "$found" ]; then
                echo "mutants.sh: no patch matches '$arg'" >&2
                exit 2
            fi
            patches+=("$found")
        fi
    done
fi

# ---- restoring the tree --------------------------------------------------------
applied=""
restore() {
    if [ -n "$applied" ]; then
        git apply -R "$applied" || {
            echo "mutants.sh: could not reverse $applied; restore the tree by hand" >&2
        }
        applied=""
    fi
}
runtime=$(mktemp -d)
chmod 700 "$runtime"
cleanup() { restore; rm -rf "$runtime"; }
trap cleanup EXIT
trap 'echo; echo "mutants.sh: interrupted, tree restored" >&2; exit 130' INT TERM HUP

export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 XDG_RUNTIME_DIR="$runtime"

# ---- building and running ----------------------------------------------------------
configure() {
    if [ ! -f "$build/CMakeCache.txt" ]; then
        local launcher=()
        command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTARNWELL_WARNINGS_AS_ERRORS=OFF \
            "${launcher[@]}" > "$logs/configure.log" 2>&1 || {
            echo "mutants.sh: configuring failed, see $logs/configure.log" >&2
            exit 2
        }
    fi
}

all_programs="engine_tests quote_tests gui_tests closing_tests book_tests"
programs=$all_programs
gui_filter="*"

# The test programs that can see a patch's fault: those linking the code it
# changes. engine/Closing is the closing quote's, which the rate window does
# not call; of the window tests only QuoteAgreesWithWindow (tests/gui) does.
# quote/ is in tarnwell-quote and the book's import; closing/ only in the
# closing window.
choose_programs() { # $1: patch
    local files
    files=$(sed -n 's|^+++ b/||p' "$1")
    programs=$all_programs
    gui_filter="*"
    if ! grep -qv '^closing/' <<< "$files"; then
        programs="closing_tests"
    elif ! grep -qv '^quote/' <<< "$files"; then
        programs="quote_tests book_tests"
    elif ! grep -qv '^engine/Closing\.' <<< "$files"; then
        gui_filter="*QuoteAgreesWithWindow*"
    fi
}

build_tests() { # $1: log file
    # shellcheck disable=SC2086
    cmake --build "$build" -j"$jobs" --target $programs > "$1" 2>&1
}

# Says what stopped a test program that did not simply fail: $1 name, $2 exit
# code, $3 its output. Returns 1 when it did not pass.
judge() {
    [ "$2" -eq 0 ] && return 0
    if [ "$2" -eq 124 ]; then
        echo "$1 timed out"
    elif ! grep -q '^\[  FAILED  \]' "$3"; then
        echo "$1 stopped (exit $2)"
    fi
    return 1
}

# Runs every test program; writes their output to $1.*; prints the names of
# the failing tests (or what stopped a program) one a line. Returns 0 when all
# passed. The programs without windows run first; the window tests, which
# mostly wait on timers, run side by side (gui_tests in shards).
run_tests() {
    local log=$1 status=0 rc i program
    for program in engine_tests quote_tests book_tests; do
        [[ " $programs " == *" $program "* ]] || continue
        timeout 300 "$build/tests/$program" --gtest_brief=1 > "$log.$program" 2>&1
        judge "$program" $? "$log.$program" || status=1
    done
    local pids=() names=()
    if [[ " $programs " == *" gui_tests "* ]]; then
        for ((i = 0; i < shards; i++)); do
            GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$i timeout 300 "$build/tests/gui_tests" \
                --gtest_brief=1 --gtest_filter="$gui_filter" > "$log.gui$i" 2>&1 &
            pids+=($!)
            names+=("gui$i")
        done
    fi
    # A fault that opens a message box waits on it: the closing tests take
    # half a minute when well, so two minutes is a hang.
    if [[ " $programs " == *" closing_tests "* ]]; then
        for ((i = 0; i < shards; i++)); do
            GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$i timeout 120 \
                "$build/tests/closing_tests" --gtest_brief=1 > "$log.closing$i" 2>&1 &
            pids+=($!)
            names+=("closing$i")
        done
    fi
    for ((i = 0; i < ${#pids[@]}; i++)); do
        wait "${pids[$i]}"
        rc=$?
        judge "${names[$i]} tests" $rc "$log.${names[$i]}" || status=1
    done
    # "[  FAILED  ] Suite.Name, where GetParam() = ... (12 ms)" -> Suite.Name
    cat "$log".* | sed -n 's/^\[  FAILED  \] \([A-Za-z_][A-Za-z0-9_/.]*\).*/\1/p' | awk '!seen[$0]++'
    return $status
}

mkdir -p "$build"
mkdir -p "$logs"
configure

start=$(date +%s)
echo "== unmutated suite at $(git rev-parse --short HEAD)"
if ! build_tests "$logs/unmutated.build.log"; then
    echo "mutants.sh: the unmutated tree does not build, see $logs/unmutated.build.log" >&2
    exit 1
fi
if ! failures=$(run_tests "$logs/unmutated"); then
    echo "mutants.sh: the unmutated suite fails; no baseline can be taken:" >&2
    echo "$failures" >&2
    exit 1
fi
echo "   passes"

# ---- the mutants -------------------------------------------------------------------
names=() results=() details=()
killed=0 survived=0 noapply=0 nobuild=0
for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch)
    echo "== $name"
    result="" detail=""
    if ! git apply --check "$patch" > "$logs/$name.apply.log" 2>&1; then
        result=does-not-apply
        noapply=$((noapply + 1))
    else
        applied=$patch
        git apply "$patch"
        choose_programs "$patch"
        if ! build_tests "$logs/$name.build.log"; then
            result=did-not-build
            nobuild=$((nobuild + 1))
        else
            if failures=$(run_tests "$logs/$name"); then
                result=SURVIVED
                survived=$((survived + 1))
            else
                result=killed
                killed=$((killed + 1))
                detail=$(echo "$failures" | sed '/^$/d' | head -n 4 | paste -sd ' ' -)
                more=$(echo "$failures" | sed '/^$/d' | wc -l)
                [ "$more" -gt 4 ] && detail="$detail (+$((more - 4)) more)"
            fi
            if grep -q 'warning:' "$logs/$name.build.log"; then
                detail="$detail [compiler warning]"
            fi
        fi
        restore
    fi
    echo "   $result $detail"
    names+=("$name") results+=("$result") details+=("$detail")
done

# Leave the build matching the restored tree.
programs=$all_programs
build_tests "$logs/restored.build.log" || echo "mutants.sh: rebuilding the restored tree failed" >&2

elapsed=$(($(date +%s) - start))
echo
printf '%-42s %-15s %s\n' "patch" "result" "failing tests"
printf '%-42s %-15s %s\n' "-----" "------" "-------------"
for i in "${!names[@]}"; do
    printf '%-42s %-15s %s\n' "${names[$i]}" "${results[$i]}" "${details[$i]}"
done
echo
echo "killed: $killed  survived: $survived  did-not-apply: $noapply  did-not-build: $nobuild" \
    " (of ${#names[@]})"
echo "run time: $((elapsed / 60)) min $((elapsed % 60)) s"
exit 0
