#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program against the simulated station.
# Without a display the program runs under Xvfb, saves a picture of its main window to
# build/screenshots/main.png, prints that path and exits.
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure-deps.sh
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target pelmo stationsim

sim_out=$(mktemp)
build/sim/stationsim >"$sim_out" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; rm -f "$sim_out"' EXIT

device=""
for _ in $(seq 1 100); do
    device=$(head -n 1 "$sim_out" 2>/dev/null || true)
    [ -n "$device" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "the station simulator did not start" >&2
        exit 1
    fi
    sleep 0.05
done
if [ -z "$device" ]; then
    echo "the station simulator gave no device" >&2
    exit 1
fi
echo "Simulated station on $device"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    build/app/pelmo --port "$device"
else
    shot=build/screenshots/main.png
    xvfb-run -a build/app/pelmo --port "$device" --screenshot "$shot" >/dev/null
    echo "$shot"
fi
