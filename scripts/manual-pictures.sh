#!/usr/bin/env bash
# Makes the manual's pictures of the main windows again, in both languages, from
# window_gallery (offscreen, the simulated station loaded):
#   scripts/manual-pictures.sh [BUILD_DIR]
# The pictures are committed, so that a build needs neither a display nor the gallery.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" -j 2 --target window_gallery
gallery=$(mktemp -d)
trap 'rm -rf "$gallery"' EXIT
QT_QPA_PLATFORM=offscreen "$build/tests/window_gallery" "$gallery" >/dev/null
for lang in cs en; do
    mkdir -p "docs/manual/$lang/img"
    for window in main programming archive messages tracking search live history; do
        cp "$gallery/$window-$lang.png" "docs/manual/$lang/img/$window-$lang.png"
    done
done
