#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, AddressSanitizer + UndefinedBehaviorSanitizer, in
# build-fuzz/) and runs each one in turn.
#   ./fuzz.sh [SECONDS] [--runs N] [--deadline HH:MM] [--no-build] [HARNESS...]
# SECONDS per harness (default 60); --runs also ends a harness after N executions;
# --deadline (UTC) shares the time left fairly among the harnesses still to run, in the
# order given, so that the whole run ends by then. Seeds
# come from fuzz/corpus/<harness>/; what the runs add goes to build-fuzz/corpus/<harness>/,
# findings to build-fuzz/findings/<harness>/ and the logs to build-fuzz/logs/. Exits 1 when
# any harness found something, and prints per harness the executions and the coverage.
set -euo pipefail
cd "$(dirname "$0")"

seconds=60
runs=
deadline=
build=1
only=()
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --deadline) deadline=$(date -u -d "$2" +%s); shift 2 ;;
        --no-build) build=0; shift ;;
        -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
        [0-9]*) seconds=$1; shift ;;
        fuzz_*) only+=("$1"); shift ;;
        *) echo "usage: $0 [SECONDS] [--runs N] [--deadline HH:MM] [--no-build] [HARNESS...]" >&2
           exit 2 ;;
    esac
done

build_dir=build-fuzz
if [ "$build" = 1 ]; then
    scripts/ensure-deps.sh --fuzz
    export CCACHE_BASEDIR="$PWD"
    CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPELMO_FUZZ=ON -DPELMO_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build_dir" -j "$(nproc)" --target fuzzers
fi

# The longest input worth trying: an answer never exceeds the 256-byte receive buffer, a
# received stream holds a few answers; the station and monitoring files at their largest
# size, the text files at a few times what the program writes.
max_len() {
    case "$1" in
        fuzz_engine) echo 1024 ;;
        fuzz_search) echo 2048 ;;
        fuzz_station_file) echo 6578 ;;
        fuzz_monitoring_file) echo 66000 ;;
        fuzz_address_map | fuzz_archive_file | fuzz_settings_ini) echo 1024 ;;
        *) echo 256 ;;
    esac
}

if [ ${#only[@]} -eq 0 ]; then
    mapfile -t only < <(ls fuzz/fuzz_*.cpp | xargs -n1 basename | sed 's/\.cpp$//')
fi

export QT_QPA_PLATFORM=offscreen
# Short allocation stacks: recording them costs more than the harnesses themselves, and a
# finding is re-run with full stacks anyway.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:malloc_context_size=2}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# FUZZ_BIN_DIR and FUZZ_LOG_DIR let a long run use copies of the harnesses and logs of its
# own while the build goes on.
bin_dir=${FUZZ_BIN_DIR:-$build_dir/fuzz}
log_dir=${FUZZ_LOG_DIR:-$build_dir/logs}
mkdir -p "$log_dir"
summary="$log_dir/summary.txt"
: >"$summary"
failed=0
printf '%-26s %12s %8s %8s %8s %s\n' harness executions cov ft seconds result | tee -a "$summary"
remaining=${#only[@]}
for h in "${only[@]}"; do
    budget=$seconds
    if [ -n "$deadline" ]; then
        share=$(( (deadline - $(date -u +%s)) / remaining ))
        [ "$share" -lt "$budget" ] && budget=$share
        [ "$budget" -lt 1 ] && budget=1
    fi
    remaining=$((remaining - 1))
    exe="$bin_dir/$h"
    corpus="$build_dir/corpus/$h"
    findings="$build_dir/findings/$h"
    log="$log_dir/$h.log"
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings" "fuzz/corpus/$h"
    args=(-max_total_time="$budget" -print_final_stats=1 -max_len="$(max_len "$h")"
          -timeout=10 -artifact_prefix="$findings/")
    [ -n "$runs" ] && args+=(-runs="$runs")
    start=$(date +%s)
    set +e
    "$exe" "${args[@]}" "$corpus" "fuzz/corpus/$h" >"$log" 2>&1
    status=$?
    set -e
    elapsed=$(( $(date +%s) - start ))
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
    result=ok
    if [ "$status" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
        result="FINDING (see $log, $findings)"
        failed=1
    fi
    printf '%-26s %12s %8s %8s %8s %s\n' "$h" "${execs:--}" "${cov:--}" "${ft:--}" "$elapsed" \
        "$result" | tee -a "$summary"
done
exit "$failed"
