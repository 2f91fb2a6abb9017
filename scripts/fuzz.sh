#!/usr/bin/env bash
# Builds the libFuzzer harnesses (fuzz preset) and runs each for a while, one after the other,
# then prints per harness the executions, the edges covered, the corpus size and the faults found.
#   scripts/fuzz.sh [--minutes N | --seconds N] [--runs N] [--jobs N] [HARNESS...]
# With --runs a harness stops after N executions (or its time, whichever comes first).
# The corpus grows in build/fuzz/corpus/HARNESS (seeded from the staged files); an input that
# crashed, leaked or hung is kept in build/fuzz/artifacts/HARNESS/. Exits 1 when any was found.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600 runs=-1 jobs=1 harnesses=()
while [ $# -gt 0 ]; do
    case "$1" in
        --minutes) seconds=$(($2 * 60)); shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        -h | --help) sed -n '2,7p' "$0"; exit 0 ;;
        *) harnesses+=("$1"); shift ;;
    esac
done
[ ${#harnesses[@]} -gt 0 ] || harnesses=(images sprites wave mp3 packs audit link service fonts)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
build=$PWD/build/fuzz  # absolute: the harnesses change their working folder

# One harness: its run, then a line of the table.
run() {
    local name=$1 corpus=$build/corpus/$1 artifacts=$build/artifacts/$1 out=$build/logs/$1.log
    mkdir -p "$corpus" "$artifacts" "$build/logs"
    touch "$out.start"  # faults are the inputs kept by this run
    local status=0 parallel=()
    [ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
    rm -f fuzz-*.log
    # Small inputs run quickly; a tune needs a few frames to reach its decoder.
    local longest=8192
    [ "$name" = mp3 ] && longest=24576
    # A minute on one input is a hang (a loaded machine stalls for seconds); 2 GB is the most a
    # reader may take.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -runs="$runs" -timeout=60 -rss_limit_mb=2048 -max_len=$longest \
        "${parallel[@]}" -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "$build/fuzz/seeds/$name" >"$out" 2>&1 || status=$?
    local logs=("$out")
    [ "$jobs" -gt 1 ] && logs=(fuzz-*.log)
    local execs=0 cov=0
    for log in "${logs[@]}"; do
        e=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
        c=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
        execs=$((execs + ${e:-0}))
        [ "${c:-0}" -gt "$cov" ] && cov=${c:-0}
    done
    [ "$jobs" -gt 1 ] && cat fuzz-*.log >>"$out" && rm -f fuzz-*.log
    local faults
    faults=$(find "$artifacts" -type f -newer "$out.start" | wc -l)
    printf '%-9s %14s %8s %8s %7s %s\n' "$name" "$execs" "$cov" "$(find "$corpus" -type f | wc -l)" \
        "$faults" "$([ "$status" -eq 0 ] || echo "exit $status, see $out")"
    [ "$faults" -eq 0 ] && [ "$status" -eq 0 ]
}

printf '%-9s %14s %8s %8s %7s\n' harness executions edges corpus faults
failed=0
for name in "${harnesses[@]}"; do
    run "$name" || failed=1
done
exit $failed
