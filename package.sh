#!/usr/bin/env bash
# Builds the Debian package pelmo_<version>_amd64.deb (RelWithDebInfo, stripped) in build/.
#   ./package.sh           build the package
#   ./package.sh --check   also list its contents, run lintian, and run the unpacked
#                          pelmo-cli against stationsim (nothing is installed)
set -euo pipefail
cd "$(dirname "$0")"

check=false
for arg in "$@"; do
    case "$arg" in
        --check) check=true ;;
        *) echo "usage: $0 [--check]" >&2; exit 2 ;;
    esac
done

scripts/ensure-deps.sh
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target pelmo pelmo-cli stationsim pelmo_package_files
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/pelmo_*_amd64.deb)
echo "$deb"
$check || exit 0

dpkg-deb --contents "$deb"
# Errors fail the check; warnings and notes are shown.
lintian --fail-on error --no-tag-display-limit "$deb"

scratch=$(mktemp -d)
sim_out=$(mktemp)
trap 'kill "${sim_pid:-0}" 2>/dev/null || true; rm -rf "$scratch" "$sim_out"' EXIT
dpkg-deb -x "$deb" "$scratch"
"$scratch/usr/bin/pelmo-cli" --help >/dev/null
"$scratch/usr/bin/pelmo-cli" --version
# The completion loads and completes a command; the manual is where the program looks.
bash -c 'source "$1"; COMP_WORDS=(pelmo-cli rea); COMP_CWORD=1; _pelmo_cli; [ "${COMPREPLY[*]}" = read ]' \
    _ "$scratch/usr/share/bash-completion/completions/pelmo-cli"
test -s "$scratch/usr/share/pelmo/manual/cs/index.html"
test -s "$scratch/usr/share/pelmo/manual/en/index.html"
"$scratch/usr/bin/stationsim" --fast >"$sim_out" &
sim_pid=$!
for _ in $(seq 1 100); do
    device=$(head -n 1 "$sim_out" 2>/dev/null || true)
    [ -n "$device" ] && break
    sleep 0.05
done
"$scratch/usr/bin/pelmo-cli" read --port "$device" --address 251 --out "$scratch/station.sta" \
    --lang en
test -s "$scratch/station.sta"
echo "package check passed"
