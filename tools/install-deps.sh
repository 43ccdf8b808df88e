#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and
# says what it installs. Does nothing when everything is present. Further
# packages named as arguments are installed too (make fuzz asks for clang).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libpng-dev libx11-dev python3
    xvfb xauth xfonts-base x11-utils x11-apps xdotool imagemagick
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
    echo "Not running as root: install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "Installed: ${missing[*]}"
