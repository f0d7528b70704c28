#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# The book's tests start a PostgreSQL server of their own.
scripts/setup.sh postgresql
scripts/build.sh
# The window tests use real Qt widgets; without a screen they draw offscreen.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime"
ctest --test-dir build --output-on-failure -j"$(nproc)"
