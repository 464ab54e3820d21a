#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, AddressSanitizer + UndefinedBehaviorSanitizer, in
# build-fuzz/) and runs each one in turn.
#   ./fuzz.sh [SECONDS] [--runs N] [--no-build] [HARNESS...]
# SECONDS per harness (default 60); --runs also ends a harness after N executions. Seeds
# come from fuzz/corpus/<harness>/; what the runs add goes to build-fuzz/corpus/<harness>/,
# findings to build-fuzz/findings/<harness>/ and the logs to build-fuzz/logs/. Exits 1 when
# any harness found something, and prints per harness the executions and the coverage.
set -euo pipefail
cd "$(dirname "$0")"

seconds=60
runs=
build=1
only=()
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --no-build) build=0; shift ;;
        -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
        [0-9]*) seconds=$1; shift ;;
        fuzz_*) only+=("$1"); shift ;;
        *) echo "usage: $0 [SECONDS] [--runs N] [--no-build] [HARNESS...]" >&2; exit 2 ;;
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
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build_dir/logs"
summary="$build_dir/logs/summary.txt"
: >"$summary"
failed=0
printf '%-26s %12s %8s %8s %8s %s\n' harness executions cov ft seconds result | tee -a "$summary"
for h in "${only[@]}"; do
    exe="$build_dir/fuzz/$h"
    corpus="$build_dir/corpus/$h"
    findings="$build_dir/findings/$h"
    log="$build_dir/logs/$h.log"
    rm -rf "$findings"
    mkdir -p "$corpus" "$findings" "fuzz/corpus/$h"
    args=(-max_total_time="$seconds" -print_final_stats=1 -max_len="$(max_len "$h")"
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
