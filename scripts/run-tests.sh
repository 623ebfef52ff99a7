#!/usr/bin/env bash
# Runs every test of a configured build tree headless.
set -euo pipefail
build=${1:-build}
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$(mktemp -d /tmp/vantoro-runtime.XXXXXX)
chmod 700 "$XDG_RUNTIME_DIR"
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
cd "$build"
ctest --no-tests=error --output-on-failure -j "$(nproc)"
