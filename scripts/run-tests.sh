#!/usr/bin/env bash
# Runs every test of a configured build tree headless, or only those of the given subfolders
# of it (e.g. tests/swf).
set -euo pipefail
build=${1:-build}
shift || true
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$(mktemp -d /tmp/vantoro-runtime.XXXXXX)
chmod 700 "$XDG_RUNTIME_DIR"
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
cd "$build"
if (($# == 0)); then
  ctest --no-tests=error --output-on-failure -j "$(nproc)"
else
  for dir in "$@"; do
    ctest --test-dir "$dir" --no-tests=error --output-on-failure -j "$(nproc)"
  done
fi
