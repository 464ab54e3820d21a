#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing else. Quiet when
# everything is already present; `apt-get update` runs only when something is missing.
#   scripts/ensure-deps.sh          what the build and the tests need
#   scripts/ensure-deps.sh --fuzz   also clang and its sanitizer runtimes (libFuzzer)
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev
    libqt6sql6-sqlite qt6-translations-l10n
    libgtest-dev libgmock-dev
    xvfb xauth
    dpkg-dev lintian
)

for arg in "$@"; do
    case "$arg" in
        --fuzz) packages+=(clang libclang-rt-14-dev) ;;
        *)
            echo "usage: $0 [--fuzz]" >&2
            exit 2
            ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
