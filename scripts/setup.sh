#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program and its
# tests need and is not there yet. Does nothing when everything is installed.
# Packages named as arguments are installed along with them.
set -euo pipefail

packages=(
    g++ cmake make
    libcli11-dev nlohmann-json3-dev
    qt6-base-dev libgl-dev
    libqt6sql6-sqlite libqt6sql6-psql libpq-dev pkgconf
    libgtest-dev libbenchmark-dev
    fonts-liberation fonts-dejavu-core
    xvfb xauth
    clang-format locales
    poppler-utils
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
else
    sudo=
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
