#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh             optimised build (RelWithDebInfo, the code users run) in build/
#   ./test.sh --sanitize  Debug build with AddressSanitizer + UndefinedBehaviorSanitizer in
#                         build-sanitize/, then every fuzzing harness for 10 s (./fuzz.sh)
set -euo pipefail
cd "$(dirname "$0")"

build_dir=build
build_type=RelWithDebInfo
cmake_args=()
deps_args=()
fuzz=0
for arg in "$@"; do
    case "$arg" in
        --sanitize)
            build_dir=build-sanitize
            build_type=Debug
            cmake_args+=(-DPELMO_SANITIZE=ON)
            deps_args+=(--fuzz)
            fuzz=1
            ;;
        *)
            echo "usage: $0 [--sanitize]" >&2
            exit 2
            ;;
    esac
done

scripts/ensure-deps.sh "${deps_args[@]}"

# Objects are reused across work trees and CI runs on one machine.
export CCACHE_BASEDIR="$PWD"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "${cmake_args[@]}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"

if [ "$fuzz" = 1 ]; then
    ./fuzz.sh 10
fi
